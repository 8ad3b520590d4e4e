#pragma once
// ruva2-sim's log, whichever transport serves the boards.

#include <string_view>

namespace ruva::sim {

// Writes one time-stamped line to standard error (the log file once the simulator has detached),
// without waiting: standard error may be a pipe or terminal that nobody reads, and a simulator must
// never stop serving for its log (on Windows as far as the system lets a pipe refuse instead of wait).
// A line that is not taken at once is dropped and counted; the next line that goes out says how many
// were dropped before it. A line is cut (visibly) to what a pipe takes in one piece.
void Log(std::string_view line);

} // namespace ruva::sim
