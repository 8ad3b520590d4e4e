// ruvacfg board ... end to end: the real program as a child process against a private ruva2-sim.

#include "Ruvacfg.h"

#include "AuditTrail.h"

#include "CfgTestSupport.h"
#include "DelayingProxy.h"
#include "SimProcess.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <array>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <optional>
#include <poll.h>
#include <random>
#include <regex>
#include <spawn.h>
#include <sstream>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace ruva::tool {
namespace {

using test::DataPath;
using test::ReadFileBytes;
using test::SimProcess;
using test::TempDir;
using test::WriteFileBytes;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

struct ToolRun {
    int Code = -1;
    std::string Out;
    std::string Err;
};

const std::string NoDriver = "error: Error #52: Failed to open the Ruva-2 driver. The driver is not properly "
                             "installed. Board configuration options are disabled.\n";
const std::string Written = "note: The Configuration Data was successfully written to the board.\n";
const std::string Unchanged = "note: The Configuration Data remains the same. Action ignored.\n";

// The fresh simulator's board 0 as a configuration file for `board`, with the first line of each key
// given a new value.
std::string FreshBoard0File(int board, const std::vector<std::pair<std::string, std::string>>& values = {}) {
    std::string text = ReadFileBytes(DataPath("tools/sim-board0.cfg"));
    text = std::regex_replace(text, std::regex("BOARD 0"), "BOARD " + std::to_string(board));
    for (const auto& [key, value] : values) {
        std::smatch line;
        EXPECT_TRUE(std::regex_search(text, line, std::regex(" " + key + " += (\\w+)"))) << key;
        if (!line.empty())
            text.replace(static_cast<std::size_t>(line.position(1)), static_cast<std::size_t>(line.length(1)),
                         value);
    }
    return text;
}

class BoardCommandsTest : public ::testing::Test {
protected:
    // A simulator on this state (a fresh one when empty); XDG_RUNTIME_DIR points at it from now on.
    void Start(const std::string& stateJson = {}) {
        sim.emplace(SimProcess::Options{.StateJson = stateJson});
        ASSERT_TRUE(sim->Start()) << sim->LogText();
    }

    // How the next programs start: the program (ruvacfg), with what goes before its arguments, and what
    // is done to its descriptors once the standard ones are set: Closed, Input; how long they may run
    // before they are killed (the test's own bound on a program that would hang; none when 0).
    using Actions = std::function<void(posix_spawn_file_actions_t&)>;
    struct Launch {
        std::vector<std::string> Program{RUVACFG_PATH};
        Actions Descriptors;
        std::chrono::seconds Limit{0};
    } launch;
    static Actions Closed(int fd) {
        return [fd](auto& actions) { posix_spawn_file_actions_addclose(&actions, fd); };
    }
    static Actions Input(const std::filesystem::path& file, int flags) {
        return [=](auto& a) { posix_spawn_file_actions_addopen(&a, 0, file.c_str(), flags, 0600); };
    }

    // Starts the program with its standard output and error going to these files.
    pid_t Spawn(const std::vector<std::string>& args, const std::string& out, const std::string& err,
                bool append = false) {
        std::vector<char*> argv;
        for (const std::string& a : launch.Program)
            argv.push_back(const_cast<char*>(a.c_str()));
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(),
                                         O_WRONLY | O_CREAT | (append ? O_APPEND : O_TRUNC), 0600);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        if (launch.Descriptors)
            launch.Descriptors(actions);
        pid_t pid = -1;
        ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        return pid;
    }

    int ExitCode(pid_t pid) const {
        int status = 0;
        const auto deadline = std::chrono::steady_clock::now() + launch.Limit;
        while (::waitpid(pid, &status, launch.Limit.count() > 0 ? WNOHANG : 0) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                ADD_FAILURE() << "still running after " << launch.Limit.count() << " s: killed";
                ::kill(pid, SIGKILL);
                ::waitpid(pid, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    // Runs the ruvacfg program with these arguments to its end; its standard output goes to `output`
    // when one is given.
    ToolRun Ruvacfg(const std::vector<std::string>& args, const std::string& output = {}, bool append = false) {
        const std::string out = output.empty() ? (files / "stdout").string() : output;
        const std::string err = (files / "stderr").string();
        ToolRun run;
        run.Code = ExitCode(Spawn(args, out, err, append));
        if (output.empty())
            run.Out = ReadFileBytes(out);
        run.Err = ReadFileBytes(err);
        return run;
    }

    std::string File(const std::string& name, const std::string& text) {
        WriteFileBytes(files / name, text);
        return (files / name).string();
    }

    // The requests that changed a board (writes and clock selections) in the simulator's log so far.
    std::vector<std::string> BoardChanges() const {
        std::vector<std::string> changes;
        const std::string log = sim->LogText();
        const std::regex change(R"((Write\w+|SetClock\w+) board \d)");
        for (auto it = std::sregex_iterator(log.begin(), log.end(), change); it != std::sregex_iterator();
             ++it)
            changes.push_back(it->str());
        return changes;
    }

    nlohmann::json Board(int board) const { return sim->State()["Boards"][board]; }

    TempDir files;
    std::optional<SimProcess> sim;
};

TEST_F(BoardCommandsTest, ReadOfAFreshBoardIsTheWritersText) {
    Start();
    const std::string expected = ReadFileBytes(DataPath("tools/sim-board0.cfg"));
    const ToolRun run = Ruvacfg({"board", "read", "0"});
    EXPECT_EQ(run.Code, 0);
    EXPECT_EQ(run.Err, "");
    EXPECT_EQ(run.Out, expected);
    EXPECT_EQ(std::count(run.Out.begin(), run.Out.end(), '\n'), 108);

    const ToolRun toFile = Ruvacfg({"board", "read", "0", "-o", (files / "board0.cfg").string()});
    EXPECT_EQ(toFile.Code, 0);
    EXPECT_EQ(toFile.Out + toFile.Err, "");
    EXPECT_EQ(ReadFileBytes(files / "board0.cfg"), expected);
    EXPECT_TRUE(BoardChanges().empty());

    if (std::filesystem::exists("/dev/full")) {
        const ToolRun full = Ruvacfg({"board", "read", "0"}, "/dev/full");
        EXPECT_EQ(full.Code, 1);
        EXPECT_EQ(full.Err, "ruvacfg: the standard output could not be written\n");
    }
}

TEST_F(BoardCommandsTest, WriteThenDiffThenASecondWriteThatChangesNothing) {
    Start();
    const std::string file = File(
        "board1.cfg",
        FreshBoard0File(1, {{"ClockSource", "LI1"}, {"HdlcStartAddress", "0x8800"}, {"FrameFormat", "F72"}}));
    const ToolRun write = Ruvacfg({"board", "write", "1", file});
    EXPECT_EQ(write.Code, 0);
    EXPECT_EQ(write.Err, Written);
    EXPECT_EQ(write.Out, "");
    EXPECT_EQ(Board(1)["Clock"], "LI1");
    EXPECT_EQ(Board(1)["Image"]["Li0"]["T1"]["FrameFormat"], "F72");
    EXPECT_EQ(Board(1)["BoardInfo"]["HdlcStartAddress"], "0x8800");
    EXPECT_EQ(Board(1)["Image"]["SerialNumber"], "0x2345");

    const ToolRun diff = Ruvacfg({"board", "diff", "1", file});
    EXPECT_EQ(diff.Code, 0);
    EXPECT_EQ(diff.Out + diff.Err, "");

    const std::string state = sim->StateText();
    const std::size_t changes = BoardChanges().size();
    const ToolRun again = Ruvacfg({"board", "write", "1", file});
    EXPECT_EQ(again.Code, 0);
    EXPECT_EQ(again.Err, Unchanged);
    EXPECT_EQ(sim->StateText(), state);
    EXPECT_EQ(BoardChanges().size(), changes);
}

TEST_F(BoardCommandsTest, RefusedClockSwitchFailsAndTheNextWriteSwitches) {
    Start(R"({"Boards": [{"Faults": {"SetClockLi1": {"Status": 7, "Count": 1}}}, {}],
              "ErrorTexts": {"7": "Board busy"}})");
    const std::string file = File("li1.cfg", FreshBoard0File(0, {{"ClockSource", "LI1"}}));
    const ToolRun refused = Ruvacfg({"board", "write", "0", file});
    EXPECT_EQ(refused.Code, 1);
    EXPECT_EQ(refused.Err, "error: Error #7: Board busy\n");
    EXPECT_EQ(Board(0)["Clock"], "INTERNAL");
    EXPECT_EQ(Board(0)["Image"]["ClockSource"], "INTERNAL");
    // The clock is selected back, in case the board carried the selection out.
    EXPECT_EQ(BoardChanges(), (std::vector<std::string>{"SetClockLi1 board 0", "SetClockInternal board 0"}));

    const ToolRun again = Ruvacfg({"board", "write", "0", file});
    EXPECT_EQ(again.Code, 0);
    EXPECT_EQ(again.Err, Written);
    EXPECT_EQ(Board(0)["Clock"], "LI1");
    EXPECT_EQ(Board(0)["Image"]["ClockSource"], "LI1");
}

TEST_F(BoardCommandsTest, ReadFromOneBoardThenWriteToAnotherRoundTrips) {
    Start(R"({"Boards": [{"Image": {"ClockSource": "EXTERNAL_2M", "Li0": {"DefaultMode": "T1",
                                     "E1": {"SaBits": "0x5", "LineLength": 65535}},
                                     "Li1": {"T1": {"SignalingMode": "CAS_BR", "ClearChannels": "0xFFFFFF"}}},
                           "BoardInfo": {"HdlcStartAddress": "0xFFFC"}}, {}]})");
    const std::string file = (files / "board0.cfg").string();
    ASSERT_EQ(Ruvacfg({"board", "read", "0", "-o", file}).Code, 0);

    const ToolRun write = Ruvacfg({"board", "write", "1", file, "--section", "0"});
    EXPECT_EQ(write.Code, 0);
    EXPECT_EQ(write.Err, Written);
    nlohmann::json expected = Board(0)["Image"];
    expected["SerialNumber"] = "0x2345";
    EXPECT_EQ(Board(1)["Image"], expected);
    EXPECT_EQ(Board(1)["BoardInfo"]["HdlcStartAddress"], "0xFFFC");
    EXPECT_EQ(Board(1)["Clock"], "EXTERNAL_2M");
    EXPECT_EQ(Ruvacfg({"board", "diff", "1", file, "--section", "0"}).Code, 0);
}

