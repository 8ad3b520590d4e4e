#pragma once
// The subcommands of `ruvacfg board`, which work on the boards through the driver. Each lives in a
// file of its own, like the program's commands, and adds itself to the `board` command.

#include "AuditLog.h"
#include "BoardConfig.h"
#include "ConfigLoader.h"
#include "FileAccess.h"
#include "Prompts.h"
#include "ToolCommands.h"

#include <optional>
#include <string>

namespace ruva::tool {

void AddBoardListCommand(CLI::App& board, ToolContext& context);
void AddBoardInfoCommand(CLI::App& board, ToolContext& context);
void AddBoardReadCommand(CLI::App& board, ToolContext& context);
void AddBoardWriteCommand(CLI::App& board, ToolContext& context);
void AddBoardDiffCommand(CLI::App& board, ToolContext& context);

// In the order the help lists them.
inline constexpr AddCommand BoardCommands[] = {AddBoardListCommand, AddBoardInfoCommand, AddBoardReadCommand,
                                               AddBoardWriteCommand, AddBoardDiffCommand};

// The board number argument N (0 to 3) of a board subcommand.
void AddBoardNumber(CLI::App& command, int& board);

// --section M of the commands that take a configuration file: the file's section to use instead of
// board N's, so that a file written for one board can go to another.
void AddSectionOption(CLI::App& command, std::optional<int>& section);

// Takes a section of a configuration file that ReadConfigInput read into `config` as "Load -->" loads
// it, with its messages (the file's failure, when `read` is one).
bool TakeFileSection(const InputFile& file, const LoadResult& read, const ParsedConfigFile& parsed,
                     int section, BoardConfig& config, Prompts& prompts);

// Both: reads a configuration file (the file "-": from `in`) and takes a section of it. `audit`, when
// given, receives the file's name (as messages give it) and the SHA-256 of its bytes.
bool LoadFileSection(const InputFile& file, std::istream& in, int section, BoardConfig& config,
                     Prompts& prompts, AuditFile* audit = nullptr);

} // namespace ruva::tool
