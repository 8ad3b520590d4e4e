#include "TerminationHold.h"

#include <csignal>
#include <cstdio>
#include <iterator>

namespace ruva {

namespace {

constexpr int Signals[] = {SIGINT, SIGTERM, SIGHUP};

bool enabled = false;
int depth = 0;
volatile std::sig_atomic_t pending = 0;
struct sigaction previous[std::size(Signals)];

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

TerminationHold::TerminationHold() : active_(enabled) {
    if (!active_ || depth++ > 0)
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
    if (!active_ || --depth > 0)
        return;
    Restore();
    if (const int signal = pending; signal != 0) {
        std::fflush(nullptr);
        ::raise(signal);
    }
}

} // namespace ruva
