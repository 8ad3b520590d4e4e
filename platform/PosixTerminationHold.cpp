#include "TerminationHold.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <unistd.h>

namespace ruva {

namespace {

constexpr int Signals[] = {SIGINT, SIGTERM, SIGHUP};

bool enabled = false;
// Read by the time limit's signal handler, which runs on the thread that takes and ends the holds.
volatile std::sig_atomic_t depth = 0;
volatile std::sig_atomic_t pending = 0;
struct sigaction previous[std::size(Signals)];

// The time limit: set once before it is armed, then only read.
volatile std::sig_atomic_t timeUp = 0;
std::string timeUpMessage;
int timeUpStatus = 0;

[[noreturn]] void EndForTime() {
    // Only calls that a signal handler may make.
    for (std::size_t done = 0; done < timeUpMessage.size();) {
        const ssize_t n = ::write(STDERR_FILENO, timeUpMessage.data() + done, timeUpMessage.size() - done);
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    ::_exit(timeUpStatus);
}

void TimeUp(int) {
    if (depth == 0)
        EndForTime();
    timeUp = 1;
}

void Restore() {
    for (std::size_t i = 0; i < std::size(Signals); ++i)
        ::sigaction(Signals[i], &previous[i], nullptr);
}

void Held(int signal) {
    if (pending == 0) {
        pending = signal;
        return;
    }
    // Asked twice: the process ends now, as the signal ends it.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    ::sigaction(signal, &fallback, nullptr);
    ::raise(signal);
}

} // namespace

void HoldTerminationDuringTransfers() {
    enabled = true;
}

void EndProcessAfter(unsigned seconds, int status, std::string message) {
    timeUpMessage = std::move(message);
    timeUpStatus = status;
    struct sigaction handler {};
    handler.sa_handler = TimeUp;
    handler.sa_flags = SA_RESTART;
    sigemptyset(&handler.sa_mask);
    ::sigaction(SIGALRM, &handler, nullptr);
    ::alarm(seconds);
}

TerminationHold::TerminationHold() : active_(enabled) {
    if (!active_)
        return;
    depth = depth + 1;
    if (depth > 1)
        return;
    pending = 0;
    struct sigaction hold {};
    hold.sa_handler = Held;
    hold.sa_flags = SA_RESTART;
    sigemptyset(&hold.sa_mask);
    for (std::size_t i = 0; i < std::size(Signals); ++i) {
        ::sigaction(Signals[i], nullptr, &previous[i]);
        if (previous[i].sa_handler != SIG_IGN) // what the process ignores stays ignored
            ::sigaction(Signals[i], &hold, nullptr);
    }
}

TerminationHold::~TerminationHold() {
    if (!active_)
        return;
    depth = depth - 1;
    if (depth > 0)
        return;
    Restore();
    if (timeUp) {
        std::fflush(nullptr);
        EndForTime();
    }
    if (const int signal = pending; signal != 0) {
        std::fflush(nullptr);
        ::raise(signal);
    }
}

} // namespace ruva
