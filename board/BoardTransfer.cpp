#include "BoardTransfer.h"

#include "BoardHold.h"
#include "ConfigDifferences.h"
#include "Fields.h"
#include "Texts.h"

#include <optional>

namespace ruva {

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
    if (hold.IsBusy()) {
        shown.Add(hold.Busy());
        return {BoardLoadOutcome::Busy, result::Success, false, std::move(shown.All)};
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

// The board's stored image read into a zero-filled buffer: a failed read leaves zeros, which never
// equal an image of the current version. `readResult` receives the read's result.
ImageBytes ReadImageOrZeros(Driver& driver, std::uint16_t board, std::int32_t& readResult) {
    ImageBytes bytes{};
    readResult = driver.ReadStoredConfig(board, bytes);
    return bytes;
}

// The clock selection of one save, and the board's mark that its clock may differ from the clock source
// of its stored image: set before the selection, so that a process that ends before the image is stored
// leaves it behind, and cleared once the two agree again.
class ClockStep {
public:
    ClockStep(const TransferContext& page, BoardWriter& writer, BoardHold& hold, bool select)
        : page_(page), writer_(writer), hold_(hold), select_(select),
          noted_(!select || writer.IsDryRun() || hold.MarkClockUnsure(true)) {}

    bool Selects() const { return select_; }
    std::int32_t Select() { return select_ ? Send(page_.Config.Image.ClockSource) : result::Success; }
    // The clock and the stored image agree.
    void Agreed() {
        if (select_ && !writer_.IsDryRun())
            hold_.MarkClockUnsure(false);
    }
    // After a save that selected the clock failed: selects the clock source of the image the board holds
    // (`stored`, when it is known) unless the board's clock already serves it (`selected`, when the
    // selection was carried out), so that the two agree again. False when they may still differ.
    bool SetBack(const std::optional<ImageBytes>& stored, std::optional<std::int16_t> selected) {
        if (!select_)
            return true;
        if (!stored)
            return false;
        const std::int16_t clock = StoredConfig::fromBytes(*stored).ClockSource;
        if ((!selected || ClockRequestFor(*selected) != ClockRequestFor(clock)) &&
            Send(clock) != result::Success)
            return false;
        Agreed();
        return true;
    }
    void WarnIfApart(bool agree, MessageList& shown) const {
        if (!agree)
            shown.Add(noted_ ? "clock_differs" : "clock_differs_not_noted", MessageIcon::Warning,
                      noted_ ? texts::ClockDiffers : texts::ClockDiffersNotNoted);
    }

private:
    std::int32_t Send(std::int16_t clock) {
        return writer_.SetClockSource(static_cast<std::uint16_t>(page_.BoardNumber), clock);
    }

    const TransferContext& page_;
    BoardWriter& writer_;
    BoardHold& hold_;
    bool select_;
    bool noted_;
};

// The record of one save: what it changed, or tried to, and how it ended. It is appended before the
// save's closing message, so that a failure's own message stays its last.
class SaveRecord {
public:
    SaveRecord(const TransferContext& page, BoardWriter& writer, MessageList& shown)
        : page_(page), writer_(writer), shown_(shown), checkWrites_(writer.Writes().size()) {}

    // A refused request ends the save (`rolledBack`: what it changed was set back): the record is
    // appended, then the driver's error with its text.
    void Refused(std::int32_t r, bool rolledBack) {
        error_ = AuditDriverError{r, DriverErrorText(page_.BoardDriver, r)};
        Close(BoardSaveOutcome::DriverError, rolledBack);
        ReportDriverError(page_.BoardDriver, shown_, error_->Number, error_->Text);
    }
    void Changes(std::vector<std::string> lines) {
        changes_.insert(changes_.end(), lines.begin(), lines.end());
    }

    // Appends the record when the save sent a write of its own (the check records its repair itself);
    // `rolledBack`: what the save changed was set back.
    void Close(BoardSaveOutcome outcome, bool rolledBack = false) {
        AuditTrail* audit = writer_.Audit();
        if (audit == nullptr || writer_.Writes().size() == checkWrites_)
            return;
        const AuditKind kind = outcome == BoardSaveOutcome::Written ? AuditKind::Written
                               : rolledBack                         ? AuditKind::RolledBack
                                                                    : AuditKind::Failed;
        AuditRecord record = BoardRecord(page_.BoardDriver, page_.BoardNumber,
                                         page_.Config.Image.SerialNumber, kind, page_.Source);
        record.Changes = std::move(changes_);
        record.Outcome = SaveOutcomeName(outcome);
        record.DriverError = error_;
        audit->Append(std::move(record), shown_);
    }

private:
    const TransferContext& page_;
    BoardWriter& writer_;
    MessageList& shown_;
    std::size_t checkWrites_;
    std::vector<std::string> changes_;
    std::optional<AuditDriverError> error_;
};

// The board's configuration before a save: its stored image, with the HDLC start address it had.
BoardConfig BoardBefore(const ImageBytes& onBoard, std::uint32_t hdlcStartAddress) {
    BoardConfig before;
    before.Image = StoredConfig::fromBytes(onBoard);
    before.General.HdlcStartAddress = hdlcStartAddress;
    return before;
}

// The record's lines for a save of `config`'s image over `onBoard` (`readable`: as read from the board),
// the clock included when it may differ from the stored clock source. The HDLC start address is listed
// apart; bytes that no setting names still count.
std::vector<std::string> ImageChanges(const BoardConfig& config, const ImageBytes& onBoard, bool readable,
                                      bool clockUnsure) {
    std::vector<std::string> lines;
    if (config.Image.toBytes() != onBoard) {
        lines = readable ? ChangeLines(BoardBefore(onBoard, config.General.HdlcStartAddress), config)
                         : std::vector{ChangeLine("Image", "unreadable", "written whole")};
        if (lines.empty())
            lines.push_back(ChangeLine("Image", "other bytes", "rewritten"));
    }
    if (clockUnsure)
        lines.push_back(ChangeLine("Clock", "unknown", WordText(ClockSourceCode, config.Image.ClockSource)));
    return lines;
}

// How a save ended early: its outcome and the driver's result.
struct SaveEnd {
    BoardSaveOutcome Outcome;
    std::int32_t DriverResult = result::Success;
};

// Writes the HDLC start address when it differs from the board's. The save's end when a request failed.
std::optional<SaveEnd> SaveHdlcStartAddress(const TransferContext& page, BoardWriter& writer, SaveRecord& audit,
                                            MessageList& shown, bool& changed) {
    const auto board = static_cast<std::uint16_t>(page.BoardNumber);
    BoardInfo info;
    if (std::int32_t r = page.BoardDriver.ReadBoardInfo(board, info); r != result::Success) {
        ReportDriverError(page.BoardDriver, shown, r);
        return SaveEnd{BoardSaveOutcome::DriverError, r};
    }
    if (info.HdlcStartAddress == page.Config.General.HdlcStartAddress)
        return std::nullopt;
    changed = true;
    audit.Changes(
        {ChangeLine(HdlcStartAddressSetting.Key, FormatFieldNumber(NumberStyle::Hex, info.HdlcStartAddress),
                    FormatFieldNumber(NumberStyle::Hex, page.Config.General.HdlcStartAddress))});
    info.HdlcStartAddress = page.Config.General.HdlcStartAddress;
    if (std::int32_t r = writer.WriteBoardInfo(board, info); r != result::Success) {
        audit.Refused(r, false);
        return SaveEnd{BoardSaveOutcome::DriverError, r};
    }
    return std::nullopt;
}

// Writes the configuration's image when it differs from the board's, after selecting its clock where
// the board's may differ, and reads it back. The save's end when the selection or the read-back failed.
std::optional<SaveEnd> SaveImage(const TransferContext& page, BoardWriter& writer, BoardHold& hold,
                                 SaveRecord& audit, MessageList& shown, bool& changed) {
    const auto board = static_cast<std::uint16_t>(page.BoardNumber);
    std::int32_t read = result::Success;
    const ImageBytes onBoard = ReadImageOrZeros(page.BoardDriver, board, read);
    page.Config.Image.Version = StoredConfig::CurrentVersion;
    const ImageBytes wanted = page.Config.Image.toBytes();
    // A save that failed after selecting the clock may have left it apart from the stored image.
    const bool clockUnsure = hold.ClockUnsure();
    if (wanted == onBoard && !clockUnsure)
        return std::nullopt;

    changed = true;
    audit.Changes(ImageChanges(page.Config, onBoard, read == result::Success, clockUnsure));
    // Without the board's image its clock source is unknown, so the selection is sent.
    ClockStep clock(page, writer, hold,
                    clockUnsure || read != result::Success ||
                        StoredConfig::fromBytes(onBoard).ClockSource != page.Config.Image.ClockSource);
    // A refused selection stops the save before the image. Its reply may have been lost while the
    // board carried it out, so the stored image's clock source is selected again.
    if (std::int32_t r = clock.Select(); r != result::Success) {
        const bool agree = clock.SetBack(read == result::Success ? std::optional(onBoard) : std::nullopt, {});
        audit.Refused(r, agree);
        clock.WarnIfApart(agree, shown);
        return SaveEnd{BoardSaveOutcome::DriverError, r};
    }
    if (wanted != onBoard) {
        // The write's own result is not trusted either way: the read-back decides (none in a dry run).
        writer.WriteStoredConfig(board, wanted);
        std::int32_t readBack = result::Success;
        const ImageBytes stored =
            writer.IsDryRun() ? wanted : ReadImageOrZeros(page.BoardDriver, board, readBack);
        if (stored != wanted) {
            const bool agree = clock.SetBack(readBack == result::Success ? std::optional(stored) : std::nullopt,
                                             page.Config.Image.ClockSource);
            audit.Close(BoardSaveOutcome::VerifyFailed, clock.Selects() && agree);
            shown.Add("save_verify_failed", MessageIcon::Warning, texts::SaveVerifyFailed);
            clock.WarnIfApart(agree, shown);
            return SaveEnd{BoardSaveOutcome::VerifyFailed};
        }
    }
    clock.Agreed();
    return std::nullopt;
}

BoardSaveResult Save(const TransferContext& page, BoardWriter& writer, BoardHold& hold, MessageList& shown) {
    const auto finish = [&](BoardSaveOutcome outcome, std::int32_t driverResult = result::Success) {
        return BoardSaveResult{outcome, driverResult, writer.Writes(), std::move(shown.All)};
    };
    if (!CheckBoard(writer, shown, page.BoardNumber, page.Config))
        return finish(BoardSaveOutcome::CheckFailed);
    SaveRecord audit(page, writer, shown);
    bool changed = false;
    std::optional<SaveEnd> end = SaveHdlcStartAddress(page, writer, audit, shown, changed);
    if (!end)
        end = SaveImage(page, writer, hold, audit, shown, changed);
    if (end)
        return finish(end->Outcome, end->DriverResult);
    if (writer.IsDryRun())
        return finish(changed ? BoardSaveOutcome::WouldWrite : BoardSaveOutcome::Unchanged);
    const BoardSaveOutcome outcome = changed ? BoardSaveOutcome::Written : BoardSaveOutcome::Unchanged;
    audit.Close(outcome);
    shown.Add(changed ? "saved_to_board" : "save_unchanged", MessageIcon::Information,
              changed ? texts::SaveSucceeded : texts::SaveUnchanged);
    return finish(outcome);
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
    if (hold.IsBusy()) {
        shown.Add(hold.Busy());
        return {BoardSaveOutcome::Busy, result::Success, {}, std::move(shown.All)};
    }
    BoardWriter writer(page.BoardDriver, mode, page.Audit);
    if (mode == WriteMode::Send) {
        hold.WarnWithoutFile(shown);
        return Save(page, writer, hold, shown);
    }
    // A dry run works on a copy, so the configuration in memory stays exactly as it was.
    BoardConfig scratch = page.Config;
    return Save({page.BoardDriver, scratch, page.ConfigLoaded, page.BoardNumber, page.BoardAvailable,
                 page.Audit, page.Source},
                writer, hold, shown);
}

} // namespace ruva