TEST_F(BoardCommandsTest, DiffNamesEachDifferingSettingWithBothValues) {
    Start(R"({"Boards": [{}, {"Image": {"Li1": {"E1": {"TransmitLineCode": 7}}}}]})");
    const std::string file = File("edited.cfg", FreshBoard0File(1, {{"ClockSource", "MVIP_SEC_CLK"},
                                                                    {"HdlcStartAddress", "0x9000"},
                                                                    {"DefaultMode", "T1"},
                                                                    {"TransmitLineCode", "AMI"},
                                                                    {"ClearChannels", "0x000012"}}));
    const ToolRun diff = Ruvacfg({"board", "diff", "1", file});
    EXPECT_EQ(diff.Code, 1);
    EXPECT_EQ(diff.Err, "");
    EXPECT_EQ(diff.Out, "ClockSource: file MVIP_SEC_CLK, board INTERNAL\n"
                        "Li0.DefaultMode: file T1, board E1\n"
                        "Li0.E1.TransmitLineCode: file AMI, board HDB3\n"
                        "Li0.T1.ClearChannels: file 0x000012, board 0x000000\n"
                        "Li1.E1.TransmitLineCode: file HDB3, board 7\n");
}

TEST_F(BoardCommandsTest, DryRunListsTheWritesInOrderAndSendsNone) {
    Start(R"({"Boards": [{}, {"SerialRecord": {"RestoreCount": 2, "SerialNumber": 0},
                              "Image": {"SerialNumber": "0x2345", "ClockSource": "LI0"}}]})");
    const std::string state = sim->StateText();
    const std::string file =
        File("board1.cfg", FreshBoard0File(1, {{"ClockSource", "LI1"}, {"HdlcStartAddress", "0x8004"}}));
    const ToolRun run = Ruvacfg({"board", "write", "1", file, "--dry-run"});
    EXPECT_EQ(run.Code, 0);
    EXPECT_EQ(run.Err, "note: The board had a corrupt Serial Number scheme. The Serial Number and the Clock "
                       "Source will be restored.\n");
    EXPECT_EQ(run.Out, "would write: serial record: restore count 3, serial number 9803069\n"
                       "would write: clock selection: LI0\n"
                       "would write: board information: HdlcStartAddress 0x8004\n"
                       "would write: clock selection: LI1\n"
                       "would write: configuration data: 134 bytes, version 9\n");
    EXPECT_EQ(sim->StateText(), state);
    EXPECT_TRUE(BoardChanges().empty());

    const ToolRun same = Ruvacfg({"board", "write", "0", File("same.cfg", FreshBoard0File(0)), "--dry-run"});
    EXPECT_EQ(same.Code, 0);
    EXPECT_EQ(same.Out + same.Err, "nothing would be written\n");
}

