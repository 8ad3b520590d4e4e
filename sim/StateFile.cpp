#include "StateFile.h"

#include "StateJson.h"

#include "AtomicFile.h"

namespace ruva::sim {

namespace {

// A state file is a few kilobytes; anything far larger is not one.
constexpr std::size_t MaxStateFileSize = 1 << 20;

std::string TooLarge(const std::string& path) {
    return "the state file " + path + " is too large to be a simulator state";
}

} // namespace

std::string BesideState(const std::string& statePath, const char* extension) {
    const std::size_t name = statePath.find_last_of("/\\") + 1; // 0 without a folder
    const std::size_t dot = statePath.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > name;
    std::string beside = (hasExtension ? statePath.substr(0, dot) : statePath) + extension;
    return beside == statePath ? statePath + extension : beside;
}

std::string LockFile(FileLock& lock, const std::string& path, const std::string& busy) {
    switch (lock.Lock(path, LockPatience)) {
    case FileLock::Status::Locked:
        return {};
    case FileLock::Status::Busy:
        return busy;
    case FileLock::Status::Unavailable:
        break;
    }
    switch (lock.FailedAt()) {
    case FileLock::Failure::NotRegular:
        return "the lock file " + path + " is not a regular file";
    case FileLock::Failure::Foreign:
        return "the lock file " + path + " is refused: " + lock.Error();
    case FileLock::Failure::Lock:
        return "cannot lock " + path + ": " + lock.Error();
    case FileLock::Failure::Open:
    case FileLock::Failure::None:
        break;
    }
    return "cannot create the lock file " + path + ": " + lock.Error();
}

// Where the system has such locks (not on Windows: a locked range of the state itself would keep
// everyone else from reading it), the state file itself is locked too, so that a link to it under
// another name is kept off. No state yet (the lock file covers it until it is written), or one that
// cannot be opened or is not the simulator's own, is not locked: reading it says why.
#ifdef _WIN32
constexpr bool LocksStateItself = false;
#else
constexpr bool LocksStateItself = true;
#endif

std::string StateLock::Acquire(const std::string& statePath, const std::string& lockPath) {
    statePath_ = statePath;
    const std::string busy = "another simulator keeps its state in " + statePath;
    if (std::string error = LockFile(lockFile_, lockPath, busy); !error.empty())
        return error;
    if (LocksStateItself &&
        state_.Lock(statePath, LockPatience, {.Create = false}) == FileLock::Status::Busy) {
        lockFile_.Unlock();
        return busy;
    }
    return {};
}

void StateLock::Follow() {
    FileLock next;
    if (LocksStateItself && next.Lock(statePath_, {}, {.Create = false}) == FileLock::Status::Locked)
        state_ = std::move(next);
}

LoadedState LoadStateFile(const std::string& path) {
    LoadedState loaded;
    std::string text;
    loaded.Error = ReadStateText(path, MaxStateFileSize, text, loaded.Missing);
    if (loaded.Missing || !loaded.Error.empty())
        return loaded;
    if (text.size() > MaxStateFileSize) {
        loaded.Error = TooLarge(path);
        return loaded;
    }

    ParsedState parsed = ParseState(text);
    if (!parsed.State) {
        loaded.Error = "the state file " + path + " is not a simulator state: " + parsed.Error;
        return loaded;
    }
    // Whatever is accepted must be writable, and readable again once written.
    if (const std::size_t written = StateToJson(*parsed.State).size(); written > MaxStateFileSize) {
        loaded.Error = TooLarge(path) + ": written back, it would take " + std::to_string(written) +
                       " bytes, more than the " + std::to_string(MaxStateFileSize) + " a state file may have";
        return loaded;
    }
    loaded.State = std::move(parsed.State);
    return loaded;
}

std::string CheckStateWritable(const std::string& path) {
    AtomicFile file; // opened and dropped: nothing is written
    if (const std::error_code error = file.Open(path))
        return "cannot write the state file " + path + ": " +
               (file.FolderNotWritable() ? "its folder is not writable" : error.message());
    return {};
}

std::string CheckStateUsable(const std::string& path) {
    const LoadedState loaded = LoadStateFile(path);
    if (loaded.Missing)
        return {};
    return loaded.State ? CheckStateWritable(path) : loaded.Error;
}

std::string SaveStateFile(const std::string& path, const SimState& state) {
    const std::string text = StateToJson(state);
    if (text.size() > MaxStateFileSize)
        return "the state would take " + std::to_string(text.size()) + " bytes, more than the " +
               std::to_string(MaxStateFileSize) + " a state file may have";
    AtomicFile file;
    if (const std::error_code error = file.Open(path))
        return "cannot replace " + path + ": " + error.message();
    if (const std::error_code error = file.Commit(text))
        return "cannot write " + path + ": " + error.message();
    return {};
}

} // namespace ruva::sim
