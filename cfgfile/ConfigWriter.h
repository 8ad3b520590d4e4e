#pragma once
// The configuration file writer: the fixed text of one board's configuration, 108 lines with CR LF
// line ends, every key aligned and every number in its own format. Codes that have no value word are
// reported one message each, in writing order, and their word (with its line end) is left out.

#include "BoardConfig.h"
#include "DriverRecords.h"
#include "Fields.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace ruva {

class Driver;
class Prompts;

// The text for `board` from the General settings and the E1 and T1 blocks of `config`, with the
// communication parameters of `parameters`. `wordsLeftOut`, when given, receives the number of codes
// that had no word (and were reported).
std::string FormatConfigFile(const BoardConfig& config, int board, const DriverParameters& parameters,
                             Prompts& prompts, std::size_t* wordsLeftOut = nullptr);

// Reads the driver parameters first; when the driver fails, reports its error and returns nothing.
std::optional<std::string> WriteConfigFile(const BoardConfig& config, int board, Driver& driver,
                                           Prompts& prompts, std::size_t* wordsLeftOut = nullptr);

// A number as the writer prints it: "0x1F", "128" or "0x000012".
std::string FormatFieldNumber(NumberStyle style, std::uint32_t value);

} // namespace ruva
