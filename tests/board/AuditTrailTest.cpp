#include "AuditTrail.h"

#include "BoardRig.h"
#include "MessageFormat.h"
#include "RecordingAuditLog.h"
#include "Sha256.h"
#include "ValueSets.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace ruva {
namespace {

using namespace test;
using ::testing::ElementsAre;

struct AuditRig : BoardRig {
    RecordingAuditLog log;
    AuditTrail trail{log, "ruvacfg", "alice", "pc1"};
    const ConfigSource source = ConfigSource::FromFile({"site.cfg", "5a1e"});

    AuditRig() {
        EXPECT_EQ(LoadFromBoard(Page(0)).Outcome, BoardLoadOutcome::Loaded);
        prompts.Clear();
    }
    BoardSaveResult SaveResult(WriteMode mode = WriteMode::Send) {
        TransferContext page = Page(0);
        page.Audit = &trail;
        page.Source = source;
        return SaveToBoard(page, mode);
    }
    BoardSaveOutcome Save(WriteMode mode = WriteMode::Send) { return SaveResult(mode).Outcome; }
    std::vector<std::string> Kinds() const {
        std::vector<std::string> kinds;
        for (const AuditRecord& r : log.Records)
            kinds.emplace_back(AuditKindName(r.Kind));
        return kinds;
    }
};

TEST(AuditTrailTest, ASaveThatWritesIsOneRecordOfWhoWhatAndEachChangedValue) {
    AuditRig rig;
    rig.config.Image.ClockSource = code::ClockSource::LI1;
    rig.config.General.HdlcStartAddress = 0x8800;
    rig.config.Image.Li[0].E1.TransmitLineCode = code::E1LineCode::AMI;
    EXPECT_EQ(rig.Save(), BoardSaveOutcome::Written);
    ASSERT_EQ(rig.log.Records.size(), 2u); // that it has begun, then its outcome
    const AuditRecord& r = rig.log.Records[1];
    EXPECT_EQ(r.Time.size(), 20u); // "2024-05-02T10:41:07Z"
    EXPECT_EQ(r.Time.substr(10, 1) + r.Time.substr(19), "TZ");
    EXPECT_EQ(std::tie(r.User, r.Host, r.Program, r.Board, r.SerialNo, r.Simulated, r.Source, r.Outcome),
              std::tuple("alice", "pc1", "ruvacfg", 0, "9702052", false, "file", "Written"));
    EXPECT_EQ(r.SerialNumber, 0x1234);
    EXPECT_EQ(r.File->Name + " " + r.File->Sha256, "site.cfg 5a1e");
    EXPECT_EQ(r.Kind, AuditKind::Written);
    EXPECT_THAT(r.Changes, ElementsAre("HdlcStartAddress: 0x8000 → 0x8800", "ClockSource: INTERNAL → LI1",
                                       "Li0.E1.TransmitLineCode: HDB3 → AMI"));
    EXPECT_FALSE(r.DriverError);
    EXPECT_EQ(rig.trail.Records().size(), 2u);

    // Nothing written, nothing recorded: an unchanged save, and a dry run of a change.
    EXPECT_EQ(rig.Save(), BoardSaveOutcome::Unchanged);
    rig.config.Image.ClockSource = code::ClockSource::LI0;
    EXPECT_EQ(rig.Save(WriteMode::DryRun), BoardSaveOutcome::WouldWrite);
    EXPECT_EQ(rig.log.Records.size(), 2u);
}

TEST(AuditTrailTest, EachKindOfWriteAndFailureIsOneRecord) {
    struct Case {
        const char* Name;
        std::function<void(AuditRig&)> Arrange;
        std::vector<std::string> Kinds;
        std::vector<std::string> LastChanges;
        std::optional<std::int32_t> DriverError = {};
    };
    const Case cases[] = {
        {"a blank serial record is repaired, then the save writes the version",
         [](AuditRig& rig) {
             rig.Board(0).Serial = {.RestoreCount = 4, .SerialNumber = 0xFFFF};
             rig.Board(0).Image.Version = 8;
         },
         {"begun", "repaired", "begun", "written"},
         {"Image.Version: 8 → 9"}},
        {"a refused board information write",
         [](AuditRig& rig) {
             rig.config.General.HdlcStartAddress = 0x8800;
             rig.boards.Fault(Request::WriteBoardInfo, StatusReply(7));
         },
         {"begun", "failed"},
         {"HdlcStartAddress: 0x8000 → 0x8800 (not on the board)"},
         7},
        {"an image that does not read back, without a clock selection",
         [](AuditRig& rig) {
             rig.config.Image.Li[1].DefaultMode = code::LiMode::E1;
             rig.Board(0).CorruptImageWrites = true;
         },
         {"begun", "failed"},
         {"Li1.DefaultMode: T1 → E1 (on the board)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        AuditRig rig;
        c.Arrange(rig);
        rig.Save();
        EXPECT_EQ(rig.Kinds(), c.Kinds);
        ASSERT_FALSE(rig.log.Records.empty());
        EXPECT_EQ(rig.log.Records.back().Changes, c.LastChanges);
        const auto& error = rig.log.Records.back().DriverError;
        EXPECT_EQ(error ? std::optional(error->Number) : std::nullopt, c.DriverError);
    }
    // The repair's own record: the serial record restored from the board's copy, and the clock.
    AuditRig rig;
    rig.Board(0).Serial = {.RestoreCount = 4, .SerialNumber = 0xFFFF};
    rig.Save();
    EXPECT_EQ(rig.log.Records.at(0).Source, "board 0");
    EXPECT_THAT(rig.log.Records.at(0).Changes,
                ElementsAre("SerialRecord.SerialNumber: 0xFFFF → 0x1234", "SerialRecord.RestoreCount: 4 → 5",
                            "Clock: unknown → INTERNAL"));
}

TEST(AuditTrailTest, ALogThatRefusesRecordsWarnsOnceAndStopsNoWrite) {
    AuditRig rig;
    rig.log.Problem = "no system log";
    for (const std::int16_t clock : {code::ClockSource::LI0, code::ClockSource::LI1}) {
        rig.config.Image.ClockSource = clock;
        EXPECT_EQ(rig.Save(), BoardSaveOutcome::Written);
    }
    const std::vector<std::string> timeline = rig.Timeline();
    EXPECT_EQ(std::count(timeline.begin(), timeline.end(),
                         Warning(FormatText(texts::AuditLogFailed, {"no system log"}))),
              1);
    EXPECT_EQ(rig.trail.Records().size(), 4u); // still reported, as in --json
}

// After a failed save the board is read back: the record, the result and the messages say which
// changes it holds, with the driver's error, and "rolled back" only when a set-back left the board as
// it was before.
TEST(AuditTrailTest, AFailedSaveSaysWhatTheBoardHoldsAndRolledBackOnlyWhenItIsAsBefore) {
    const std::string hdlc = "HdlcStartAddress: 0x8000 → 0x8800", clock = "ClockSource: INTERNAL → LI1";
    struct Case {
        const char* Name;
        std::function<void(AuditRig&)> Arrange;
        AuditKind Kind;
        std::vector<std::string> OnBoard, NotOnBoard;
        std::optional<std::int32_t> DriverError;
        bool SetBack; // the clock was selected again
    };
    const Case cases[] = {
        {"(a) a read-back that differs after a clock change: the board keeps the new clock source",
         [](AuditRig& rig) { rig.Board(0).CorruptImageWrites = true; },
         AuditKind::Failed,
         {clock},
         {},
         {},
         false},
        {"(b) the clock refused after the HDLC start address was written",
         [](AuditRig& rig) {
             rig.config.General.HdlcStartAddress = 0x8800;
             rig.boards.Fault(Request::SetClockLi1, StatusReply(7));
         },
         AuditKind::Failed,
         {hdlc},
         {clock},
         7,
         true},
        {"(c) the image write refused with status 7 after the HDLC start address was written",
         [](AuditRig& rig) {
             rig.config.General.HdlcStartAddress = 0x8800;
             rig.boards.Fault(Request::WriteStoredConfig, StatusReply(7));
         },
         AuditKind::Failed,
         {hdlc},
         {clock},
         7,
         true},
        {"the image write refused alone: the clock set back, the board as before",
         [](AuditRig& rig) { rig.boards.Fault(Request::WriteStoredConfig, StatusReply(7)); },
         AuditKind::RolledBack,
         {},
         {clock},
         7,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        AuditRig rig;
        rig.config.Image.ClockSource = code::ClockSource::LI1;
        c.Arrange(rig);
        const BoardSaveResult save = rig.SaveResult();
        EXPECT_EQ(save.OnBoard, c.OnBoard);
        EXPECT_EQ(save.NotOnBoard, c.NotOnBoard);
        EXPECT_EQ(save.Changed, !c.OnBoard.empty());
        ASSERT_EQ(rig.Kinds().size(), 2u);
        const AuditRecord& outcome = rig.log.Records[1];
        EXPECT_EQ(outcome.Kind, c.Kind);
        std::vector<std::string> placed;
        for (const std::string& line : c.OnBoard)
            placed.push_back(line + " (on the board)");
        for (const std::string& line : c.NotOnBoard)
            placed.push_back(line + " (not on the board)");
        std::sort(placed.begin(), placed.end());
        std::vector<std::string> recorded = outcome.Changes;
        std::sort(recorded.begin(), recorded.end());
        EXPECT_EQ(recorded, placed);
        EXPECT_EQ(outcome.DriverError ? std::optional(outcome.DriverError->Number) : std::nullopt,
                  c.DriverError);
        EXPECT_EQ(!rig.channel.RequestsWith(Request::SetClockInternal).empty(), c.SetBack);
        // A board that holds some of the changes says so, after the description's own message.
        const bool told =
            std::any_of(rig.prompts.Messages.begin(), rig.prompts.Messages.end(), [](const ShownMessage& m) {
                return m.Text.find(" holds these of its changes: ") != std::string::npos;
            });
        EXPECT_EQ(told, !c.OnBoard.empty());
    }
}

struct ProcessEnded {};

// A save whose process ends between its first and its last write has its changes on record: the
// record that it has begun, which says that the board may be partly written.
TEST(AuditTrailTest, ASaveCutShortLeavesItsBegunRecord) {
    AuditRig rig;
    rig.config.General.HdlcStartAddress = 0x8800;
    rig.config.Image.ClockSource = code::ClockSource::LI1;
    rig.channel.SetHandler([&rig](const RecordedRequest& request) {
        if (request.AsRequest() == Request::WriteStoredConfig)
            throw ProcessEnded{};
        return rig.boards.Answer(request);
    });
    EXPECT_THROW(rig.Save(), ProcessEnded);
    ASSERT_EQ(rig.log.Records.size(), 1u);
    const AuditRecord& begun = rig.log.Records[0];
    EXPECT_EQ(begun.Kind, AuditKind::Begun);
    EXPECT_THAT(begun.Changes,
                ElementsAre("HdlcStartAddress: 0x8000 → 0x8800", "ClockSource: INTERNAL → LI1"));
    EXPECT_THAT(AuditSummary(begun), ::testing::EndsWith("outcome " + std::string(BegunOutcome)));
    EXPECT_THAT(std::string(BegunOutcome), ::testing::HasSubstr("may be partly written"));
}

TEST(AuditTrailTest, Sha256OfTheBytesGiven) {
    Sha256 digest;
    const std::string text = "abc";
    digest.Update({reinterpret_cast<const unsigned char*>(text.data()), 1});
    digest.Update({reinterpret_cast<const unsigned char*>(text.data()) + 1, 2});
    EXPECT_EQ(digest.HexDigest(), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

} // namespace
} // namespace ruva
