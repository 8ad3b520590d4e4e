#pragma once
// What the time limit and the program decide between them, in one word that both change only by
// compare-and-swap, so that neither can act on a state the other has just left: from a signal handler
// on POSIX systems, from the limit's own thread on Windows. Only for the TerminationHold of each
// platform.

#include <atomic>

namespace ruva::guard {

// -1: the time limit is ending the process. Otherwise bit 0: a result is owed; the rest: the number
// of holds (transfers under way) times 2.
inline std::atomic<int> word{0};
inline std::atomic<bool> timeUp{false};

inline constexpr int Ending = -1;
inline constexpr int Owed = 1;
inline constexpr int OneHold = 2;

// The limit has fallen: true when nothing holds the process and no result is owed, so that it must
// end now; nothing can begin afterwards.
inline bool LimitFalls() {
    timeUp.store(true);
    int free = 0;
    return word.compare_exchange_strong(free, Ending);
}

// Adds `bits` unless the process is ending: false then (its end is under way).
inline bool Add(int bits) {
    int now = word.load();
    while (now != Ending)
        if (word.compare_exchange_weak(now, (now | (bits & Owed)) + (bits & ~Owed)))
            return true;
    return false;
}

// A hold ends: true when the process must now end for the limit (the last hold, the time up and no
// result owed).
inline bool Leave() {
    if (word.fetch_sub(OneHold) != OneHold || !timeUp.load())
        return false;
    int free = 0;
    return word.compare_exchange_strong(free, Ending);
}

// A request to end the process: true when it may end now, as no hold is under way (then none can begin
// any more); false when it must wait for the holds to end.
inline bool EndUnlessHeld() {
    int now = word.load();
    while (now != Ending && now < OneHold)
        if (word.compare_exchange_weak(now, Ending))
            return true;
    return now == Ending;
}

inline int Holds() {
    const int now = word.load();
    return now == Ending ? 0 : now / OneHold;
}

} // namespace ruva::guard
