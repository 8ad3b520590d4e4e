// The board check and the transfers over the real socket channel against a running ruva2-sim: the
// requests as the simulator logged them, the messages, and the boards as its state file holds them.

#include "BoardTransfer.h"
#include "PosixDeviceChannel.h"
#include "RecordingPrompts.h"
#include "SimProcess.h"
#include "Texts.h"
#include "ValueSets.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <sstream>

namespace ruva {
namespace {

using test::ShownMessage;
using test::SimProcess;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using Requests = std::vector<std::string>;

const Requests Check = {"GetDriverParameters", "AttachBoard", "ReadStoredConfig", "ReadGdsId",
                        "ReadSerialRecord"};

Requests Then(Requests first, const Requests& next) {
    first.insert(first.end(), next.begin(), next.end());
    return first;
}

ShownMessage Info(std::string_view text) {
    return {std::string(text), MessageIcon::Information};
}
ShownMessage Stop(std::string_view text) {
    return {std::string(text), MessageIcon::Stop};
}

class BoardEndToEndTest : public ::testing::Test {
protected:
    // Starts a simulator on this state (a fresh one when empty) and opens the driver on it.
    void Start(const std::string& stateJson = {}) {
        sim.emplace(SimProcess::Options{.StateJson = stateJson});
        ASSERT_TRUE(sim->Start()) << sim->LogText();
        ASSERT_EQ(driver.OpenDriver(0), result::Success);
        Forget();
    }

    // Forgets the requests and messages so far, to look at the next action alone.
    void Forget() {
        logSeen = sim->LogText().size();
        prompts.Messages.clear();
    }

    // The requests the simulator served since the last Forget, by name.
    Requests Served() const {
        std::istringstream log(sim->LogText().substr(logSeen));
        Requests names;
        for (std::string line; std::getline(log, line);) {
            const std::size_t start = line.find("ruva2-sim: ");
            if (start == std::string::npos)
                continue;
            const std::string request = line.substr(start + 11);
            names.push_back(request.substr(0, request.find_first_of(" :")));
        }
        return names;
    }

    TransferContext Page(int board) {
        return {driver, config, configLoaded, board, true, nullptr, {}, test::ShowingTo(prompts)};
    }

    nlohmann::json Board(int board) const { return sim->State()["Boards"][board]; }

    std::optional<SimProcess> sim;
    PosixDeviceChannel channel;
    Driver driver{channel};
    test::RecordingPrompts prompts;
    BoardConfig config;
    bool configLoaded = false;
    std::size_t logSeen = 0;
};

TEST_F(BoardEndToEndTest, LoadFromBoard0SaveToBoard1ThenASecondSaveWritesNothing) {
    Start(R"({"Boards": [{"Image": {"ClockSource": "LI1", "Li0": {"E1": {"TransmitLineCode": "AMI"}},
                                     "Li1": {"DefaultMode": "E1", "T1": {"ClearChannels": "0x12"}}}},
                              {}]})");
    const BoardLoadResult load = LoadFromBoard(Page(0));
    EXPECT_EQ(load.Outcome, BoardLoadOutcome::Loaded);
    EXPECT_TRUE(configLoaded);
    EXPECT_THAT(Served(), ElementsAre("ReadBoardInfo", "ReadStoredConfig"));
    EXPECT_THAT(prompts.Messages, IsEmpty());
    EXPECT_EQ(config.General, (GeneralSettings{0x8000}));
    EXPECT_EQ(config.Image.ClockSource, code::ClockSource::LI1);
    EXPECT_EQ(config.Image.Li[0].DefaultMode, code::LiMode::E1);
    EXPECT_EQ(config.Image.Li[1].DefaultMode, code::LiMode::E1);

    Forget();
    EXPECT_EQ(SaveToBoard(Page(1)).Outcome, BoardSaveOutcome::Written);
    EXPECT_THAT(Served(),
                ElementsAreArray(Then(Check, {"ReadBoardInfo", "WriteBoardInfo", "ReadStoredConfig",
                                              "SetClockLi1", "WriteStoredConfig", "ReadStoredConfig"})));
    EXPECT_THAT(prompts.Messages, ElementsAre(Info(texts::SaveSucceeded)));
    nlohmann::json expected = Board(0)["Image"];
    expected["SerialNumber"] = "0x2345"; // board 1 keeps its own serial number
    EXPECT_EQ(Board(1)["Image"], expected);
    EXPECT_EQ(Board(1)["BoardInfo"]["HdlcStartAddress"], "0x8000");
    EXPECT_EQ(Board(1)["Clock"], "LI1");
    EXPECT_EQ(Board(1)["SerialRecord"]["SerialNumber"], "0x2345");

    const std::string stored = sim->StateText();
    Forget();
    EXPECT_EQ(SaveToBoard(Page(1)).Outcome, BoardSaveOutcome::Unchanged);
    EXPECT_THAT(Served(), ElementsAreArray(Then(Check, {"ReadBoardInfo", "ReadStoredConfig"})));
    EXPECT_THAT(prompts.Messages, ElementsAre(Info(texts::SaveUnchanged)));
    EXPECT_EQ(sim->StateText(), stored);
}

