#include "BoardTransfer.h"

#include "BoardHold.h"
#include "MessageFormat.h"
#include "SavePlan.h"
#include "Texts.h"

#include <optional>
#include <variant>

namespace ruva {

namespace {

BoardLoadOutcome RefusedLoad(BoardHold::Refusal refusal) {
    return refusal == BoardHold::Refusal::Busy           ? BoardLoadOutcome::Busy
           : refusal == BoardHold::Refusal::LockUnusable ? BoardLoadOutcome::LockUnusable
                                                         : BoardLoadOutcome::NotStarted;
}

BoardSaveOutcome RefusedSave(BoardHold::Refusal refusal) {
    return refusal == BoardHold::Refusal::Busy           ? BoardSaveOutcome::Busy
           : refusal == BoardHold::Refusal::LockUnusable ? BoardSaveOutcome::LockUnusable
                                                         : BoardSaveOutcome::NotStarted;
}

} // namespace

BoardLoadResult LoadFromBoard(const TransferContext& page) {
    if (!page.BoardAvailable)
        return {BoardLoadOutcome::BoardUnavailable, result::Success};
    BoardHold hold(page.BoardDriver, page.BoardNumber);
    return LoadFromBoard(page, hold);
}

BoardLoadResult LoadFromBoard(const TransferContext& page, BoardHold& hold) {
    if (!page.BoardAvailable)
        return {BoardLoadOutcome::BoardUnavailable, result::Success};
    MessageList shown{{}, page.AsTheyCome};
    if (const BoardHold::Refusal refusal = hold.Refused(); refusal != BoardHold::Refusal::None) {
        shown.Add(hold.RefusedMessage());
        return {RefusedLoad(refusal), result::Success, false, std::move(shown.All)};
    }
    Driver& driver = page.BoardDriver;
    const auto board = static_cast<std::uint16_t>(page.BoardNumber);
    const auto failed = [&](std::int32_t r) {
        ReportDriverError(driver, shown, r);
        return BoardLoadResult{BoardLoadOutcome::DriverError, r, false, std::move(shown.All)};
    };

    BoardInfo info;
    if (std::int32_t r = driver.ReadBoardInfo(board, info); r != result::Success)
        return failed(r);
    ImageBytes bytes{};
    if (std::int32_t r = driver.ReadStoredConfig(board, bytes); r != result::Success)
        return failed(r);

    // The image is taken as stored, header words included.
    page.Config.General.HdlcStartAddress = info.HdlcStartAddress;
    page.Config.Image = StoredConfig::fromBytes(bytes);
    page.ConfigLoaded = true;
    return {BoardLoadOutcome::Loaded, result::Success, hold.ClockUnsure()};
}

namespace {

// Whether the board check's repair wrote the serial record (in a dry run: would write it).
bool RepairWritten(const BoardWriter& writer) {
    for (std::size_t i = 0; i < writer.Writes().size(); ++i)
        if (std::holds_alternative<SerialRecord>(writer.Writes()[i]) &&
            writer.Results()[i] == result::Success)
            return true;
    return false;
}

// The board's stored image read into a zero-filled buffer: a failed read leaves zeros, which never
// equal an image of the current version. `readResult` receives the read's result.
ImageBytes ReadImageOrZeros(Driver& driver, std::uint16_t board, std::int32_t& readResult) {
    ImageBytes bytes{};
    readResult = driver.ReadStoredConfig(board, bytes);
    return bytes;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += (text.empty() ? "" : "; ") + line;
    return text.empty() ? "nothing" : text;
}

// One save carried out: its plan, made from what the board was found to hold, sent under the board's
// hold in its order, with the clock step and its set-back, the read-back, the records and the
// messages. At every moment it knows what the board holds as far as the requests' results and the
// reads tell (found_), and so where each planned change is.
class SaveExecution {
public:
    SaveExecution(const TransferContext& page, BoardWriter& writer, BoardHold& hold, MessageList& shown,
                  const BoardSnapshot& before)
        : page_(page), writer_(writer), hold_(hold), shown_(shown),
          board_(static_cast<std::uint16_t>(page.BoardNumber)), checkWrites_(writer.Writes().size()),
          before_(before),
          plan_(PlanSave(before, page.Config)), found_{before.Info,
                                                       before.ImageRead ? std::optional(before.Image)
                                                                        : std::nullopt,
                                                       false, std::nullopt} {}

