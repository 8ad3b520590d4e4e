#include "Ruvacfg.h"

#include "CfgTestSupport.h"
#include "ConfigLoader.h"
#include "ConfigReport.h"
#include "ConsolePrompts.h"
#include "Fields.h"
#include "SimChannel.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <memory>
#include <sstream>

namespace ruva::tool {
namespace {

using test::DataPath;
using test::TempDir;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

struct Outcome {
    int Code;
    std::string Out;
    std::string Err;
};

Outcome Ruvacfg(std::vector<std::string> args) {
    std::ostringstream out, err;
    const int code = RunRuvacfg(args, out, err);
    return {code, out.str(), err.str()};
}

std::string Data(const std::string& name) {
    return DataPath("cfgfile/" + name).string();
}

TEST(RuvacfgTest, CheckIsSilentForACorrectFile) {
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"check", Data("golden/defaults-board2.cfg")},
                                               {"check", Data("golden/defaults-board2.cfg"), "--board", "2"},
                                               {"check", "--board=0", Data("golden/words-board0.cfg")}}) {
        const Outcome run = Ruvacfg(args);
        EXPECT_EQ(run.Code, 0) << run.Err;
        EXPECT_EQ(run.Out + run.Err, "");
    }
}

TEST(RuvacfgTest, FileProblemsAreOneLineAndExitOne) {
    const std::string bad = Data("malformed/sabits-range.cfg");
    const std::string board2 = Data("golden/defaults-board2.cfg");
    TempDir dir;
    const std::string missing = (dir / "missing.cfg").string();
    // A byte-order mark (as editors add it) is named; an error in line 1 without one is not.
    const std::string marked = (dir / "marked.cfg").string(), unmarked = (dir / "unmarked.cfg").string();
    test::WriteFileBytes(marked, "\xEF\xBB\xBF" + test::ReadFileBytes(board2));
    test::WriteFileBytes(unmarked, "\xEF\xBB" + test::ReadFileBytes(board2));
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"check", marked},
         marked + ":1: syntax error (the file starts with a UTF-8 byte-order mark, which a "
                  "configuration file must not have: save it without one)\n"},
        {{"check", unmarked}, unmarked + ":1: syntax error\n"},
        {{"check", bad}, bad + ":14: SaBits value must be in the range 0x00 - 0x1F\n"},
        {{"check", board2, "--board", "1"}, board2 + ": no settings for board 1\n"},
        {{"check", missing}, missing + ": cannot open: No such file or directory\n"},
        {{"show", bad, "--board", "0"}, bad + ":14: SaBits value must be in the range 0x00 - 0x1F\n"},
        {{"show", board2, "--board", "3", "--json"}, board2 + ": no settings for board 3\n"},
    };
    for (const auto& [args, expected] : cases) {
        const Outcome run = Ruvacfg(args);
        EXPECT_EQ(run.Code, 1) << expected;
        EXPECT_EQ(run.Err, expected);
        EXPECT_EQ(run.Out, "");
    }
}

TEST(RuvacfgTest, TheFileDashIsTheStandardInput) {
    const std::string file = Data("golden/words-board0.cfg");
    std::istringstream text(test::ReadFileBytes(file)), bad("BOARD 0 {\n  Frobnicate = 1\n}\n");
    std::ostringstream out, err, badOut, badErr;
    EXPECT_EQ(RunRuvacfg(std::vector<std::string>{"show", "-", "--board", "0"}, text, out, err), 0)
        << err.str();
    EXPECT_EQ(out.str(), Ruvacfg({"show", file, "--board", "0"}).Out);
    EXPECT_EQ(RunRuvacfg(std::vector<std::string>{"check", "-"}, bad, badOut, badErr), 1);
    EXPECT_THAT(badErr.str(), StartsWith("(standard input):2: "));
    // --file-name names the file in messages.
    bad.clear();
    bad.seekg(0);
    std::ostringstream namedOut, namedErr;
    EXPECT_EQ(RunRuvacfg(std::vector<std::string>{"check", "-", "--file-name", "site.cfg"}, bad, namedOut,
                         namedErr),
              1);
    EXPECT_THAT(namedErr.str(), StartsWith("site.cfg:2: "));
    EXPECT_THAT(Ruvacfg({"check", Data("malformed/sabits-range.cfg"), "--file-name", "x.cfg"}).Err,
                StartsWith("x.cfg:14: "));
}

