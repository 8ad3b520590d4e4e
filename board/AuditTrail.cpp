#include "AuditTrail.h"

#include "ConfigDifferences.h"
#include "Driver.h"
#include "InfoFormat.h"
#include "MessageFormat.h"
#include "Texts.h"

namespace ruva {

AuditTrail::AuditTrail(AuditLog& log, std::string program, std::string user, std::string host)
    : log_(log), program_(std::move(program)), user_(std::move(user)), host_(std::move(host)) {}

void AuditTrail::Append(AuditRecord record, MessageList& shown) {
    record.Time = AuditTimeNow();
    record.User = user_;
    record.Host = host_;
    record.Program = program_;
    records_.push_back(record);
    if (const std::optional<std::string> problem = log_.Append(records_.back()); problem && !warned_) {
        warned_ = true;
        shown.Add("audit_log_failed", MessageIcon::Warning, FormatText(texts::AuditLogFailed, {*problem}));
    }
}

AuditRecord BegunRecord(AuditRecord record) {
    record.Kind = AuditKind::Begun;
    record.Outcome = BegunOutcome;
    record.DriverError.reset();
    return record;
}

AuditRecord BoardRecord(const Driver& driver, int board, std::uint16_t serialNumber, AuditKind kind,
                        const ConfigSource& source) {
    AuditRecord record;
    record.Board = board;
    record.SerialNumber = serialNumber;
    record.SerialNo = FormatSerialNumber(serialNumber);
    record.Simulated = !driver.Traits().SimulatorState.empty() || driver.Traits().Served();
    record.File = source.File;
    record.Source = source.Source;
    record.Kind = kind;
    return record;
}

std::string WordHex(std::uint16_t value) {
    return FormatText("0x%1!.4X!", {value});
}

std::string ChangeLine(std::string_view name, std::string_view before, std::string_view after) {
    std::string line(name);
    line += ": ";
    line += before;
    line += " \u2192 ";
    line += after;
    return line;
}

std::vector<std::string> ChangeLines(const BoardConfig& before, const BoardConfig& after) {
    std::vector<std::string> lines;
    if (before.Image.Version != after.Image.Version)
        lines.push_back(ChangeLine("Image.Version", std::to_string(before.Image.Version),
                                   std::to_string(after.Image.Version)));
    if (before.Image.SerialNumber != after.Image.SerialNumber)
        lines.push_back(ChangeLine("Image.SerialNumber", WordHex(before.Image.SerialNumber),
                                   WordHex(after.Image.SerialNumber)));
    for (const SettingDifference& d : ConfigDifferences(before, after))
        lines.push_back(ChangeLine(d.Name, d.First, d.Second));
    return lines;
}

} // namespace ruva
