#pragma once
// Holding off the requests to end the process (SIGINT, SIGTERM and SIGHUP; on Windows the console's
// Ctrl+C, Ctrl+Break and close events) while a board transfer runs, so that the transfer is finished
// or rolled back instead of cut in half. When the last hold ends, a request that came meanwhile ends
// the process as it would have ended it at once; a second request ends it at once.
//
// A program opts in: the command-line tool does, and a hold does nothing in a program that did not.
//
// A time limit ends the process in the same way: at once when no transfer runs, else as soon as the
// last hold ends, that is once the transfer under way has finished or rolled back and let go of its board.

#include <string>

namespace ruva {

// From now on, every TerminationHold of this process holds off those requests.
void HoldTerminationDuringTransfers();

// Once `seconds` (1 or more) have passed, writes `message` to the standard error and ends the process
// with `status`, as above. Once per process, after HoldTerminationDuringTransfers.
void EndProcessAfter(unsigned seconds, int status, std::string message);

class TerminationHold {
public:
    TerminationHold();
    ~TerminationHold();
    TerminationHold(const TerminationHold&) = delete;
    TerminationHold& operator=(const TerminationHold&) = delete;

    // Whether this hold holds anything off (the program opted in).
    bool Active() const { return active_; }

private:
    bool active_ = false;
};

} // namespace ruva
