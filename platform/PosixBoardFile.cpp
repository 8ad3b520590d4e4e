#include "BoardFileSystem.h"
#include "ForeignFile.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ruva {

struct BoardFile::Held {
    int Fd = -1;
    ~Held() { ::close(Fd); } // releases the lock
};

namespace boardfile {

BoardFile::Status TryLock(const std::string& path, std::shared_ptr<BoardFile::Held>& held, std::string& error) {
    // Never through a link planted in its place.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = std::strerror(errno);
        return BoardFile::Status::Unavailable;
    }
    auto file = std::make_shared<BoardFile::Held>();
    file->Fd = fd;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = "not a regular file";
        return BoardFile::Status::Unavailable;
    }
    // Nor through a hard link: its content would count as the mark, and clearing the mark empties it.
    if (error = ForeignFileReason(fd); !error.empty())
        return BoardFile::Status::Unavailable;
    int locked;
    while ((locked = ::flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    if (locked != 0) {
        if (errno == EWOULDBLOCK)
            return BoardFile::Status::Busy;
        error = std::strerror(errno);
        return BoardFile::Status::Unavailable;
    }
    held = std::move(file);
    return BoardFile::Status::Locked;
}

bool Marked(const BoardFile::Held& held) {
    struct stat st {};
    return ::fstat(held.Fd, &st) != 0 || st.st_size > 0;
}

bool Store(BoardFile::Held& held, std::string_view text) {
    return ::ftruncate(held.Fd, 0) == 0 &&
           ::pwrite(held.Fd, text.data(), text.size(), 0) == static_cast<ssize_t>(text.size()) &&
           ::fsync(held.Fd) == 0;
}

std::string HeldText(const std::string& path) {
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

} // namespace boardfile
} // namespace ruva