TEST(RuvacfgTest, UsageErrorsExitTwo) {
    const std::string file = Data("golden/defaults-board2.cfg");
    for (const auto& args : std::vector<std::vector<std::string>>{{},
                                                                  {"frobnicate"},
                                                                  {"check"},
                                                                  {"check", file, "extra"},
                                                                  {"check", file, "--board", "x"},
                                                                  {"check", file, "--board", "4"},
                                                                  {"check", file, "--boards", "1"},
                                                                  {"show", file},
                                                                  {"show", file, "--board", "-1"}}) {
        const Outcome run = Ruvacfg(args);
        EXPECT_EQ(run.Code, 2) << ::testing::PrintToString(args);
        EXPECT_THAT(run.Err, StartsWith("ruvacfg: "));
        EXPECT_EQ(run.Out, "");
    }
}

TEST(RuvacfgTest, HelpForTheProgramAndEachCommand) {
    EXPECT_THAT(Ruvacfg({"--help"}).Out, HasSubstr("Usage: ruvacfg"));
    for (const std::string command : {"check", "show"}) {
        const Outcome run = Ruvacfg({command, "--help"});
        EXPECT_EQ(run.Code, 0);
        EXPECT_THAT(run.Out, HasSubstr("Usage: ruvacfg " + command));
        EXPECT_THAT(run.Out, HasSubstr("--board"));
    }
}

TEST(RuvacfgTest, ShowJsonIsOneObjectWithEveryField) {
    const std::string file = Data("golden/words-board0.cfg");
    const Outcome run = Ruvacfg({"show", file, "--board", "0", "--json"});
    ASSERT_EQ(run.Code, 0) << run.Err;
    const auto json = nlohmann::ordered_json::parse(run.Out);

    std::vector<std::string> keys;
    for (const auto& [key, value] : json.items())
        keys.push_back(key);
    EXPECT_THAT(keys, ElementsAre("board", "General", "Li", "Image"));
    EXPECT_EQ(json["board"], 0);
    EXPECT_EQ(json["General"].dump(),
              R"({"ClockSource":"EXTERNAL_2M","HdlcStartAddress":4294967292,"DefaultMode":["T1","E1"]})");
    ASSERT_EQ(json["Li"].size(), 2u);
    const auto& e1 = json["Li"][1]["E1"];
    ASSERT_EQ(e1.size(), E1Fields().size());
    std::size_t i = 0;
    for (const auto& [key, value] : e1.items())
        EXPECT_EQ(key, E1Fields()[i++].Key);
    EXPECT_EQ(e1["TransmitFrameFormat"], "CRC4_MULTI_FRAME_G706");
    EXPECT_EQ(e1["SiBits"], 2);
    EXPECT_EQ(json["Li"][0]["T1"]["LFASensitivity"], "WRONG_2_OUT_OF_5");
    EXPECT_EQ(json["Li"][1]["T1"]["ClearChannels"], 0xFFFFFF);
    EXPECT_EQ(json["Li"][0]["T1"].size(), T1Fields().size());

    BoardConfig loaded;
    ASSERT_EQ(LoadConfigFile(file, 0, loaded).Outcome, LoadOutcome::Loaded);
    std::string hex;
    for (std::uint8_t b : loaded.Image.toBytes()) {
        char two[3];
        std::snprintf(two, sizeof two, "%02x", b);
        hex += two;
    }
    EXPECT_EQ(json["Image"], hex);
    EXPECT_EQ(hex.size(), 268u);
}

TEST(RuvacfgTest, JsonGivesTheNumberOfACodeWithoutAWord) {
    BoardConfig config = test::DefaultConfig();
    config.Image.ClockSource = 9;
    config.Image.Li[0].T1.LFASensitivity = 1;
    const auto json = ConfigToJson(config, 1);
    EXPECT_EQ(json["General"]["ClockSource"], 9);
    EXPECT_EQ(json["Li"][0]["T1"]["LFASensitivity"], 1);
}

TEST(RuvacfgTest, ShowListingIsAligned) {
    const Outcome run = Ruvacfg({"show", Data("golden/defaults-board2.cfg"), "--board", "2"});
    ASSERT_EQ(run.Code, 0) << run.Err;
    EXPECT_THAT(run.Out, StartsWith("Board 2\n  ClockSource                 INTERNAL\n"));
    EXPECT_THAT(run.Out, HasSubstr("\n  SaBits                      0x1F                    0x1F\n"));
    EXPECT_THAT(run.Out, HasSubstr("\n  ClearChannels               0x000000                0x000000\n"));
    std::istringstream lines(run.Out);
    int rows = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("  ", 0) != 0)
            continue;
        ++rows;
        ASSERT_GT(line.size(), 30u) << line;
        EXPECT_EQ(line[29], ' ') << line;
        EXPECT_NE(line[30], ' ') << line;
        EXPECT_NE(line.back(), ' ') << line;
    }
    EXPECT_EQ(rows, 4 + 16 + 16); // General, the Li0/Li1 heading, DefaultMode, the E1 and T1 fields
}

