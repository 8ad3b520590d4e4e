#include "BoardFileSystem.h"
#include "ForeignFile.h"

#include "Utf16.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace ruva {

namespace {

// The byte that is locked lies far beyond the content, so reading and writing the mark never meet it.
OVERLAPPED LockedByte() {
    OVERLAPPED at{};
    at.Offset = 0x7FFFFFFF;
    return at;
}

std::string SystemMessage(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = length != 0 && text != nullptr ? std::wstring(text, length) : std::wstring();
    ::LocalFree(text);
    while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' || message.back() == L'.'))
        message.pop_back();
    return message.empty() ? "system error " + std::to_string(code) : Narrow(message);
}

// The boards are the machine's, so every user may create, lock and mark their files: the folder and
// the files get an empty access list (no restriction).
struct OpenToEveryone {
    SECURITY_DESCRIPTOR Descriptor{};
    SECURITY_ATTRIBUTES Attributes{};
    OpenToEveryone() {
        ::InitializeSecurityDescriptor(&Descriptor, SECURITY_DESCRIPTOR_REVISION);
        ::SetSecurityDescriptorDacl(&Descriptor, TRUE, nullptr, FALSE);
        Attributes.nLength = sizeof Attributes;
        Attributes.lpSecurityDescriptor = &Descriptor;
    }
};

HANDLE OpenFile(const std::wstring& path, OpenToEveryone& access) {
    return ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         &access.Attributes, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

struct BoardFile::Held {
    HANDLE File = INVALID_HANDLE_VALUE;
    ~Held() {
        OVERLAPPED at = LockedByte();
        ::UnlockFileEx(File, 0, 1, 0, &at);
        ::CloseHandle(File);
    }
};

namespace boardfile {

BoardFile::Status TryLock(const std::string& path, std::shared_ptr<BoardFile::Held>& held, std::string& error) {
    OpenToEveryone access;
    const std::wstring wide = Widen(path);
    HANDLE file = OpenFile(wide, access);
    if (file == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_PATH_NOT_FOUND) {
        // The folder is made at the first use.
        const std::size_t slash = wide.find_last_of(L"\\/");
        if (slash != std::wstring::npos && ::CreateDirectoryW(wide.substr(0, slash).c_str(), &access.Attributes))
            file = OpenFile(wide, access);
        else
            ::SetLastError(ERROR_PATH_NOT_FOUND);
    }
    if (file == INVALID_HANDLE_VALUE) {
        error = SystemMessage(::GetLastError());
        return BoardFile::Status::Unavailable;
    }
    // Never through a hard link to another file: its content would count as the mark, and clearing the
    // mark empties it.
    if (error = ForeignFileReason(file); !error.empty()) {
        ::CloseHandle(file);
        return BoardFile::Status::Unavailable;
    }
    OVERLAPPED at = LockedByte();
    if (!::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
        const DWORD code = ::GetLastError();
        ::CloseHandle(file);
        if (code == ERROR_LOCK_VIOLATION || code == ERROR_IO_PENDING)
            return BoardFile::Status::Busy;
        error = SystemMessage(code);
        return BoardFile::Status::Unavailable;
    }
    held = std::make_shared<BoardFile::Held>();
    held->File = file;
    return BoardFile::Status::Locked;
}

bool Marked(const BoardFile::Held& held) {
    LARGE_INTEGER size{};
    return !::GetFileSizeEx(held.File, &size) || size.QuadPart > 0;
}

bool Store(BoardFile::Held& held, std::string_view text) {
    if (::SetFilePointer(held.File, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER)
        return false;
    DWORD written = 0;
    const auto size = static_cast<DWORD>(text.size());
    if (size > 0 && (!::WriteFile(held.File, text.data(), size, &written, nullptr) || written != size))
        return false;
    return ::SetEndOfFile(held.File) && ::FlushFileBuffers(held.File);
}

std::string HeldText(const std::string& path) {
    const HANDLE file = ::CreateFileW(Widen(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::string text;
    OVERLAPPED at = LockedByte();
    if (::LockFileEx(file, LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
        ::UnlockFileEx(file, 0, 1, 0, &at); // nobody holds it
    } else if (::GetLastError() == ERROR_LOCK_VIOLATION) {
        char buffer[4096];
        DWORD read = 0;
        if (::ReadFile(file, buffer, sizeof buffer, &read, nullptr))
            text.assign(buffer, read);
    }
    ::CloseHandle(file);
    return text;
}

} // namespace boardfile
} // namespace ruva