TEST_F(BoardEndToEndTest, OldVersionIsNotedAndSavedAsVersion9) {
    Start(R"({"Boards": [{"Image": {"Version": 8}}]})");
    ASSERT_TRUE(CheckBoard(driver, 0, config, nullptr, test::ShowingTo(prompts)).Passed);
    ASSERT_EQ(LoadFromBoard(Page(0)).Outcome, BoardLoadOutcome::Loaded);
    EXPECT_EQ(config.Image.Version, 8);
    Forget();
    EXPECT_EQ(SaveToBoard(Page(0)).Outcome, BoardSaveOutcome::Written);
    EXPECT_THAT(Served(), ElementsAreArray(Then(Check, {"ReadBoardInfo", "ReadStoredConfig",
                                                        "WriteStoredConfig", "ReadStoredConfig"})));
    EXPECT_THAT(
        prompts.Messages,
        ElementsAre(Info("The board contains an incompatible version of the Configuration Data (Version "
                         "8). This Configuration Data version will be changed to Version 9."),
                    Info(texts::SaveSucceeded)));
    EXPECT_EQ(Board(0)["Image"]["Version"], 9);
}

TEST_F(BoardEndToEndTest, ClockSelectionReachesTheBoardBeforeTheImage) {
    struct Case {
        std::int16_t ClockSource;
        const char* Request;
        const char* Selected;
    };
    for (const Case& c : {Case{code::ClockSource::LI1, "SetClockLi1", "LI1"},
                          Case{code::ClockSource::MVIP_MASTER_CLK, "SetClockInternal", "INTERNAL"}}) {
        SCOPED_TRACE(c.Request);
        Start(R"({"Boards": [{"Clock": "LI0"}]})");
        ASSERT_TRUE(CheckBoard(driver, 0, config, nullptr, test::ShowingTo(prompts)).Passed);
        ASSERT_EQ(LoadFromBoard(Page(0)).Outcome, BoardLoadOutcome::Loaded);
        config.Image.ClockSource = c.ClockSource;
        Forget();
        EXPECT_EQ(SaveToBoard(Page(0)).Outcome, BoardSaveOutcome::Written);
        EXPECT_THAT(Served(), ElementsAreArray(Then(Check, {"ReadBoardInfo", "ReadStoredConfig", c.Request,
                                                            "WriteStoredConfig", "ReadStoredConfig"})));
        EXPECT_EQ(Board(0)["Clock"], c.Selected);
        EXPECT_EQ(Board(0)["Image"]["ClockSource"], ClockSourceCode.WordFor(c.ClockSource).value());
        sim.reset();
    }
}

TEST_F(BoardEndToEndTest, ReadBackThatDiffersWarnsWithoutSuccess) {
    Start(R"({"Boards": [{"Faults": {"WriteStoredConfig": {"ReadBackDiffers": true}}}]})");
    ASSERT_EQ(LoadFromBoard(Page(0)).Outcome, BoardLoadOutcome::Loaded);
    config.Image.Li[1].T1.LineLength = 200;
    Forget();
    EXPECT_EQ(SaveToBoard(Page(0)).Outcome, BoardSaveOutcome::VerifyFailed);
    EXPECT_THAT(Served(), ElementsAreArray(Then(Check, {"ReadBoardInfo", "ReadStoredConfig",
                                                        "WriteStoredConfig", "ReadStoredConfig"})));
    // The board holds the line length all the same, and a byte that was not asked for.
    ASSERT_EQ(prompts.Messages.size(), 3u);
    EXPECT_EQ(prompts.Messages[0], (ShownMessage{std::string(texts::SaveVerifyFailed), MessageIcon::Warning}));
    EXPECT_THAT(prompts.Messages[1].Text, ::testing::HasSubstr("Li1.T1.LineLength: 100 → 200. Not on the board: nothing."));
    EXPECT_THAT(prompts.Messages[2].Text, ::testing::HasSubstr("Li1.T1.ClearChannels"));
    EXPECT_EQ(config.Image.Li[1].T1.LineLength, 200);
}

