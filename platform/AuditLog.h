#pragma once
// The audit trail's seam to the system. Every write to a board, and every write that failed, becomes
// one record in the system's own log: on Linux the journal, with a field for each part of the record,
// or else syslog(3); on Windows the Application event log, source "RuvasetW", an event ID per kind. The
// transfers make the records (see board/AuditTrail.h); a log only carries them, so the programs write
// to the system's log and the tests to their own.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ruva {

enum class AuditKind {
    Written,    // a save wrote to the board and read it back equal
    Repaired,   // the board check restored a blank serial number record
    Failed,     // a write was refused or did not read back, and the board was not found as it was before
    RolledBack, // a save failed, what it had changed was set back, and the board read back as before
    Begun,      // a save or a repair is about to write: without its outcome's record, it may be partly written
};

// "written", "repaired", "failed", "rolled back", "begun".
std::string_view AuditKindName(AuditKind kind);

struct AuditFile {
    std::string Name;   // as the user gave it
    std::string Sha256; // of the bytes read, 64 lower-case hexadecimal digits
};

struct AuditDriverError {
    std::int32_t Number = 0;
    std::string Text; // the driver's text for it, or the program's when the driver gives none
};

struct AuditRecord {
    std::string Time;    // UTC, ISO 8601: "2024-05-02T10:41:07Z"
    std::string User;    // who ran the program
    std::string Host;    // the machine's name
    std::string Program; // "ruvacfg", "ruvasetw"
    int Board = 0;
    std::optional<std::uint16_t> SerialNumber; // the board's serial number, once it was read
    std::string SerialNo;                      // the same as the information dialog shows it
    bool Simulated = false;                    // a simulator holds the board (in process or serving)
    std::optional<AuditFile> File;             // the configuration file the values came from
    // Where the values came from: "file" (File as it is), "edited in the program" (changed in the
    // program after it was loaded, from File or from a board), "board N" (board N's own values).
    std::string Source;
    AuditKind Kind = AuditKind::Written;
    std::vector<std::string> Changes; // "name: old → new", in the order written
    std::string Outcome;              // the transfer's outcome: "Written", "VerifyFailed", ...
    std::optional<AuditDriverError> DriverError;
};

// The record on one line, as syslog carries it: "board 1 (serial number 9803069, simulated) written
// by alice on pc1 with ruvacfg at 2024-05-02T10:41:07Z from "site.cfg" (SHA-256 ...): ClockSource:
// INTERNAL → LI1; ...; outcome Written". Every part as AuditLineText has it, the file name quoted, so
// that no name can end the line early, forge a second record or send a terminal a sequence.
std::string AuditSummary(const AuditRecord& record);

// How long a value of a record may be in the logs: a file name, a user's name, a change, a driver's
// text. Longer ones are cut visibly, so that a record stays far below what a log takes in one piece
// (a datagram, an event's string).
inline constexpr std::size_t AuditValueLimit = 4096;
// What ends a value that was cut.
inline constexpr std::string_view AuditCutMarker = "\u2026 [cut]";

// `value` cut to at most `limit` bytes (and the marker), never inside a UTF-8 sequence; as it is when
// it fits.
std::string AuditCut(std::string_view value, std::size_t limit = AuditValueLimit);

// `value` for a one-line form: a backslash, control characters (newline, ESC, DEL, C1 ...) and bytes
// that are not UTF-8 written as escapes ("\\", "\n", "\x1b"), and a double quote as "\"" when
// `quoted` (then within double quotes); cut as AuditCut does, after escaping.
std::string AuditLineText(std::string_view value, bool quoted = false, std::size_t limit = AuditValueLimit);

// The serial number as the information dialog shows it, and as a number: "9803069 (0x2345)"; empty
// when the record has none.
std::string AuditSerialText(const AuditRecord& record);

// The time now, UTC, as a record holds it.
std::string AuditTimeNow();

class AuditLog {
public:
    virtual ~AuditLog() = default;
    // Appends one record. Empty when it was handed to the log; otherwise why it could not be.
    virtual std::optional<std::string> Append(const AuditRecord& record) = 0;
};

// A log that keeps nothing: for programs run in process by other programs and tests.
class NoAuditLog final : public AuditLog {
public:
    std::optional<std::string> Append(const AuditRecord&) override { return std::nullopt; }
};

// The system's log, for `program` (its name in the log).
std::unique_ptr<AuditLog> MakeSystemAuditLog(std::string_view program);

// The user who runs the program, and the machine's name; empty when the system does not say.
std::string CurrentUserName();
std::string CurrentHostName();

} // namespace ruva
