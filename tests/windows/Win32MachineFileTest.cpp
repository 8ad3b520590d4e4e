// The files the programs keep in the folder every user shares (the boards' lock files, the file that
// names the state the stand-in serves): which one is followed, and who may do what with them, under the
// system's own access check for a user who is no administrator.

#include "DevicePath.h"
#include "FileLock.h"
#include "Utf16.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <aclapi.h>

namespace ruva {
namespace {

using namespace std::chrono_literals;

// This process's token for impersonation, and with `ordinary`, with its Administrators group for denying
// only, as a user who is no administrator has it.
HANDLE Token(bool ordinary) {
    HANDLE process = nullptr, restricted = nullptr, token = nullptr;
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (::OpenProcessToken(::GetCurrentProcess(), TOKEN_ALL_ACCESS, &process) &&
        ::AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                   &administrators)) {
        SID_AND_ATTRIBUTES disabled{administrators, 0};
        if (!ordinary || ::CreateRestrictedToken(process, 0, 1, &disabled, 0, nullptr, 0, nullptr, &restricted))
            ::DuplicateToken(ordinary ? restricted : process, SecurityImpersonation, &token);
    }
    ::CloseHandle(restricted);
    ::CloseHandle(process);
    ::FreeSid(administrators);
    return token;
}

// Whether the system's access check grants `token` the rights `wanted` under `descriptor`.
bool Granted(HANDLE token, std::vector<unsigned char> descriptor, DWORD wanted) {
    GENERIC_MAPPING mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
    PRIVILEGE_SET privileges{};
    DWORD privilegesSize = sizeof privileges, granted = 0;
    BOOL status = FALSE;
    EXPECT_TRUE(::AccessCheck(descriptor.data(), token, wanted, &mapping, &privileges, &privilegesSize, &granted,
                              &status))
        << ::GetLastError();
    return status != FALSE;
}

// A file written by someone else into the shared folder, which every user may write (under Wine: its
// mode lets others write), held by an open handle with its lock, as a simulator holds the real one.
struct Planted {
    HANDLE File = INVALID_HANDLE_VALUE;
    explicit Planted(const std::string& path, const std::string& text) {
        File = ::CreateFileW(Widen(path).c_str(), GENERIC_READ | GENERIC_WRITE | WRITE_DAC,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS, 0,
                             nullptr);
        EXPLICIT_ACCESS_W everyone{};
        everyone.grfAccessPermissions = FILE_ALL_ACCESS;
        everyone.grfAccessMode = SET_ACCESS;
        everyone.Trustee.TrusteeForm = TRUSTEE_IS_NAME;
        everyone.Trustee.ptstrName = const_cast<wchar_t*>(L"EVERYONE");
        PACL open = nullptr;
        EXPECT_EQ(::SetEntriesInAclW(1, &everyone, nullptr, &open), ERROR_SUCCESS);
        EXPECT_EQ(::SetSecurityInfo(File, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, open, nullptr),
                  ERROR_SUCCESS);
        ::LocalFree(open);
        DWORD written = 0;
        OVERLAPPED at{};
        at.Offset = 0x7FFFFFFF;
        EXPECT_TRUE(::WriteFile(File, text.data(), static_cast<DWORD>(text.size()), &written, nullptr));
        EXPECT_TRUE(::LockFileEx(File, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at));
    }
    ~Planted() { ::CloseHandle(File); }
};

// The file that names the served state: a planted one that others may write is never followed, and the
// simulator replaces it with one that it alone may write, which is followed.
TEST(Win32MachineFileTest, ALockThatOthersMayWriteIsNotFollowedAndIsReplaced) {
    const std::filesystem::path folder = std::filesystem::path(::testing::TempDir()) / "machine-files";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string served = (folder / "ruva2-sim.lock").string();
    {
        Planted planted(served, "C:\\elsewhere\\x.json\n");
        EXPECT_EQ(ServedState(served), "");
    }
    FileLock simulator;
    ASSERT_EQ(simulator.Lock(served, 0ms, {.Access = FileLock::Machine::Administrators}), FileLock::Status::Locked)
        << simulator.Error();
    ASSERT_EQ(simulator.Store("C:\\boards\\state.json\n"), "");
    EXPECT_EQ(ServedState(served), "C:\\boards\\state.json");
}

// The security the machine's files are made with, under the system's own access check (Wine's under
// Wine, which keeps no file security on disk but checks access lists so): a user who is no administrator
// may read the served state's file but not change it; may lock and write a board's lock file but not
// change its security or remove it; may make files in the folder but not remove others'.
TEST(Win32MachineFileTest, OrdinaryUsersMayLockBoardsButChangeNoSecurity) {
    using Machine = FileLock::Machine;
    const HANDLE user = Token(true);
    const HANDLE administrator = Token(false);
    ASSERT_NE(user, nullptr);
    ASSERT_NE(administrator, nullptr);
    struct Case {
        Machine Access;
        bool Folder;
        DWORD Wanted;
        bool UserGranted;
    };
    const Case cases[] = {
        {Machine::Administrators, false, FILE_GENERIC_READ, true},
        {Machine::Administrators, false, FILE_WRITE_DATA, false},
        {Machine::Administrators, false, FILE_APPEND_DATA, false},
        {Machine::Administrators, false, WRITE_DAC, false},
        {Machine::Administrators, false, DELETE, false},
        {Machine::Shared, false, FILE_GENERIC_READ | FILE_GENERIC_WRITE, true},
        {Machine::Shared, false, WRITE_DAC, false},
        {Machine::Shared, false, WRITE_OWNER, false},
        {Machine::Shared, false, DELETE, false},
        {Machine::Shared, true, FILE_LIST_DIRECTORY | FILE_ADD_FILE | FILE_TRAVERSE, true},
        {Machine::Shared, true, FILE_DELETE_CHILD, false},
        {Machine::Shared, true, WRITE_DAC, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.Access) << " folder " << c.Folder << " wanted 0x"
                                        << std::hex << c.Wanted);
        const std::vector<unsigned char> descriptor = FileLock::MachineSecurityDescriptor(c.Access, c.Folder);
        ASSERT_FALSE(descriptor.empty());
        EXPECT_EQ(Granted(user, descriptor, c.Wanted), c.UserGranted);
        EXPECT_TRUE(Granted(administrator, descriptor, c.Wanted | WRITE_DAC | DELETE));
    }
    ::CloseHandle(user);
    ::CloseHandle(administrator);
}

} // namespace
} // namespace ruva
