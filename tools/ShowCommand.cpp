// ruvacfg show FILE --board N [--json]: loads the board's section as the board page would and prints it.

#include "ConfigReport.h"
#include "FileAccess.h"
#include "ToolCommands.h"

#include <CLI/CLI.hpp>

#include <memory>

namespace ruva::tool {

namespace {
struct ShowOptions {
    InputFile File;
    int Board = 0;
    bool Json = false;
};
} // namespace

void AddShowCommand(CLI::App& program, ToolContext& context) {
    auto options = std::make_shared<ShowOptions>();
    CLI::App* show =
        program.add_subcommand("show", "Print a board's configuration from a configuration file");
    show->footer("Loads the board's section as the board page does and prints it. Errors are reported\n"
                 "as by 'ruvacfg check', with exit code 1.");
    AddFileArgument(*show, options->File);
    show->add_option("--board", options->Board, "the board whose section is shown (0 to 3)")
        ->required()
        ->check(CLI::Range(0, 3));
    show->add_flag("--json", options->Json, "print one JSON object instead of the listing");
    show->callback([options, &context] {
        BoardConfig config;
        if (!LoadFileForCommand(options->File, context.In, options->Board, config, context.Err)) {
            context.ExitCode = ExitFailed;
            return;
        }
        if (options->Json)
            PrintJson(context.Out, ConfigToJson(config, options->Board));
        else
            context.Out << ConfigListing(config, options->Board);
        context.ExitCode = ExitOk;
    });
}

} // namespace ruva::tool
