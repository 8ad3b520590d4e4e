#include "FileReplace.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ruva::filereplace {

namespace {

std::error_code LastError() {
    return {errno, std::generic_category()};
}

std::string DirectoryOf(const std::string& path) {
    const std::string dir = std::filesystem::path(path).parent_path().string();
    return dir.empty() ? "." : dir;
}

// Makes a rename or link durable: the directory entry is synced too (best effort).
void SyncDirectoryOf(const std::string& path) {
    const int fd = ::open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Takes a freshly created file's descriptor, with the mode of the file it replaces (mode < 0: none).
std::error_code TakeCreated(int fd, int mode, int& handle) {
    if (fd < 0)
        return LastError();
    if (mode >= 0)
        ::fchmod(fd, static_cast<mode_t>(mode));
    handle = fd;
    return {};
}

// The descriptor that an absolute path without links in its folders names; -1 for none.
int DescriptorOf(const std::string& path) {
    if (path == "/dev/stdin" || path == "/dev/stdout" || path == "/dev/stderr")
        return path == "/dev/stdin" ? 0 : path == "/dev/stdout" ? 1 : 2;
    static const std::regex named(R"(/(?:dev|proc/(?:self|thread-self|(\d+)(?:/task/\d+)?))/fd/(\d{1,9}))");
    std::smatch match;
    if (!std::regex_match(path, match, named) ||
        (match[1].matched && match[1].str() != std::to_string(::getpid())))
        return -1;
    return std::stoi(match[2].str());
}

} // namespace

std::FILE* OpenToRead(const std::string& name, std::error_code& error) {
    std::error_code ignored;
    if (std::filesystem::is_directory(name, ignored)) {
        error = std::make_error_code(std::errc::is_a_directory);
        return nullptr;
    }
    errno = 0;
    std::FILE* file = std::fopen(name.c_str(), "rb");
    if (file == nullptr)
        error = {errno != 0 ? errno : EIO, std::generic_category()};
    return file;
}

std::error_code PrepareTarget(const std::string& path, std::string& target, int& mode) {
    target = path;
    mode = -1;
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0)
        return errno == ENOENT ? std::error_code{} : LastError(); // ENOENT: a new file
    struct stat existing {};
    if (::stat(path.c_str(), &existing) != 0)
        return LastError(); // a dangling link (ENOENT) or a loop (ELOOP): nothing to replace
    if (S_ISLNK(link.st_mode) && S_ISREG(existing.st_mode)) {
        // The file the link points to is replaced; the link stays. (Anything else is opened through the
        // link and written in place: a pipe behind /dev/stdout has no name to resolve to.)
        char* resolved = ::realpath(path.c_str(), nullptr);
        if (resolved == nullptr)
            return LastError();
        target = resolved;
        std::free(resolved);
    }
    if (S_ISDIR(existing.st_mode))
        return std::make_error_code(std::errc::is_a_directory);
    if (::access(target.c_str(), W_OK) != 0)
        return LastError();
    mode = static_cast<int>(existing.st_mode & 07777); // the replacement keeps the permissions
    return {};
}

std::error_code CreateNew(const std::string& name, int mode, int& handle) {
    return TakeCreated(::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666), mode, handle);
}

std::error_code WriteSync(int handle, std::string_view text) {
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        // With SIGXFSZ ignored, a file size limit ends the write with EFBIG instead of the process.
        const ssize_t n = ::write(handle, data, left);
        if (n > 0) {
            data += n;
            left -= static_cast<std::size_t>(n);
        } else if (n == 0) {
            return std::make_error_code(std::errc::io_error);
        } else if (errno != EINTR) {
            return LastError();
        }
    }
    // A FIFO or a device cannot be synced (EINVAL); for them the write is all there is.
    if (::fsync(handle) != 0 && errno != EINVAL && errno != ENOTSUP)
        return LastError();
    return {};
}

std::error_code WriteSyncClose(int handle, std::string_view text) {
    std::error_code error = WriteSync(handle, text);
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

bool WrittenInPlace(const std::string& target) {
    struct stat st {};
    return ::stat(target.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
}

std::error_code OpenInPlace(const std::string& target, int& handle) {
    const int fd = ::open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return LastError();
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISREG(st.st_mode)) {
        // It became a regular file meanwhile: that one is replaced, never overwritten in place.
        ::close(fd);
        return std::make_error_code(std::errc::device_or_resource_busy);
    }
    handle = fd;
    return {};
}

std::error_code CreateUnnamed(const std::string& target, int mode, int& handle) {
#ifdef O_TMPFILE
    return TakeCreated(::open(DirectoryOf(target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666), mode,
                       handle);
#else
    (void)target;
    (void)mode;
    (void)handle;
    return std::make_error_code(std::errc::not_supported);
#endif
}

std::error_code LinkUnnamed(int handle, const std::string& name, bool durable) {
    // Through /proc, as linking the descriptor itself (AT_EMPTY_PATH) is reserved to privileged
    // processes.
    const std::string self = "/proc/self/fd/" + std::to_string(handle);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) != 0)
        return LastError();
    if (durable)
        SyncDirectoryOf(name);
    return {};
}

