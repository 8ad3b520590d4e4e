#include "BoardCheck.h"

#include "AuditTrail.h"
#include "BoardHold.h"

#include "ConfigDifferences.h"
#include "MessageFormat.h"
#include "Texts.h"
#include "ValueSets.h"

namespace ruva {

std::int32_t BoardWriter::Sent(BoardWrite write, const std::function<std::int32_t()>& send) {
    writes_.push_back(std::move(write));
    results_.push_back(IsDryRun() ? result::Success : send());
    return results_.back();
}

std::int32_t BoardWriter::WriteSerialRecord(std::uint16_t board, const SerialRecord& record) {
    return Sent(record, [&] { return driver_.WriteSerialRecord(board, record); });
}

std::int32_t BoardWriter::WriteBoardInfo(std::uint16_t board, const BoardInfo& info) {
    return Sent(info, [&] { return driver_.WriteBoardInfo(board, info); });
}

std::int32_t BoardWriter::SetClockSource(std::uint16_t board, std::int16_t clockSource) {
    if (ClockSourceCode.Find(clockSource) == nullptr)
        return result::Success;
    return Sent(ClockSelection{clockSource}, [&] { return driver_.SelectClockSource(board, clockSource); });
}

std::int32_t BoardWriter::WriteStoredConfig(std::uint16_t board, const ImageBytes& image) {
    return Sent(image, [&] { return driver_.WriteStoredConfig(board, image); });
}

BoardCheckResult CheckBoard(Driver& driver, int board, BoardConfig& config, AuditTrail* audit,
                            MessageWatcher watcher) {
    MessageList shown{{}, std::move(watcher)};
    BoardHold hold(driver, board);
    if (hold.Refused() != BoardHold::Refusal::None) {
        shown.Add(hold.RefusedMessage());
        return {false, std::move(shown.All)};
    }
    BoardWriter writer(driver, WriteMode::Send, audit);
    const bool passed = CheckBoard(writer, shown, board, config);
    return {passed, std::move(shown.All)};
}

bool CheckBoard(BoardWriter& writer, MessageList& shown, int board, BoardConfig& config, ImageBytes* stored) {
    Driver& driver = writer.BoardDriver();
    DriverParameters parameters;
    if (driver.GetDriverParameters(parameters) != result::Success)
        return false;
    if (board < 0 || board >= parameters.NumberOfBoards)
        return false;
    const auto index = static_cast<std::uint16_t>(board);
    if (driver.AttachBoard(index, static_cast<std::uint16_t>(parameters.IoBaseAddress)) != result::Success)
        return false;
    return CheckStoredConfig(writer, shown, index, config, stored);
}

bool CheckStoredConfig(Driver& driver, MessageList& shown, std::uint16_t board, BoardConfig& config) {
    BoardWriter writer(driver);
    return CheckStoredConfig(writer, shown, board, config);
}

bool CheckStoredConfig(BoardWriter& writer, MessageList& shown, std::uint16_t board, BoardConfig& config,
                       ImageBytes* storedBytes) {
    Driver& driver = writer.BoardDriver();

    ImageBytes bytes{};
    if (std::int32_t r = driver.ReadStoredConfig(board, bytes); r != result::Success) {
        ReportDriverError(driver, shown, r);
        return false;
    }
    if (storedBytes != nullptr)
        *storedBytes = bytes;
    const StoredConfig stored = StoredConfig::fromBytes(bytes);

    if (const std::uint8_t gdsId = driver.ReadGdsId(board); gdsId != RuvaGdsId) {
        shown.Add("wrong_gds_id", MessageIcon::Stop, FormatText(texts::WrongGdsId, {gdsId, RuvaGdsId}));
        return false;
    }

    SerialRecord record;
    if (std::int32_t r = driver.ReadSerialRecord(board, record); r != result::Success) {
        ReportDriverError(driver, shown, r);
        return false;
    }

    if (record.IsBlank()) {
        // A copy that is blank itself (the same blank or the other one) has nothing to restore.
        if (SerialRecord::IsBlankNumber(stored.SerialNumber)) {
            shown.Add("serial_number_lost", MessageIcon::Stop, texts::SerialNumberLost);
            return false;
        }
        // Restore the record from the image's copy; the count wraps like the 16-bit field it is.
        const SerialRecord blank = record;
        record.RestoreCount = static_cast<std::uint16_t>(record.RestoreCount + 1);
        record.SerialNumber = stored.SerialNumber;
        shown.Add("serial_scheme_restored", MessageIcon::Information, texts::SerialSchemeRestored);
        // The repair's record: the board's own copy is where the values come from.
        AuditRecord repair = BoardRecord(driver, board, record.SerialNumber, AuditKind::Repaired,
                                         ConfigSource::FromBoard(board));
        repair.Changes = {
            ChangeLine("SerialRecord.SerialNumber", WordHex(blank.SerialNumber),
                       WordHex(record.SerialNumber)),
            ChangeLine("SerialRecord.RestoreCount", std::to_string(blank.RestoreCount),
                       std::to_string(record.RestoreCount))};
        const std::string clockLine =
            ChangeLine("Clock", "unknown", WordText(ClockSourceCode, stored.ClockSource));
        if (AuditTrail* audit = writer.Audit()) {
            AuditRecord begun = repair;
            if (ClockSourceCode.Find(stored.ClockSource) != nullptr)
                begun.Changes.push_back(clockLine);
            audit->Append(BegunRecord(std::move(begun)), shown);
        }
        // The record comes before the error, so that the error stays the last message of the failure.
        const auto fail = [&](std::int32_t r) {
            const std::string text = DriverErrorText(driver, r);
            if (AuditTrail* audit = writer.Audit()) {
                repair.Kind = AuditKind::Failed;
                repair.Outcome = "DriverError";
                repair.DriverError = AuditDriverError{r, text};
                audit->Append(std::move(repair), shown);
            }
            ReportDriverError(driver, shown, r, text);
            return false;
        };
        if (std::int32_t r = writer.WriteSerialRecord(board, record); r != result::Success)
            return fail(r);
        // The note promised the clock source back: a refusal is reported like a refused record write.
        const std::size_t written = writer.Writes().size();
        const std::int32_t clock = writer.SetClockSource(board, stored.ClockSource);
        if (writer.Writes().size() != written)
            repair.Changes.push_back(clockLine);
        if (clock != result::Success)
            return fail(clock);
        if (AuditTrail* audit = writer.Audit()) {
            repair.Outcome = "Repaired";
            audit->Append(std::move(repair), shown);
        }
    }

    // The record holds the serial number in force; the next save brings the image's copy in line.
    config.Image.SerialNumber = record.SerialNumber;
    if (stored.SerialNumber != record.SerialNumber)
        shown.Add("serial_scheme_restored", MessageIcon::Information, texts::SerialSchemeRestored);

    if (stored.Version != StoredConfig::CurrentVersion)
        shown.Add(
            "incompatible_version", MessageIcon::Information,
            FormatText(texts::IncompatibleVersion, {static_cast<unsigned>(stored.Version),
                                                    static_cast<unsigned>(StoredConfig::CurrentVersion)}));
    return true;
}

} // namespace ruva
