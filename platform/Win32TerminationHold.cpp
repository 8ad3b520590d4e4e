#include "TerminationHold.h"

#include <atomic>
#include <cstdio>
#include <string>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace ruva {

namespace {

std::atomic<bool> enabled{false};
std::atomic<int> depth{0};
std::atomic<bool> pending{false};
HANDLE idle = nullptr; // set while no transfer runs

// The time limit, kept by a thread of its own: set once before that thread starts, then only read.
struct TimeLimit {
    DWORD Milliseconds = 0;
    int Status = 0;
    std::string Message;
} limit;
std::atomic<bool> timeUp{false};
std::atomic<bool> ending{false};

// Ends the process at once, from any thread: without the runtime's exit, which could wait for a lock
// that a thread stopped in the middle holds. The first caller ends it; another waits for that.
[[noreturn]] void EndForTime() {
    if (!ending.exchange(true)) {
        DWORD written = 0;
        ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), limit.Message.data(),
                    static_cast<DWORD>(limit.Message.size()), &written, nullptr);
        ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(limit.Status));
    }
    for (;;)
        ::Sleep(INFINITE);
}

// The limit's thread. A hold taken meanwhile sees timeUp when it starts or ends.
DWORD WINAPI WatchTime(void*) {
    ::Sleep(limit.Milliseconds);
    timeUp.store(true);
    if (depth.load() == 0)
        EndForTime();
    return 0;
}

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

void EndProcessAfter(unsigned seconds, int status, std::string message) {
    limit = {seconds * 1000, status, std::move(message)};
    if (HANDLE thread = ::CreateThread(nullptr, 0, WatchTime, nullptr, 0, nullptr))
        ::CloseHandle(thread);
}

TerminationHold::TerminationHold() : active_(enabled.load()) {
    if (active_ && depth++ == 0)
        ::ResetEvent(idle);
    // The time was up before the transfer started: none is begun.
    if (active_ && timeUp.load())
        EndForTime();
}

TerminationHold::~TerminationHold() {
    if (!active_ || --depth > 0)
        return;
    ::SetEvent(idle);
    if (timeUp.load()) {
        std::fflush(nullptr);
        EndForTime();
    }
    if (pending.load()) {
        std::fflush(nullptr);
        ::ExitProcess(STATUS_CONTROL_C_EXIT);
    }
}

} // namespace ruva
