#pragma once
// Loading a configuration file: the file is parsed as a whole and, only when it is correct and holds a
// section for the requested board, that section replaces the configuration in memory.

#include "BoardConfig.h"
#include "ByteSource.h"
#include "ConfigParser.h"
#include "Message.h"
#include "ParseError.h"

#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace ruva {

class Sha256;

enum class LoadOutcome {
    Loaded,     // the configuration was replaced
    CannotOpen, // the file could not be opened (OpenError says why)
    HasError,   // the file has an error (Error holds the first one)
    NoSection,  // the file is correct but has no section for the board
};

struct LoadResult {
    LoadOutcome Outcome = LoadOutcome::Loaded;
    ParseErrorRecord Error;
    std::error_code OpenError;
};

// Parses the file at `path` into `parsed`. Outcome Loaded when the whole file is correct, else
// CannotOpen or HasError. `digest`, when given, receives the bytes read.
LoadResult ReadConfigFile(const std::string& path, ParsedConfigFile& parsed, Sha256* digest = nullptr);

// Takes the section of `board` into `config`: the clock source, HDLC start address and default modes
// into General, the whole image into Image (its Version and SerialNumber are 0). NoSection, with
// `config` untouched, when the file had no such section.
LoadOutcome TakeBoardSection(const ParsedConfigFile& parsed, int board, BoardConfig& config);

// Parse and take together; `config` is changed only when the outcome is Loaded.
LoadResult LoadConfig(ByteSource& source, int board, BoardConfig& config);
LoadResult LoadConfigFile(const std::string& path, int board, BoardConfig& config, Sha256* digest = nullptr);

// What the board page shows for an outcome: nothing when loaded; "Could not open file ..." with no
// icon; the first error and the path with the stop icon; the missing section with the stop icon.
std::optional<Message> LoadOutcomeMessage(const LoadResult& result, std::string_view path, int board);

} // namespace ruva
