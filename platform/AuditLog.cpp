#include "AuditLog.h"
#include "Sha256.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace ruva {

namespace {

// The length of the UTF-8 sequence that starts `text`: 1 to 4, or 0 when it does not start with a
// whole and valid one (shortest form, no surrogate, at most U+10FFFF).
std::size_t Utf8Length(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return 1;
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || lead > 0xF4 || text.size() < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i)
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
    const unsigned char second = byte(1);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90))
        return 0;
    return length;
}

} // namespace

std::string AuditCut(std::string_view value, std::size_t limit) {
    if (value.size() <= limit)
        return std::string(value);
    std::size_t end = limit;
    // Back to the start of the sequence the limit falls into.
    for (std::size_t back = 0; back < 3 && end > 0 && (static_cast<unsigned char>(value[end]) & 0xC0) == 0x80;
         ++back)
        --end;
    return std::string(value.substr(0, end)) + std::string(AuditCutMarker);
}

std::string AuditLineText(std::string_view value, bool quoted, std::size_t limit) {
    std::string text;
    for (std::size_t i = 0; i < value.size();) {
        const std::size_t length = Utf8Length(value.substr(i));
        std::string piece;
        const unsigned char c = static_cast<unsigned char>(value[i]);
        // C1 controls are U+0080 to U+009F: 0xC2 0x80 to 0xC2 0x9F.
        const bool c1 = length == 2 && c == 0xC2 && static_cast<unsigned char>(value[i + 1]) < 0xA0;
        if (c == '\\' || (quoted && c == '"')) {
            piece = {'\\', static_cast<char>(c)};
        } else if (c == '\n' || c == '\r' || c == '\t') {
            piece = c == '\n' ? "\\n" : c == '\r' ? "\\r" : "\\t";
        } else if (length == 0 || c < 0x20 || c == 0x7F || c1) {
            for (std::size_t k = 0; k < std::max<std::size_t>(length, 1); ++k) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\x%02x", static_cast<unsigned char>(value[i + k]));
                piece += escape;
            }
        } else {
            piece = value.substr(i, length);
        }
        if (text.size() + piece.size() > limit)
            return text + std::string(AuditCutMarker);
        text += piece;
        i += std::max<std::size_t>(length, 1);
    }
    return text;
}

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
    text += " by " + AuditLineText(r.User) + " on " + AuditLineText(r.Host) + " with " +
            AuditLineText(r.Program) + " at " + AuditLineText(r.Time);
    if (r.File)
        text += " from \"" + AuditLineText(r.File->Name, true) + "\" (SHA-256 " +
                AuditLineText(r.File->Sha256) + ")";
    if (r.Source != "file")
        text += (r.File ? ", " : " from ") + AuditLineText(r.Source);
    text += ':';
    for (const std::string& change : r.Changes)
        text += ' ' + AuditLineText(change) + ';';
    text += " outcome " + AuditLineText(r.Outcome);
    if (r.DriverError)
        text += "; driver error #" + std::to_string(r.DriverError->Number) + ": " +
                AuditLineText(r.DriverError->Text);
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