TEST_F(BoardCommandsTest, WriteAndDiffReportInJsonWhatChangedAndWhatFailed) {
    Start(R"({"ErrorTexts": {"7": "Board busy"}})");
    const std::string file = File("board1.cfg", FreshBoard0File(1, {{"ClockSource", "LI1"}}));
    const std::string state = sim->StateText();
    const auto json = [this](const std::vector<std::string>& args, int code) {
        const ToolRun run = Ruvacfg(args);
        EXPECT_EQ(run.Code, code) << run.Err;
        return nlohmann::json::parse(run.Out);
    };

    const auto dry = json({"board", "write", "1", file, "--dry-run", "--json"}, 0);
    EXPECT_EQ(sim->StateText(), state);
    EXPECT_EQ(dry["Outcome"], "WouldWrite");
    EXPECT_EQ(dry["Changed"], true);
    const nlohmann::json planned = {"HdlcStartAddress: 0x9000 → 0x8000", "ClockSource: INTERNAL → LI1"};
    EXPECT_EQ(dry["OnBoard"], planned); // would be
    EXPECT_EQ(dry["TimedOut"], false);
    std::vector<std::string> requests;
    for (const auto& w : dry["Writes"])
        requests.push_back(w["Request"]);
    EXPECT_EQ(requests, (std::vector<std::string>{"WriteBoardInfo", "SetClockSource", "WriteStoredConfig"}));
    const std::string before = dry["Before"], after = dry["After"];
    EXPECT_THAT(before, HasSubstr("ClockSource                = INTERNAL\r\n"));
    EXPECT_THAT(after, HasSubstr("ClockSource                = LI1\r\n"));

    const auto diff = json({"board", "diff", "1", file, "--json"}, 1);
    EXPECT_EQ(diff["Equal"], false);
    EXPECT_EQ(diff["Differences"][0],
              nlohmann::json({{"Name", "ClockSource"}, {"File", "LI1"}, {"Board", "INTERNAL"}}));

    const auto written = json({"board", "write", "1", file, "--json"}, 0);
    EXPECT_EQ(written["Outcome"], "Written");
    EXPECT_EQ(written["Before"], before);
    EXPECT_EQ(written["After"], after);
    EXPECT_EQ(written["OnBoard"], planned);
    EXPECT_EQ(written["NotOnBoard"], nlohmann::json::array());
    EXPECT_EQ(written["Messages"][0]["Kind"], "note");
    EXPECT_EQ(written["Messages"][0]["Id"], "saved_to_board"); // which message, whatever its wording
    EXPECT_EQ(written["audit"][0]["Simulated"], true);         // a simulator serves the socket's boards
    const auto again = json({"board", "write", "1", file, "--json"}, 0);
    EXPECT_EQ(again["Outcome"], "Unchanged");
    EXPECT_EQ(again["Messages"][0]["Id"], "save_unchanged");
    EXPECT_EQ(again["Changed"], false);
    EXPECT_EQ(again["OnBoard"], nlohmann::json::array());
    EXPECT_EQ(again["Before"], after);
    EXPECT_EQ(json({"board", "diff", "1", file, "--json"}, 0)["Differences"], nlohmann::json::array());

    // Failures still print the object, with the message and the driver's result.
    sim->Stop();
    sim->WriteState(R"({"Boards": [{"Faults": {"SetClockLi1": {"Status": 7}}}, {"Faults": {"AttachBoard":
                        {"Status": 63}}}], "ErrorTexts": {"7": "Board busy"}})");
    ASSERT_TRUE(sim->Start());
    const auto refused = json(
        {"board", "write", "0", File("li1.cfg", FreshBoard0File(0, {{"ClockSource", "LI1"}})), "--json"}, 1);
    EXPECT_EQ(refused["Outcome"], "DriverError");
    EXPECT_EQ(refused["Failed"], true);
    EXPECT_EQ(refused["Error"], "Error #7: Board busy");
    EXPECT_EQ(refused["DriverResult"], 7);
    EXPECT_EQ(refused["Writes"].back()["Request"], "SetClockSource");
    // The clock was set back: the board holds what it held, as read back.
    EXPECT_EQ(refused["Changed"], false);
    EXPECT_EQ(refused["NotOnBoard"], nlohmann::json::array({"ClockSource: INTERNAL → LI1"}));
    EXPECT_EQ(refused["After"], refused["Before"]);
    EXPECT_EQ(refused["audit"][1]["Kind"], "rolled back");
    const auto unattached = json({"board", "diff", "1", file, "--json"}, 2);
    EXPECT_EQ(unattached["Equal"], nullptr);
    EXPECT_EQ(unattached["DriverResult"], 63);
    EXPECT_EQ(json({"board", "write", "0", file, "--json"}, 1)["Outcome"], "FileFailed");

    // An image write refused after the HDLC start address was written: the read-back decides, the
    // driver's error is named all the same, and the result says what the board holds.
    sim->Stop();
    sim->WriteState(R"({"Boards": [{}, {"Faults": {"WriteStoredConfig": {"Status": 7}}}],
                        "ErrorTexts": {"7": "Board busy"}})");
    ASSERT_TRUE(sim->Start());
    const ToolRun busy = Ruvacfg({"board", "write", "1", file, "--json"});
    EXPECT_EQ(busy.Code, 1);
    EXPECT_THAT(busy.Err, HasSubstr("\nerror: Error #7: Board busy\n"));
    const auto partly = nlohmann::json::parse(busy.Out);
    EXPECT_EQ(partly["Outcome"], "VerifyFailed");
    EXPECT_EQ(partly["DriverResult"], 7);
    EXPECT_EQ(partly["Changed"], true);
    EXPECT_EQ(partly["OnBoard"], nlohmann::json::array({planned[0]}));
    EXPECT_EQ(partly["NotOnBoard"], nlohmann::json::array({planned[1]}));
    EXPECT_EQ(partly["audit"][1]["Kind"], "failed");
    EXPECT_EQ(partly["audit"][1]["DriverError"], nlohmann::json({{"Number", 7}, {"Text", "Board busy"}}));
    EXPECT_THAT(std::string(partly["After"]), HasSubstr("HdlcStartAddress           = 0x8000"));
    EXPECT_EQ(Board(1)["BoardInfo"]["HdlcStartAddress"], "0x8000");

    // Several boards from one reading of the file: a result per board, each with its own messages;
    // one board's failure leaves the next written.
    sim->Stop();
    sim->WriteState(
        R"({"Boards": [{"Faults": {"SetClockLi1": {"Status": 7}}}, {}], "ErrorTexts": {"7": "Board busy"}})");
    ASSERT_TRUE(sim->Start());
    const ToolRun both = Ruvacfg({"board", "write", "0,1", file, "--section", "1", "--json"});
    EXPECT_EQ(both.Code, 1);
    EXPECT_EQ(both.Err, "error: board 0: Error #7: Board busy\nnote: board 1: " + Written.substr(6));
    EXPECT_EQ(nlohmann::json::parse(both.Out)["TimedOut"], false);
    const auto boards = nlohmann::json::parse(both.Out)["Boards"];
    ASSERT_EQ(boards.size(), 2u);
    EXPECT_EQ(boards[0]["Outcome"], "DriverError");
    EXPECT_EQ(boards[0]["Messages"].size(), 1u);
    EXPECT_EQ(boards[1]["Outcome"], "Written");
    EXPECT_EQ(boards[1]["Messages"][0]["Text"], Written.substr(6, Written.size() - 7));
    EXPECT_EQ(Board(1)["Clock"], "LI1");
}

TEST_F(BoardCommandsTest, ListNamesEachBoardsStateAndChangesNothing) {
    Start(R"({"NumberOfBoards": 3, "Boards": [
                {"Image": {"Version": 8}},
                {"GdsId": "0x71", "SerialRecord": {"RestoreCount": 1, "SerialNumber": "0xFFFF"}},
                {"SerialRecord": {"SerialNumber": 0}, "Image": {"SerialNumber": 0}}]})");
    const std::string state = sim->StateText();
    const ToolRun run = Ruvacfg({"board", "list"});
    EXPECT_EQ(run.Code, 0);
    EXPECT_EQ(run.Err, "");
    EXPECT_EQ(run.Out, "Irq:                10\n"
                       "Io Base Address:    0x300\n"
                       "No of boards:       3\n"
                       "Info Buffer Size:   0x1000\n"
                       "\n"
                       "Board  GDS ID  Serial No  Version  State\n"
                       "0      0x72    9702052    8        version 8\n"
                       "1      0x71    11115255   9        wrong GDS ID, serial record blank, restorable\n"
                       "2      0x72    9600000    9        serial number lost\n");
    EXPECT_EQ(sim->StateText(), state);
    EXPECT_TRUE(BoardChanges().empty());

    const auto json = nlohmann::json::parse(Ruvacfg({"board", "list", "--json"}).Out);
    EXPECT_EQ(json["NumberOfBoards"], 3);
    EXPECT_EQ(json["Simulated"], false);
    EXPECT_EQ(json["Boards"][0]["Problems"], nlohmann::json({"version 8"}));
    EXPECT_EQ(json["Boards"][1]["GdsId"], 0x71);
    EXPECT_EQ(json["Boards"][1]["RestoreCount"], 1);
    EXPECT_EQ(json["Boards"][1]["ImageSerialNumber"], 0x2345);
    EXPECT_EQ(json["Boards"][2]["SerialNo"], "9600000");
}

TEST_F(BoardCommandsTest, InfoShowsTheDialogsFieldsForTheBoard) {
    Start(
        R"({"Boards": [{}, {"DramSize": "0x0", "BoardInfo": {"LadRevision": "12.0.0.0", "BarRevision": "0.5.0.0"},
                              "Image": {"SerialNumber": "0xFFFF"}}]})");
    const ToolRun run = Ruvacfg({"board", "info", "1"});
    EXPECT_EQ(run.Code, 0);
    EXPECT_EQ(run.Err, "");
    EXPECT_EQ(run.Out, "Board 1\n"
                       "Board Communication Parameters\n"
                       "  Irq:                         10\n"
                       "  Io Base Address:             0x300\n"
                       "  No of boards:                2\n"
                       "  Info Buffer Size:            0x1000\n"
                       "  Board DRAM Size:             0x0\n"
                       "  Host Memory Window Offset:   0xD8000\n"
                       "  Host Memory Window Size:     0x8000\n"
                       "  Host IO Window Offset:       0x340\n"
                       "  Host IO Window Size:         0x10\n"
                       "Serial Numbers and Revisions\n"
                       "  Board Serial No              11115255\n"
                       "  BAR Revision                 0.5\n"
                       "  LAD Revision                 12\n"
                       "  SAD Revision                 1.3\n"
                       "  MAD Revision                 2.0\n"
                       "  RSC Revision                 1.2.3.4\n"
                       "  Bootstrap Revision           Unknown\n");

    const auto json = nlohmann::ordered_json::parse(Ruvacfg({"board", "info", "1", "--json"}).Out);
    EXPECT_EQ(json["HostIoWindowOffset"], 0x340);
    EXPECT_EQ(json["SerialNumber"], 0xFFFF);
    EXPECT_EQ(json["Revisions"].dump(),
              R"({"BAR":"0.5","LAD":"12","SAD":"1.3","MAD":"2.0","RSC":"1.2.3.4","Bootstrap":"Unknown"})");
    EXPECT_TRUE(BoardChanges().empty());
}

