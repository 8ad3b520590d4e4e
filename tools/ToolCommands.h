#pragma once
// The commands of ruvacfg. Each command lives in a file of its own and adds itself to the program
// as a subcommand; when the user picks it, its callback does the work and sets the exit code.
// A new command is a new file with its Add...Command function and one entry in Commands below.

#include <functional>
#include <istream>
#include <optional>
#include <ostream>
#include <string>

namespace CLI {
class App;
}

namespace ruva {
class AuditTrail;
struct Device;
}

namespace ruva::tool {

inline constexpr int ExitOk = 0;     // the command did what was asked
inline constexpr int ExitFailed = 1; // a file or the board failed; see the command for its meaning
inline constexpr int ExitUsage = 2;  // the command line was wrong (board diff: also any error)
// --timeout ran out (after a board transfer under way was finished or rolled back); as timeout(1) exits.
inline constexpr int ExitTimedOut = 124;

// Makes the device that the board commands reach the driver through.
using DeviceMaker = std::function<Device()>;

// Ends the process after `seconds` with `status` and `message`, as EndProcessAfter (TerminationHold.h)
// does; the program passes that, tests their own.
using TimeLimiter = std::function<void(unsigned seconds, int status, std::string message)>;

struct ToolContext {
    std::ostream& Out;
    std::ostream& Err;
    std::istream& In; // what a FILE argument "-" reads
    // The device, or the simulated boards, that the command line and the environment choose; tests
    // put their own boards here.
    DeviceMaker MakeDevice;
    int ExitCode = ExitOk;
    // --simulator as given (an empty text without a file name); see DeviceChoice.h.
    std::optional<std::string> Simulator{};
    // Where the board commands record what they write (see AuditTrail.h).
    AuditTrail* Audit = nullptr;
};

using AddCommand = void (*)(CLI::App& program, ToolContext& context);

void AddCheckCommand(CLI::App& program, ToolContext& context);
void AddShowCommand(CLI::App& program, ToolContext& context);
void AddBoardCommand(CLI::App& program, ToolContext& context); // board list/info/read/write/diff

// In the order the program's help lists them.
inline constexpr AddCommand Commands[] = {AddCheckCommand, AddShowCommand, AddBoardCommand};

} // namespace ruva::tool
