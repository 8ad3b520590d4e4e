#pragma once
// The ruvacfg program: parses the command line and runs the chosen command.

#include "AuditLog.h"
#include "ToolCommands.h"

#include <istream>
#include <memory>
#include <ostream>
#include <span>
#include <string>

namespace ruva::tool {

// Runs ruvacfg with the arguments that follow the program name; returns the exit code. A FILE argument
// "-" reads `in` (the first form: the standard input). The board commands reach the driver through the
// platform's device, or through the devices that `makeDevice` makes. Their writes are
// recorded in the system's log (the first form) or in `auditLog` (none: in no log, only in --json).
// --timeout is kept by `limitTime` (without one, it is accepted and has no effect); when the limit fell
// while a result was owed, the program prints that result whole, then the time limit's line, and
// returns 124.
int RunRuvacfg(std::span<const std::string> args, std::ostream& out, std::ostream& err);
int RunRuvacfg(std::span<const std::string> args, std::istream& in, std::ostream& out, std::ostream& err,
               DeviceMaker makeDevice = {}, AuditLog* auditLog = nullptr, TimeLimiter limitTime = {});

// While it lives, the first byte written to `out` (the program's standard output) tells the time limit
// that a result has begun, so that the limit never cuts it (see OweResult in TerminationHold.h).
class ResultOutput {
public:
    explicit ResultOutput(std::ostream& out);
    ~ResultOutput();
    ResultOutput(const ResultOutput&) = delete;
    ResultOutput& operator=(const ResultOutput&) = delete;

private:
    struct Watch;
    std::unique_ptr<Watch> watch_;
};

} // namespace ruva::tool
