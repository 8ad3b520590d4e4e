#include "Ruvacfg.h"

#include "ToolCommands.h"

#include <CLI/CLI.hpp>

#include <vector>

namespace ruva::tool {

int RunRuvacfg(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
    CLI::App program("Command-line companion of RuvasetW: checks and shows Ruva-2 configuration files.",
                     "ruvacfg");
    program.require_subcommand(1);
    program.footer("Exit codes: 0 done, 1 a file could not be read, has an error or lacks the board,\n"
                   "2 the command line was wrong. 'ruvacfg COMMAND --help' describes a command.");
    ToolContext context{out, err};
    for (AddCommand add : Commands)
        add(program, context);

    std::vector<std::string> reversed(args.rbegin(), args.rend()); // the parser takes them last first
    try {
        program.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        out << program.help();
        return ExitOk;
    } catch (const CLI::CallForAllHelp&) {
        out << program.help("", CLI::AppFormatMode::All);
        return ExitOk;
    } catch (const CLI::ParseError& e) {
        err << "ruvacfg: " << e.what() << "\nRun 'ruvacfg --help' for usage.\n";
        return ExitUsage;
    }
    return context.ExitCode;
}

} // namespace ruva::tool
