#pragma once
// What the board commands print: the driver's communication parameters, a survey of the installed
// boards, one board's information and the writes of a dry run, as text for people and as JSON for
// scripts. Values are formatted as the board information dialogs format them.

#include "BoardCheck.h"
#include "BoardConfig.h"
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

} // namespace ruva::tool
