#include "AtomicFile.h"

#include <cerrno>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ruva {

namespace {

std::error_code LastError() {
    return {errno, std::generic_category()};
}

// Makes the file's data and its directory entry durable; best effort for the directory.
void SyncDirectoryOf(const std::string& path) {
    const std::string dir = std::filesystem::path(path).parent_path().string();
    const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

AtomicFile::~AtomicFile() {
    Discard();
}

void AtomicFile::Discard() {
    if (handle_ >= 0)
        ::close(handle_);
    handle_ = -1;
    if (!temporary_.empty())
        ::unlink(temporary_.c_str());
    temporary_.clear();
}

std::error_code AtomicFile::Open(const std::string& path) {
    Discard();
    target_ = path;
    // Saving through a symbolic link replaces the file it points to, not the link.
    std::error_code ec;
    if (std::filesystem::is_symlink(path, ec)) {
        const auto resolved = std::filesystem::weakly_canonical(path, ec);
        if (!ec)
            target_ = resolved.string();
    }

    struct stat existing {};
    const bool exists = ::stat(target_.c_str(), &existing) == 0;
    if (exists) {
        if (S_ISDIR(existing.st_mode))
            return std::make_error_code(std::errc::is_a_directory);
        if (::access(target_.c_str(), W_OK) != 0)
            return LastError();
    }

    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = target_ + ".~" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            handle_ = fd;
            temporary_ = std::move(name);
            // The replacement keeps the permissions of the file it replaces.
            if (exists)
                ::fchmod(fd, existing.st_mode & 07777);
            return {};
        }
        if (errno != EEXIST)
            return LastError();
    }
    return std::make_error_code(std::errc::file_exists);
}

std::error_code AtomicFile::Commit(std::string_view text) {
    if (handle_ < 0)
        return std::make_error_code(std::errc::bad_file_descriptor);
    std::error_code error;
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0 && !error) {
        const ssize_t n = ::write(handle_, data, left);
        if (n > 0) {
            data += n;
            left -= static_cast<std::size_t>(n);
        } else if (n < 0 && errno != EINTR) {
            error = LastError();
        } else if (n == 0) {
            error = std::make_error_code(std::errc::io_error);
        }
    }
    if (!error && ::fsync(handle_) != 0)
        error = LastError();
    const int fd = handle_;
    handle_ = -1;
    if (::close(fd) != 0 && !error)
        error = LastError();
    if (!error && ::rename(temporary_.c_str(), target_.c_str()) != 0)
        error = LastError();
    if (error) {
        Discard();
        return error;
    }
    temporary_.clear();
    SyncDirectoryOf(target_);
    return {};
}

} // namespace ruva
