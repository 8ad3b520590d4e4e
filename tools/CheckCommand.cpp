// ruvacfg check FILE [--board N]: parses the file; silent when it is correct.

#include "FileAccess.h"
#include "ToolCommands.h"

#include <CLI/CLI.hpp>

#include <memory>

namespace ruva::tool {

namespace {
struct CheckOptions {
    InputFile File;
    std::optional<int> Board;
};
} // namespace

void AddCheckCommand(CLI::App& program, ToolContext& context) {
    auto options = std::make_shared<CheckOptions>();
    CLI::App* check = program.add_subcommand("check", "Check a configuration file");
    check->footer(
        "Prints nothing and exits 0 when the file is correct (and, with --board, has a section for\n"
        "that board). Otherwise exits 1 with one line on the error stream:\n"
        "  FILE:LINE: MESSAGE            the first error in the file (in line 1 of a file that\n"
        "                                starts with a UTF-8 byte-order mark, naming the mark)\n"
        "  FILE: cannot open: REASON\n"
        "  FILE: no settings for board N");
    AddFileArgument(*check, options->File);
    check->add_option("--board", options->Board, "also require a section for this board (0 to 3)")
        ->check(CLI::Range(0, 3));
    check->callback([options, &context] {
        BoardConfig config;
        context.ExitCode = LoadFileForCommand(options->File, context.In, options->Board, config, context.Err)
                               ? ExitOk
                               : ExitFailed;
    });
}

} // namespace ruva::tool