TEST_F(BoardEndToEndTest, BlankSerialRecordIsRestoredAndTheStoredClockReapplied) {
    Start(R"({"Boards": [{}, {"SerialRecord": {"RestoreCount": 5, "SerialNumber": "0xFFFF"},
                              "Image": {"SerialNumber": "0x1234", "ClockSource": "LI0"}}]})");
    EXPECT_TRUE(CheckBoard(driver, 1, config, nullptr, test::ShowingTo(prompts)).Passed);
    EXPECT_THAT(Served(), ElementsAreArray(Then(Check, {"WriteSerialRecord", "SetClockLi0"})));
    EXPECT_THAT(prompts.Messages, ElementsAre(Info(texts::SerialSchemeRestored)));
    EXPECT_EQ(Board(1)["SerialRecord"], (nlohmann::json{{"RestoreCount", 6}, {"SerialNumber", "0x1234"}}));
    EXPECT_EQ(Board(1)["Clock"], "LI0");
    EXPECT_EQ(config.Image.SerialNumber, 0x1234);
}

TEST_F(BoardEndToEndTest, FailedLoadLeavesMemoryAndTheFlagAlone) {
    Start(R"({"Boards": [{"Faults": {"ReadBoardInfo": {"Fail": true}}}]})");
    config.General.HdlcStartAddress = 0xC000;
    const BoardConfig before = config;
    const BoardLoadResult load = LoadFromBoard(Page(0));
    EXPECT_EQ(load.Outcome, BoardLoadOutcome::DriverError);
    EXPECT_EQ(load.DriverResult, result::RequestFailed);
    EXPECT_THAT(Served(), ElementsAre("ReadBoardInfo", "GetErrorText"));
    EXPECT_THAT(prompts.Messages,
                ElementsAre(Stop("Error #51: The Ruva-2 driver could not carry out the request.")));
    EXPECT_EQ(config, before);
    EXPECT_FALSE(configLoaded);
}

TEST_F(BoardEndToEndTest, BoardIndexNotBelowNumberOfBoardsSendsNothingMore) {
    Start();
    EXPECT_FALSE(CheckBoard(driver, 2, config, nullptr, test::ShowingTo(prompts)).Passed);
    EXPECT_THAT(Served(), ElementsAre("GetDriverParameters"));
    EXPECT_THAT(prompts.Messages, IsEmpty());
}

TEST_F(BoardEndToEndTest, FailedCheckNeverChangesTheStoredImage) {
    struct Case {
        const char* Name;
        const char* Board1;
        Requests Served;
        std::vector<ShownMessage> Messages;
    };
    const Case cases[] = {
        {"wrong GDS ID",
         R"({"GdsId": "0x71"})",
         {"GetDriverParameters", "AttachBoard", "ReadStoredConfig", "ReadGdsId"},
         {Stop("Error: Wrong GDS ID 0x71 (Expected 0x72)")}},
        {"serial number lost",
         R"({"SerialRecord": {"SerialNumber": 0}, "Image": {"SerialNumber": 0}})",
         Check,
         {Stop(texts::SerialNumberLost)}},
        {"serial record unreadable",
         R"({"Faults": {"ReadSerialRecord": {"Status": 7}}})",
         Then(Check, {"GetErrorText"}),
         {Stop("Error #7: Board busy")}},
        {"restore refused",
         R"({"SerialRecord": {"SerialNumber": 0}, "Faults": {"WriteSerialRecord": {"Status": 64}}})",
         Then(Check, {"WriteSerialRecord", "GetErrorText"}),
         {Info(texts::SerialSchemeRestored), Stop("Error #64: The board could not store the data.")}},
        {"attach refused",
         R"({"Faults": {"AttachBoard": {"Status": 63}}})",
         {"GetDriverParameters", "AttachBoard"},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Start(std::string(R"({"ErrorTexts": {"7": "Board busy"}, "Boards": [{}, )") + c.Board1 + "]}");
        const std::string before = sim->StateText();
        ASSERT_EQ(LoadFromBoard(Page(0)).Outcome, BoardLoadOutcome::Loaded);
        config.General.HdlcStartAddress = 0xA000;
        config.Image.Li[0].E1.SaBits = 0x0F;
        Forget();

        EXPECT_EQ(SaveToBoard(Page(1)).Outcome, BoardSaveOutcome::CheckFailed);
        EXPECT_EQ(Served(), c.Served);
        EXPECT_EQ(prompts.Messages, c.Messages);
        EXPECT_EQ(sim->StateText(), before); // nothing was stored
        sim.reset();
    }
}

} // namespace
} // namespace ruva
