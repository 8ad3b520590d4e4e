#include "TerminationHold.h"

#include <atomic>
#include <cstdio>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace ruva {

namespace {

std::atomic<bool> enabled{false};
std::atomic<int> depth{0};
std::atomic<bool> pending{false};
HANDLE idle = nullptr; // set while no transfer runs

// Runs on a thread of its own. While a transfer runs, the first event waits for its end, which then
// ends the process; otherwise the system's own handling ends it at once.
BOOL WINAPI Held(DWORD) {
    if (depth.load() == 0 || pending.exchange(true))
        return FALSE;
    ::WaitForSingleObject(idle, INFINITE);
    return FALSE;
}

} // namespace

void HoldTerminationDuringTransfers() {
    if (enabled.exchange(true))
        return;
    idle = ::CreateEventW(nullptr, TRUE, TRUE, nullptr);
    ::SetConsoleCtrlHandler(Held, TRUE);
}

TerminationHold::TerminationHold() : active_(enabled.load()) {
    if (active_ && depth++ == 0)
        ::ResetEvent(idle);
}

TerminationHold::~TerminationHold() {
    if (!active_ || --depth > 0)
        return;
    ::SetEvent(idle);
    if (pending.load()) {
        std::fflush(nullptr);
        ::ExitProcess(STATUS_CONTROL_C_EXIT);
    }
}

} // namespace ruva