TEST_F(BoardCommandsTest, ReadToTheStandardOutputOrUnderAFileSizeLimit) {
    Start();
    const std::string expected = ReadFileBytes(DataPath("tools/sim-board0.cfg"));
    const ToolRun dash = Ruvacfg({"board", "read", "0", "-o", "-"});
    EXPECT_EQ(dash.Code, 0);
    EXPECT_EQ(dash.Out, expected);
    EXPECT_FALSE(std::filesystem::exists(files / "-"));
    // By its name, the standard output is written where it stands: after ">>", at the end.
    const std::string log = File("log.txt", "a\nb\n");
    EXPECT_EQ(Ruvacfg({"board", "read", "0", "-o", "/dev/stdout"}, log, true).Code, 0);
    EXPECT_EQ(ReadFileBytes(log), "a\nb\n" + expected);

    // The write fails part way: reported as any write error, not a death by signal.
    const std::string path = File("board0.cfg", "precious\r\n");
    rlimit previous{};
    ::getrlimit(RLIMIT_FSIZE, &previous);
    rlimit limit = previous;
    limit.rlim_cur = 1000;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const ToolRun limited = Ruvacfg({"board", "read", "0", "-o", path});
    ::setrlimit(RLIMIT_FSIZE, &previous);
    EXPECT_EQ(limited.Code, 1);
    EXPECT_EQ(limited.Err, "error: Unable to write file '" + path + "'. Data not saved.\n");
    EXPECT_EQ(ReadFileBytes(path), "precious\r\n");
    std::vector<std::string> entries;
    for (const auto& entry : std::filesystem::directory_iterator(files.Path()))
        entries.push_back(entry.path().filename().string());
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"board0.cfg", "log.txt", "stderr", "stdout"}));
}

// One writer per board at a time, and a transfer that SIGINT does not cut in half: whatever the
// interleaving, the board's clock stays on its stored image's clock source.
TEST_F(BoardCommandsTest, ConcurrentAndInterruptedWritesKeepTheClockOnTheStoredClockSource) {
    Start();
    const std::string files2[] = {File("li1.cfg", FreshBoard0File(0, {{"ClockSource", "LI1"}})),
                                  File("internal.cfg", FreshBoard0File(0))};
    std::mt19937 random(20);
    for (int round = 0; round < 12; ++round) {
        pid_t writers[2];
        for (int w = 0; w < 2; ++w)
            writers[w] = Spawn({"board", "write", "0", files2[(round + w) % 2]}, "/dev/null", "/dev/null");
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 20'000));
        ::kill(writers[round % 2], SIGINT);
        for (pid_t writer : writers)
            EXPECT_THAT(ExitCode(writer), ::testing::AnyOf(0, 128 + SIGINT));
        EXPECT_EQ(Board(0)["Clock"], Board(0)["Image"]["ClockSource"]) << round;
    }

    // A board that another program keeps is waited for, then left alone with a clear message.
    const int held = ::open((sim->StatePath() + "-board0.lock").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    const std::string state = sim->StateText();
    const ToolRun busy = Ruvacfg({"board", "write", "0", files2[0]});
    // The time limit ends that wait, with a status of its own.
    const ToolRun late = Ruvacfg({"--timeout", "1", "board", "write", "0", files2[0]});
    ::close(held);
    EXPECT_EQ(busy.Code, 1);
    EXPECT_EQ(busy.Err, "error: Board 0 is in use by another program, which did not let go of it within 5 "
                        "seconds. Nothing was done: try again once it has finished.\n");
    EXPECT_EQ(late.Code, 124);
    EXPECT_EQ(late.Err, "error: the time limit of 1 second (--timeout) ran out\n");
    EXPECT_EQ(sim->StateText(), state);
}

// Saves slowed down by a proxy that holds each write request: the programs reach it instead of the
// simulator (XDG_RUNTIME_DIR) until the end of the test.
class SlowedSaveTest : public BoardCommandsTest {
protected:
    void StartSlowed(std::chrono::milliseconds delay) {
        Start();
        proxy.emplace(sim->SocketPath(), sim->StatePath(), delay);
        ::setenv("XDG_RUNTIME_DIR", proxy->RuntimeDir().c_str(), 1);
    }
    void TearDown() override {
        if (sim)
            ::setenv("XDG_RUNTIME_DIR", sim->RuntimeDir().c_str(), 1);
    }
    // Board 0's HDLC start address, clock, stored clock source and a line code: all of `news` (1), all
    // of what it had (0), or a mix (-1).
    int Holds() const {
        const nlohmann::json board = Board(0);
        const bool parts[] = {board["BoardInfo"]["HdlcStartAddress"] == "0x8800", board["Clock"] == "LI1",
                              board["Image"]["ClockSource"] == "LI1",
                              board["Image"]["Li0"]["E1"]["TransmitLineCode"] == "AMI"};
        const auto news = std::count(std::begin(parts), std::end(parts), true);
        return news == 4 ? 1 : news == 0 ? 0 : -1;
    }
    // The fresh board 0 as a file, and a file that changes all four.
    std::array<std::string, 2> Files() {
        return {File("old.cfg", FreshBoard0File(0)),
                File("new.cfg", FreshBoard0File(0, {{"HdlcStartAddress", "0x8800"},
                                                    {"ClockSource", "LI1"},
                                                    {"TransmitLineCode", "AMI"}}))};
    }
    std::optional<test::DelayingProxy> proxy;
};

// As GNU timeout sends SIGTERM to the child and then to its group: however many signals come during a
// save, it is finished, so the board holds all of the old configuration or all of the new, never a mix.
TEST_F(SlowedSaveTest, TwoSigtermsAtAnyMomentOfASaveLeaveAllOldOrAllNew) {
    StartSlowed(std::chrono::milliseconds(250)); // three writes: a save of some 800 ms
    const auto files2 = Files();
    int holding = 0;
    for (int moment = 0; moment < 8; ++moment) {
        const pid_t writer = Spawn({"board", "write", "0", files2[1 - holding]}, "/dev/null", "/dev/null");
        std::this_thread::sleep_for(std::chrono::milliseconds(30 + 130 * moment));
        ::kill(writer, SIGTERM);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ::kill(writer, SIGTERM);
        EXPECT_THAT(ExitCode(writer), ::testing::AnyOf(0, 128 + SIGTERM)) << moment;
        const int now = Holds();
        EXPECT_NE(now, -1) << "a mix after signals at moment " << moment;
        if (now >= 0)
            holding = now;
    }
}

// At the time limit a save under way is finished; its whole result is printed, then the limit's line,
// and the exit status is 124. Boards not begun are said so.
TEST_F(SlowedSaveTest, TheTimeLimitDuringASaveLetsItFinishAndPrintsTheWholeResult) {
    StartSlowed(std::chrono::milliseconds(450)); // three writes: a save of some 1.4 s
    const auto files2 = Files();
    const std::string timeUp = "error: the time limit of 1 second (--timeout) ran out\n";

    const ToolRun json = Ruvacfg({"--timeout", "1", "board", "write", "0", files2[1], "--json"});
    EXPECT_EQ(json.Code, 124);
    EXPECT_EQ(json.Err, Written + timeUp);
    const nlohmann::json result = nlohmann::json::parse(json.Out); // one whole object
    EXPECT_EQ(result["TimedOut"], true);
    EXPECT_EQ(result["Outcome"], "Written");
    EXPECT_EQ(Holds(), 1);
    EXPECT_EQ(result["Changed"], true);
    EXPECT_EQ(result["OnBoard"].size(), 3u);

    const ToolRun text = Ruvacfg({"--timeout", "1", "board", "write", "0", files2[0]});
    EXPECT_EQ(text.Code, 124);
    EXPECT_EQ(text.Err, Written + timeUp); // the outcome first
    EXPECT_EQ(Holds(), 0);

    const nlohmann::json board1 = Board(1);
    const ToolRun both =
        Ruvacfg({"--timeout", "1", "board", "write", "0,1", files2[1], "--section", "0", "--json"});
    EXPECT_EQ(both.Code, 124);
    const nlohmann::json boards = nlohmann::json::parse(both.Out);
    EXPECT_EQ(boards["TimedOut"], true);
    EXPECT_EQ(boards["Boards"][0]["Outcome"], "Written");
    EXPECT_EQ(std::tie(boards["Boards"][1]["Outcome"], boards["Boards"][1]["Failed"], boards["Boards"][1]["Changed"]),
              std::tuple("NotStarted", true, false));
    EXPECT_EQ(Board(1), board1);
}

// The mark that a board's clock may differ from its stored configuration belongs to the boards: one
// left on simulated boards in process is seen, and healed, through the simulator on the same state.
TEST_F(BoardCommandsTest, AClockMarkLeftInProcessIsHealedThroughTheSimulator) {
    sim.emplace(SimProcess::Options{.StateJson = R"({"Boards": [{"Faults": {
        "SetClockLi1": {"Short": 2, "Count": 1}, "SetClockInternal": {"Fail": true, "Count": 1}}}, {}]})"});
    const ToolRun left = Ruvacfg({"--simulator", sim->StatePath(), "board", "write", "0",
                                  File("li1.cfg", FreshBoard0File(0, {{"ClockSource", "LI1"}}))});
    EXPECT_EQ(left.Code, 1);
    EXPECT_THAT(left.Err, HasSubstr("The next save to this board selects the clock again."));
    ASSERT_TRUE(sim->Start()) << sim->LogText();
    EXPECT_EQ(Board(0)["Clock"], "LI1");

    const std::string internal = File("internal.cfg", FreshBoard0File(0));
    const ToolRun diff = Ruvacfg({"board", "diff", "0", internal});
    EXPECT_EQ(diff.Code, 1);
    EXPECT_EQ(diff.Out, "Clock: file INTERNAL, board unknown\n");
    EXPECT_EQ(Ruvacfg({"board", "write", "0", internal}).Err, Written);
    EXPECT_EQ(Board(0)["Clock"], "INTERNAL");
    EXPECT_EQ(Ruvacfg({"board", "write", "0", internal}).Err, Unchanged);
}