    BoardSaveResult Run() {
        Driver& driver = page_.BoardDriver;
        if (plan_.Info) {
            Begin();
            if (const std::int32_t r = writer_.WriteBoardInfo(board_, *plan_.Info); r != result::Success) {
                // A refusal may come after the board stored it: what it holds is read back.
                BoardInfo info;
                found_.Info = driver.ReadBoardInfo(board_, info) == result::Success ? std::optional(info)
                                                                                    : std::nullopt;
                return Refused(r, true);
            }
            found_.Info = plan_.Info;
        }
        page_.Config.Image.Version = StoredConfig::CurrentVersion;
        ReadImageAgain();
        if (plan_.Clock || plan_.Image) {
            // The mark is set before the selection, so that a process that ends before the image is
            // stored leaves it behind, and cleared once the clock and the stored image agree again.
            noted_ = !plan_.Clock || writer_.IsDryRun() || hold_.MarkClockUnsure(true);
            if (plan_.Clock) {
                Begin();
                const std::int32_t r = SelectClock(*plan_.Clock);
                if (r != result::Success) {
                    // Its reply may have been lost while the board carried it out, so the stored image's
                    // clock source is selected again.
                    const bool agree = SetBack(found_.Image, std::nullopt);
                    return Refused(r, agree);
                }
            }
            if (plan_.Image) {
                Begin();
                if (auto end = WriteImage())
                    return *end;
            }
            ClockAgrees();
        }
        if (writer_.IsDryRun())
            return Finish(plan_.Empty() ? BoardSaveOutcome::Unchanged : BoardSaveOutcome::WouldWrite);
        const BoardSaveOutcome outcome =
            plan_.Empty() ? BoardSaveOutcome::Unchanged : BoardSaveOutcome::Written;
        Close(outcome);
        shown_.Add(plan_.Empty() ? "save_unchanged" : "saved_to_board", MessageIcon::Information,
                   plan_.Empty() ? texts::SaveUnchanged : texts::SaveSucceeded);
        return Finish(outcome);
    }

private:
    // The image as the board holds it now. The plan was made from the check's read: a read that
    // differs (one that failed, say) makes the plan's image part anew from it.
    void ReadImageAgain() {
        std::int32_t read = result::Success;
        const ImageBytes now = ReadImageOrZeros(page_.BoardDriver, board_, read);
        if (now == before_.Image && (read == result::Success) == before_.ImageRead)
            return;
        before_.Image = now;
        before_.ImageRead = read == result::Success;
        found_.Image = before_.ImageRead ? std::optional(now) : std::nullopt;
        const std::optional<BoardInfo> written = plan_.Info;
        plan_ = PlanSave(before_, page_.Config);
        plan_.Info = written;
    }

    // Writes the image and reads it back (none in a dry run); the save's end when it does not read back
    // equal. The write's own result is not trusted either way: the read-back decides.
    std::optional<BoardSaveResult> WriteImage() {
        const ImageBytes& wanted = *plan_.Image;
        const std::int32_t written = writer_.WriteStoredConfig(board_, wanted);
        if (writer_.IsDryRun()) {
            found_.Image = wanted;
            return std::nullopt;
        }
        std::int32_t read = result::Success;
        const ImageBytes stored = ReadImageOrZeros(page_.BoardDriver, board_, read);
        found_.Image = read == result::Success || stored == wanted ? std::optional(stored) : std::nullopt;
        if (stored == wanted)
            return std::nullopt;
        if (const std::int32_t r = written != result::Success ? written : read; r != result::Success)
            error_ = AuditDriverError{r, DriverErrorText(page_.BoardDriver, r)};
        const bool agree = SetBack(found_.Image, found_.Clock);
        Close(BoardSaveOutcome::VerifyFailed);
        shown_.Add("save_verify_failed", MessageIcon::Warning, texts::SaveVerifyFailed);
        WarnIfApart(agree);
        TellWhereChangesAre();
        return Finish(BoardSaveOutcome::VerifyFailed, error_ ? error_->Number : result::Success, error_);
    }

    std::int32_t SelectClock(std::int16_t clock) {
        const std::int32_t r = writer_.SetClockSource(board_, clock);
        found_.ClockTouched = true;
        found_.Clock = r == result::Success ? std::optional(clock) : std::nullopt;
        return r;
    }

    // After a save that selected the clock failed: selects the clock source of the image the board
    // holds (`stored`, when it is known) unless the board's clock already serves it (`clock`, when
    // known), so that the two agree again. False when they may still differ.
    bool SetBack(const std::optional<ImageBytes>& stored, std::optional<std::int16_t> clock) {
        if (!plan_.Clock)
            return true;
        if (!stored)
            return false;
        const std::int16_t storedClock = StoredConfig::fromBytes(*stored).ClockSource;
        if (!clock || ClockRequestFor(*clock) != ClockRequestFor(storedClock)) {
            setBack_ = true;
            if (SelectClock(storedClock) != result::Success)
                return false;
        }
        ClockAgrees();
        return true;
    }

