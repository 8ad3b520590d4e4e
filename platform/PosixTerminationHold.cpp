#include "TerminationGuard.h"
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
// The first request to end the process that came while a transfer ran; set by the handler.
volatile std::sig_atomic_t pending = 0;
struct sigaction previous[std::size(Signals)];

// The time limit: set once before it is armed, then only read.
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
    if (guard::LimitFalls())
        EndForTime();
}

void Restore() {
    for (std::size_t i = 0; i < std::size(Signals); ++i)
        ::sigaction(Signals[i], &previous[i], nullptr);
}

// Every request waits for the transfer's end, however many come: the first is kept.
void Held(int signal) {
    if (pending == 0)
        pending = signal;
}

// The limit's handler, on this thread, is ending the process.
[[noreturn]] void AwaitTheEnd() {
    for (;;)
        ::pause();
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

void OweResult() {
    if (!guard::Add(guard::Owed))
        AwaitTheEnd();
}

bool TimeIsUp() {
    return guard::timeUp.load();
}

TerminationHold::TerminationHold() : active_(enabled) {
    if (!active_)
        return;
    if (!guard::Add(guard::OneHold))
        AwaitTheEnd();
    if (guard::Holds() > 1)
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
    const bool last = guard::Holds() == 1;
    if (last) {
        Restore();
        if (const int signal = pending; signal != 0) {
            std::fflush(nullptr);
            ::raise(signal);
        }
    }
    if (guard::Leave()) {
        std::fflush(nullptr);
        EndForTime();
    }
}

} // namespace ruva
