#include "BoardTransfer.h"

#include "BoardHold.h"
#include "ConfigDifferences.h"
#include "Prompts.h"
#include "Texts.h"

#include <optional>

namespace ruva {

namespace {

// The page with the messages going to `user`, working on `config`.
TransferContext ShowingTo(const TransferContext& page, Prompts& user, BoardConfig& config) {
    return {.BoardDriver = page.BoardDriver,
            .User = user,
            .Config = config,
            .ConfigLoaded = page.ConfigLoaded,
            .BoardNumber = page.BoardNumber,
            .BoardAvailable = page.BoardAvailable,
            .Audit = page.Audit,
            .Source = page.Source};
}

} // namespace

BoardLoadResult LoadFromBoard(const TransferContext& page) {
    if (!page.BoardAvailable)
        return {BoardLoadOutcome::BoardUnavailable, result::Success};
    BoardHold hold(page.BoardDriver, page.User, page.BoardNumber);
    const BoardLoadResult result = LoadFromBoard(ShowingTo(page, hold.User(), page.Config), hold);
    hold.Release();
    return result;
}

BoardLoadResult LoadFromBoard(const TransferContext& page, BoardHold& hold) {
    if (!page.BoardAvailable)
        return {BoardLoadOutcome::BoardUnavailable, result::Success};
    if (hold.IsBusy())
        return {BoardLoadOutcome::Busy, result::Success};
    Driver& driver = page.BoardDriver;
    const auto board = static_cast<std::uint16_t>(page.BoardNumber);

    BoardInfo info;
    if (std::int32_t r = driver.ReadBoardInfo(board, info); r != result::Success) {
        ReportDriverError(driver, page.User, r);
        return {BoardLoadOutcome::DriverError, r};
    }
    ImageBytes bytes{};
    if (std::int32_t r = driver.ReadStoredConfig(board, bytes); r != result::Success) {
        ReportDriverError(driver, page.User, r);
        return {BoardLoadOutcome::DriverError, r};
    }

    // The image is taken as stored, header words included.
    page.Config.General.HdlcStartAddress = info.HdlcStartAddress;
    page.Config.Image = StoredConfig::fromBytes(bytes);
    page.ConfigLoaded = true;
    return {BoardLoadOutcome::Loaded, result::Success, hold.ClockUnsure()};
}

namespace {

// The board's stored image read into a zero-filled buffer: a failed read leaves zeros, which never
// equal an image of the current version. `readResult` receives the read's result.
ImageBytes ReadImageOrZeros(Driver& driver, std::uint16_t board, std::int32_t* readResult = nullptr) {
    ImageBytes bytes{};
    const std::int32_t r = driver.ReadStoredConfig(board, bytes);
    if (readResult != nullptr)
        *readResult = r;
    return bytes;
}

// After a save that selected the clock failed: selects the clock source of the image the board holds
// (`stored`, when it is known) unless the board's clock already serves it (`selected`, when the
// selection was carried out), so that the two agree again, and then clears the mark. False when they
// may still differ.
bool SetClockBack(const TransferContext& page, BoardWriter& writer, BoardHold& hold,
                  const std::optional<ImageBytes>& stored, std::optional<std::int16_t> selected) {
    if (!stored)
        return false;
    const std::int16_t clock = StoredConfig::fromBytes(*stored).ClockSource;
    if (!selected || ClockRequestFor(*selected) != ClockRequestFor(clock)) {
        if (writer.SetClockSource(static_cast<std::uint16_t>(page.BoardNumber), clock) != result::Success)
            return false;
    }
    hold.MarkClockUnsure(false);
    return true;
}

// The record of one save: what it changed, or tried to, and how it ended. It is appended before the
// save's closing message, so that a failure's own message stays its last.
class SaveRecord {
public:
    SaveRecord(const TransferContext& page, BoardWriter& writer)
        : page_(page), writer_(writer), checkWrites_(writer.Writes().size()) {}

