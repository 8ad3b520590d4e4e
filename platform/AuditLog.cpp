#include "AuditLog.h"
#include "Sha256.h"

#include <chrono>
#include <cstdio>

namespace ruva {

std::string_view AuditKindName(AuditKind kind) {
    switch (kind) {
    case AuditKind::Written:
        return "written";
    case AuditKind::Repaired:
        return "repaired";
    case AuditKind::Failed:
        return "failed";
    case AuditKind::RolledBack:
        return "rolled back";
    case AuditKind::Begun:
        return "begun";
    }
    return "written";
}

std::string AuditSerialText(const AuditRecord& r) {
    if (!r.SerialNumber)
        return {};
    char number[8];
    std::snprintf(number, sizeof number, "0x%04X", static_cast<unsigned>(*r.SerialNumber));
    return r.SerialNo + " (" + number + ")";
}

std::string AuditSummary(const AuditRecord& r) {
    std::string text = "board " + std::to_string(r.Board);
    if (r.SerialNumber)
        text += " (serial number " + AuditSerialText(r) + (r.Simulated ? ", simulated)" : ")");
    else if (r.Simulated)
        text += " (simulated)";
    text += ' ';
    text += AuditKindName(r.Kind);
    text += " by " + r.User + " on " + r.Host + " with " + r.Program + " at " + r.Time;
    if (r.File)
        text += " from " + r.File->Name + " (SHA-256 " + r.File->Sha256 + ")";
    if (r.Source != "file")
        text += (r.File ? ", " : " from ") + r.Source;
    text += ':';
    for (const std::string& change : r.Changes)
        text += ' ' + change + ';';
    text += " outcome " + r.Outcome;
    if (r.DriverError)
        text += "; driver error #" + std::to_string(r.DriverError->Number) + ": " + r.DriverError->Text;
    return text;
}

std::string AuditTimeNow() {
    using namespace std::chrono;
    const auto now = floor<seconds>(system_clock::now());
    const auto day = floor<days>(now);
    const year_month_day date(day);
    const hh_mm_ss time(now - day);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
    return text;
}

std::string HexDigits(std::span<const unsigned char> digest) {
    static constexpr char Digits[] = "0123456789abcdef";
    std::string hex;
    for (const unsigned char b : digest) {
        hex += Digits[b >> 4];
        hex += Digits[b & 0xF];
    }
    return hex;
}

} // namespace ruva
