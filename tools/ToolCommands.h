#pragma once
// The commands of ruvacfg. Each command lives in a file of its own and adds itself to the program
// as a subcommand; when the user picks it, its callback does the work and sets the exit code.
// A new command is a new file with its Add...Command function and one entry in Commands below.

#include <ostream>

namespace CLI {
class App;
}

namespace ruva::tool {

inline constexpr int ExitOk = 0;     // the command did what was asked
inline constexpr int ExitFailed = 1; // a file could not be read, has an error, or lacks the board
inline constexpr int ExitUsage = 2;  // the command line was wrong

struct ToolContext {
    std::ostream& Out;
    std::ostream& Err;
    int ExitCode = ExitOk;
};

using AddCommand = void (*)(CLI::App& program, ToolContext& context);

void AddCheckCommand(CLI::App& program, ToolContext& context);
void AddShowCommand(CLI::App& program, ToolContext& context);

// In the order the program's help lists them.
inline constexpr AddCommand Commands[] = {AddCheckCommand, AddShowCommand};

} // namespace ruva::tool
