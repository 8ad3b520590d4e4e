#include "TerminationGuard.h"
#include "TerminationHold.h"

#include <atomic>
#include <cstdio>
#include <string>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace ruva {

namespace {

std::atomic<bool> enabled{false};
std::atomic<bool> pending{false};
HANDLE idle = nullptr; // set while no transfer runs

// The time limit, kept by a thread of its own: set once before that thread starts, then only read.
struct TimeLimit {
    DWORD Milliseconds = 0;
    int Status = 0;
    std::string Message;
} limit;

// Ends the process at once, from any thread: without the runtime's exit, which could wait for a lock
// that a thread stopped in the middle holds. Only the one that moved the guard to its end calls it.
[[noreturn]] void EndForTime() {
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), limit.Message.data(),
                static_cast<DWORD>(limit.Message.size()), &written, nullptr);
    ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(limit.Status));
    for (;;)
        ::Sleep(INFINITE);
}

// Another thread is ending the process.
[[noreturn]] void AwaitTheEnd() {
    for (;;)
        ::Sleep(INFINITE);
}

// The limit's thread.
DWORD WINAPI WatchTime(void*) {
    ::Sleep(limit.Milliseconds);
    if (guard::LimitFalls())
        EndForTime();
    return 0;
}

// Runs on a thread of its own for each event. While a transfer runs, every event waits for its end,
// which then ends the process; otherwise the system's own handling ends it at once, and no transfer
// can begin meanwhile. (Closing the console leaves a program only a few seconds, whatever it does.)
BOOL WINAPI Held(DWORD) {
    if (guard::EndUnlessHeld())
        return FALSE;
    pending.store(true);
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

void EndProcessAfter(unsigned seconds, int status, std::string message) {
    limit = {seconds * 1000, status, std::move(message)};
    if (HANDLE thread = ::CreateThread(nullptr, 0, WatchTime, nullptr, 0, nullptr))
        ::CloseHandle(thread);
}

void OweResult() {
    if (!guard::Add(guard::Owed))
        AwaitTheEnd();
}

bool TimeIsUp() {
    return guard::timeUp.load();
}

TerminationHold::TerminationHold() : active_(enabled.load()) {
    if (!active_)
        return;
    // Before the hold counts, so that an event that sees it waits.
    if (guard::Holds() == 0)
        ::ResetEvent(idle);
    if (!guard::Add(guard::OneHold))
        AwaitTheEnd();
}

TerminationHold::~TerminationHold() {
    if (!active_)
        return;
    const bool last = guard::Holds() == 1;
    const bool endForTime = guard::Leave();
    if (last) {
        ::SetEvent(idle);
        if (pending.load()) {
            std::fflush(nullptr);
            ::ExitProcess(STATUS_CONTROL_C_EXIT);
        }
    }
    if (endForTime) {
        std::fflush(nullptr);
        EndForTime();
    }
}

} // namespace ruva