    // A refused request, with the driver's text for it: shown by ShowError.
    void Refused(std::int32_t r) { error_ = AuditDriverError{r, DriverErrorText(page_.BoardDriver, r)}; }
    void ShowError() const {
        if (error_)
            ShowDriverError(page_.BoardDriver, page_.User, error_->Number, error_->Text);
    }
    void Change(std::string line) { changes_.push_back(std::move(line)); }
    void Changes(std::vector<std::string> lines) {
        changes_.insert(changes_.end(), lines.begin(), lines.end());
    }
    void RolledBack() { rolledBack_ = true; }

    // Appends the record when the save sent a write of its own (the check records its repair itself).
    void Close(BoardSaveOutcome outcome, std::string_view outcomeName) {
        AuditTrail* audit = writer_.Audit();
        if (audit == nullptr || writer_.Writes().size() == checkWrites_)
            return;
        const AuditKind kind = outcome == BoardSaveOutcome::Written ? AuditKind::Written
                               : rolledBack_                        ? AuditKind::RolledBack
                                                                    : AuditKind::Failed;
        AuditRecord record = BoardRecord(page_.BoardDriver, page_.BoardNumber,
                                         page_.Config.Image.SerialNumber, kind, page_.Source);
        record.Changes = std::move(changes_);
        record.Outcome = outcomeName;
        record.DriverError = error_;
        audit->Append(std::move(record), page_.User);
    }

private:
    const TransferContext& page_;
    BoardWriter& writer_;
    std::size_t checkWrites_;
    std::vector<std::string> changes_;
    std::optional<AuditDriverError> error_;
    bool rolledBack_ = false;
};

// The board's configuration before a save: its stored image, with the HDLC start address it had.
BoardConfig BoardBefore(const ImageBytes& onBoard, std::uint32_t hdlcStartAddress) {
    BoardConfig before;
    before.Image = StoredConfig::fromBytes(onBoard);
    before.General.HdlcStartAddress = hdlcStartAddress;
    return before;
}

BoardSaveResult Save(const TransferContext& page, BoardWriter& writer, BoardHold& hold) {
    std::optional<SaveRecord> audit;
    // Appends the save's record (when it wrote), then the closing messages follow.
    const auto close = [&](BoardSaveOutcome outcome) {
        if (audit)
            audit->Close(outcome, SaveOutcomeName(outcome));
    };
    const auto finish = [&](BoardSaveOutcome outcome, std::int32_t driverResult = result::Success) {
        return BoardSaveResult{outcome, driverResult, writer.Writes()};
    };
    Driver& driver = page.BoardDriver;

    if (!CheckBoard(writer, page.User, page.BoardNumber, page.Config))
        return finish(BoardSaveOutcome::CheckFailed);
    audit.emplace(page, writer);
    const auto board = static_cast<std::uint16_t>(page.BoardNumber);
    bool changed = false;

    BoardInfo info;
    if (std::int32_t r = driver.ReadBoardInfo(board, info); r != result::Success) {
        ReportDriverError(driver, page.User, r);
        return finish(BoardSaveOutcome::DriverError, r);
    }
    const std::uint32_t hdlcBefore = info.HdlcStartAddress;
    if (info.HdlcStartAddress != page.Config.General.HdlcStartAddress) {
        info.HdlcStartAddress = page.Config.General.HdlcStartAddress;
        changed = true;
        audit->Change(ChangeLine("HdlcStartAddress", FormatFieldNumber(NumberStyle::Hex, hdlcBefore),
                                 FormatFieldNumber(NumberStyle::Hex, info.HdlcStartAddress)));
        if (std::int32_t r = writer.WriteBoardInfo(board, info); r != result::Success) {
            audit->Refused(r);
            close(BoardSaveOutcome::DriverError);
            audit->ShowError();
            return finish(BoardSaveOutcome::DriverError, r);
        }
    }

    std::int32_t read = result::Success;
    const ImageBytes onBoard = ReadImageOrZeros(driver, board, &read);
    page.Config.Image.Version = StoredConfig::CurrentVersion;
    const ImageBytes wanted = page.Config.Image.toBytes();
    // A save that failed after selecting the clock may have left it apart from the stored image.
    const bool clockUnsure = hold.ClockUnsure();

    if (wanted != onBoard || clockUnsure) {
        changed = true;
        if (wanted != onBoard) {
            // The HDLC start address is listed above; bytes that no setting names still count.
            std::vector<std::string> lines =
                read == result::Success
                    ? ChangeLines(BoardBefore(onBoard, page.Config.General.HdlcStartAddress), page.Config)
                    : std::vector{ChangeLine("Image", "unreadable", "written whole")};
            if (lines.empty())
                lines.push_back(ChangeLine("Image", "other bytes", "rewritten"));
            audit->Changes(std::move(lines));
        }
        if (clockUnsure)
            audit->Change(
                ChangeLine("Clock", "unknown", WordText(ClockSourceCode, page.Config.Image.ClockSource)));
        // Without the board's image its clock source is unknown, so the selection is sent.
        const bool select = clockUnsure || read != result::Success ||
                            StoredConfig::fromBytes(onBoard).ClockSource != page.Config.Image.ClockSource;
        // Marked before the selection, so that a process that ends before the image is stored leaves
        // the mark behind.
        const bool noted = !select || writer.IsDryRun() || hold.MarkClockUnsure(true);
        const auto warnIfApart = [&](bool agree) {
            if (!agree)
                page.User.ShowMessage(noted ? texts::ClockDiffers : texts::ClockDiffersNotNoted,
                                      MessageIcon::Warning);
        };
        if (select) {
            // A refused selection stops the save before the image. Its reply may have been lost while
            // the board carried it out, so the stored image's clock source is selected again.
            if (std::int32_t r = writer.SetClockSource(board, page.Config.Image.ClockSource);
                r != result::Success) {
                const bool agree = SetClockBack(
                    page, writer, hold, read == result::Success ? std::optional(onBoard) : std::nullopt, {});
                audit->Refused(r);
                if (agree)
                    audit->RolledBack();
                close(BoardSaveOutcome::DriverError);
                audit->ShowError();
                warnIfApart(agree);
                return finish(BoardSaveOutcome::DriverError, r);
            }
        }
        if (wanted != onBoard) {
            // The write's own result is not trusted either way: the read-back decides.
            writer.WriteStoredConfig(board, wanted);
            if (!writer.IsDryRun()) {
                std::int32_t readBack = result::Success;
                if (const ImageBytes stored = ReadImageOrZeros(driver, board, &readBack); stored != wanted) {
                    const bool agree =
                        !select ||
                        SetClockBack(page, writer, hold,
                                     readBack == result::Success ? std::optional(stored) : std::nullopt,
                                     page.Config.Image.ClockSource);
                    if (select && agree)
                        audit->RolledBack();
                    close(BoardSaveOutcome::VerifyFailed);
                    page.User.ShowMessage(texts::SaveVerifyFailed, MessageIcon::Warning);
                    warnIfApart(agree);
                    return finish(BoardSaveOutcome::VerifyFailed);
                }
            }
        }
        if (select && !writer.IsDryRun())
            hold.MarkClockUnsure(false);
    }

    if (writer.IsDryRun())
        return finish(changed ? BoardSaveOutcome::WouldWrite : BoardSaveOutcome::Unchanged);
    const BoardSaveOutcome outcome = changed ? BoardSaveOutcome::Written : BoardSaveOutcome::Unchanged;
    close(outcome);
    page.User.ShowMessage(changed ? texts::SaveSucceeded : texts::SaveUnchanged, MessageIcon::Information);
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
    BoardHold hold(page.BoardDriver, page.User, page.BoardNumber);
    BoardSaveResult result = SaveToBoard(ShowingTo(page, hold.User(), page.Config), hold, mode);
    hold.Release();
    return result;
}

BoardSaveResult SaveToBoard(const TransferContext& page, BoardHold& hold, WriteMode mode) {
    if (hold.IsBusy())
        return {BoardSaveOutcome::Busy, result::Success, {}};
    BoardWriter writer(page.BoardDriver, mode, page.Audit);
    if (mode == WriteMode::Send) {
        hold.WarnWithoutFile();
        return Save(page, writer, hold);
    }
    // A dry run works on a copy, so the configuration in memory stays exactly as it was.
    BoardConfig scratch = page.Config;
    return Save(ShowingTo(page, page.User, scratch), writer, hold);
}

} // namespace ruva
