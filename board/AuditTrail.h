#pragma once
// The audit trail of one program run. Every transfer that writes to a board (a save, the board check's
// serial repair, the clock selection, a write rolled back), and every such write that failed, appends
// one record to the system's log (see AuditLog): who, where, which board, from what, each changed
// value as "name: old → new", and the outcome. Dry runs write nothing and record nothing. A log that
// cannot take a record never stops a transfer: the user is warned, once a run.

#include "AuditLog.h"
#include "BoardConfig.h"
#include "Message.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ruva {

class Driver;

inline constexpr std::string_view EditedInTheProgram = "edited in the program";

// Where the configuration in memory came from, as the records of its writes say it.
struct ConfigSource {
    std::optional<AuditFile> File; // it was loaded from this file
    std::string Source = "file";   // see AuditRecord::Source

    static ConfigSource FromFile(AuditFile file) { return {std::move(file), "file"}; }
    static ConfigSource FromBoard(int board) { return {std::nullopt, "board " + std::to_string(board)}; }
    // The same configuration once it was changed in the program; the file it came from is kept.
    ConfigSource Edited() const { return {File, std::string(EditedInTheProgram)}; }
};

class AuditTrail {
public:
    // Records of `program`, run by `user` on `host`, go to `log`.
    AuditTrail(AuditLog& log, std::string program, std::string user = CurrentUserName(),
               std::string host = CurrentHostName());

    // Completes the record (time, user, host, program), keeps it and appends it to the log. The first
    // time the log cannot take a record, a warning is added to `shown`; later failures are not repeated.
    void Append(AuditRecord record, MessageList& shown);

    // Every record appended so far, in order.
    const std::vector<AuditRecord>& Records() const { return records_; }

private:
    AuditLog& log_;
    std::string program_;
    std::string user_;
    std::string host_;
    std::vector<AuditRecord> records_;
    bool warned_ = false;
};

// The outcome that a begun record gives: until the record of its outcome follows, the board may hold
// part of the write.
inline constexpr std::string_view BegunOutcome =
    "none yet: until one is recorded, the board may be partly written";

// `record` made the record that its write has begun.
AuditRecord BegunRecord(AuditRecord record);

// A record of board `board` of `driver` (boards a simulator holds are marked), with its serial number.
AuditRecord BoardRecord(const Driver& driver, int board, std::uint16_t serialNumber, AuditKind kind,
                        const ConfigSource& source);

// A 16-bit word as "0x1234".
std::string WordHex(std::uint16_t value);

// "name: old → new".
std::string ChangeLine(std::string_view name, std::string_view before, std::string_view after);

// What a board holding `before` gets when `after` is written: the stored image's version and serial
// number copy, then every setting that differs (as `ruvacfg board diff` names them).
std::vector<std::string> ChangeLines(const BoardConfig& before, const BoardConfig& after);

} // namespace ruva
