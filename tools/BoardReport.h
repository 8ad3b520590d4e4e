#pragma once
// What the board commands print: the driver's communication parameters, a survey of the installed
// boards, one board's information and the writes of a dry run, as text for people and as JSON for
// scripts. Values are formatted as the board information dialogs format them.

#include "AuditLog.h"
#include "BoardCheck.h"
#include "BoardConfig.h"
#include "BoardTransfer.h"
#include "ConfigReport.h"
#include "ConsolePrompts.h"
#include "DriverRecords.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace ruva::tool {

// One board as `board list` finds it, read without a check and without a write. A value is empty when
// its request failed (or, after a refused attach, was not sent).
struct BoardSurvey {
    int Board = 0;
    bool Attached = false;
    std::optional<std::uint8_t> GdsId;
    std::optional<SerialRecord> Serial;
    std::optional<StoredConfig> Image;
};

// What stands out about a surveyed board, in the board check's order; empty for a sound board.
std::vector<std::string> SurveyProblems(const BoardSurvey& board);

// The shared parameters, then one row per board: number, GDS ID, serial number, stored version, state.
std::string SurveyListing(const DriverParameters& parameters, std::span<const BoardSurvey> boards);
nlohmann::ordered_json SurveyToJson(const DriverParameters& parameters, std::span<const BoardSurvey> boards);

// One board's communication parameters, serial number (the stored image's copy) and revisions.
struct BoardInformation {
    int Board = 0;
    DriverParameters Parameters;
    BoardInfo Info;
    std::uint16_t SerialNumber = 0;
};

// Both dialogs' fields under their captions, in the dialogs' order.
std::string InformationListing(const BoardInformation& board);
nlohmann::ordered_json InformationToJson(const BoardInformation& board);

// One line for a write that a dry run would make, e.g. "clock selection: LI1".
std::string DescribeWrite(const BoardWrite& write);

// How a failed command explains itself to a script: the last error or warning it printed (failing
// those, its last message), and the driver's result when a driver request failed.
struct FailureReport {
    std::optional<std::string> Error{};
    std::optional<std::int32_t> DriverResult{};
};
std::optional<std::string> FailureMessage(std::span<const Message> messages);
// Error and DriverResult, null when there was no failure: every --json object ends with them.
void FailureToJson(nlohmann::ordered_json& json, const FailureReport& failure);
// A command's JSON object with every value null: what it prints, with FailureToJson, when it has
// nothing to show, so that a script finds the command's usual fields (and the error) after a failure.
nlohmann::ordered_json NullValues(nlohmann::ordered_json json);

// What `board write --json` prints. Outcome is the save's outcome, or the step before the save that
// failed: "FileFailed" (the file's section did not load) or "BoardUnavailable" (not installed, or
// not attached).
struct WriteReport {
    int Board = 0;
    int Section = 0;
    bool DryRun = false;
    std::string Outcome{};
    bool Failed = false;
    bool TimedOut = false; // the time limit fell during the run, or before this board's turn
    // What the board holds other than before, as read back (see BoardSaveResult), and the planned
    // changes by where they are.
    bool Changed = false;
    std::vector<std::string> OnBoard{};
    std::vector<std::string> NotOnBoard{};
    std::vector<std::string> Unknown{};
    std::vector<BoardWrite> Writes{};         // sent (dry run: would be sent), in order
    std::span<const Message> Messages{};      // everything printed on the error stream
    FailureReport Failure{};
    std::optional<std::string> Before{}; // the board's settings before, as configuration file text
    std::optional<std::string> After{};  // what it holds after the save, read back (dry run: would hold)
    // Why Before or After has no text although it was to have one: unreadable, or not a text that
    // would load again.
    std::optional<std::string> BeforeProblem{};
    std::optional<std::string> AfterProblem{};
    std::span<const AuditRecord> Audit{}; // the records of the board's writes (see AuditTrail.h)
};
nlohmann::ordered_json WriteReportToJson(const WriteReport& report);
// {"Time": ..., "User", "Host", "Program", "Board", "SerialNumber", "SerialNo", "Simulated",
// "File": {"Name", "Sha256"} or null, "Source", "Kind", "Changes": [...], "Outcome",
// "DriverError": {"Number", "Text"} or null}. A failed save's Changes say of each whether it is on the
// board.
nlohmann::ordered_json AuditRecordToJson(const AuditRecord& record);

// What `board diff --json` prints; Differences has no value after a failure.
struct DiffReport {
    int Board = 0;
    int Section = 0;
    std::optional<std::vector<SettingDifference>> Differences{};
    FailureReport Failure{};
};
nlohmann::ordered_json DiffReportToJson(const DiffReport& report);

} // namespace ruva::tool
