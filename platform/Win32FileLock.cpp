#include "FileLock.h"
#include "ForeignFile.h"

#include "Utf16.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <aclapi.h>

#include <vector>

namespace ruva {

namespace {

// The byte that is locked lies far beyond the content, so reading and writing the content never meet it.
OVERLAPPED LockedByte() {
    OVERLAPPED at{};
    at.Offset = 0x7FFFFFFF;
    return at;
}

// Well-known identities, laid out as the system's SID with room for two subauthorities.
struct WellKnownSid {
    BYTE Revision;
    BYTE SubAuthorityCount;
    BYTE Authority[6];
    DWORD SubAuthority[2];
};
WellKnownSid LocalSystem{1, 1, {0, 0, 0, 0, 0, 5}, {18, 0}};     // S-1-5-18
WellKnownSid Administrators{1, 2, {0, 0, 0, 0, 0, 5}, {32, 544}}; // S-1-5-32-544
WellKnownSid Users{1, 2, {0, 0, 0, 0, 0, 5}, {32, 545}};          // S-1-5-32-545

bool IsAdministration(PSID sid) {
    return ::EqualSid(sid, &Administrators) || ::EqualSid(sid, &LocalSystem);
}

// The security of a machine file, or of the folder it is made in: SYSTEM and Administrators have full
// control (in a folder, over what is made in it too); other users may create files in the folder, and
// read (Machine::Administrators) or also lock and write (Machine::Shared) the file. Nothing is taken
// over from the folders above: the common application data folder lets every user change what he made.
class MachineSecurity {
public:
    MachineSecurity(FileLock::Machine access, bool folder) {
        const DWORD inherit = folder ? OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE : 0;
        const DWORD users = folder ? FILE_GENERIC_READ | FILE_TRAVERSE | FILE_ADD_FILE
                            : access == FileLock::Machine::Shared ? FILE_GENERIC_READ | FILE_GENERIC_WRITE
                                                                  : FILE_GENERIC_READ;
        valid_ = ::InitializeAcl(&acl_.Head, sizeof acl_, ACL_REVISION) &&
                 ::AddAccessAllowedAceEx(&acl_.Head, ACL_REVISION, inherit, FILE_ALL_ACCESS, &LocalSystem) &&
                 ::AddAccessAllowedAceEx(&acl_.Head, ACL_REVISION, inherit, FILE_ALL_ACCESS, &Administrators) &&
                 ::AddAccessAllowedAce(&acl_.Head, ACL_REVISION, users, &Users) &&
                 ::InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) &&
                 ::SetSecurityDescriptorDacl(&descriptor_, TRUE, &acl_.Head, FALSE) &&
                 ::SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED) &&
                 (folder || access != FileLock::Machine::Administrators ||
                  ::SetSecurityDescriptorOwner(&descriptor_, &Administrators, FALSE));
        attributes_.nLength = sizeof attributes_;
        attributes_.lpSecurityDescriptor = &descriptor_;
    }
    MachineSecurity(const MachineSecurity&) = delete;
    MachineSecurity& operator=(const MachineSecurity&) = delete;

    // Null when the descriptor could not be made.
    SECURITY_ATTRIBUTES* Attributes() { return valid_ ? &attributes_ : nullptr; }

private:
    union {
        ACL Head;
        BYTE Bytes[256];
    } acl_{};
    SECURITY_DESCRIPTOR descriptor_{};
    SECURITY_ATTRIBUTES attributes_{};
    bool valid_ = false;
};

// The user this process runs as, in `buffer`; null when it cannot be told.
PSID ProcessUser(std::vector<BYTE>& buffer) {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        return nullptr;
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    buffer.resize(size);
    const bool ok = size > 0 && ::GetTokenInformation(token, TokenUser, buffer.data(), size, &size);
    ::CloseHandle(token);
    return ok ? reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid : nullptr;
}