    // The board's clock and its stored image agree: the mark goes.
    void ClockAgrees() {
        if (plan_.Clock && !writer_.IsDryRun())
            hold_.MarkClockUnsure(false);
    }

    void WarnIfApart(bool agree) {
        if (!agree)
            shown_.Add(noted_ ? "clock_differs" : "clock_differs_not_noted", MessageIcon::Warning,
                       noted_ ? texts::ClockDiffers : texts::ClockDiffersNotNoted);
    }

    // A refused request ends the save: the record is appended, then the driver's error with its text.
    BoardSaveResult Refused(std::int32_t r, bool agree) {
        error_ = AuditDriverError{r, DriverErrorText(page_.BoardDriver, r)};
        Close(BoardSaveOutcome::DriverError);
        ReportDriverError(page_.BoardDriver, shown_, error_->Number, error_->Text);
        WarnIfApart(agree);
        TellWhereChangesAre();
        return Finish(BoardSaveOutcome::DriverError, r);
    }

    // The record that the save has begun, with its planned changes, before its first write.
    void Begin() {
        AuditTrail* audit = writer_.Audit();
        if (audit == nullptr || begun_)
            return;
        begun_ = true;
        AuditRecord record = Record(AuditKind::Begun);
        record.Changes = plan_.Lines();
        audit->Append(BegunRecord(std::move(record)), shown_);
    }

    // The record of the save's outcome, when it sent a write of its own (the check records its repair
    // itself): each change as it stands on the board, and "rolled back" only when a set-back left
    // the board as it was, as read back.
    void Close(BoardSaveOutcome outcome) {
        AuditTrail* audit = writer_.Audit();
        if (audit == nullptr || writer_.Writes().size() == checkWrites_)
            return;
        const Placed placed = Place();
        const bool asBefore = placed.On.empty() && placed.Unknown.empty();
        AuditRecord record = Record(outcome == BoardSaveOutcome::Written ? AuditKind::Written
                                    : setBack_ && asBefore               ? AuditKind::RolledBack
                                                                         : AuditKind::Failed);
        for (const PlannedChange& change : plan_.Changes) {
            std::string line = change.Line;
            if (outcome != BoardSaveOutcome::Written)
                switch (PlaceOf(plan_, change, before_, found_)) {
                case ChangePlace::OnBoard:
                    line += " (on the board)";
                    break;
                case ChangePlace::NotOnBoard:
                    line += " (not on the board)";
                    break;
                case ChangePlace::Unknown:
                    line += " (not known: the board could not be read back)";
                    break;
                }
            record.Changes.push_back(std::move(line));
        }
        record.Outcome = SaveOutcomeName(outcome);
        record.DriverError = error_;
        audit->Append(std::move(record), shown_);
    }

    AuditRecord Record(AuditKind kind) const {
        return BoardRecord(page_.BoardDriver, page_.BoardNumber, page_.Config.Image.SerialNumber, kind,
                           page_.Source);
    }

    struct Placed {
        std::vector<std::string> On, Off, Unknown;
    };
    Placed Place() const {
        Placed placed;
        for (const PlannedChange& change : plan_.Changes) {
            const ChangePlace place = PlaceOf(plan_, change, before_, found_);
            (place == ChangePlace::OnBoard      ? placed.On
             : place == ChangePlace::NotOnBoard ? placed.Off
                                                : placed.Unknown)
                .push_back(change.Line);
        }
        return placed;
    }

    // After a failure: which of the planned changes the board holds all the same, as read back.
    void TellWhereChangesAre() {
        const Placed placed = Place();
        if (!placed.On.empty())
            shown_.Add("save_partly_on_board", MessageIcon::Warning,
                       FormatText(texts::SavePartlyOnBoard,
                                  {page_.BoardNumber, JoinLines(placed.On), JoinLines(placed.Off)}));
        if (const std::vector<std::string> other = UnplannedChanges(plan_, before_, found_); !other.empty())
            shown_.Add("save_unplanned_on_board", MessageIcon::Warning,
                       FormatText(texts::SaveUnplanned, {page_.BoardNumber, JoinLines(other)}));
        if (!placed.Unknown.empty())
            shown_.Add("save_not_read_back", MessageIcon::Warning,
                       FormatText(texts::SaveNotReadBack, {page_.BoardNumber, JoinLines(placed.Unknown)}));
    }