TEST_F(BoardCommandsTest, EachFailureIsReportedOnceAndExitsNonZero) {
    const std::string board0 = File("board0.cfg", FreshBoard0File(0, {{"TransmitLineCode", "AMI"}}));
    const std::string hdlc = File("hdlc.cfg", FreshBoard0File(0, {{"HdlcStartAddress", "0x8800"}}));
    const std::string sabits = DataPath("cfgfile/malformed/sabits-range.cfg").string();
    const std::string missingDir = (files / "no" / "such.cfg").string();
    struct Case {
        const char* Name;
        std::string State;
        std::vector<std::string> Args;
        int Code;
        std::string Err;
        bool Output = false;       // something is still printed on the standard output
        bool ChangesBoard = false; // the simulator's state changes
    };
    const Case cases[] = {
        {"parameters refused",
         R"({"Faults": {"GetDriverParameters": {"Fail": true}}})",
         {"board", "list"},
         1,
         "error: Error #51: The Ruva-2 driver could not carry out the request.\n"},
        {"serial record unreadable in the list",
         R"({"Boards": [{}, {"Faults": {"ReadSerialRecord": {"Status": 7}}}]})",
         {"board", "list"},
         1,
         "error: Error #7: Board busy\n",
         true},
        {"board not installed",
         "",
         {"board", "info", "2"},
         1,
         "error: board 2 is not installed: the driver reports 2 boards\n"},
        {"attach refused",
         R"({"Boards": [{"Faults": {"AttachBoard": {"Status": 63}}}]})",
         {"board", "info", "0"},
         1,
         "error: Error #63: The board does not answer at this I/O base address.\n"},
        {"info: image unreadable",
         R"({"Boards": [{"Faults": {"ReadStoredConfig": {"Empty": true}}}]})",
         {"board", "info", "0"},
         1,
         "error: Error #51: The Ruva-2 driver could not carry out the request.\n"},
        {"read: wrong GDS ID",
         R"({"Boards": [{"GdsId": "0x34"}]})",
         {"board", "read", "0"},
         1,
         "error: Error: Wrong GDS ID 0x34 (Expected 0x72)\n"},
        {"read: board information unreadable",
         R"({"Boards": [{"Faults": {"ReadBoardInfo": {"Status": 7}}}]})",
         {"board", "read", "0", "-o", (files / "kept.cfg").string()},
         1,
         "error: Error #7: Board busy\n"},
        {"read: a code without a word",
         R"({"Boards": [{"Image": {"Li1": {"T1": {"FrameFormat": 9}}}}]})",
         {"board", "read", "0"},
         1,
         "error: Internal Error: Unexpected value for Frame Format (T1)\n"},
        {"read: an HDLC start address that no file loads",
         R"({"Boards": [{"BoardInfo": {"HdlcStartAddress": "0x7000"}}]})",
         {"board", "read", "0"},
         1,
         "error: Nothing was written: the configuration holds the HDLC start address 0x7000 (HdlcStartAddress "
         "value must be >= 0x8000).\n"},
        {"read: file cannot be written",
         "",
         {"board", "read", "0", "-o", missingDir},
         1,
         "error: Unable to open file '" + missingDir + "'. Data not saved.\n"},
        {"write: file with an error",
         "",
         {"board", "write", "0", sabits},
         1,
         "error: Error near line 14: SaBits value must be in the range 0x00 - 0x1F (in Configuration File " +
             sabits + ")\n"},
        {"write: no section",
         "",
         {"board", "write", "1", board0},
         1,
         "error: Configuration File " + board0 + " has no settings for board 1.\n"},
        {"write: serial number lost",
         R"({"Boards": [{"SerialRecord": {"SerialNumber": 0}, "Image": {"SerialNumber": 0}}]})",
         {"board", "write", "0", board0},
         1,
         "error: Error: Serial Number information lost. Contact Vantrell Systems Inc.\n"},
        {"write: blank serial record with a blank copy",
         R"({"Boards": [{"SerialRecord": {"RestoreCount": 4, "SerialNumber": 0},
                         "Image": {"SerialNumber": "0xFFFF"}}]})",
         {"board", "write", "0", board0},
         1,
         "error: Error: Serial Number information lost. Contact Vantrell Systems Inc.\n"},
        {"write: serial record reply without the record",
         R"({"Boards": [{"Faults": {"ReadSerialRecord": {"Short": 4}}}]})",
         {"board", "write", "0", board0},
         1,
         "error: Error #51: The Ruva-2 driver could not carry out the request.\n"},
        {"write: board information reply without the record",
         R"({"Boards": [{"Faults": {"ReadBoardInfo": {"Short": 4}}}]})",
         {"board", "write", "0", hdlc},
         1,
         "error: Error #51: The Ruva-2 driver could not carry out the request.\n"},
        {"write: board information refused",
         R"({"Boards": [{"Faults": {"WriteBoardInfo": {"Status": 7}}}]})",
         {"board", "write", "0", hdlc},
         1,
         "error: Error #7: Board busy\n"},
        {"write: read-back differs",
         R"({"Boards": [{"Faults": {"WriteStoredConfig": {"ReadBackDiffers": true}}}]})",
         {"board", "write", "0", board0},
         1,
         "warning: Errors occured when saving the Configuration Data to the board. The data was NOT stored "
         "on the board. Rerun RuvasetW.\n"
         "warning: This save failed, but board 0 holds these of its changes: Li0.E1.TransmitLineCode: HDB3 → "
         "AMI. Not on the board: nothing.\n"
         "warning: Board 0 also holds what this save did not ask for: Li1.T1.ClearChannels: 0x000000 → "
         "0xFF000000.\n",
         false,
         true},
        {"diff: file cannot be opened",
         "",
         {"board", "diff", "0", missingDir},
         2,
         "Could not open file " + missingDir + "\n"},
        {"diff: image unreadable",
         R"({"Boards": [{"Faults": {"ReadStoredConfig": {"Fail": true}}}]})",
         {"board", "diff", "0", board0},
         2,
         "error: Error #51: The Ruva-2 driver could not carry out the request.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Start(c.State.empty()
                  ? std::string(R"({"ErrorTexts": {"7": "Board busy"}})")
                  : c.State.substr(0, c.State.size() - 1) + R"(, "ErrorTexts": {"7": "Board busy"}})");
        const std::string state = sim->StateText();
        const ToolRun run = Ruvacfg(c.Args);
        EXPECT_EQ(run.Code, c.Code);
        EXPECT_EQ(run.Err, c.Err);
        EXPECT_EQ(!run.Out.empty(), c.Output) << run.Out;
        EXPECT_EQ(sim->StateText() != state, c.ChangesBoard);
        EXPECT_FALSE(std::filesystem::exists(files / "kept.cfg"));
        sim.reset();
    }
}