// Whether no one but Administrators, SYSTEM and this process's user can have written the open file: one
// of them owns it, and its access list lets no one else write it, replace it or change its security. (A
// file that this process's user made is his own choice; a system that keeps no access lists, as Wine,
// shows every file as its user's.)
bool Trusted(HANDLE file) {
    std::vector<BYTE> userBuffer;
    const PSID user = ProcessUser(userBuffer);
    const auto trustee = [user](PSID sid) {
        return IsAdministration(sid) || (user != nullptr && ::EqualSid(sid, user));
    };
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                          nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    constexpr DWORD Changes = FILE_WRITE_DATA | FILE_APPEND_DATA | WRITE_DAC | WRITE_OWNER | DELETE | GENERIC_WRITE |
                              GENERIC_ALL | MAXIMUM_ALLOWED;
    bool trusted = owner != nullptr && ::IsValidSid(owner) && trustee(owner) && dacl != nullptr;
    for (DWORD i = 0; trusted && i < dacl->AceCount; ++i) {
        void* entry = nullptr;
        if (!::GetAce(dacl, i, &entry)) {
            trusted = false;
            break;
        }
        const auto* header = static_cast<const ACE_HEADER*>(entry);
        if ((header->AceFlags & INHERIT_ONLY_ACE) || header->AceType == ACCESS_DENIED_ACE_TYPE)
            continue;
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        trusted = header->AceType == ACCESS_ALLOWED_ACE_TYPE &&
                  (!(allowed->Mask & Changes) || trustee(&allowed->SidStart));
    }
    ::LocalFree(descriptor);
    return trusted;
}

HANDLE OpenFile(const std::wstring& path, const FileLock::Options& options) {
    const DWORD access = options.Create ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
    const bool machine = options.Access != FileLock::Machine::No;
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | (machine ? 0 : FILE_SHARE_DELETE);
    MachineSecurity security(options.Access, false);
    if (machine && security.Attributes() == nullptr)
        return INVALID_HANDLE_VALUE;
    return ::CreateFileW(path.c_str(), access, share, machine ? security.Attributes() : nullptr,
                         options.Create ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The text of the file at `path` while another process holds its lock; with `trusted`, only of a file
// that no one but the administrators and this process's user can have written.
std::string HeldTextOf(const std::string& path, bool trusted) {
    const HANDLE file = ::CreateFileW(Widen(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::string text;
    OVERLAPPED at = LockedByte();
    if (trusted && !Trusted(file)) {
        // another user's: not read
    } else if (::LockFileEx(file, LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
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
    const std::wstring wide = Widen(path_);
    HANDLE handle = OpenFile(wide, options);
    const bool machine = options.Access != Machine::No;
    if (handle == INVALID_HANDLE_VALUE && machine && ::GetLastError() == ERROR_PATH_NOT_FOUND) {
        // The folder is made at the first use.
        const std::size_t slash = wide.find_last_of(L"\\/");
        MachineSecurity folder(options.Access, true);
        if (slash != std::wstring::npos && folder.Attributes() != nullptr &&
            ::CreateDirectoryW(wide.substr(0, slash).c_str(), folder.Attributes()))
            handle = OpenFile(wide, options);
        else
            ::SetLastError(ERROR_PATH_NOT_FOUND);
    }
    if (handle != INVALID_HANDLE_VALUE && options.Access == Machine::Administrators && !Trusted(handle)) {
        // Another user could have written it (he made it, or an older version of the programs made it
        // open to all): what it says would not be followed, so it is replaced by one of the administrators.
        ::CloseHandle(handle);
        handle = ::DeleteFileW(wide.c_str()) ? OpenFile(wide, options) : INVALID_HANDLE_VALUE;
        if (handle == INVALID_HANDLE_VALUE)
            return fail(Failure::Foreign, "another user could have written it, and it cannot be replaced (" +
                                              SystemErrorText(::GetLastError()) + ")");
        if (!Trusted(handle)) {
            ::CloseHandle(handle);
            return fail(Failure::Foreign, "another user could have written it, and it cannot be made safe");
        }
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
    return HeldTextOf(path, false);
}

std::string FileLock::TrustedText(const std::string& path) {
    return HeldTextOf(path, true);
}

std::vector<unsigned char> FileLock::MachineSecurityDescriptor(Machine access, bool folder) {
    MachineSecurity security(access, folder);
    std::vector<unsigned char> bytes;
    SECURITY_ATTRIBUTES* attributes = security.Attributes();
    // Owned as the system's access check needs it to be: by Administrators, with that primary group.
    DWORD size = 0;
    if (attributes == nullptr || !::SetSecurityDescriptorOwner(attributes->lpSecurityDescriptor, &Administrators, FALSE) ||
        !::SetSecurityDescriptorGroup(attributes->lpSecurityDescriptor, &Administrators, FALSE))
        return bytes;
    ::MakeSelfRelativeSD(attributes->lpSecurityDescriptor, nullptr, &size);
    bytes.resize(size);
    if (size == 0 || !::MakeSelfRelativeSD(attributes->lpSecurityDescriptor, bytes.data(), &size))
        bytes.clear();
    return bytes;
}

} // namespace ruva
