// ruvacfg board COMMAND: the commands that talk to the boards through the driver.

#include "BoardCommands.h"

#include "Prompts.h"
#include "Sha256.h"

#include <CLI/CLI.hpp>

namespace ruva::tool {

void AddBoardNumber(CLI::App& command, int& board) {
    command.add_option("N", board, "board number (0 to 3)")->required()->check(CLI::Range(0, 3));
}

void AddSectionOption(CLI::App& command, std::optional<int>& section) {
    command.add_option("--section", section, "use the file's section for this board (0 to 3) instead of N's")
        ->check(CLI::Range(0, 3));
}

bool TakeFileSection(const InputFile& file, const LoadResult& read, const ParsedConfigFile& parsed,
                     int section, BoardConfig& config, Prompts& prompts) {
    LoadResult load = read;
    if (load.Outcome == LoadOutcome::Loaded)
        load.Outcome = TakeBoardSection(parsed, section, config);
    // The standard input cannot fail to open, only to be read, which the page's texts do not cover.
    if (load.Outcome == LoadOutcome::CannotOpen && file.Path == StandardInput)
        prompts.Show({"cannot_read_input", MessageIcon::Stop, DescribeLoadFailure(load, file, section)});
    else if (const auto message = LoadOutcomeMessage(load, file.Name(), section))
        prompts.Show(*message);
    return load.Outcome == LoadOutcome::Loaded;
}

bool LoadFileSection(const InputFile& file, std::istream& in, int section, BoardConfig& config,
                     Prompts& prompts, AuditFile* audit) {
    ParsedConfigFile parsed;
    Sha256 digest;
    const LoadResult read = ReadConfigInput(file, in, parsed, audit != nullptr ? &digest : nullptr);
    if (audit != nullptr && read.Outcome == LoadOutcome::Loaded)
        *audit = {file.Name(), digest.HexDigest()};
    return TakeFileSection(file, read, parsed, section, config, prompts);
}

void AddBoardCommand(CLI::App& program, ToolContext& context) {
    CLI::App* board = program.add_subcommand("board", "Read, write and compare the boards' configuration");
    board->require_subcommand(1);
    board->footer("Board messages go to the error stream, one line each, prefixed by their kind\n"
                  "('error: ', 'warning: ', 'note: '). Without a driver every command reports\n"
                  "'Error #52: ...' and exits 1 ('board diff': 2).");
    for (AddCommand add : BoardCommands)
        add(*board, context);
}

} // namespace ruva::tool