TEST_F(BoardCommandsTest, WithoutADriverEveryCommandReportsError52) {
    sim.emplace(); // a private runtime directory with nothing listening in it
    const std::string file = File("board0.cfg", FreshBoard0File(0));
    for (const auto& args : std::vector<std::vector<std::string>>{{"board", "list"},
                                                                  {"board", "info", "0"},
                                                                  {"board", "read", "0"},
                                                                  {"board", "write", "0", file},
                                                                  {"board", "write", "0", file, "--dry-run"},
                                                                  {"board", "diff", "0", file}}) {
        const ToolRun run = Ruvacfg(args);
        EXPECT_EQ(run.Code, args[1] == "diff" ? 2 : 1) << args[1];
        EXPECT_EQ(run.Err, NoDriver);
        EXPECT_EQ(run.Out, "");
    }
}

TEST_F(BoardCommandsTest, AFailedJsonCommandStillPrintsItsObjectWithTheError) {
    // What a script reads when the error stream is lost (merged into the output over a terminal): the
    // command's fields, those that could not be read null, with the error and the driver's result.
    struct Case {
        const char* State; // nullptr: no driver
        std::vector<std::string> Args;
        std::optional<int> DriverResult;
        const char* Field; // one of the command's usual fields, and whether it is null
        bool FieldNull;
    };
    const Case cases[] = {
        {nullptr, {"board", "list", "--json"}, 52, "Boards", true},
        {nullptr, {"board", "info", "0", "--json"}, 52, "Revisions", true},
        {R"({"Boards": [{}, {"Faults": {"ReadSerialRecord": {"Status": 7}}}]})",
         {"board", "list", "--json"},
         7,
         "NumberOfBoards",
         false},
        {"{}", {"board", "info", "2", "--json"}, std::nullopt, "SerialNo", true},
        {R"({"Boards": [{"Faults": {"AttachBoard": {"Status": 63}}}]})",
         {"board", "info", "0", "--json"},
         63,
         "Irq",
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Args[1] + " " + (c.State ? c.State : "without a driver"));
        sim.reset();
        if (c.State)
            Start(c.State);
        else
            sim.emplace(); // nothing listens in its runtime directory
        const ToolRun run = Ruvacfg(c.Args);
        EXPECT_EQ(run.Code, 1);
        const auto json = nlohmann::json::parse(run.Out);
        EXPECT_EQ("error: " + json.value("Error", std::string("(none)")) + "\n", run.Err);
        EXPECT_EQ(json["DriverResult"], c.DriverResult ? nlohmann::json(*c.DriverResult) : nlohmann::json());
        EXPECT_TRUE(json.contains(c.Field));
        EXPECT_EQ(json[c.Field].is_null(), c.FieldNull);
    }
}

TEST_F(BoardCommandsTest, SimulatedBoardsOnlyWhenAskedForAndMarkedAsSuch) {
    sim.emplace(); // no device: nothing listens in the runtime directory
    ::setenv("XDG_STATE_HOME", (files / "state").c_str(), 1);
    EXPECT_EQ(Ruvacfg({"board", "list"}).Err, NoDriver);
    EXPECT_FALSE(std::filesystem::exists(files / "state"));

    // A missing state file is created with the two fresh boards.
    const std::string state = (files / "s.json").string();
    ::setenv("RUVA2_SIMULATOR", state.c_str(), 1);
    const ToolRun list = Ruvacfg({"board", "list"});
    ::unsetenv("RUVA2_SIMULATOR");
    EXPECT_EQ(list.Code, 0) << list.Err;
    EXPECT_THAT(list.Out, StartsWith("Simulated boards, kept in the state file " + state +
                                     ": no real board is used.\n\nIrq:"));
    EXPECT_THAT(list.Out, ::testing::EndsWith("\n0      0x72    9702052    9        ok\n"
                                              "1      0x72    9803069    9        ok\n"));
    EXPECT_TRUE(std::filesystem::exists(state));

    // The option without a file name: the default state file, never a command's name.
    const auto json = nlohmann::json::parse(Ruvacfg({"--simulator", "board", "list", "--json"}).Out);
    const std::string defaultState = (files / "state/ruva2-sim/state.json").string();
    EXPECT_EQ(json["Simulated"], true);
    EXPECT_EQ(json["StateFile"], defaultState);
    EXPECT_EQ(json["Boards"].size(), 2u);
    EXPECT_TRUE(std::filesystem::exists(defaultState));
    EXPECT_EQ(
        nlohmann::json::parse(Ruvacfg({"--simulator=" + state, "board", "list", "--json"}).Out)["StateFile"],
        state);
    ::unsetenv("XDG_STATE_HOME");
}

TEST_F(BoardCommandsTest, AHardLinkOrAnotherUsersFileIsNeverALockOrStateFile) {
    const std::string victim = File("victim.txt", "precious\n"), state = (files / "s.json").string();
    // A lock file that is not the board's own refuses the transfer: without it, no save and no load.
    std::filesystem::create_hard_link(victim, state + "-board0.lock");
    const std::string file = File("f.cfg", FreshBoard0File(0, {{"ClockSource", "LI1"}}));
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"board", "write", "0", file}, {"board", "read", "0"}}) {
        std::vector<std::string> args{"--simulator", state};
        args.insert(args.end(), command.begin(), command.end());
        const ToolRun refused = Ruvacfg(args);
        EXPECT_EQ(refused.Code, 1);
        EXPECT_EQ(refused.Err, "error: The board's lock file '" + state +
                                   "-board0.lock' cannot be used (it has more than one hard link). Nothing was "
                                   "done: without its lock, other programs could work on board 0 at the same "
                                   "time.\n");
    }
    EXPECT_EQ(nlohmann::json::parse(ReadFileBytes(state))["Boards"][0]["Clock"], "INTERNAL");
    if (::geteuid() == 0 && ::chown(File("s.json-board1.lock", "").c_str(), 65534, 65534) == 0) {
        EXPECT_THAT(Ruvacfg({"--simulator", state, "board", "write", "1", file, "--section", "0"}).Err,
                    HasSubstr("-board1.lock' cannot be used (it belongs to another user"));
    }
    // The state itself, and the lock files (here ruva2-sim's on its socket), are refused.
    std::filesystem::create_hard_link(state, files / "other.json");
    EXPECT_THAT(Ruvacfg({"--simulator", state, "board", "list"}).Err,
                HasSubstr(state + " is refused: it has more than one hard link"));
    std::filesystem::remove(files / "other.json");
    if (::geteuid() == 0 && ::chown(state.c_str(), 65534, 65534) == 0) {
        EXPECT_THAT(Ruvacfg({"--simulator", state, "board", "list"}).Err,
                    HasSubstr(state + " is refused: it belongs to another user (nobody)"));
    }
    sim.emplace();
    std::filesystem::create_hard_link(victim, sim->SocketPath() + ".lock");
    EXPECT_FALSE(sim->Start());
    EXPECT_THAT(sim->LogText(), HasSubstr("ruva2.sock.lock is refused: it has more than one hard link"));
    EXPECT_EQ(ReadFileBytes(victim), "precious\n");
}

TEST_F(BoardCommandsTest, OnlyTheDescriptorsItWasGivenAreItsFiles) {
    Start();
    const std::string before = sim->StateText();
    const auto refused = [](std::string path) {
        return "error: Unable to save file '" + path +
               "': the program was not started with that file open. Data not saved.\n";
    };
    // A closed descriptor is never the device's socket that took its number.
    const std::tuple<Actions, std::vector<std::string>, std::string> cases[] = {
        {Closed(1), {"board", "read", "0", "-o", "/dev/stdout"}, refused("/dev/stdout")},
        {Closed(3), {"board", "read", "0", "-o", "/dev/fd/3"}, refused("/dev/fd/3")},
        {Closed(0),
         {"board", "write", "0", "-"},
         "error: (standard input): cannot read: Bad file descriptor\n"}};
    for (const auto& [actions, args, error] : cases) {
        launch.Descriptors = actions;
        EXPECT_EQ(Ruvacfg(args).Err, error);
    }
    EXPECT_EQ(sim->StateText(), before);
    EXPECT_THAT(sim->LogText(), Not(HasSubstr("wrong magic")));
}

