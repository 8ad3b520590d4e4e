#pragma once
// ruva2-sim's start on Windows, where a process cannot fork: without --foreground it starts itself once
// more, detached, with --foreground and its output going to the log file, and waits until that one
// serves the device (or has ended).

#include <string>

namespace ruva::sim {

// Starts the detached simulator and waits for it. The exit code for this process: 0 once the detached
// one serves, 1 when it could not start (its log lines are then shown).
int RunDetached(int argc, char** argv, const std::string& logPath);

// Tells the process that started this one, if any, that the device is served.
void SignalReady();

} // namespace ruva::sim
