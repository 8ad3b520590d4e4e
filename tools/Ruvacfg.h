#pragma once
// The ruvacfg program: parses the command line and runs the chosen command.

#include <ostream>
#include <span>
#include <string>

namespace ruva::tool {

// Runs ruvacfg with the arguments that follow the program name; returns the exit code.
int RunRuvacfg(std::span<const std::string> args, std::ostream& out, std::ostream& err);

} // namespace ruva::tool
