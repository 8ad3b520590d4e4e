// ruvacfg board write --json in process, on simulated boards: the board's settings before and after.

#include "Ruvacfg.h"

#include "CfgTestSupport.h"
#include "SimChannel.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <memory>
#include <sstream>

namespace ruva::tool {
namespace {

using ::testing::HasSubstr;

// Boards that count how often a program looked for their board files, that is took a board.
struct CountingBoards : test::SimChannel {
    using SimChannel::SimChannel;
    std::shared_ptr<int> Takings = std::make_shared<int>(0);
    std::string BoardFilesPrefix() const override {
        ++*Takings;
        return FilesPrefix;
    }
};

struct WriteRun {
    int Code = -1;
    nlohmann::json Report;
};

WriteRun WriteBoard0(const CountingBoards& boards, std::vector<std::string> options) {
    std::vector<std::string> args{"board", "write", "0", test::DataPath("tools/sim-board0.cfg").string()};
    args.insert(args.end(), options.begin(), options.end());
    std::istringstream in;
    std::ostringstream out, err;
    WriteRun run;
    run.Code = RunRuvacfg(args, in, out, err, [&boards] { return std::make_unique<CountingBoards>(boards); });
    run.Report = nlohmann::json::parse(out.str(), nullptr, false);
    return run;
}

// Settings that the writer refuses (they would not load again) are no text but null, with its reason;
// the write goes on.
TEST(BoardWriteTest, SettingsThatWouldNotLoadAgainAreNullWithTheReason) {
    test::TempDir dir;
    sim::SimState state = sim::FreshState();
    state.Boards[0].Image.Li[1].E1.TransmitLineCode = 7; // a value without a word
    CountingBoards boards(state);
    boards.FilesPrefix = (dir / "ruva2").string();
    const WriteRun run = WriteBoard0(boards, {"--json"});
    EXPECT_EQ(run.Code, 0);
    EXPECT_EQ(run.Report["Outcome"], "Written");
    EXPECT_EQ(run.Report["Before"], nullptr);
    EXPECT_THAT(run.Report["BeforeProblem"].dump(),
                HasSubstr("Internal Error: Unexpected value for Transmit Line Code (E1)"));
    EXPECT_EQ(run.Report["After"], test::ReadFileBytes(test::DataPath("tools/sim-board0.cfg")));
    EXPECT_EQ(run.Report["AfterProblem"], nullptr);
    EXPECT_EQ(boards.State().Boards[0].Image, sim::FreshBoard(0).Image);
}

// The settings before and the save share one hold of the board: no other writer gets in between, and
// a busy board is waited for once.
TEST(BoardWriteTest, TheSettingsBeforeAndTheSaveShareOneHoldOfTheBoard) {
    test::TempDir dir;
    for (const std::vector<std::string>& options :
         {std::vector<std::string>{}, {"--json"}, {"--json", "--dry-run"}}) {
        CountingBoards boards(sim::FreshState());
        boards.FilesPrefix = (dir / "ruva2").string();
        EXPECT_EQ(WriteBoard0(boards, options).Code, 0);
        EXPECT_EQ(*boards.Takings, 1) << ::testing::PrintToString(options);
    }
}

} // namespace
} // namespace ruva::tool
