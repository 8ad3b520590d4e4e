#include "ConfigSave.h"

#include "CfgTestSupport.h"
#include "RecordingPrompts.h"
#include "Texts.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace ruva {
namespace {

using test::DataPath;
using test::DefaultConfig;
using test::ReadFileBytes;
using test::RecordingPrompts;
using test::ScriptedDriver;
using test::ShownMessage;
using test::TempDir;
using test::WriteFileBytes;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

DriverParameters BoardTwoParameters() {
    DriverParameters p;
    p.IoBaseAddress = 0x300;
    p.NumberOfBoards = 3;
    p.HostMemoryWindowOffset[2] = 0xE0000;
    p.HostMemoryWindowSize[2] = 0x8000;
    p.HostIoWindowOffset[2] = 0x360;
    p.HostIoWindowSize[2] = 0x10;
    return p;
}

const std::string Precious = "precious bytes\r\n";

ShownMessage Stop(std::string text) {
    return {std::move(text), MessageIcon::Stop};
}

TEST(SaveTest, WritesTheWholeTextAndReplacesAnExistingFile) {
    TempDir dir;
    const std::string path = (dir / "board.cfg").string();
    WriteFileBytes(path, Precious);
    ::chmod(path.c_str(), 0640);

    ScriptedDriver board(BoardTwoParameters());
    RecordingPrompts prompts;
    EXPECT_EQ(SaveToFile(path, 2, DefaultConfig(), board.driver, prompts), SaveOutcome::Saved);
    EXPECT_EQ(ReadFileBytes(path), ReadFileBytes(DataPath("cfgfile/golden/defaults-board2.cfg")));
    EXPECT_THAT(prompts.Messages, IsEmpty());
    EXPECT_THAT(dir.Entries(), ElementsAre("board.cfg")); // no temporary file left behind
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u); // the replacement keeps the file's permissions
}

TEST(SaveTest, ADriverFailureLeavesTheFileAsItWasAndCreatesNone) {
    TempDir dir;
    const std::string existing = (dir / "existing.cfg").string();
    WriteFileBytes(existing, Precious);
    for (const std::string& path : {existing, (dir / "new.cfg").string()}) {
        test::ScriptedChannel channel; // never opened: every request answers 52
        Driver driver(channel);
        RecordingPrompts prompts;
        EXPECT_EQ(SaveToFile(path, 0, DefaultConfig(), driver, prompts), SaveOutcome::DriverError);
        EXPECT_THAT(prompts.Messages,
                    ElementsAre(Stop("Error #52: " + std::string(texts::DriverNotInstalled))));
    }
    EXPECT_EQ(ReadFileBytes(existing), Precious);
    EXPECT_THAT(dir.Entries(), ElementsAre("existing.cfg"));
}

TEST(SaveTest, AFileThatCannotBeOpenedIsReportedBeforeTheDriverIsAsked) {
    TempDir dir;
    std::filesystem::create_directory(dir / "folder");
    for (const std::string& path : {(dir / "no-such-folder" / "x.cfg").string(), (dir / "folder").string()}) {
        ScriptedDriver board(BoardTwoParameters());
        RecordingPrompts prompts;
        EXPECT_EQ(SaveToFile(path, 0, DefaultConfig(), board.driver, prompts), SaveOutcome::CannotOpen);
        EXPECT_THAT(prompts.Messages,
                    ElementsAre(Stop("Unable to open file '" + path + "'. Data not saved.")));
        EXPECT_THAT(board.channel.RequestsWith(Request::GetDriverParameters), IsEmpty());
    }
    EXPECT_THAT(dir.Entries(), ElementsAre("folder"));
    EXPECT_TRUE(std::filesystem::is_empty(dir / "folder"));
}

// A disk that fills up: the file size limit makes the write fail part way.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit previous_{};
    void (*previousHandler_)(int);
};

TEST(SaveTest, AWriteErrorIsReportedAndTheExistingFileSurvives) {
    TempDir dir;
    const std::string path = (dir / "board.cfg").string();
    WriteFileBytes(path, Precious);
    ScriptedDriver board(BoardTwoParameters());
    RecordingPrompts prompts;
    SaveOutcome outcome;
    {
        FileSizeLimit limit(1000);
        outcome = SaveToFile(path, 2, DefaultConfig(), board.driver, prompts);
    }
    EXPECT_EQ(outcome, SaveOutcome::WriteError);
    EXPECT_THAT(prompts.Messages, ElementsAre(Stop("Unable to write file '" + path + "'. Data not saved.")));
    EXPECT_EQ(ReadFileBytes(path), Precious);
    EXPECT_THAT(dir.Entries(), ElementsAre("board.cfg"));
}

TEST(SaveTest, SavingThroughALinkReplacesTheFileItPointsTo) {
    TempDir dir;
    WriteFileBytes(dir / "real.cfg", Precious);
    std::filesystem::create_symlink("real.cfg", dir / "link.cfg");
    ScriptedDriver board(BoardTwoParameters());
    RecordingPrompts prompts;
    ASSERT_EQ(SaveToFile((dir / "link.cfg").string(), 2, DefaultConfig(), board.driver, prompts),
              SaveOutcome::Saved);
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.cfg"));
    EXPECT_EQ(ReadFileBytes(dir / "real.cfg"), ReadFileBytes(DataPath("cfgfile/golden/defaults-board2.cfg")));
}

} // namespace
} // namespace ruva
