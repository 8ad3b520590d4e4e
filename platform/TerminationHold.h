#pragma once
// Holding off the requests to end the process (SIGINT, SIGTERM and SIGHUP; on Windows the console's
// Ctrl+C, Ctrl+Break and close events) while a board transfer runs, so that the transfer is finished
// or rolled back instead of cut in half. However many requests come meanwhile, they all wait: when the
// last hold ends, the first of them ends the process as it would have ended it at once. A transfer's
// length is bounded by its driver requests' deadlines, so nothing waits for ever.
//
// A program opts in: the command-line tool does, and a hold does nothing in a program that did not.
//
// A time limit ends the process at once while no transfer runs and no result is owed. Once the
// program owes its caller a result (it has begun to print one, or will print one whatever happens),
// the limit only marks the time as up: the program sees TimeIsUp, begins no new transfer, prints its
// whole result and ends with the limit's status itself. A transfer under way when the limit falls is
// finished or rolled back first; if no result is owed, the process then ends for the limit.

#include <string>

namespace ruva {

// From now on, every TerminationHold of this process holds off those requests.
void HoldTerminationDuringTransfers();

// Once `seconds` (1 or more) have passed, as above: writes `message` to the standard error and ends
// the process with `status`, or marks the time as up. Once per process, after
// HoldTerminationDuringTransfers.
void EndProcessAfter(unsigned seconds, int status, std::string message);

// From now on the program owes a result: the time limit no longer ends the process by itself.
void OweResult();

// Whether the time limit has fallen (never, without one).
bool TimeIsUp();

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
