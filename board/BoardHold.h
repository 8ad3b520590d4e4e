#pragma once
// A board held by one transfer. One process at a time works on a board: a transfer waits a short while
// for another process to let go of its board, and fails without doing anything when it does not. No
// transfer runs without the board's lock: a lock file that cannot be used (another user's, a link, not
// a regular file) refuses it, naming the file and why. Nor does one begin once the time limit has
// fallen (see TerminationHold). The board's file (see BoardFile) keeps, between processes, the mark that
// the board's clock may differ from the clock source of its stored configuration, which makes the next
// save select the clock again. While a board is held, requests to end the process are held off.
//
// No message waits for the user while the board is held: a transfer returns its messages, and its
// caller shows them once the hold has let go of the board and of the requests to end the process. So
// other programs can take the board while a message is open.
//
// Nothing is held, and nothing marked, where the device keeps no board files (test channels) or is
// not open.

#include "BoardFile.h"
#include "Message.h"
#include "TerminationHold.h"

#include <chrono>
#include <optional>
#include <string>

namespace ruva {

class Driver;

// How long a transfer waits for another process to let go of its board.
inline constexpr std::chrono::seconds BoardWait{5};

class BoardHold {
public:
    // Takes board `board`.
    BoardHold(Driver& driver, int board);
    ~BoardHold() { Release(); }
    BoardHold(const BoardHold&) = delete;
    BoardHold& operator=(const BoardHold&) = delete;

    enum class Refusal {
        None,         // held, or nothing to hold: the transfer may run
        Busy,         // another process kept the board all the time
        LockUnusable, // the board's lock file could not be used
        TimeUp,       // the time limit fell before the board was taken
    };
    // Why the transfer must not start; it then says so with Refused()'s message (stop icon).
    Refusal Refused() const { return refusal_; }
    Message RefusedMessage() const;

    bool ClockUnsure() const { return file_.ClockUnsure(); }
    // Stores or clears the mark; false when it could not be stored.
    bool MarkClockUnsure(bool unsure) { return file_.SetClockUnsure(unsure); }

    // Lets go of the board and of the requests to end the process. Once is enough: a second call does
    // nothing more.
    void Release();

private:
    int board_;
    BoardFile file_;
    Refusal refusal_ = Refusal::None;
    std::optional<TerminationHold> termination_;
};

} // namespace ruva
