#include "FileReplace.h"

#include <cerrno>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ruva::filereplace {

namespace {

std::error_code LastError() {
    return {errno, std::generic_category()};
}

// Makes a rename durable: the directory entry is synced too (best effort).
void SyncDirectoryOf(const std::string& path) {
    const std::string dir = std::filesystem::path(path).parent_path().string();
    const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

std::error_code PrepareTarget(const std::string& path, std::string& target, int& mode) {
    target = path;
    std::error_code ec;
    if (std::filesystem::is_symlink(path, ec)) {
        const auto resolved = std::filesystem::weakly_canonical(path, ec);
        if (!ec)
            target = resolved.string();
    }
    struct stat existing {};
    if (::stat(target.c_str(), &existing) != 0)
        return {}; // a new file
    if (S_ISDIR(existing.st_mode))
        return std::make_error_code(std::errc::is_a_directory);
    if (::access(target.c_str(), W_OK) != 0)
        return LastError();
    mode = static_cast<int>(existing.st_mode & 07777); // the replacement keeps the permissions
    return {};
}

std::error_code CreateNew(const std::string& name, int mode, int& handle) {
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return LastError();
    if (mode >= 0)
        ::fchmod(fd, static_cast<mode_t>(mode));
    handle = fd;
    return {};
}

std::error_code WriteSyncClose(int handle, std::string_view text) {
    std::error_code error;
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0 && !error) {
        const ssize_t n = ::write(handle, data, left);
        if (n > 0) {
            data += n;
            left -= static_cast<std::size_t>(n);
        } else if (n == 0) {
            error = std::make_error_code(std::errc::io_error);
        } else if (errno != EINTR) {
            error = LastError();
        }
    }
    if (!error && ::fsync(handle) != 0)
        error = LastError();
    if (::close(handle) != 0 && !error)
        error = LastError();
    return error;
}

std::error_code RenameOver(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0)
        return LastError();
    SyncDirectoryOf(to);
    return {};
}

void CloseFile(int handle) {
    ::close(handle);
}

void RemoveFile(const std::string& name) {
    ::unlink(name.c_str());
}

unsigned long ProcessId() {
    return static_cast<unsigned long>(::getpid());
}

} // namespace ruva::filereplace