void RemoveAbandoned(const std::string& target) {
    // NAME.~PID-N, NAME shortened as AtomicFile::TemporaryName shortens it.
    const std::filesystem::path path(target);
    const std::string name = path.filename().string();
    std::error_code ec;
    for (std::filesystem::directory_iterator it(DirectoryOf(target), ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string entry = it->path().filename().string();
        const std::size_t tilde = entry.rfind(".~");
        if (tilde == std::string::npos || tilde == 0 || name.compare(0, tilde, entry, 0, tilde) != 0 ||
            (tilde != name.size() && entry.size() != NAME_MAX))
            continue;
        const std::string rest = entry.substr(tilde + 2);
        const std::size_t dash = rest.find('-');
        if (dash == 0 || dash == std::string::npos || dash + 1 == rest.size() ||
            rest.find_first_not_of("0123456789-") != std::string::npos ||
            rest.find('-', dash + 1) != std::string::npos)
            continue;
        const long long pid = std::strtoll(rest.c_str(), nullptr, 10);
        if (pid <= 0 || pid > INT_MAX || pid == ::getpid())
            continue;
        if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
            struct stat st {};
            if (::lstat(it->path().c_str(), &st) == 0 && S_ISREG(st.st_mode))
                ::unlink(it->path().c_str());
        }
    }
}

int NamedDescriptor(const std::string& path) {
    namespace fs = std::filesystem;
    fs::path current(path);
    for (int link = 0; link < 40; ++link) {
        // The folder resolved, so that /dev/fd/1 (/dev/fd is a link to /proc/self/fd) is seen too.
        std::error_code error;
        const fs::path absolute = fs::absolute(current, error);
        const fs::path folder = fs::canonical(absolute.parent_path(), error);
        if (error)
            return -1;
        const fs::path resolved = folder / absolute.filename();
        if (const int fd = DescriptorOf(resolved.string()); fd >= 0)
            return fd;
        const fs::path target = fs::read_symlink(resolved, error);
        if (error)
            return -1;
        current = target.is_absolute() ? target : folder / target;
    }
    return -1;
}

namespace {

std::vector<int>& InheritedDescriptors() {
    static std::vector<int> descriptors; // sorted
    return descriptors;
}

} // namespace

void NoteInheritedDescriptors() {
    std::vector<int> open;
    std::error_code error;
    for (std::filesystem::directory_iterator it("/proc/self/fd", error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        int fd = -1;
        if (std::from_chars(name.data(), name.data() + name.size(), fd).ec == std::errc())
            open.push_back(fd);
    }
    if (error) { // no /proc: the descriptors below the usual limit
        open.clear();
        for (int fd = 0; fd < 1024; ++fd)
            open.push_back(fd);
    }
    // The listing's own descriptor is closed again by now.
    std::erase_if(open, [](int fd) { return ::fcntl(fd, F_GETFD) == -1; });
    std::sort(open.begin(), open.end());
    InheritedDescriptors() = std::move(open);

    // Each takes the lowest free number: fd, as the ones below it are open by then. Read-only, so that
    // writing to a standard output that was closed still fails, as it did.
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd)
        if (::fcntl(fd, F_GETFD) == -1)
            ::open("/dev/null", O_RDONLY);
}

bool Inherited(int handle) {
    return std::binary_search(InheritedDescriptors().begin(), InheritedDescriptors().end(), handle);
}

std::error_code CheckWritable(int handle) {
    const int flags = ::fcntl(handle, F_GETFL);
    if (flags < 0)
        return LastError();
    if ((flags & O_ACCMODE) == O_RDONLY)
        return std::make_error_code(std::errc::bad_file_descriptor);
    return {};
}

void KeepOwner(int handle, const std::string& target, int mode) {
    struct stat existing {};
    struct stat own {};
    if (::stat(target.c_str(), &existing) != 0 || ::fstat(handle, &own) != 0)
        return;
    if (existing.st_uid == own.st_uid && existing.st_gid == own.st_gid)
        return;
    // Root may give the file to its owner; anyone may give it a group of their own.
    if (::fchown(handle, existing.st_uid, existing.st_gid) != 0) [[maybe_unused]]
        const int ignored = ::fchown(handle, static_cast<uid_t>(-1), existing.st_gid);
    if (mode >= 0) // a change of owner clears the set-user and set-group bits
        ::fchmod(handle, static_cast<mode_t>(mode));
}

} // namespace ruva::filereplace