TEST_F(BoardCommandsTest, TheStandardInputIsReadAsAFileIs) {
    Start();
    const std::tuple<Actions, std::string> inputs[] = {
        {Input(files.Path(), O_RDONLY | O_DIRECTORY), "(standard input): cannot read: Is a directory\n"},
        {Input(files / "w", O_WRONLY | O_CREAT), "(standard input): cannot read: Bad file descriptor\n"},
        {Input("/dev/zero", O_RDONLY), "(standard input):1: syntax error\n"}}; // endless: never held whole
    rlimit previous{};
    ::getrlimit(RLIMIT_AS, &previous);
#ifndef RUVA_SANITIZE // the sanitizers' shadow memory alone is far above the limit
    const rlimit limit{400000 * 1024, previous.rlim_max};
    ::setrlimit(RLIMIT_AS, &limit);
#endif
    for (const auto& [actions, error] : inputs) {
        launch.Descriptors = actions;
        EXPECT_EQ(Ruvacfg({"check", "-"}).Err, error);
        const ToolRun write = Ruvacfg({"board", "write", "0", "-", "--json"});
        EXPECT_EQ(write.Code, 1);
        EXPECT_EQ(nlohmann::json::parse(write.Out)["Outcome"], "FileFailed");
    }
    ::setrlimit(RLIMIT_AS, &previous);
}

TEST_F(BoardCommandsTest, SimulatedBoardsThatCannotBeUsedSaySoOnceWithTheCause) {
    // Permissions bind root nowhere: as root, both programs run as nobody, in nobody's folder.
    std::vector<std::string> user;
    if (::geteuid() == 0 && ::chown(files.Path().c_str(), 65534, 65534) == 0)
        user = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
    const auto state = [&](const std::string& name, const std::string& text, std::filesystem::perms perms) {
        const std::string path = File(name, text);
        EXPECT_TRUE(user.empty() || ::chown(path.c_str(), 65534, 65534) == 0);
        std::filesystem::permissions(path, perms);
        return path;
    };
    using enum std::filesystem::perms;
    const std::string corrupt = state("corrupt.json", "{", owner_all),
                      unreadable = state("0.json", "{}", none), readOnly = state("ro.json", "{}", owner_read),
                      inNoFolder = (files / "no/s.json").string();
    const std::pair<std::string, std::string> cases[] = {
        {corrupt, "the state file " + corrupt + " is not a simulator state: not valid JSON"},
        {unreadable, "cannot read the state file " + unreadable + ": Permission denied"},
        {readOnly, "cannot write the state file " + readOnly + ": Permission denied"},
        {inNoFolder, "cannot create the lock file " + (files / "no/s.lock").string() + ": No such file"}};
    for (const auto& [path, cause] : cases) {
        launch.Program = user;
        launch.Program.push_back(RUVACFG_PATH);
        const ToolRun list = Ruvacfg({"--simulator", path, "board", "list"});
        EXPECT_THAT(list.Err, StartsWith("error: Error #52: The simulated boards cannot be used: " + cause));
        EXPECT_EQ(std::count(list.Err.begin(), list.Err.end(), '\n'), 1) << list.Err;
        launch.Program.back() = SimProcess::Binary();
        launch.Program.insert(launch.Program.begin(), {"/usr/bin/timeout", "10"}); // should it serve
        EXPECT_THAT(Ruvacfg({"--foreground", "--state", path}).Err, StartsWith("ruva2-sim: " + cause));
    }
}