    BoardSaveResult Finish(BoardSaveOutcome outcome, std::int32_t driverResult = result::Success,
                           std::optional<AuditDriverError> unreported = std::nullopt) {
        BoardSaveResult result{outcome, driverResult, writer_.Writes(), std::move(shown_.All)};
        Placed placed;
        if (writer_.IsDryRun())
            placed.On = plan_.Lines(); // what would be on the board
        else
            placed = Place();
        result.OnBoard = std::move(placed.On);
        result.NotOnBoard = std::move(placed.Off);
        result.Unknown = std::move(placed.Unknown);
        const bool imageChanged = found_.Image && *found_.Image != before_.Image;
        const bool infoChanged =
            found_.Info && found_.Info->HdlcStartAddress != before_.Info.HdlcStartAddress;
        result.Changed = !result.OnBoard.empty() || !result.Unknown.empty() || imageChanged || infoChanged ||
                         RepairWritten(writer_);
        if (found_.Info && found_.Image) {
            BoardConfig after;
            after.Image = StoredConfig::fromBytes(*found_.Image);
            after.General.HdlcStartAddress = found_.Info->HdlcStartAddress;
            result.After = after;
        }
        result.UnreportedError = std::move(unreported);
        return result;
    }

    const TransferContext& page_;
    BoardWriter& writer_;
    BoardHold& hold_;
    MessageList& shown_;
    std::uint16_t board_;
    std::size_t checkWrites_;
    BoardSnapshot before_;
    SavePlan plan_;
    BoardFound found_;
    bool noted_ = true;
    bool begun_ = false;
    bool setBack_ = false;
    std::optional<AuditDriverError> error_;
};

BoardSaveResult Save(const TransferContext& page, BoardWriter& writer, BoardHold& hold, MessageList& shown) {
    const auto early = [&](BoardSaveOutcome outcome, std::int32_t driverResult = result::Success) {
        BoardSaveResult result{outcome, driverResult, writer.Writes(), std::move(shown.All)};
        result.Changed = RepairWritten(writer);
        return result;
    };
    BoardSnapshot before;
    if (!CheckBoard(writer, shown, page.BoardNumber, page.Config, &before.Image))
        return early(BoardSaveOutcome::CheckFailed);
    before.ImageRead = true;
    before.ClockUnsure = hold.ClockUnsure();
    const auto board = static_cast<std::uint16_t>(page.BoardNumber);
    if (std::int32_t r = page.BoardDriver.ReadBoardInfo(board, before.Info); r != result::Success) {
        ReportDriverError(page.BoardDriver, shown, r);
        return early(BoardSaveOutcome::DriverError, r);
    }
    return SaveExecution(page, writer, hold, shown, before).Run();
}

} // namespace

std::string_view SaveOutcomeName(BoardSaveOutcome outcome) {
    switch (outcome) {
    case BoardSaveOutcome::Written:
        return "Written";
    case BoardSaveOutcome::Unchanged:
        return "Unchanged";
    case BoardSaveOutcome::WouldWrite:
        return "WouldWrite";
    case BoardSaveOutcome::VerifyFailed:
        return "VerifyFailed";
    case BoardSaveOutcome::CheckFailed:
        return "CheckFailed";
    case BoardSaveOutcome::Busy:
        return "Busy";
    case BoardSaveOutcome::LockUnusable:
        return "LockUnusable";
    case BoardSaveOutcome::NotStarted:
        return "NotStarted";
    case BoardSaveOutcome::DriverError:
        break;
    }
    return "DriverError";
}

BoardSaveResult SaveToBoard(const TransferContext& page, WriteMode mode) {
    BoardHold hold(page.BoardDriver, page.BoardNumber);
    return SaveToBoard(page, hold, mode);
}

BoardSaveResult SaveToBoard(const TransferContext& page, BoardHold& hold, WriteMode mode) {
    MessageList shown{{}, page.AsTheyCome};
    if (const BoardHold::Refusal refusal = hold.Refused(); refusal != BoardHold::Refusal::None) {
        shown.Add(hold.RefusedMessage());
        return {RefusedSave(refusal), result::Success, {}, std::move(shown.All)};
    }
    BoardWriter writer(page.BoardDriver, mode, page.Audit);
    if (mode == WriteMode::Send)
        return Save(page, writer, hold, shown);
    // A dry run works on a copy, so the configuration in memory stays exactly as it was.
    BoardConfig scratch = page.Config;
    return Save({page.BoardDriver, scratch, page.ConfigLoaded, page.BoardNumber, page.BoardAvailable,
                 page.Audit, page.Source},
                writer, hold, shown);
}

} // namespace ruva
