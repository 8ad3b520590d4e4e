#include "StateFile.h"

#include "StateJson.h"

#include "AtomicFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ruva::sim {

namespace {

// A state file is a few kilobytes; anything far larger is not one.
constexpr std::size_t MaxStateFileSize = 1 << 20;

std::string SystemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

std::string HomeDirectory() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/')
        return home;
    if (const passwd* user = ::getpwuid(::getuid()); user != nullptr && user->pw_dir != nullptr)
        return user->pw_dir;
    return ".";
}

} // namespace

std::string DefaultStatePath() {
    const char* stateHome = std::getenv("XDG_STATE_HOME");
    // Relative values are to be ignored, like an unset variable.
    const std::string base =
        stateHome != nullptr && stateHome[0] == '/' ? stateHome : HomeDirectory() + "/.local/state";
    return base + "/ruva2-sim/state.json";
}

LoadedState LoadStateFile(const std::string& path) {
    LoadedState loaded;
    // Without blocking: opening a FIFO would otherwise wait for a writer for ever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            loaded.Missing = true;
        else
            loaded.Error = SystemError("cannot read the state file " + path);
        return loaded;
    }
    struct stat st {};
    std::string text;
    if (::fstat(fd, &st) != 0) {
        loaded.Error = SystemError("cannot read the state file " + path);
    } else if (!S_ISREG(st.st_mode)) {
        loaded.Error = "the state file " + path + " is not a regular file";
    } else if (static_cast<std::size_t>(st.st_size) > MaxStateFileSize) {
        loaded.Error = "the state file " + path + " is too large to be a simulator state";
    } else {
        char buffer[8192];
        ssize_t n;
        while ((n = ::read(fd, buffer, sizeof buffer)) != 0) {
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 || text.size() > MaxStateFileSize) {
                loaded.Error = n < 0 ? SystemError("cannot read the state file " + path)
                                     : "the state file " + path + " is too large to be a simulator state";
                break;
            }
            text.append(buffer, static_cast<std::size_t>(n));
        }
    }
    ::close(fd);
    if (!loaded.Error.empty())
        return loaded;

    ParsedState parsed = ParseState(text);
    if (!parsed.State) {
        loaded.Error = "the state file " + path + " is not a simulator state: " + parsed.Error;
        return loaded;
    }
    // Whatever is accepted must be writable, and readable again once written.
    if (const std::size_t written = StateToJson(*parsed.State).size(); written > MaxStateFileSize) {
        loaded.Error = "the state file " + path +
                       " is too large to be a simulator state: written back, it would take " +
                       std::to_string(written) + " bytes, more than the " + std::to_string(MaxStateFileSize) +
                       " a state file may have";
        return loaded;
    }
    loaded.State = std::move(parsed.State);
    return loaded;
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

StateLock::~StateLock() {
    if (stateFd_ >= 0)
        ::close(stateFd_);
    if (lockFd_ >= 0)
        ::close(lockFd_);
}

std::string StateLock::Acquire(const std::string& statePath, const std::string& lockPath) {
    statePath_ = statePath;
    // Not through a link planted in a folder others may write to.
    lockFd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (lockFd_ < 0)
        return SystemError("cannot create the lock file " + lockPath);
    struct stat st {};
    if (::fstat(lockFd_, &st) != 0 || !S_ISREG(st.st_mode))
        return "the lock file " + lockPath + " is not a regular file";
    if (::flock(lockFd_, LOCK_EX | LOCK_NB) != 0 || !LockStateItself())
        return "another simulator keeps its state in " + statePath;
    return {};
}

bool StateLock::LockStateItself() {
    const int fd = ::open(statePath_.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT; // a fresh state: the lock file covers it until it is written
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    if (stateFd_ >= 0)
        ::close(stateFd_);
    stateFd_ = fd;
    return true;
}

void StateLock::Follow() {
    LockStateItself();
}

} // namespace ruva::sim