// A log of the test's own, a socket of `type` at `path` (RUVA_TEST_JOURNAL_SOCKET and
// RUVA_TEST_SYSLOG_SOCKET point the programs at it while it lives). Stalled: it never reads, and what
// it would take is filled (a datagram socket's queue, a stream socket's backlog); else Next reads.
class TestLog {
public:
    TestLog(std::string variable, const std::filesystem::path& path, int type, bool stalled)
        : variable_(std::move(variable)), path_(path), fd_(::socket(AF_UNIX, type | SOCK_CLOEXEC, 0)) {
        ::setenv(variable_.c_str(), path_.c_str(), 1);
        const sockaddr_un address = Address();
        EXPECT_EQ(::bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        if (type == SOCK_STREAM)
            ::listen(fd_, 0);
        while (stalled) {
            const int filler = ::socket(AF_UNIX, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            fillers_.push_back(filler);
            if (::connect(filler, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
                break; // the backlog is full
            while (type == SOCK_DGRAM && ::send(filler, "x", 1, MSG_DONTWAIT) == 1) {
            }
            stalled = type == SOCK_STREAM;
        }
    }
    ~TestLog() {
        ::unsetenv(variable_.c_str());
        for (const int fd : fillers_)
            ::close(fd);
        ::close(fd_);
        std::filesystem::remove(path_);
    }
    const std::string& Path() const { return path_.native(); }
    // The next datagram; nothing when none came within 5 seconds.
    std::optional<std::string> Next() const {
        pollfd p{fd_, POLLIN, 0};
        std::string datagram(1 << 20, '\0');
        const ssize_t n = ::poll(&p, 1, 5000) == 1 ? ::recv(fd_, datagram.data(), datagram.size(), 0) : -1;
        if (n < 0)
            return std::nullopt;
        datagram.resize(static_cast<std::size_t>(n));
        return datagram;
    }

private:
    sockaddr_un Address() const {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path_.c_str(), sizeof address.sun_path - 1);
        return address;
    }
    std::string variable_;
    std::filesystem::path path_;
    int fd_;
    std::vector<int> fillers_;
};

constexpr const char* JournalVariable = "RUVA_TEST_JOURNAL_SOCKET";
constexpr const char* SyslogVariable = "RUVA_TEST_SYSLOG_SOCKET";

TEST_F(BoardCommandsTest, ALogThatStopsReadingNeverHoldsASave) {
    const std::string state = (files / "s.json").string(), file = File("f.cfg", FreshBoard0File(0));
    launch.Limit = std::chrono::seconds(20);
    // A full journal queue (nothing at /dev/log); a full datagram /dev/log; a stream /dev/log whose
    // backlog is full (no journal). Each names the log that did not take the record.
    const std::tuple<const char*, int> stalled[] = {
        {JournalVariable, SOCK_DGRAM}, {SyslogVariable, SOCK_DGRAM}, {SyslogVariable, SOCK_STREAM}};
    int address = 0x8800;
    for (const auto& [variable, type] : stalled) {
        const TestLog log(variable, files / "log.sock", type, true);
        const std::string other = variable == JournalVariable ? SyslogVariable : JournalVariable;
        ::setenv(other.c_str(), (files / "none").c_str(), 1);
        const std::string hdlc = WordHex(static_cast<std::uint16_t>(address += 0x100));
        File("f.cfg", FreshBoard0File(0, {{"HdlcStartAddress", hdlc}}));
        const ToolRun write = Ruvacfg({"--simulator", state, "board", "write", "0", file, "--json"});
        ::unsetenv(other.c_str());
        EXPECT_EQ(write.Code, 0) << write.Err;
        const std::string named = variable == JournalVariable ? "the journal" : "the system log";
        EXPECT_EQ(write.Err,
                  "warning: The record of this change to the board could not be added to the system log (" +
                      named + " at " + log.Path() +
                      " does not answer: it took no record within a quarter "
                      "of a second). Changes made to boards in this run may not be on record.\n" +
                      Written);
        const auto json = nlohmann::json::parse(write.Out.empty() ? "{}" : write.Out);
        EXPECT_EQ(json["Outcome"], "Written");
        EXPECT_EQ(json["audit"].size(), 2u); // that it has begun, and its outcome
        // The board holds it, and is free for the next program at once.
        const ToolRun diff = Ruvacfg({"--simulator", state, "board", "diff", "0", file});
        EXPECT_EQ(diff.Code, 0) << diff.Out << diff.Err;
    }
}

TEST_F(BoardCommandsTest, ANameInARecordNeitherForgesOneNorIsLost) {
    const std::string state = (files / "s.json").string();
    const std::string forged = "site.cfg\n<13>May  2 10:41:07 ruvacfg[1]: board 0 written by root from "
                               "\"approved.cfg\": ; outcome Written\x1b[2J\xff";
    const std::string escaped = "site.cfg\\n<13>May  2 10:41:07 ruvacfg[1]: board 0 written by root from "
                                "\\\"approved.cfg\\\": ; outcome Written\\x1b[2J\\xff";
    const std::string huge(110000, 'n'), cut = std::string(4096, 'n') + "\u2026 [cut]";
    // Each write changes the board, so that each is recorded.
    int address = 0x8800;
    const auto write = [&](const std::string& name) {
        const std::string hdlc = WordHex(static_cast<std::uint16_t>(address += 0x100));
        const std::string file = File("f.cfg", FreshBoard0File(0, {{"HdlcStartAddress", hdlc}}));
        const ToolRun run =
            Ruvacfg({"--simulator", state, "board", "write", "0", file, "--file-name", name, "--json"});
        EXPECT_EQ(run.Code, 0) << run.Err;
        EXPECT_EQ(run.Err.find("warning"), std::string::npos) << run.Err;
        return nlohmann::json::parse(run.Out.empty() ? "{}" : run.Out)["audit"][0]["File"]["Name"];
    };
    ::setenv(SyslogVariable, (files / "none").c_str(), 1);
    {
        // The journal: MESSAGE in its one-line form, the name escaped and quoted; the true name in
        // RUVA_FILE and in --json (where the byte that is no UTF-8 is U+FFFD).
        const TestLog journal(JournalVariable, files / "journal.sock", SOCK_DGRAM, false);
        EXPECT_EQ(write(forged), forged.substr(0, forged.size() - 1) + "\uFFFD");
        journal.Next(); // the record that the write has begun; then its outcome
        std::string datagram = journal.Next().value_or("");
        EXPECT_THAT(datagram, StartsWith("MESSAGE=board 0 "));
        EXPECT_THAT(datagram.substr(0, datagram.find('\n')),
                    HasSubstr(" from \"" + escaped + "\" (SHA-256 "));
        EXPECT_THAT(datagram, HasSubstr(forged + "\nRUVA_FILE_SHA256="));

        // A name too long for a datagram: cut visibly, the other fields whole.
        EXPECT_EQ(write(huge), huge);
        journal.Next();
        datagram = journal.Next().value_or("");
        EXPECT_THAT(datagram.substr(0, datagram.find('\n')), HasSubstr(" from \"" + cut + "\" (SHA-256 "));
        for (const std::string& field :
             {"\nRUVA_FILE=" + cut + "\n", std::string("\nRUVA_BOARD=0\n"),
              std::string("\nRUVA_KIND=written\n"), std::string("\nRUVA_OUTCOME=Written\n")})
            EXPECT_THAT(datagram, HasSubstr(field));
    }
    ::unsetenv(SyslogVariable);
    ::setenv(JournalVariable, (files / "none").c_str(), 1);
    const TestLog syslog(SyslogVariable, files / "log.sock", SOCK_DGRAM, false);
    write(forged);
    syslog.Next();
    const std::string line = syslog.Next().value_or("");
    EXPECT_THAT(line, StartsWith("<13>"));
    EXPECT_THAT(line, HasSubstr(" from \"" + escaped + "\" (SHA-256 "));
    EXPECT_EQ(line.find('\n'), std::string::npos);
    ::unsetenv(JournalVariable);
}

TEST_F(BoardCommandsTest, ALinkPlantedInASharedFolderMakesNoFileAnywhere) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root: a link of another user is made with chown -h";
    // A /tmp of the test's own, where user nobody (65534) planted links: to a file of root's (as
    // /etc/passwd), and to a folder of root's as a folder on the way to the state.
    const std::filesystem::path shared = files / "shared", target = files / "etc";
    std::filesystem::create_directories(target);
    std::filesystem::create_directory(shared);
    std::filesystem::permissions(shared, std::filesystem::perms::all | std::filesystem::perms::sticky_bit);
    File("etc/passwd", "root:x:0:0:root:/root:/bin/bash\n");
    const auto plant = [](const std::filesystem::path& to, const std::filesystem::path& link) {
        std::filesystem::create_symlink(to, link);
        EXPECT_EQ(::lchown(link.c_str(), 65534, 65534), 0);
    };
    plant(target / "passwd", shared / "boards.json");
    plant(target, shared / "boards");
    const auto listing = [&] {
        std::vector<std::string> names;
        for (const auto& folder : {shared, target})
            for (const auto& entry : std::filesystem::directory_iterator(folder))
                names.push_back(entry.path().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    const std::vector<std::string> before = listing();
    for (const std::string state : {shared / "boards.json", shared / "boards/new.json"}) {
        const std::string refused = "the state file " + state + " is refused: ";
        const ToolRun option =
            Ruvacfg({"--simulator", state, "board", "write", "0", File("f.cfg", FreshBoard0File(0))});
        EXPECT_THAT(option.Err,
                    StartsWith("error: Error #52: The simulated boards cannot be used: " + refused));
        EXPECT_THAT(option.Err, HasSubstr("that belongs to another user (nobody)"));
        ::setenv("RUVA2_SIMULATOR", state.c_str(), 1);
        EXPECT_THAT(Ruvacfg({"board", "list"}).Err, HasSubstr(refused));
        ::unsetenv("RUVA2_SIMULATOR");
        launch.Program = {"/usr/bin/timeout", "10", SimProcess::Binary()};
        EXPECT_THAT(Ruvacfg({"--foreground", "--state", state}).Err, StartsWith("ruva2-sim: " + refused));
        launch.Program = {RUVACFG_PATH};
    }
    EXPECT_EQ(listing(), before);
    EXPECT_EQ(ReadFileBytes(target / "passwd"), "root:x:0:0:root:/root:/bin/bash\n");

    // In a shared folder of theirs, the same link is followed, as the kernel follows it.
    ASSERT_EQ(::chown(shared.c_str(), 65534, 65534), 0);
    EXPECT_EQ(Ruvacfg({"--simulator", (shared / "boards/new.json").string(), "board", "list"}).Code, 0);
    EXPECT_TRUE(std::filesystem::exists(target / "new.json"));
}

// The usage of the board commands, run in process.
ToolRun InProcess(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int code = RunRuvacfg(args, out, err);
    return {code, out.str(), err.str()};
}

TEST(BoardUsageTest, EveryCommandHasHelpAndRefusesAWrongCommandLine) {
    for (const std::string command : {"list", "info", "read", "write", "diff"}) {
        const ToolRun help = InProcess({"board", command, "--help"});
        EXPECT_EQ(help.Code, 0);
        EXPECT_THAT(help.Out, HasSubstr("Usage: ruvacfg board " + command));
    }
    EXPECT_THAT(InProcess({"board", "--help"}).Out, HasSubstr("diff"));
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"board"},
                                               {"board", "erase"},
                                               {"board", "list", "0"},
                                               {"board", "info"},
                                               {"board", "info", "4"},
                                               {"board", "read", "-1"},
                                               {"board", "read", "0", "-o"},
                                               {"board", "write", "0"},
                                               {"board", "write", "0", "f", "--section", "4"},
                                               {"board", "diff", "x", "f"},
                                               {"board", "diff", "0", "f", "--dry-run"}}) {
        const ToolRun run = InProcess(args);
        EXPECT_EQ(run.Code, 2) << ::testing::PrintToString(args);
        EXPECT_THAT(run.Err, StartsWith("ruvacfg: "));
        EXPECT_EQ(run.Out, "");
    }
}

TEST(BoardUsageTest, TheManualPageDocumentsEveryCommandAndOption) {
    std::string manual = ReadFileBytes(RUVACFG_MANUAL);
    manual = std::regex_replace(manual, std::regex(R"(\\-)"), "-");
    for (const std::vector<std::string>& command : std::vector<std::vector<std::string>>{{"check"},
                                                                                         {"show"},
                                                                                         {"board", "list"},
                                                                                         {"board", "info"},
                                                                                         {"board", "read"},
                                                                                         {"board", "write"},
                                                                                         {"board", "diff"}}) {
        std::vector<std::string> args = command;
        args.push_back("--help");
        const std::string help = InProcess(args).Out;
        EXPECT_THAT(manual, HasSubstr(command.back())) << command.back();
        const std::regex option(R"(--[a-z][a-z-]+)");
        for (auto it = std::sregex_iterator(help.begin(), help.end(), option); it != std::sregex_iterator();
             ++it)
            EXPECT_THAT(manual, HasSubstr(it->str())) << command.back();
    }
    EXPECT_THAT(manual, HasSubstr(".SH EXIT STATUS"));
}

} // namespace
} // namespace ruva::tool
