#include "FileReplace.h"

#include "Utf16.h"

#include <cerrno>
#include <cstring>
#include <vector>

#define WIN32_LEAN_AND_MEAN
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>
#include <winioctl.h>

// Names are UTF-8 and go to the system's wide calls: the ...A calls would read them in the system's
// code page, which is UTF-8 only on recent Windows.

namespace ruva::filereplace {

namespace {

DWORD AttributesOf(const std::string& name) {
    return ::GetFileAttributesW(Widen(name).c_str());
}

std::error_code ErrnoError() {
    return {errno, std::generic_category()};
}

std::error_code SystemError(DWORD code) {
    return {static_cast<int>(code), std::system_category()};
}

// The target that a symbolic link names, from its reparse data; false when `link` is no symbolic link.
bool ReadLink(const std::string& link, std::string& target) {
    const HANDLE file =
        ::CreateFileW(Widen(link).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    std::vector<unsigned char> data(MAXIMUM_REPARSE_DATA_BUFFER_SIZE);
    DWORD size = 0;
    const BOOL ok = ::DeviceIoControl(file, FSCTL_GET_REPARSE_POINT, nullptr, 0, data.data(),
                                      static_cast<DWORD>(data.size()), &size, nullptr);
    ::CloseHandle(file);
    // The symbolic-link layout: tag, data length, reserved, then four USHORT name offsets and lengths
    // (substitute, print), flags, and the UTF-16 path buffer.
    constexpr std::size_t header = 20;
    if (!ok || size < header)
        return false;
    auto u16 = [&data](std::size_t at) { return static_cast<std::size_t>(data[at] | (data[at + 1] << 8)); };
    auto u32 = [&](std::size_t at) { return static_cast<DWORD>(u16(at) | (u16(at + 2) << 16)); };
    if (u32(0) != IO_REPARSE_TAG_SYMLINK)
        return false;
    std::size_t offset = u16(12), length = u16(14); // the print name, a plain path
    if (length == 0) {
        offset = u16(8);
        length = u16(10);
    }
    if (header + offset + length > size)
        return false;
    std::wstring name(length / 2, L'\0');
    std::memcpy(name.data(), data.data() + header + offset, length);
    if (name.rfind(L"\\??\\", 0) == 0)
        name.erase(0, 4);
    std::string narrow = Narrow(name);
    const bool relative = (u32(16) & 1) != 0; // SYMLINK_FLAG_RELATIVE
    if (relative) {
        const std::size_t slash = link.find_last_of("\\/");
        narrow = (slash == std::string::npos ? std::string() : link.substr(0, slash + 1)) + narrow;
    }
    target = narrow;
    return true;
}

} // namespace

std::FILE* OpenToRead(const std::string& name, std::error_code& error) {
    const DWORD attributes = AttributesOf(name);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        error = std::make_error_code(std::errc::is_a_directory);
        return nullptr;
    }
    errno = 0;
    std::FILE* file = ::_wfopen(Widen(name).c_str(), L"rb");
    if (file == nullptr)
        error = {errno != 0 ? errno : EIO, std::generic_category()};
    return file;
}

std::error_code PrepareTarget(const std::string& path, std::string& target, int& mode) {
    target = path;
    mode = -1;
    if (AttributesOf(path) == INVALID_FILE_ATTRIBUTES)
        return {}; // a new file
    // A symbolic link: the file it points to is replaced, and the link stays. A link that leads
    // nowhere (dangling, or a loop) is refused.
    DWORD attributes = AttributesOf(target);
    for (int depth = 0; attributes & FILE_ATTRIBUTE_REPARSE_POINT; ++depth) {
        std::string next;
        if (!ReadLink(target, next))
            break; // another kind of reparse point: the file itself
        if (depth == 32)
            return std::make_error_code(std::errc::too_many_symbolic_link_levels);
        target = next;
        attributes = AttributesOf(target);
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return std::make_error_code(std::errc::no_such_file_or_directory);
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return std::make_error_code(std::errc::is_a_directory);
    if (attributes & FILE_ATTRIBUTE_READONLY)
        return std::make_error_code(std::errc::permission_denied);
    return {};
}

std::error_code CreateNew(const std::string& name, int, int& handle) {
    // _wsopen, not _wsopen_s: the msvcrt.dll of Windows XP has no _s calls.
    const int fd = ::_wsopen(Widen(name).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _SH_DENYRW,
                             _S_IREAD | _S_IWRITE);
    if (fd < 0)
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
    const std::wstring wideFrom = Widen(from), wideTo = Widen(to);
    const DWORD attributes = ::GetFileAttributesW(wideTo.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        // No file to replace: the new one takes the name.
        if (!::MoveFileExW(wideFrom.c_str(), wideTo.c_str(), MOVEFILE_WRITE_THROUGH))
            return SystemError(::GetLastError());
        return {};
    }
    // A file that another program holds open without letting it be deleted cannot be replaced: say so
    // before anything is moved.
    const HANDLE probe =
        ::CreateFileW(wideTo.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, 0, nullptr);
    if (probe == INVALID_HANDLE_VALUE)
        return SystemError(::GetLastError());
    ::CloseHandle(probe);
    // ReplaceFile keeps the file's security and creation time in one step; the attributes (hidden,
    // system, archive) are given to the new content first, as not every system carries them over.
    const DWORD kept = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                     FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    ::SetFileAttributesW(wideFrom.c_str(), kept ? kept : FILE_ATTRIBUTE_NORMAL);
    // Without a backup name, a failed ReplaceFile leaves the file under its name as it was.
    if (!::ReplaceFileW(wideTo.c_str(), wideFrom.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
        return SystemError(::GetLastError());
    return {};
}

void CloseFile(int handle) {
    ::_close(handle);
}

void RemoveFile(const std::string& name) {
    ::DeleteFileW(Widen(name).c_str());
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

int NamedDescriptor(const std::string&) {
    return -1;
}

void NoteInheritedDescriptors() {}

bool Inherited(int) {
    return true;
}

std::error_code CheckWritable(int) {
    return std::make_error_code(std::errc::not_supported);
}

} // namespace ruva::filereplace
