#include "BoardCheck.h"

#include "BoardRig.h"
#include "ValueSets.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

namespace ruva {
namespace {

using namespace test;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

class BoardCheckTest : public ::testing::Test, protected BoardRig {
protected:
    bool Check(int board) { return CheckBoard(driver, board, config, nullptr, ShowingTo(prompts)).Passed; }
};

TEST_F(BoardCheckTest, IntactBoardPassesWithoutMessageAndLendsItsSerialNumber) {
    config.Image.SerialNumber = 0x7777;
    EXPECT_TRUE(Check(1));
    EXPECT_THAT(Timeline(), ElementsAreArray(CheckRequests));
    EXPECT_EQ(config.Image.SerialNumber, 0x2345);
    // Board 1 is attached at the I/O base address the driver reports.
    EXPECT_THAT(channel.RequestsWith(Request::AttachBoard).at(0).Input, ElementsAre(1, 0, 0x00, 0x03));
    for (Request read : {Request::ReadStoredConfig, Request::ReadGdsId, Request::ReadSerialRecord})
        EXPECT_THAT(channel.RequestsWith(read).at(0).Input, ElementsAre(1, 0));
}

TEST_F(BoardCheckTest, UnknownOrUnattachableBoardFailsSilently) {
    struct Case {
        const char* Name;
        int Board;
        std::function<void(BoardRig&)> Stage;
        std::vector<std::string> Requests;
    };
    const std::vector<Case> cases = {
        {"driver parameters refused",
         0,
         [](BoardRig& r) { r.boards.Fault(Request::GetDriverParameters, FailedReply()); },
         {"GetDriverParameters"}},
        {"board index equal to the number of boards", 2, [](BoardRig&) {}, {"GetDriverParameters"}},
        {"negative board index", -1, [](BoardRig&) {}, {"GetDriverParameters"}},
        {"no boards installed",
         0,
         [](BoardRig& r) { r.boards.Parameters.NumberOfBoards = 0; },
         {"GetDriverParameters"}},
        {"attach refused",
         1,
         [](BoardRig& r) { r.boards.Fault(Request::AttachBoard, StatusReply(7)); },
         {"GetDriverParameters", "AttachBoard"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        BoardRig rig;
        c.Stage(rig);
        const BoardConfig before = rig.config;
        EXPECT_FALSE(CheckBoard(rig.driver, c.Board, rig.config, nullptr, ShowingTo(rig.prompts)).Passed);
        EXPECT_EQ(rig.Timeline(), c.Requests);
        EXPECT_EQ(rig.config, before);
    }
}

TEST_F(BoardCheckTest, WithoutADriverNothingIsSent) {
    ScriptedChannel absent;
    absent.OpenSucceeds = false;
    Driver closed(absent);
    closed.OpenDriver(0);
    EXPECT_FALSE(Shown(prompts, CheckBoard(closed, 0, config)).Passed);
    EXPECT_THAT(absent.Requests, IsEmpty());
    EXPECT_THAT(prompts.Messages, IsEmpty());
}

TEST_F(BoardCheckTest, UnreadableImageOrSerialRecordIsReportedAndEndsTheCheck) {
    boards.Fault(Request::ReadStoredConfig, StatusReply(7, std::vector<std::uint8_t>(134, 0)));
    config.Image.SerialNumber = 0x7777;
    EXPECT_FALSE(Check(0));
    EXPECT_THAT(Timeline(), ElementsAre("GetDriverParameters", "AttachBoard", "ReadStoredConfig",
                                        "GetErrorText", DriverErrorMessage(7)));

    // An empty reply, and a success that lacks the record (it would read as a blank record to restore).
    for (CannedReply reply : {EmptyReply(), StatusReply(1), StatusReply(1, {0x05, 0x00})}) {
        prompts.Clear();
        boards.Fault(Request::ReadSerialRecord, reply);
        EXPECT_FALSE(Check(0));
        EXPECT_THAT(Timeline(),
                    ElementsAreArray(Then(CheckRequests, {"GetErrorText", DriverErrorMessage(51)})));
        EXPECT_EQ(config.Image.SerialNumber, 0x7777);
    }
}

TEST_F(BoardCheckTest, WrongGdsIdIsShownInTwoHexDigitsAndTheSerialRecordIsNeverRead) {
    Board(0).GdsId = 0x71;
    EXPECT_FALSE(Check(0));
    EXPECT_THAT(Timeline(), ElementsAre("GetDriverParameters", "AttachBoard", "ReadStoredConfig", "ReadGdsId",
                                        Stop("Error: Wrong GDS ID 0x71 (Expected 0x72)")));

    prompts.Clear();
    Board(0).GdsId = 0x05;
    EXPECT_FALSE(Check(0));
    EXPECT_EQ(prompts.Messages.at(0).Text, "Error: Wrong GDS ID 0x05 (Expected 0x72)");
}

TEST_F(BoardCheckTest, BlankRecordIsRestoredFromTheImageCopyAndTheStoredClockReapplied) {
    Board(0).Serial = {5, 0xFFFF};
    Board(0).Image.ClockSource = code::ClockSource::LI0;
    EXPECT_TRUE(Check(0));
    EXPECT_THAT(Timeline(), ElementsAreArray(Then(CheckRequests, {Info(texts::SerialSchemeRestored),
                                                                  "WriteSerialRecord", "SetClockLi0"})));
    EXPECT_EQ(Board(0).Serial, (SerialRecord{6, 0x1234}));
    EXPECT_EQ(config.Image.SerialNumber, 0x1234);
}

TEST_F(BoardCheckTest, RestoreEdgeValues) {
    // The restore count wraps; a copy of 1 is a serial number like any other.
    Board(0).Serial = {0xFFFF, 0};
    Board(0).Image.SerialNumber = 1;
    EXPECT_TRUE(Check(0));
    EXPECT_EQ(Board(0).Serial, (SerialRecord{0, 1}));
    EXPECT_EQ(config.Image.SerialNumber, 1);
    EXPECT_THAT(prompts.Messages, ElementsAre(ShownMessage{std::string(texts::SerialSchemeRestored),
                                                           MessageIcon::Information}));
}

TEST_F(BoardCheckTest, BlankRecordWithABlankCopyIsLostAndNothingIsWritten) {
    // Either blank, in the record or as its copy: a blank copy has nothing to restore.
    for (const auto& [record, copy] :
         {std::pair<std::uint16_t, std::uint16_t>{0, 0}, {0xFFFF, 0xFFFF}, {0, 0xFFFF}, {0xFFFF, 0}}) {
        SCOPED_TRACE(testing::Message() << record << " " << copy);
        prompts.Clear();
        config.Image.SerialNumber = 0x7777;
        Board(0).Serial = {3, record};
        Board(0).Image.SerialNumber = copy;
        EXPECT_FALSE(Check(0));
        EXPECT_THAT(Timeline(), ElementsAreArray(Then(CheckRequests, {Stop(texts::SerialNumberLost)})));
        EXPECT_EQ(Board(0).Serial, (SerialRecord{3, record}));
        EXPECT_EQ(config.Image.SerialNumber, 0x7777);
    }
}

TEST_F(BoardCheckTest, RefusedRestoreOrClockReapplyIsReported) {
    Board(0).Serial = {0, 0};
    boards.Fault(Request::WriteSerialRecord, StatusReply(9));
    config.Image.SerialNumber = 0x7777;
    EXPECT_FALSE(Check(0));
    EXPECT_THAT(Timeline(),
                ElementsAreArray(Then(CheckRequests, {Info(texts::SerialSchemeRestored), "WriteSerialRecord",
                                                      "GetErrorText", DriverErrorMessage(9)})));
    EXPECT_EQ(config.Image.SerialNumber, 0x7777);

    // The record is restored, but the clock source the note promised is refused.
    prompts.Clear();
    Board(0).Image.ClockSource = code::ClockSource::LI1;
    boards.Fault(Request::SetClockLi1, StatusReply(0x0C));
    EXPECT_FALSE(Check(0));
    EXPECT_THAT(Timeline(), ElementsAreArray(Then(
                                CheckRequests, {Info(texts::SerialSchemeRestored), "WriteSerialRecord",
                                                "SetClockLi1", "GetErrorText", DriverErrorMessage(0x0C)})));
    EXPECT_EQ(Board(0).Serial, (SerialRecord{1, 0x1234}));
    EXPECT_EQ(config.Image.SerialNumber, 0x7777);
}

TEST_F(BoardCheckTest, CopyThatDiffersFromAValidRecordIsOnlyNoted) {
    Board(0).Serial = {0, 0x2000};
    Board(0).Image.SerialNumber = 0x1FFF;
    EXPECT_TRUE(Check(0));
    EXPECT_THAT(Timeline(), ElementsAreArray(Then(CheckRequests, {Info(texts::SerialSchemeRestored)})));
    EXPECT_EQ(config.Image.SerialNumber, 0x2000);
    EXPECT_EQ(Board(0).Image.SerialNumber, 0x1FFF);
}

TEST_F(BoardCheckTest, OldVersionIsNotedAfterTheSerialNote) {
    Board(0).Image.Version = 8;
    Board(0).Image.SerialNumber = 0x1FFF;
    EXPECT_TRUE(Check(0));
    EXPECT_THAT(Timeline(),
                ElementsAreArray(Then(
                    CheckRequests,
                    {Info(texts::SerialSchemeRestored),
                     Info("The board contains an incompatible version of the Configuration Data "
                          "(Version 8). This Configuration Data version will be changed to Version 9.")})));
    EXPECT_EQ(Board(0).Image.Version, 8);
}

TEST_F(BoardCheckTest, DryRunPlansTheRestoreWithoutSendingIt) {
    Board(0).Serial = {5, 0};
    Board(0).Image.ClockSource = code::ClockSource::EXTERNAL_2M;
    BoardWriter writer(driver, WriteMode::DryRun);
    MessageList shown{{}, ShowingTo(prompts)};
    EXPECT_TRUE(CheckBoard(writer, shown, 0, config));
    EXPECT_THAT(Timeline(), ElementsAreArray(Then(CheckRequests, {Info(texts::SerialSchemeRestored)})));
    EXPECT_THAT(writer.Writes(), ElementsAre(BoardWrite{SerialRecord{6, 0x1234}},
                                             BoardWrite{ClockSelection{code::ClockSource::EXTERNAL_2M}}));
    EXPECT_EQ(Board(0).Serial, (SerialRecord{5, 0}));
}

} // namespace
} // namespace ruva
