// ruvacfg.exe as Windows runs it: its command line, file names and output.
#include "CfgTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace ruva {
namespace {

using test::DataPath;
using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;
using ::testing::HasSubstr;
using ::testing::StartsWith;

struct ProgramRun {
    DWORD Code = 0;
    std::string Out; // standard output and standard error, as bytes
};

std::wstring Quoted(const std::wstring& arg) {
    return L"\"" + arg + L"\"";
}

// Runs ruvacfg.exe with a command line of wide arguments and collects what it writes; with `output`, its
// standard output goes there instead, as with "> FILE".
ProgramRun Ruvacfg(const std::vector<std::wstring>& args, HANDLE output = nullptr) {
    std::wstring program = std::filesystem::path(RUVACFG_PATH).make_preferred().wstring();
    std::wstring line = Quoted(program);
    for (const std::wstring& arg : args)
        line += L" " + Quoted(arg);

    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    EXPECT_TRUE(::CreatePipe(&readEnd, &writeEnd, &inherit, 0));
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = output != nullptr ? output : writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process{};
    ProgramRun run;
    const BOOL started = ::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                          nullptr, &startup, &process);
    ::CloseHandle(writeEnd);
    EXPECT_TRUE(started) << "cannot start " << RUVACFG_PATH;
    if (started) {
        char buffer[4096];
        DWORD count = 0;
        while (::ReadFile(readEnd, buffer, sizeof buffer, &count, nullptr) && count > 0)
            run.Out.append(buffer, count);
        ::WaitForSingleObject(process.hProcess, INFINITE);
        ::GetExitCodeProcess(process.hProcess, &run.Code);
        ::CloseHandle(process.hProcess);
        ::CloseHandle(process.hThread);
    }
    ::CloseHandle(readEnd);
    return run;
}

std::wstring Data(const std::string& name) {
    return DataPath("cfgfile/" + name).make_preferred().wstring();
}

TEST(RuvacfgExeTest, WritesLinesEndingInCrLf) {
    const ProgramRun run = Ruvacfg({L"show", Data("golden/defaults-board2.cfg"), L"--board", L"2"});
    EXPECT_EQ(run.Code, 0u) << run.Out;
    ASSERT_THAT(run.Out, HasSubstr("\r\n"));
    for (std::size_t at = run.Out.find('\n'); at != std::string::npos; at = run.Out.find('\n', at + 1))
        ASSERT_EQ(run.Out[at - 1], '\r') << "a bare line feed at byte " << at;
}

TEST(RuvacfgExeTest, BoardReadGivesTheStandardOutputTheBytesOfTheFileOfOption_o) {
    TempDir dir;
    const std::filesystem::path saved = dir / "saved.cfg", redirected = dir / "redirected.cfg";
    std::vector<std::wstring> read = {L"--simulator", (dir / "state.json").wstring(), L"board", L"read", L"0",
                                      L"-o", saved.wstring()};
    ASSERT_EQ(Ruvacfg(read).Code, 0u);
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE file = ::CreateFileW(redirected.c_str(), GENERIC_WRITE, 0, &inherit, CREATE_ALWAYS, 0, nullptr);
    read.resize(5);
    EXPECT_EQ(Ruvacfg(read, file).Code, 0u); // board read 0 > redirected.cfg
    ::CloseHandle(file);
    EXPECT_EQ(ReadFileBytes(redirected), ReadFileBytes(saved));
    read.insert(read.end(), {L"-o", L"-"});
    EXPECT_EQ(Ruvacfg(read).Out, ReadFileBytes(saved));
}

TEST(RuvacfgExeTest, NamesBeginningWithASlashAreFiles) {
    for (const std::wstring name : {L"/x.cfg", L"/board", L"\\\\nowhere\\share\\x.cfg"}) {
        const ProgramRun run = Ruvacfg({L"check", name});
        EXPECT_EQ(run.Code, 1u) << run.Out;
        EXPECT_THAT(run.Out, HasSubstr(": cannot open: "));
    }
}

TEST(RuvacfgExeTest, FileNamesBeyondTheSystemCodePage) {
    TempDir dir;
    // "Zürich-Ωmega-東京.cfg", a copy of a file with an error on line 14.
    const std::filesystem::path file =
        dir.Path() / std::filesystem::path(L"Z\u00fcrich-\u03a9mega-\u6771\u4eac.cfg");
    WriteFileBytes(file, ReadFileBytes(DataPath("cfgfile/malformed/sabits-range.cfg")));
    const ProgramRun run = Ruvacfg({L"check", file.wstring()});
    EXPECT_EQ(run.Code, 1u);
    // The name comes back as it was given, in UTF-8.
    EXPECT_THAT(run.Out,
                HasSubstr("Z\xc3\xbcrich-\xce\xa9mega-\xe6\x9d\xb1\xe4\xba\xac.cfg:14: SaBits value"));
}

TEST(RuvacfgExeTest, AHardLinkIsNeverALockOrStateFile) {
    TempDir dir;
    const std::wstring state = (dir / "s.json").wstring(), file = (dir / "f.cfg").wstring();
    WriteFileBytes(dir / "victim.txt", "precious");
    std::filesystem::create_hard_link(dir / "victim.txt", dir / "s.json-board0.lock");
    // Without its own lock file, no transfer: neither a load nor a save.
    const ProgramRun read = Ruvacfg({L"--simulator", state, L"board", L"read", L"0", L"-o", file});
    EXPECT_EQ(read.Code, 1u);
    EXPECT_THAT(read.Out, HasSubstr("-board0.lock' cannot be used (it has more than one hard link)"));
    WriteFileBytes(file, ReadFileBytes(DataPath("cfgfile/valid-small.cfg")));
    EXPECT_THAT(Ruvacfg({L"--simulator", state, L"board", L"write", L"0", file}).Out,
                HasSubstr("-board0.lock' cannot be used (it has more than one hard link)"));
    EXPECT_EQ(ReadFileBytes(dir / "victim.txt"), "precious");
    std::filesystem::create_hard_link(dir / "s.json", dir / "other.json");
    EXPECT_THAT(Ruvacfg({L"--simulator", state, L"board", L"list"}).Out,
                HasSubstr("s.json is refused: it has more than one hard link"));
}

TEST(RuvacfgExeTest, WithoutTheDriverBoardCommandsSayError52) {
    const ProgramRun run = Ruvacfg({L"board", L"list"});
    EXPECT_EQ(run.Code, 1u);
    EXPECT_THAT(run.Out, HasSubstr("Error #52: Failed to open the Ruva-2 driver."));
}

} // namespace
} // namespace ruva
