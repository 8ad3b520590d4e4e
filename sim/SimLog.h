#pragma once
// ruva2-sim's log, whichever transport serves the boards.

#include <string_view>

namespace ruva::sim {

// Writes one time-stamped line to standard error (the log file once the simulator has detached).
void Log(std::string_view line);

} // namespace ruva::sim
