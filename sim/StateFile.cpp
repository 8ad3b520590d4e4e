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
