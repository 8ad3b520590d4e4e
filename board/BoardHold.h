#pragma once
// A board held by one transfer. One process at a time works on a board: a transfer waits a short while
// for another process to let go of its board, and fails without doing anything when it does not. The
// board's file (see BoardFile) keeps, between processes, the mark that the board's clock may differ
// from the clock source of its stored configuration, which makes the next save select the clock again.
// While a board is held, requests to end the process are held off (see TerminationHold).
//
// Nothing is held, and nothing marked, where the device keeps no board files (test channels) or is
// not open.

#include "BoardFile.h"
#include "TerminationHold.h"

#include <chrono>
#include <optional>

namespace ruva {

class Driver;
class Prompts;

// How long a transfer waits for another process to let go of its board.
inline constexpr std::chrono::seconds BoardWait{5};

class BoardHold {
public:
    // Takes board `board`; when another process keeps it, shows so with the stop icon.
    BoardHold(Driver& driver, Prompts& prompts, int board);

    // Another process kept the board all the time: the transfer must not start.
    bool IsBusy() const { return status_ == BoardFile::Status::Busy; }

    // When the board's file could not be used, says that the transfer goes on without the lock and
    // the mark (warning icon).
    void WarnWithoutFile() const;

    bool ClockUnsure() const { return file_.ClockUnsure(); }
    // Stores or clears the mark; false when it could not be stored.
    bool MarkClockUnsure(bool unsure) { return file_.SetClockUnsure(unsure); }

private:
    Prompts& prompts_;
    BoardFile file_;
    std::optional<BoardFile::Status> status_; // none: nothing to hold
    std::optional<TerminationHold> termination_;
};

} // namespace ruva
