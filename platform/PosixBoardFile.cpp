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

bool Mark(BoardFile::Held& held, bool unsure) {
    if (!unsure)
        return ::ftruncate(held.Fd, 0) == 0 && ::fsync(held.Fd) == 0;
    const std::size_t size = sizeof MarkText - 1;
    return ::pwrite(held.Fd, MarkText, size, 0) == static_cast<ssize_t>(size) && ::fsync(held.Fd) == 0;
}

} // namespace boardfile
} // namespace ruva
