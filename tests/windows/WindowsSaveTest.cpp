// Saving a configuration file on Windows: replaced in one step, or left as it was.
#include "ConfigSave.h"

#include "CfgTestSupport.h"
#include "ConfigLoader.h"
#include "RecordingPrompts.h"
#include "Utf16.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#ifndef SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
#define SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE 0x2
#endif

namespace ruva {
namespace {

using test::BoardTwoParameters;
using test::DataPath;
using test::DefaultConfig;
using test::GoldenBoardTwo;
using test::Precious;
using test::ReadFileBytes;
using test::RecordingPrompts;
using test::SaveBoardTwo;
using test::ScriptedDriver;
using test::ShownMessage;
using test::TempDir;
using test::WriteFileBytes;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(WindowsSaveTest, NewAndExistingFilesAreWrittenWholeAndKeepTheirAttributes) {
    TempDir dir;
    const std::string fresh = (dir / "new.cfg").string();
    const std::string existing = (dir / "existing.cfg").string();
    WriteFileBytes(existing, Precious);
    ASSERT_TRUE(::SetFileAttributesA(existing.c_str(), FILE_ATTRIBUTE_HIDDEN));
    for (const std::string& path : {fresh, existing}) {
        RecordingPrompts prompts;
        EXPECT_EQ(SaveBoardTwo(path, prompts), SaveOutcome::Saved) << path;
        EXPECT_THAT(prompts.Messages, IsEmpty());
        EXPECT_EQ(ReadFileBytes(path), GoldenBoardTwo()) << path;
    }
    EXPECT_TRUE(::GetFileAttributesA(existing.c_str()) & FILE_ATTRIBUTE_HIDDEN); // kept by the replacement
    ::SetFileAttributesA(existing.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_THAT(dir.Entries(), ElementsAre("existing.cfg", "new.cfg")); // no temporary file left behind
}

TEST(WindowsSaveTest, NamesOutsideTheSystemCodePageAreSavedAndLoadedUnderThatName) {
    // The programs hand names over in UTF-8; this test program runs in the system's code page, which
    // holds none of these letters.
    TempDir dir;
    const std::filesystem::path file = dir.Path() / std::filesystem::path(L"Z\u00fcrich-\u03a9mega-\u6771\u4eac.cfg");
    const std::string name = Narrow(file.wstring());
    for (int save = 0; save < 2; ++save) { // new, then replaced
        RecordingPrompts prompts;
        EXPECT_EQ(SaveBoardTwo(name, prompts), SaveOutcome::Saved);
        EXPECT_THAT(prompts.Messages, IsEmpty());
        EXPECT_EQ(ReadFileBytes(file), GoldenBoardTwo());
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
    ParsedConfigFile parsed;
    EXPECT_EQ(ReadConfigFile(name, parsed).Outcome, LoadOutcome::Loaded);
    EXPECT_TRUE(parsed.Boards[2].Present);
}

TEST(WindowsSaveTest, ReadOnlyAndLockedFilesStayAsTheyWere) {
    TempDir dir;
    const std::string readOnly = (dir / "read-only.cfg").string();
    const std::string locked = (dir / "locked.cfg").string();
    WriteFileBytes(readOnly, Precious);
    WriteFileBytes(locked, Precious);
    ASSERT_TRUE(::SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    {
        RecordingPrompts prompts;
        EXPECT_EQ(SaveBoardTwo(readOnly, prompts), SaveOutcome::CannotOpen);
        EXPECT_THAT(prompts.Messages,
                    ElementsAre(ShownMessage{"Unable to open file '" + readOnly + "'. Data not saved.",
                                             MessageIcon::Stop}));
    }
    {
        // Another program holds the file open without sharing it.
        const HANDLE holder =
            ::CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(holder, INVALID_HANDLE_VALUE);
        RecordingPrompts prompts;
        EXPECT_EQ(SaveBoardTwo(locked, prompts), SaveOutcome::WriteError);
        EXPECT_THAT(prompts.Messages,
                    ElementsAre(ShownMessage{"Unable to write file '" + locked + "'. Data not saved.",
                                             MessageIcon::Stop}));
        ::CloseHandle(holder);
    }
    ::SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadFileBytes(readOnly), Precious);
    EXPECT_EQ(ReadFileBytes(locked), Precious);
    EXPECT_THAT(dir.Entries(), ElementsAre("locked.cfg", "read-only.cfg"));
}

TEST(WindowsSaveTest, SavingThroughALinkReplacesTheFileItPointsTo) {
    TempDir dir;
    const std::string real = (dir / "real.cfg").string();
    const std::string link = (dir / "link.cfg").string();
    WriteFileBytes(real, Precious);
    // Symbolic links came with Vista, after the headers' version: looked up, and made without privilege (2).
    using CreateLink = BOOLEAN(WINAPI*)(LPCSTR, LPCSTR, DWORD);
    const auto create = reinterpret_cast<CreateLink>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "CreateSymbolicLinkA")));
    if (create == nullptr || !create(link.c_str(), "real.cfg", 2))
        GTEST_SKIP() << "symbolic links cannot be made here (error " << ::GetLastError() << ")";
    const DWORD attributes = ::GetFileAttributesA(link.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
        ReadFileBytes(link) != Precious)
        GTEST_SKIP() << "the link made here does not lead to its file (Wine)";
    RecordingPrompts prompts;
    ASSERT_EQ(SaveBoardTwo(link, prompts), SaveOutcome::Saved);
    EXPECT_EQ(ReadFileBytes(real), GoldenBoardTwo());
    EXPECT_THAT(dir.Entries(), ElementsAre("link.cfg", "real.cfg"));
    WriteFileBytes(real, Precious); // the link still points to the file
    EXPECT_EQ(ReadFileBytes(link), Precious);
}

} // namespace
} // namespace ruva
