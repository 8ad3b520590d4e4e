// The state file's platform part on POSIX systems: flock on the lock file and the state itself.

#include "StateFile.h"

#include "DevicePath.h"
#include "ForeignFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace ruva::sim {

namespace {

std::string SystemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

// Tries `attempt` until it succeeds or FileLock::Patience is over; false then.
template <typename Attempt>
bool WaitFor(Attempt attempt) {
    const auto deadline = std::chrono::steady_clock::now() + FileLock::Patience;
    while (!attempt()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

} // namespace

std::string DefaultStatePath() {
    return UserStateHome() + "/ruva2-sim/state.json";
}

std::string CreateStateFolder(const std::string& statePath) {
    const std::filesystem::path folder = std::filesystem::path(statePath).parent_path();
    std::error_code ec;
    if (!std::filesystem::create_directories(folder, ec) && ec)
        return "cannot create " + folder.string() + ": " + ec.message();
    return {};
}

std::string ResolveStatePath(const std::string& path, std::string& error) {
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    if (ec) {
        error = "cannot resolve the state file " + path + ": " + ec.message();
        return {};
    }
    // Through a link, the file it points to is the state.
    if (std::filesystem::path resolved = std::filesystem::canonical(absolute, ec); !ec)
        absolute = std::move(resolved);
    return absolute.string();
}

std::string ReadStateText(const std::string& path, std::size_t limit, std::string& text, bool& missing) {
    // Without blocking: opening a FIFO would otherwise wait for a writer for ever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        missing = errno == ENOENT;
        return missing ? std::string() : SystemError("cannot read the state file " + path);
    }
    std::string error;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        error = SystemError("cannot read the state file " + path);
    } else if (!S_ISREG(st.st_mode)) {
        error = "the state file " + path + " is not a regular file";
    } else if (const std::string foreign = ForeignFileReason(fd); !foreign.empty()) {
        // Each change replaces the file, which would part its other names from the boards.
        error = "the state file " + path + " is refused: " + foreign;
    } else {
        char buffer[8192];
        ssize_t n;
        while (text.size() <= limit && (n = ::read(fd, buffer, sizeof buffer)) != 0) {
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                error = SystemError("cannot read the state file " + path);
                break;
            }
            text.append(buffer, static_cast<std::size_t>(n));
        }
    }
    ::close(fd);
    return error;
}

void FileLock::Release() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

std::string FileLock::Acquire(const std::string& path, const std::string& busy) {
    Release();
    // Not through a link planted in a folder others may write to.
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd_ < 0)
        return SystemError("cannot create the lock file " + path);
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        Release();
        return "the lock file " + path + " is not a regular file";
    }
    if (const std::string foreign = ForeignFileReason(fd_); !foreign.empty()) {
        Release();
        return "the lock file " + path + " is refused: " + foreign;
    }
    if (!WaitFor([this] { return ::flock(fd_, LOCK_EX | LOCK_NB) == 0; })) {
        Release();
        return busy;
    }
    return {};
}

std::string FileLock::Store(const std::string& text) {
    if (::ftruncate(fd_, 0) != 0 ||
        ::pwrite(fd_, text.data(), text.size(), 0) != static_cast<ssize_t>(text.size()))
        return std::strerror(errno);
    return {};
}

StateLock::~StateLock() {
    if (stateFd_ >= 0)
        ::close(stateFd_);
}

std::string StateLock::Acquire(const std::string& statePath, const std::string& lockPath) {
    statePath_ = statePath;
    const std::string busy = "another simulator keeps its state in " + statePath;
    if (std::string error = lockFile_.Acquire(lockPath, busy); !error.empty())
        return error;
    if (!WaitFor([this] { return LockStateItself(); })) {
        lockFile_.Release();
        return busy;
    }
    return {};
}

bool StateLock::LockStateItself() {
    // No state yet (a fresh one: the lock file covers it until it is written), or one that cannot be
    // opened: reading it says why.
    const int fd = ::open(statePath_.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return true;
    struct stat st {};
    // Nor is anything that is not a regular file, or not the simulator's own, a state; reading it says so.
    if (::fstat(fd, &st) == 0 && (!S_ISREG(st.st_mode) || !ForeignFileReason(fd).empty())) {
        ::close(fd);
        return true;
    }
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
