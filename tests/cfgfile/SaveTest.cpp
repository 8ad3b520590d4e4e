#include "ConfigSave.h"

#include "CfgTestSupport.h"
#include "RecordingPrompts.h"
#include "Texts.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "AtomicFile.h"
#include "FileReplace.h"

#include <csignal>
#include <fcntl.h>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

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
using test::SaveToFile;
using test::ScriptedDriver;
using test::ShownMessage;
using test::TempDir;
using test::WriteFileBytes;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

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
    EXPECT_EQ(ReadFileBytes(path), GoldenBoardTwo());
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
    EXPECT_EQ(ReadFileBytes(dir / "real.cfg"), GoldenBoardTwo());
}

TEST(SaveTest, ATargetThatIsNotARegularFileIsWrittenInPlace) {
    TempDir dir;
    const std::string fifo = (dir / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string fromFifo;
    std::thread reader([&] { fromFifo = ReadFileBytes(fifo); });
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    // What /dev/stdout is when the output goes to a pipe (given to the program when it started).
    const std::string standardOutput = "/proc/self/fd/" + std::to_string(pipeEnds[1]);
    filereplace::NoteInheritedDescriptors();
    for (const std::string& path : {fifo, standardOutput, std::string("/dev/null")}) {
        ScriptedDriver board(BoardTwoParameters());
        RecordingPrompts prompts;
        EXPECT_EQ(SaveToFile(path, 2, DefaultConfig(), board.driver, prompts), SaveOutcome::Saved) << path;
        EXPECT_THAT(prompts.Messages, IsEmpty());
    }
    reader.join();
    ::close(pipeEnds[1]);
    std::string fromPipe;
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        fromPipe.append(buffer, static_cast<std::size_t>(n));
    ::close(pipeEnds[0]);
    EXPECT_EQ(fromFifo, GoldenBoardTwo());
    EXPECT_EQ(fromPipe, GoldenBoardTwo());
    struct stat st {};
    ASSERT_EQ(::stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    ASSERT_EQ(::stat("/dev/null", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
    EXPECT_THAT(dir.Entries(), ElementsAre("fifo"));
}

TEST(SaveTest, ANameOfOneOfTheProcesssDescriptorsIsWrittenThroughItAtItsPosition) {
    TempDir dir;
    WriteFileBytes(dir / "log.txt", "a\nb\n");
    const int log = ::open((dir / "log.txt").c_str(), O_WRONLY | O_APPEND | O_CLOEXEC); // as ">> log.txt"
    filereplace::NoteInheritedDescriptors();
    const std::string fd = std::to_string(log);
    std::filesystem::create_symlink("/dev/fd/" + fd, dir / "out.cfg");
    for (const std::string& path : {"/dev/fd/" + fd, "/proc/self/fd/" + fd, (dir / "out.cfg").string()}) {
        ScriptedDriver board(BoardTwoParameters());
        RecordingPrompts prompts;
        EXPECT_EQ(SaveToFile(path, 2, DefaultConfig(), board.driver, prompts), SaveOutcome::Saved) << path;
    }
    EXPECT_EQ(::write(log, "c\n", 2), 2); // still open, and still the same file
    EXPECT_EQ(ReadFileBytes(dir / "log.txt"), "a\nb\n" + GoldenBoardTwo() + GoldenBoardTwo() + GoldenBoardTwo() + "c\n");
    ::close(log);
    EXPECT_THAT(dir.Entries(), ElementsAre("log.txt", "out.cfg"));
}

TEST(SaveTest, AValueWithoutAWordOrAFolderNotWritableSavesNothing) {
    TempDir dir;
    const std::string existing = (dir / "existing.cfg").string();
    WriteFileBytes(existing, Precious);
    BoardConfig config = DefaultConfig();
    config.Image.Li[0].E1.TransmitLineCode = 7;
    for (const std::string& path : {existing, (dir / "new.cfg").string()}) {
        ScriptedDriver board(BoardTwoParameters());
        RecordingPrompts prompts;
        EXPECT_EQ(SaveToFile(path, 2, config, board.driver, prompts), SaveOutcome::ValueWithoutWord);
        EXPECT_THAT(prompts.Messages, ElementsAre(Stop("Internal Error: Unexpected value for Transmit Line Code (E1)"),
                                                  Stop("File '" + path + "' was not written: the configuration "
                                                       "holds a value that has no word. Data not saved.")));
    }
    EXPECT_EQ(ReadFileBytes(existing), Precious);
    EXPECT_THAT(dir.Entries(), ElementsAre("existing.cfg"));

    if (::geteuid() == 0)
        return; // root writes any folder
    ::chmod(dir.Path().c_str(), 0500);
    ScriptedDriver board(BoardTwoParameters());
    RecordingPrompts prompts;
    EXPECT_EQ(SaveToFile(existing, 2, DefaultConfig(), board.driver, prompts), SaveOutcome::CannotOpen);
    EXPECT_THAT(prompts.Messages,
                ElementsAre(Stop("Unable to save file '" + existing + "': its folder is not writable. Data not saved.")));
    EXPECT_EQ(ReadFileBytes(existing), Precious);
}

TEST(SaveTest, AnHdlcStartAddressThatNoFileLoadsSavesNothingAnyOtherIsSaved) {
    TempDir dir;
    const std::string path = (dir / "board.cfg").string();
    WriteFileBytes(path, Precious);
    BoardConfig config = DefaultConfig();
    RecordingPrompts prompts;
    for (const std::uint32_t address : {0x7FFCu, 0x8001u}) { // 0x8001 loads (as 0x8000): it is written
        config.General.HdlcStartAddress = address;
        ScriptedDriver board(BoardTwoParameters());
        const SaveOutcome outcome = SaveToFile(path, 2, config, board.driver, prompts);
        EXPECT_EQ(WriterRefused(outcome), address == 0x7FFC);
        EXPECT_EQ(ReadFileBytes(path) == Precious, address == 0x7FFC);
    }
    EXPECT_THAT(prompts.Messages, ElementsAre(Stop("File '" + path + "' was not written: the configuration holds "
                                                   "the HDLC start address 0x7FFC (HdlcStartAddress value must be "
                                                   ">= 0x8000). Data not saved.")));
}

TEST(SaveTest, ALinkThatLeadsNowhereIsRefusedAndLeftAlone) {
    TempDir dir;
    std::filesystem::create_symlink("missing.cfg", dir / "dangling.cfg");
    std::filesystem::create_symlink("loop-b.cfg", dir / "loop-a.cfg");
    std::filesystem::create_symlink("loop-a.cfg", dir / "loop-b.cfg");
    for (const char* name : {"dangling.cfg", "loop-a.cfg"}) {
        const std::string path = (dir / name).string();
        ScriptedDriver board(BoardTwoParameters());
        RecordingPrompts prompts;
        EXPECT_EQ(SaveToFile(path, 2, DefaultConfig(), board.driver, prompts), SaveOutcome::CannotOpen);
        EXPECT_THAT(prompts.Messages,
                    ElementsAre(Stop("Unable to open file '" + path + "'. Data not saved.")));
    }
    EXPECT_THAT(dir.Entries(), ElementsAre("dangling.cfg", "loop-a.cfg", "loop-b.cfg"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "dangling.cfg"));
    EXPECT_EQ(std::filesystem::read_symlink(dir / "loop-a.cfg"), "loop-b.cfg");
}

TEST(SaveTest, TheLongestFileNameIsSavedAndReplaced) {
    TempDir dir;
    const std::string name = std::string(251, 'n') + ".cfg"; // 255 bytes
    for (int round = 0; round < 2; ++round) {                // created, then replaced
        ScriptedDriver board(BoardTwoParameters());
        RecordingPrompts prompts;
        EXPECT_EQ(SaveToFile((dir / name).string(), 2, DefaultConfig(), board.driver, prompts),
                  SaveOutcome::Saved);
    }
    EXPECT_THAT(dir.Entries(), ElementsAre(name));
    EXPECT_EQ(ReadFileBytes(dir / name), GoldenBoardTwo());
    // Where a named temporary file is used, its name fits too.
    const std::string temporary = AtomicFile::TemporaryName((dir / name).string(), 4294967295ul, 99);
    EXPECT_EQ(std::filesystem::path(temporary).parent_path(), dir.Path());
    EXPECT_EQ(std::filesystem::path(temporary).filename().string().size(), 255u);
}

TEST(SaveTest, TheReplacementKeepsOwnerAndGroup) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give a file to another user";
    TempDir dir;
    const std::string path = (dir / "board.cfg").string();
    WriteFileBytes(path, Precious);
    ASSERT_EQ(::chown(path.c_str(), 4321, 4322), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ScriptedDriver board(BoardTwoParameters());
    RecordingPrompts prompts;
    ASSERT_EQ(SaveToFile(path, 2, DefaultConfig(), board.driver, prompts), SaveOutcome::Saved);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 4321u);
    EXPECT_EQ(st.st_gid, 4322u);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST(SaveTest, ASaveKilledAtAnyMomentLeavesTheOldOrTheNewFileAndNothingElse) {
    TempDir dir;
    const std::string path = (dir / "board.cfg").string();
    const std::string oldText(200'000, 'o');
    const std::string newText(300'000, 'n');
    WriteFileBytes(path, oldText);
    std::mt19937 random(12);
    for (int round = 0; round < 40; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (;;) {
                AtomicFile file;
                if (file.Open(path) || file.Commit(round % 2 ? newText : oldText))
                    std::_Exit(1);
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 20'000));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status));
        const std::string text = ReadFileBytes(path);
        EXPECT_TRUE(text == oldText || text == newText)
            << "round " << round << ": " << text.size() << " bytes";
    }
    // A kill in the instant between naming the new file and renaming it leaves that name; the next
    // save of the file removes it.
    AtomicFile last;
    ASSERT_FALSE(last.Open(path));
    ASSERT_FALSE(last.Commit(newText));
    EXPECT_THAT(dir.Entries(), ElementsAre("board.cfg"));
}

} // namespace
} // namespace ruva
