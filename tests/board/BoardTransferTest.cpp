#include "BoardTransfer.h"

#include "BoardFile.h"
#include "BoardRig.h"
#include "CfgTestSupport.h"
#include "MessageFormat.h"
#include "SimChannel.h"
#include "TerminationHold.h"
#include "ValueSets.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#ifndef _WIN32
#include <csignal>
#endif

namespace ruva {
namespace {

using namespace test;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

const std::string Succeeded = Info(texts::SaveSucceeded);
const std::string Unchanged = Info(texts::SaveUnchanged);

class BoardTransferTest : public ::testing::Test, protected BoardRig {
protected:
    // Loads board `board` into memory and forgets the load's requests.
    void Loaded(int board) {
        ASSERT_EQ(LoadFromBoard(Page(board)).Outcome, BoardLoadOutcome::Loaded);
        prompts.Clear();
    }
};

TEST_F(BoardTransferTest, LoadThenSaveWithoutEditsWritesNothing) {
    const BoardLoadResult load = LoadFromBoard(Page(0));
    EXPECT_EQ(load.Outcome, BoardLoadOutcome::Loaded);
    EXPECT_TRUE(configLoaded);
    EXPECT_THAT(Timeline(), ElementsAre("ReadBoardInfo", "ReadStoredConfig"));
    EXPECT_EQ(config.General, (GeneralSettings{0x8000}));
    EXPECT_EQ(config.Image.ClockSource, code::ClockSource::INTERNAL);
    EXPECT_EQ(config.Image.Li[0].DefaultMode, code::LiMode::E1);
    EXPECT_EQ(config.Image.Li[1].DefaultMode, code::LiMode::T1);
    EXPECT_EQ(config.Image, Board(0).Image);

    prompts.Clear();
    const BoardSaveResult save = SaveToBoard(Page(0));
    EXPECT_EQ(save.Outcome, BoardSaveOutcome::Unchanged);
    EXPECT_THAT(save.Writes, IsEmpty());
    EXPECT_THAT(Timeline(),
                ElementsAreArray(Then(CheckRequests, {"ReadBoardInfo", "ReadStoredConfig", Unchanged})));
}

TEST_F(BoardTransferTest, OldVersionIsLoadedAsStoredAndSavedAsVersion9) {
    Board(0).Image.Version = 8;
    Loaded(0);
    EXPECT_EQ(config.Image.Version, 8);

    const BoardSaveResult save = SaveToBoard(Page(0));
    EXPECT_EQ(save.Outcome, BoardSaveOutcome::Written);
    EXPECT_THAT(Timeline(),
                ElementsAreArray(Then(CheckRequests, {VersionNote(8), "ReadBoardInfo", "ReadStoredConfig",
                                                      "WriteStoredConfig", "ReadStoredConfig", Succeeded})));
    EXPECT_EQ(Board(0).Image.Version, 9);
    EXPECT_EQ(Board(0).Image, config.Image);
    EXPECT_THAT(save.Writes, ElementsAre(BoardWrite{config.Image.toBytes()}));
}

TEST_F(BoardTransferTest, OnlyTheHdlcStartAddressEditedWritesBoardInfoAlone) {
    Loaded(0);
    BoardInfo expected = Board(0).Info;
    expected.HdlcStartAddress = 0x8800;
    config.General.HdlcStartAddress = 0x8800;

    EXPECT_EQ(SaveToBoard(Page(0)).Outcome, BoardSaveOutcome::Written);
    EXPECT_THAT(Timeline(), ElementsAreArray(Then(CheckRequests, {"ReadBoardInfo", "WriteBoardInfo",
                                                                  "ReadStoredConfig", Succeeded})));
    EXPECT_EQ(Board(0).Info, expected); // the rest of the record carried through as read
}

TEST_F(BoardTransferTest, ClockSourceEditSelectsTheClockBeforeTheImageIsWritten) {
    struct Case {
        std::int16_t ClockSource;
        std::vector<std::string> ClockRequest;
    };
    for (const Case& c : {Case{code::ClockSource::LI1, {"SetClockLi1"}},
                          Case{code::ClockSource::MVIP_MASTER_CLK, {"SetClockInternal"}},
                          Case{code::ClockSource::INTERNAL, {}}}) {
        SCOPED_TRACE(c.ClockSource);
        BoardRig rig;
        LoadFromBoard(rig.Page(0));
        rig.prompts.Clear();
        rig.config.Image.ClockSource = c.ClockSource;
        rig.config.Image.Li[1].DefaultMode = code::LiMode::E1; // the image differs in every case

        EXPECT_EQ(SaveToBoard(rig.Page(0)).Outcome, BoardSaveOutcome::Written);
        EXPECT_THAT(rig.Timeline(),
                    ElementsAreArray(
                        Then(Then(CheckRequests, {"ReadBoardInfo", "ReadStoredConfig"}),
                             Then(c.ClockRequest, {"WriteStoredConfig", "ReadStoredConfig", Succeeded}))));
        EXPECT_EQ(rig.Board(0).Image.ClockSource, c.ClockSource);
        EXPECT_EQ(rig.Board(0).Image.Li[1].DefaultMode, code::LiMode::E1);
    }
}

TEST_F(BoardTransferTest, ReadBackThatDiffersWarnsAndKeepsTheAlignedImageInMemory) {
    Loaded(0);
    Board(0).CorruptImageWrites = true;
    config.Image.ClockSource = code::ClockSource::LI0;

    const BoardSaveResult save = SaveToBoard(Page(0));
    EXPECT_EQ(save.Outcome, BoardSaveOutcome::VerifyFailed);
    // The board holds the clock source and another value all the same: it says so.
    EXPECT_THAT(
        Timeline(),
        ElementsAreArray(Then(
            CheckRequests,
            {"ReadBoardInfo", "ReadStoredConfig", "SetClockLi0", "WriteStoredConfig", "ReadStoredConfig",
             Warning(texts::SaveVerifyFailed),
             Warning(FormatText(texts::SavePartlyOnBoard, {0, "ClockSource: INTERNAL → LI0", "nothing"})),
             Warning(FormatText(texts::SaveUnplanned, {0, "Li1.T1.ClearChannels: 0x000000 → 0x000001"}))})));
    EXPECT_EQ(config.Image.ClockSource, code::ClockSource::LI0);
    EXPECT_EQ(config.Image.Version, 9);
}

TEST_F(BoardTransferTest, UnreadableImageOnSaveLeadsToAWriteAndAFailedReadBackToTheWarning) {
    Board(0).Image.ClockSource = code::ClockSource::LI1;
    Loaded(0);
    config.Image.ClockSource = code::ClockSource::INTERNAL;
    boards.Fault(Request::ReadStoredConfig, FailedReply(), 1); // the check's read succeeds
    EXPECT_EQ(SaveToBoard(Page(0)).Outcome, BoardSaveOutcome::Written);
    // The zero-filled buffer reads as clock INTERNAL, but the board's clock is unknown: it is selected.
    EXPECT_THAT(Timeline(),
                ElementsAreArray(Then(CheckRequests, {"ReadBoardInfo", "ReadStoredConfig", "SetClockInternal",
                                                      "WriteStoredConfig", "ReadStoredConfig", Succeeded})));
    EXPECT_EQ(Board(0).ClockSelected, Request::SetClockInternal);

    prompts.Clear();
    config.Image.Li[0].DefaultMode = code::LiMode::T1;
    boards.Fault(Request::ReadStoredConfig, EmptyReply(), 2);
    EXPECT_EQ(SaveToBoard(Page(0)).Outcome, BoardSaveOutcome::VerifyFailed);
    EXPECT_THAT(prompts.Messages,
                ElementsAre(ShownMessage{std::string(texts::SaveVerifyFailed), MessageIcon::Warning},
                            ShownMessage{FormatText(texts::SaveNotReadBack, {0, "Li0.DefaultMode: E1 → T1"}),
                                         MessageIcon::Warning}));
}

TEST_F(BoardTransferTest, LoadFromOneBoardSaveToAnotherKeepsTheTargetsSerialNumber) {
    Board(0).Image.Li[0].E1.LineLength = 200;
    Board(0).Image.Li[1].T1.ClearChannels = 0x00FF00FF;
    Loaded(0);

    EXPECT_EQ(SaveToBoard(Page(1)).Outcome, BoardSaveOutcome::Written);
    EXPECT_THAT(Timeline(),
                ElementsAreArray(Then(CheckRequests, {"ReadBoardInfo", "WriteBoardInfo", "ReadStoredConfig",
                                                      "WriteStoredConfig", "ReadStoredConfig", Succeeded})));
    StoredConfig expected = Board(0).Image;
    expected.SerialNumber = 0x2345;
    EXPECT_EQ(Board(1).Image, expected);
    EXPECT_EQ(Board(1).Info.HdlcStartAddress, 0x8000u);
    EXPECT_EQ(Board(0).Image.SerialNumber, 0x1234);
}

TEST_F(BoardTransferTest, RefusedClockSelectionStopsTheSaveAndTheNextSaveSelectsAgain) {
    Loaded(0);
    config.Image.ClockSource = code::ClockSource::LI1;
    boards.Fault(Request::SetClockLi1, StatusReply(7));

    const BoardSaveResult refused = SaveToBoard(Page(0));
    EXPECT_EQ(refused.Outcome, BoardSaveOutcome::DriverError);
    EXPECT_EQ(refused.DriverResult, 7);
    EXPECT_THAT(Timeline(),
                ElementsAreArray(Then(CheckRequests, {"ReadBoardInfo", "ReadStoredConfig", "SetClockLi1",
                                                      "SetClockInternal", "GetErrorText", DriverErrorMessage(7)})));
    EXPECT_EQ(Board(0).Image.ClockSource, code::ClockSource::INTERNAL); // the image was not written

    prompts.Clear();
    EXPECT_EQ(SaveToBoard(Page(0)).Outcome, BoardSaveOutcome::Written);
    EXPECT_THAT(Timeline(),
                ElementsAreArray(Then(CheckRequests, {"ReadBoardInfo", "ReadStoredConfig", "SetClockLi1",
                                                      "WriteStoredConfig", "ReadStoredConfig", Succeeded})));
    EXPECT_EQ(Board(0).ClockSelected, Request::SetClockLi1);
    EXPECT_EQ(Board(0).Image.ClockSource, code::ClockSource::LI1);
}

TEST_F(BoardTransferTest, FailedLoadLeavesMemoryAndFlagAlone) {
    struct Case {
        const char* Name;
        Request Failing;
        CannedReply Reply;
        std::vector<std::string> Timeline;
    };
    const std::vector<Case> cases = {
        {"board info refused",
         Request::ReadBoardInfo,
         StatusReply(0x33, std::vector<std::uint8_t>(44, 0xEE)),
         {"ReadBoardInfo", "GetErrorText", DriverErrorMessage(0x33)}},
        {"image status 7",
         Request::ReadStoredConfig,
         StatusReply(7, std::vector<std::uint8_t>(134, 0xEE)),
         {"ReadBoardInfo", "ReadStoredConfig", "GetErrorText", DriverErrorMessage(7)}},
        {"image reply without the image",
         Request::ReadStoredConfig,
         StatusReply(1),
         {"ReadBoardInfo", "ReadStoredConfig", "GetErrorText", DriverErrorMessage(51)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        BoardRig rig;
        rig.config.General.HdlcStartAddress = 0x4444;
        const BoardConfig before = rig.config;
        rig.boards.Fault(c.Failing, c.Reply);
        const BoardLoadResult load = LoadFromBoard(rig.Page(0));
        EXPECT_EQ(load.Outcome, BoardLoadOutcome::DriverError);
        EXPECT_EQ(rig.Timeline(), c.Timeline);
        EXPECT_EQ(rig.config, before);
        EXPECT_FALSE(rig.configLoaded);
    }
}

TEST_F(BoardTransferTest, LoadOnAnUnavailableBoardDoesNothing) {
    const BoardLoadResult load = LoadFromBoard(Page(0, false));
    EXPECT_EQ(load.Outcome, BoardLoadOutcome::BoardUnavailable);
    EXPECT_THAT(Timeline(), IsEmpty());
    EXPECT_FALSE(configLoaded);
}

TEST_F(BoardTransferTest, RefusedBoardInfoStopsTheSaveBeforeTheImage) {
    Loaded(0);
    config.General.HdlcStartAddress = 0x8800;
    config.Image.ClockSource = code::ClockSource::LI1;
    const StoredConfig imageBefore = config.Image;
    boards.Fault(Request::WriteBoardInfo, StatusReply(0x44));

    const BoardSaveResult save = SaveToBoard(Page(0));
    EXPECT_EQ(save.Outcome, BoardSaveOutcome::DriverError);
    EXPECT_EQ(save.DriverResult, 0x44);
    EXPECT_THAT(Timeline(),
                ElementsAreArray(Then(CheckRequests, {"ReadBoardInfo", "WriteBoardInfo", "ReadBoardInfo",
                                                      "GetErrorText", DriverErrorMessage(0x44)})));
    EXPECT_EQ(config.Image, imageBefore);

    // A failed read, or one that lacks the record, is no zero HDLC start address to write back.
    for (CannedReply reply : {FailedReply(), StatusReply(1, std::vector<std::uint8_t>(40, 0))}) {
        prompts.Clear();
        boards.Fault(Request::ReadBoardInfo, reply);
        EXPECT_EQ(SaveToBoard(Page(0)).Outcome, BoardSaveOutcome::DriverError);
        EXPECT_THAT(Timeline(), ElementsAreArray(Then(CheckRequests, {"ReadBoardInfo", "GetErrorText",
                                                                      DriverErrorMessage(51)})));
    }
}

TEST_F(BoardTransferTest, FailedCheckNeverChangesTheBoard) {
    struct Case {
        const char* Name;
        std::function<void(BoardRig&)> Stage;
    };
    const std::vector<Case> cases = {
        {"board not installed", [](BoardRig& r) { r.boards.Parameters.NumberOfBoards = 0; }},
        {"attach refused", [](BoardRig& r) { r.boards.Fault(Request::AttachBoard, FailedReply()); }},
        {"image unreadable", [](BoardRig& r) { r.boards.Fault(Request::ReadStoredConfig, StatusReply(3)); }},
        {"wrong GDS ID", [](BoardRig& r) { r.Board(0).GdsId = 0x34; }},
        {"serial record unreadable",
         [](BoardRig& r) { r.boards.Fault(Request::ReadSerialRecord, FailedReply()); }},
        {"serial number lost",
         [](BoardRig& r) { r.Board(0).Serial.SerialNumber = r.Board(0).Image.SerialNumber = 0; }},
        {"restore refused",
         [](BoardRig& r) {
             r.Board(0).Serial.SerialNumber = 0xFFFF;
             r.boards.Fault(Request::WriteSerialRecord, StatusReply(9));
         }},
        {"clock re-apply after the restore refused",
         [](BoardRig& r) {
             r.Board(0).Serial.SerialNumber = 0;
             r.boards.Fault(Request::SetClockInternal, StatusReply(9));
         }},
        {"blank record with the other blank as its copy",
         [](BoardRig& r) {
             r.Board(0).Serial.SerialNumber = 0;
             r.Board(0).Image.SerialNumber = 0xFFFF;
         }},
        {"serial record reply without the record",
         [](BoardRig& r) { r.boards.Fault(Request::ReadSerialRecord, StatusReply(1)); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        BoardRig rig;
        LoadFromBoard(rig.Page(0));
        rig.config.General.HdlcStartAddress = 0x8800;
        rig.config.Image.ClockSource = code::ClockSource::LI0;
        c.Stage(rig);
        const FakeBoard boardBefore = rig.Board(0);
        const BoardConfig configBefore = rig.config;

        const BoardSaveResult save = SaveToBoard(rig.Page(0));
        EXPECT_EQ(save.Outcome, BoardSaveOutcome::CheckFailed);
        EXPECT_EQ(rig.Board(0).Image, boardBefore.Image);
        EXPECT_EQ(rig.Board(0).Info, boardBefore.Info);
        EXPECT_FALSE(rig.Board(0).ClockSelected.has_value());
        EXPECT_EQ(rig.config, configBefore);
        for (Request write : {Request::WriteStoredConfig, Request::WriteBoardInfo})
            EXPECT_THAT(rig.channel.RequestsWith(write), IsEmpty());
    }
}

TEST_F(BoardTransferTest, DryRunListsTheWritesOfTheRealSaveAndSendsNone) {
    Board(0).Image.ClockSource = code::ClockSource::LI0;
    Board(0).Image.Version = 8;
    Loaded(0);
    Board(0).Serial = {2, 0}; // blank record: the check restores it from the image's copy
    config.General.HdlcStartAddress = 0x8800;
    config.Image.ClockSource = code::ClockSource::LI1;
    const BoardConfig configBefore = config;
    const FakeBoard boardBefore = Board(0);

    const BoardSaveResult plan = SaveToBoard(Page(0), WriteMode::DryRun);
    EXPECT_EQ(plan.Outcome, BoardSaveOutcome::WouldWrite);
    // The check's notes are shown; nothing is sent but reads, and there is no closing message.
    EXPECT_THAT(Timeline(),
                ElementsAreArray(Then(CheckRequests, {Info(texts::SerialSchemeRestored), VersionNote(8),
                                                      "ReadBoardInfo", "ReadStoredConfig"})));
    BoardInfo newInfo = boardBefore.Info;
    newInfo.HdlcStartAddress = 0x8800;
    StoredConfig newImage = config.Image;
    newImage.ClockSource = code::ClockSource::LI1;
    newImage.Version = 9;
    EXPECT_THAT(plan.Writes,
                ElementsAre(BoardWrite{SerialRecord{3, 0x1234}},
                            BoardWrite{ClockSelection{code::ClockSource::LI0}}, BoardWrite{newInfo},
                            BoardWrite{ClockSelection{code::ClockSource::LI1}},
                            BoardWrite{newImage.toBytes()}));
    EXPECT_EQ(config, configBefore);
    EXPECT_EQ(Board(0).Serial, boardBefore.Serial);
    EXPECT_EQ(Board(0).Image, boardBefore.Image);

    const BoardSaveResult real = SaveToBoard(Page(0));
    EXPECT_EQ(real.Outcome, BoardSaveOutcome::Written);
    EXPECT_EQ(real.Writes, plan.Writes);
    EXPECT_EQ(Board(0).Image, newImage);

    prompts.Clear();
    const BoardSaveResult nothing = SaveToBoard(Page(0), WriteMode::DryRun);
    EXPECT_EQ(nothing.Outcome, BoardSaveOutcome::Unchanged);
    EXPECT_THAT(nothing.Writes, IsEmpty());
    EXPECT_THAT(prompts.Messages, IsEmpty());
}

struct ProcessEnded {};

// Simulated boards whose program can end before a request is answered.
struct EndingChannel : SimChannel {
    using SimChannel::SimChannel;
    std::optional<Request> EndsAt;
    std::optional<std::size_t> Control(std::uint32_t code, std::span<const std::uint8_t> input,
                                       std::span<std::uint8_t> output) override {
        if (EndsAt == static_cast<Request>(code))
            throw ProcessEnded{};
        return SimChannel::Control(code, input, output);
    }
};

// Records, with each message, whether another program could have taken the board while it waited
// for the user, and whether requests to end the process were still held off.
struct HoldWatchingPrompts : RecordingPrompts {
    std::string Prefix;
    std::vector<bool> BoardFree;
    void ShowMessage(std::string_view text, MessageIcon icon) override {
        BoardFile other;
        bool free = other.Lock(Prefix, 0, {}) != BoardFile::Status::Busy;
#ifndef _WIN32
        struct sigaction now {};
        ::sigaction(SIGINT, nullptr, &now);
        free = free && now.sa_handler == SIG_DFL;
#endif
        BoardFree.push_back(free);
        RecordingPrompts::ShowMessage(text, icon);
    }
};

struct SimulatedPage {
    TempDir files;
    EndingChannel channel;
    std::string filesPrefix;
    Driver driver{channel, {.FilesPrefix = [this] { return filesPrefix; }}};
    HoldWatchingPrompts prompts;
    BoardConfig config;
    bool loaded = false;

    explicit SimulatedPage(sim::SimState state) : channel(std::move(state)) {
        filesPrefix = prompts.Prefix = (files / "ruva2").string();
        driver.OpenDriver(0);
        Load();
    }
    // A page's transfers: their messages shown once they have returned.
    TransferContext Page() { return {driver, config, loaded, 0, true}; }
    BoardLoadResult Load() { return Shown(prompts, LoadFromBoard(Page())); }
    BoardSaveOutcome SaveClock(std::int16_t clock) {
        config.Image.ClockSource = clock;
        return Shown(prompts, SaveToBoard(Page())).Outcome;
    }
};

// However a save fails after selecting the clock, the board's clock and its stored image's clock source
// agree afterwards, at the latest once the next save (of the other clock) has run.
TEST(ClockAgreementTest, ASaveThatFailsAfterTheClockSelectionLeavesNoDrift) {
    struct Case {
        const char* Name;
        sim::FaultMap Faults;
        bool Warned = false;                // "... may differ. The next save ... selects the clock again."
        std::optional<Request> EndsAt = {}; // the process ends before this request is answered
    };
    const Case cases[] = {
        {"image write refused", {{Request::WriteStoredConfig, {.Status = 7, .Count = 1}}}},
        {"clock reply cut short", {{Request::SetClockLi1, {.Short = 2, .Count = 1}}}},
        {"clock reply cut short, setting it back failed",
         {{Request::SetClockLi1, {.Short = 2, .Count = 1}}, {Request::SetClockInternal, {.Fail = true, .Count = 1}}},
         true},
        {"process ended before the image was stored", {}, false, Request::WriteStoredConfig},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        sim::SimState state = sim::FreshState();
        state.Boards[0].Faults = c.Faults;
        SimulatedPage page(state);
        page.channel.EndsAt = c.EndsAt;
        if (c.EndsAt)
            EXPECT_THROW(page.SaveClock(code::ClockSource::LI1), ProcessEnded);
        else
            EXPECT_NE(page.SaveClock(code::ClockSource::LI1), BoardSaveOutcome::Written);
        page.channel.EndsAt.reset();
        const auto& shown = page.prompts.Messages;
        EXPECT_EQ(std::count(shown.begin(), shown.end(),
                             ShownMessage{std::string(texts::ClockDiffers), MessageIcon::Warning}),
                  c.Warned ? 1 : 0);
        EXPECT_EQ(page.Load().ClockUnsure, c.Warned || c.EndsAt); // the board is marked

        page.SaveClock(code::ClockSource::INTERNAL); // the next save takes the board afresh, as another program
        const sim::SimBoard& board = page.channel.State().Boards[0];
        EXPECT_EQ(board.Clock, board.Image.ClockSource);
        EXPECT_EQ(page.SaveClock(code::ClockSource::INTERNAL), BoardSaveOutcome::Unchanged); // the mark is gone
    }

    // Without its board file, no save: other programs could write meanwhile.
    SimulatedPage page(sim::FreshState());
    page.filesPrefix = (page.files / "no" / "folder" / "ruva2").string();
    EXPECT_EQ(page.SaveClock(code::ClockSource::LI1), BoardSaveOutcome::LockUnusable);
    EXPECT_THAT(page.prompts.Messages.at(0).Text, ::testing::StartsWith("The board's lock file '"));
    EXPECT_EQ(page.channel.State().Boards[0].Clock, code::ClockSource::INTERNAL);
}

// No message of a check or a transfer waits for the user while the board is held: other programs can
// take the board meanwhile, and a request to end the process is no longer held off.
TEST(BoardHoldTest, MessagesWaitForTheUserWithTheBoardLetGo) {
#ifndef _WIN32
    // For the rest of the process: there each test runs in a process of its own.
    HoldTerminationDuringTransfers();
#endif
    enum class Action { Check, Load, Save, SaveWithoutBoardFile };
    struct Case {
        sim::FaultMap Faults;
        Action Do;
        std::size_t Messages;
    };
    const Case cases[] = {
        {{{Request::ReadStoredConfig, {.Status = 7}}}, Action::Check, 1},
        {{{Request::ReadBoardInfo, {.Status = 7}}}, Action::Load, 1},
        {{}, Action::Save, 1},
        {{{Request::SetClockLi1, {.Short = 2}}, {Request::SetClockInternal, {.Fail = true}}},
         Action::Save,
         3},
        {{}, Action::SaveWithoutBoardFile, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.Do));
        sim::SimState state = sim::FreshState();
        state.Boards[0].Faults = c.Faults;
        SimulatedPage page(state);
        page.prompts.Messages.clear();
        page.prompts.BoardFree.clear();
        if (c.Do == Action::SaveWithoutBoardFile)
            page.filesPrefix = (page.files / "no" / "folder" / "ruva2").string();
        if (c.Do == Action::Check)
            Shown(page.prompts, CheckBoard(page.driver, 0, page.config));
        else if (c.Do == Action::Load)
            page.Load();
        else
            page.SaveClock(code::ClockSource::LI1);
        EXPECT_EQ(page.prompts.Messages.size(), c.Messages);
        EXPECT_THAT(page.prompts.BoardFree, ::testing::Each(true));
    }
}

} // namespace
} // namespace ruva
