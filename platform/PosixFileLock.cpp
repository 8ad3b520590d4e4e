#include "FileLock.h"
#include "ForeignFile.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ruva {

struct FileLock::Held {
    int Fd = -1;
    ~Held() { ::close(Fd); } // releases the lock
};

FileLock::Status FileLock::TryLock(const Options& options) {
    const auto fail = [this](Failure failure, std::string error) {
        failure_ = failure;
        error_ = std::move(error);
        return Status::Unavailable;
    };
    // Never through a link planted in its place; without blocking, as on a FIFO.
    const int access = options.Create ? O_RDWR | O_CREAT : O_RDONLY | O_NOCTTY;
    const int fd = ::open(path_.c_str(), access | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0)
        return fail(Failure::Open, std::strerror(errno));
    auto file = std::make_shared<Held>();
    file->Fd = fd;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return fail(Failure::NotRegular, "not a regular file");
    // Nor through a hard link, nor another user's file: what it holds, and clearing it, would be theirs.
    if (std::string foreign = ForeignFileReason(fd); !foreign.empty()) {
        if (st.st_uid != ::geteuid())
            owner_ = OwnerName(st.st_uid);
        return fail(Failure::Foreign, std::move(foreign));
    }
    int locked;
    while ((locked = ::flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    if (locked != 0)
        return errno == EWOULDBLOCK ? Status::Busy : fail(Failure::Lock, std::strerror(errno));
    held_ = std::move(file);
    return Status::Locked;
}

bool FileLock::HasContent() const {
    struct stat st {};
    return !held_ || ::fstat(held_->Fd, &st) != 0 || st.st_size > 0;
}

std::string FileLock::Store(std::string_view text) {
    if (!held_)
        return std::strerror(EBADF);
    if (::ftruncate(held_->Fd, 0) != 0 ||
        ::pwrite(held_->Fd, text.data(), text.size(), 0) != static_cast<ssize_t>(text.size()) ||
        ::fsync(held_->Fd) != 0)
        return std::strerror(errno);
    return {};
}

std::string FileLock::HeldText(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {};
    std::string text;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_SH | LOCK_NB) != 0 &&
        errno == EWOULDBLOCK) {
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(fd, buffer, sizeof buffer)) < 0 && errno == EINTR) {
        }
        if (n > 0)
            text.assign(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return text;
}

} // namespace ruva
