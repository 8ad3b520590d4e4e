#include "AtomicFile.h"

#include <cerrno>
#include <string>

#define WIN32_LEAN_AND_MEAN
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>

namespace ruva {

namespace {

std::error_code ErrnoError() {
    return {errno, std::generic_category()};
}

} // namespace

AtomicFile::~AtomicFile() {
    Discard();
}

void AtomicFile::Discard() {
    if (handle_ >= 0)
        ::_close(handle_);
    handle_ = -1;
    if (!temporary_.empty())
        ::DeleteFileA(temporary_.c_str());
    temporary_.clear();
}

std::error_code AtomicFile::Open(const std::string& path) {
    Discard();
    target_ = path;
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            return std::make_error_code(std::errc::is_a_directory);
        if (attributes & FILE_ATTRIBUTE_READONLY)
            return std::make_error_code(std::errc::permission_denied);
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name =
            target_ + ".~" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(attempt);
        int fd = -1;
        if (::_sopen_s(&fd, name.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _SH_DENYRW,
                       _S_IREAD | _S_IWRITE) == 0) {
            handle_ = fd;
            temporary_ = std::move(name);
            return {};
        }
        if (errno != EEXIST)
            return ErrnoError();
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
        const unsigned chunk = left > 0x40000000u ? 0x40000000u : static_cast<unsigned>(left);
        const int n = ::_write(handle_, data, chunk);
        if (n <= 0) {
            error = n < 0 ? ErrnoError() : std::make_error_code(std::errc::io_error);
        } else {
            data += n;
            left -= static_cast<std::size_t>(n);
        }
    }
    if (!error && ::_commit(handle_) != 0)
        error = ErrnoError();
    const int fd = handle_;
    handle_ = -1;
    if (::_close(fd) != 0 && !error)
        error = ErrnoError();
    if (!error && !::MoveFileExA(temporary_.c_str(), target_.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = std::error_code(static_cast<int>(::GetLastError()), std::system_category());
    if (error) {
        Discard();
        return error;
    }
    temporary_.clear();
    return {};
}

} // namespace ruva