TEST(RuvacfgTest, ConsolePromptsWriteOneLinePerMessage) {
    std::ostringstream err;
    ConsolePrompts prompts(err);
    prompts.ShowMessage("Error near line 3: syntax error\n (in Configuration File a.cfg)", MessageIcon::Stop);
    prompts.ShowMessage("first\nsecond\r\n", MessageIcon::Warning);
    prompts.ShowMessage("notice", MessageIcon::Information);
    prompts.ShowMessage("Could not open file x", MessageIcon::None);
    EXPECT_EQ(err.str(), "error: Error near line 3: syntax error (in Configuration File a.cfg)\n"
                         "warning: first second\n"
                         "note: notice\n"
                         "Could not open file x\n");
    EXPECT_FALSE(prompts.ChooseFileToOpen({}));
    EXPECT_FALSE(prompts.ChooseFileToSave({}));
}

// `board write 0` of the fresh board 0's file with `options`: its JSON (discarded without --json).
// `takings` counts how often the program took one of the boards.
nlohmann::json WriteBoard0(test::SimChannel& boards, const TempDir& dir, std::vector<std::string> options,
                           int* takings = nullptr) {
    options.insert(options.begin(), {"board", "write", "0", DataPath("tools/sim-board0.cfg").string()});
    std::istringstream in;
    std::ostringstream out, err;
    const auto device = [&] {
        return Device{std::make_unique<test::SimChannel>(boards), {.FilesPrefix = [&] {
                          if (takings != nullptr)
                              ++*takings;
                          return (dir / "ruva2").string();
                      }}};
    };
    EXPECT_EQ(RunRuvacfg(options, in, out, err, device), 0);
    return nlohmann::json::parse(out.str(), nullptr, false);
}

// Settings that the writer refuses (they would not load again) are null, with its reason; the write
// goes on.
TEST(BoardWriteTest, SettingsThatWouldNotLoadAgainAreNullWithTheReason) {
    TempDir dir;
    sim::SimState wordless = sim::FreshState(), lowHdlc = sim::FreshState();
    wordless.Boards[0].Image.Li[1].E1.TransmitLineCode = 7; // a value without a word
    lowHdlc.Boards[0].Info.HdlcStartAddress = 0x7000;
    for (const auto& [state, reason] : {std::pair{wordless, "Unexpected value for Transmit Line Code (E1)"},
                                        std::pair{lowHdlc, "HdlcStartAddress value must be >= 0x8000"}}) {
        test::SimChannel boards(state);
        const nlohmann::json report = WriteBoard0(boards, dir, {"--json"});
        EXPECT_EQ(report["Outcome"], "Written");
        EXPECT_EQ(report["Before"], nullptr);
        EXPECT_THAT(report["BeforeProblem"].dump(), HasSubstr(reason));
        EXPECT_EQ(report["After"], test::ReadFileBytes(DataPath("tools/sim-board0.cfg")));
        EXPECT_EQ(report["AfterProblem"], nullptr);
        EXPECT_EQ(boards.State().Boards[0].Image, sim::FreshBoard(0).Image);
    }
}

// The settings before and the save share one hold of the board: no other writer gets in between.
TEST(BoardWriteTest, TheSettingsBeforeAndTheSaveShareOneHoldOfTheBoard) {
    TempDir dir;
    for (const auto& options : {std::vector<std::string>{}, {"--json"}, {"--json", "--dry-run"}}) {
        test::SimChannel boards(sim::FreshState());
        int takings = 0;
        WriteBoard0(boards, dir, options, &takings);
        EXPECT_EQ(takings, 1) << ::testing::PrintToString(options);
    }
}

#ifndef _WIN32 // the Windows program has tests of its own
TEST(RuvacfgTest, TheProgramRuns) {
    const std::string command =
        std::string(RUVACFG_PATH) + " check " + Data("golden/defaults-board2.cfg") + " --board 1 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    const int status = ::pclose(pipe);
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_THAT(output, HasSubstr(": no settings for board 1\n"));
}
#endif

} // namespace
} // namespace ruva::tool
