#include "FileLock.h"
#include "ForeignFile.h"

#include "Utf16.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace ruva {

namespace {

// The byte that is locked lies far beyond the content, so reading and writing the content never meet it.
OVERLAPPED LockedByte() {
    OVERLAPPED at{};
    at.Offset = 0x7FFFFFFF;
    return at;
}

// For the machine's files: an empty access list (no restriction) for the folder and the file.
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

HANDLE OpenFile(const std::wstring& path, const FileLock::Options& options, OpenToEveryone& everyone) {
    const DWORD access = options.Create ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | (options.Everyone ? 0 : FILE_SHARE_DELETE);
    return ::CreateFileW(path.c_str(), access, share, options.Everyone ? &everyone.Attributes : nullptr,
                         options.Create ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

struct FileLock::Held {
    HANDLE File = INVALID_HANDLE_VALUE;
    bool Locked = false;
    ~Held() {
        OVERLAPPED at = LockedByte();
        if (Locked)
            ::UnlockFileEx(File, 0, 1, 0, &at);
        ::CloseHandle(File);
    }
};

FileLock::Status FileLock::TryLock(const Options& options) {
    const auto fail = [this](Failure failure, std::string error) {
        failure_ = failure;
        error_ = std::move(error);
        return Status::Unavailable;
    };
    OpenToEveryone everyone;
    const std::wstring wide = Widen(path_);
    HANDLE handle = OpenFile(wide, options, everyone);
    if (handle == INVALID_HANDLE_VALUE && options.Everyone && ::GetLastError() == ERROR_PATH_NOT_FOUND) {
        // The folder is made at the first use.
        const std::size_t slash = wide.find_last_of(L"\\/");
        if (slash != std::wstring::npos &&
            ::CreateDirectoryW(wide.substr(0, slash).c_str(), &everyone.Attributes))
            handle = OpenFile(wide, options, everyone);
        else
            ::SetLastError(ERROR_PATH_NOT_FOUND);
    }
    if (handle == INVALID_HANDLE_VALUE)
        return fail(Failure::Open, SystemErrorText(::GetLastError()));
    auto file = std::make_shared<Held>();
    file->File = handle;
    if (::GetFileType(handle) != FILE_TYPE_DISK)
        return fail(Failure::NotRegular, "not a regular file");
    // Never through a hard link to another file: what it holds, and clearing it, would be that file's.
    if (std::string foreign = ForeignFileReason(handle); !foreign.empty())
        return fail(Failure::Foreign, std::move(foreign));
    OVERLAPPED at = LockedByte();
    if (!::LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
        const DWORD code = ::GetLastError();
        if (code == ERROR_LOCK_VIOLATION || code == ERROR_IO_PENDING)
            return Status::Busy;
        return fail(Failure::Lock, SystemErrorText(code));
    }
    file->Locked = true;
    held_ = std::move(file);
    return Status::Locked;
}

bool FileLock::HasContent() const {
    LARGE_INTEGER size{};
    return !held_ || !::GetFileSizeEx(held_->File, &size) || size.QuadPart > 0;
}

std::string FileLock::Store(std::string_view text) {
    if (!held_)
        return SystemErrorText(ERROR_INVALID_HANDLE);
    DWORD written = 0;
    const auto size = static_cast<DWORD>(text.size());
    if (::SetFilePointer(held_->File, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
        (size > 0 && (!::WriteFile(held_->File, text.data(), size, &written, nullptr) || written != size)) ||
        !::SetEndOfFile(held_->File) || !::FlushFileBuffers(held_->File))
        return SystemErrorText(::GetLastError());
    return {};
}

std::string FileLock::HeldText(const std::string& path) {
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

} // namespace ruva
