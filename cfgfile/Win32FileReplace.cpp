#include "FileReplace.h"

#include <cerrno>

#define WIN32_LEAN_AND_MEAN
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>

namespace ruva::filereplace {

namespace {

std::error_code ErrnoError() {
    return {errno, std::generic_category()};
}

} // namespace

std::error_code PrepareTarget(const std::string& path, std::string& target, int& mode) {
    target = path;
    mode = -1;
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return {}; // a new file
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return std::make_error_code(std::errc::is_a_directory);
    if (attributes & FILE_ATTRIBUTE_READONLY)
        return std::make_error_code(std::errc::permission_denied);
    return {};
}

std::error_code CreateNew(const std::string& name, int, int& handle) {
    int fd = -1;
    if (::_sopen_s(&fd, name.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _SH_DENYRW,
                   _S_IREAD | _S_IWRITE) != 0)
        return ErrnoError();
    handle = fd;
    return {};
}

std::error_code WriteSyncClose(int handle, std::string_view text) {
    std::error_code error;
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0 && !error) {
        const unsigned chunk = left > 0x40000000u ? 0x40000000u : static_cast<unsigned>(left);
        const int n = ::_write(handle, data, chunk);
        if (n <= 0) {
            error = n < 0 ? ErrnoError() : std::make_error_code(std::errc::io_error);
        } else {
            data += n;
            left -= static_cast<std::size_t>(n);
        }
    }
    if (!error && ::_commit(handle) != 0)
        error = ErrnoError();
    if (::_close(handle) != 0 && !error)
        error = ErrnoError();
    return error;
}

std::error_code RenameOver(const std::string& from, const std::string& to) {
    if (!::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return {static_cast<int>(::GetLastError()), std::system_category()};
    return {};
}

void CloseFile(int handle) {
    ::_close(handle);
}

void RemoveFile(const std::string& name) {
    ::DeleteFileA(name.c_str());
}

unsigned long ProcessId() {
    return ::GetCurrentProcessId();
}

} // namespace ruva::filereplace

// Windows has neither unnamed files that can be linked later nor FIFOs to write in place; AtomicFile
// then keeps to a named temporary file, and a file's owner stays with the replacement on its own.
namespace ruva::filereplace {

bool WrittenInPlace(const std::string&) {
    return false;
}

std::error_code OpenInPlace(const std::string&, int&) {
    return std::make_error_code(std::errc::not_supported);
}

std::error_code CreateUnnamed(const std::string&, int, int&) {
    return std::make_error_code(std::errc::not_supported);
}

std::error_code LinkUnnamed(int, const std::string&, bool) {
    return std::make_error_code(std::errc::not_supported);
}

void KeepOwner(int, const std::string&, int) {}

void RemoveAbandoned(const std::string&) {}

std::error_code WriteSync(int, std::string_view) {
    return std::make_error_code(std::errc::not_supported);
}

} // namespace ruva::filereplace
