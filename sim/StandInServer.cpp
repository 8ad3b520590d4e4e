#include "StandInServer.h"

#include "ControlCodes.h"
#include "StandInProtocol.h"
#include "StateFile.h"
#include "Win32DeviceChannel.h"

#include <cstdint>
#include <system_error>
#include <vector>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace ruva::sim {

namespace {

using namespace ruva::standin;

// Set by Ctrl+C, Ctrl+Break, closing the console or logging off.
HANDLE stopEvent = nullptr;

BOOL WINAPI OnConsoleStop(DWORD) {
    ::SetEvent(stopEvent);
    return TRUE;
}

std::string SystemMessage(DWORD code) {
    return std::system_category().message(static_cast<int>(code));
}

// One request on the private device, waiting for it to complete or for the stop event. The last error
// is ERROR_OPERATION_ABORTED when it was stopped.
bool Request(HANDLE device, HANDLE done, DWORD code, const std::vector<std::uint8_t>& input,
             std::uint8_t* output, DWORD capacity, DWORD& returned) {
    OVERLAPPED at{};
    at.hEvent = done;
    returned = 0;
    if (::DeviceIoControl(device, code, input.empty() ? nullptr : const_cast<std::uint8_t*>(input.data()),
                          static_cast<DWORD>(input.size()), output, capacity, &returned, &at))
        return true;
    if (::GetLastError() != ERROR_IO_PENDING)
        return false;
    const HANDLE events[] = {done, stopEvent};
    if (::WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0) {
        ::CancelIo(device);
        ::GetOverlappedResult(device, &at, &returned, TRUE);
        ::SetLastError(ERROR_OPERATION_ABORTED);
        return false;
    }
    return ::GetOverlappedResult(device, &at, &returned, FALSE) != FALSE;
}

} // namespace

StandInServer::~StandInServer() {
    if (device_ != nullptr)
        ::CloseHandle(device_);
}

std::string StandInServer::DevicePath() const {
    return DriverDevicePath;
}

std::string StandInServer::Listen(const std::string& statePath) {
    // The state is named before \\.\RUVA2 appears, so that every program finds it and keeps the boards'
    // files beside it; a simulator that serves already holds the file.
    const std::string served = ServedStatePath();
    switch (served_.Lock(served, LockPatience, {.Access = FileLock::Machine::Administrators})) {
    case FileLock::Status::Locked:
        break;
    case FileLock::Status::Busy:
        return "another ruva2-sim serves the stand-in driver already";
    case FileLock::Status::Unavailable:
        return "cannot use " + served + ": " + served_.Error();
    }
    if (!served_.Store(statePath + "\n").empty())
        return "cannot write " + served;
    if (stopEvent == nullptr) {
        stopEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        ::SetConsoleCtrlHandler(OnConsoleStop, TRUE);
    }
    const HANDLE device = ::CreateFileA(SimulatorDevicePath, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (device == INVALID_HANDLE_VALUE) {
        const DWORD code = ::GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
            return "the stand-in driver ruva2sim.sys is not running; install it with 'ruva2-sim "
                   "--install-driver' as an administrator, or start it with 'sc start ruva2sim'";
        return "cannot open the stand-in driver's device " + std::string(SimulatorDevicePath) + ": " +
               SystemMessage(code);
    }
    device_ = device;
    const HANDLE done = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD returned = 0;
    const bool attached = Request(device, done, SimAttach, {}, nullptr, 0, returned);
    const DWORD code = ::GetLastError();
    ::CloseHandle(done);
    if (attached)
        return {};
    ::CloseHandle(device_);
    device_ = nullptr;
    if (code == ERROR_BUSY)
        return "another ruva2-sim serves the stand-in driver already";
    if (code == ERROR_ALREADY_EXISTS)
        return "another driver answers on " + DevicePath() + "; the stand-in stays out of its way";
    return "the stand-in driver refused the simulator: " + SystemMessage(code);
}

void StandInServer::Run() {
    const HANDLE done = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::vector<std::uint8_t> answer; // none before the first request
    std::vector<std::uint8_t> handed(ServeBufferSize);
    // The boards before the request last answered, and its log line: what a late notice undoes.
    SimState before;
    std::string answered;
    for (;;) {
        DWORD length = 0;
        if (!Request(device_, done, SimServe, answer, handed.data(), static_cast<DWORD>(handed.size()),
                     length)) {
            const DWORD code = ::GetLastError();
            if (code != ERROR_OPERATION_ABORTED)
                Log("the stand-in driver stopped serving: " + SystemMessage(code));
            break;
        }
        const bool late = !answer.empty() && length == LateNoticeSize && ReadWord(&handed[0]) == ReadWord(&answer[0]);
        answer.clear();
        if (late) {
            // Its program was told that the request failed (it timed out or was cancelled): the request
            // is taken back, so that a failed request is never carried out.
            if (simulator_.State() != before) {
                const std::string error = simulator_.Restore(before);
                Log(answered + ": answered too late, undone" +
                    (error.empty() ? "" : "; the state could not be stored: " + error));
            } else if (verbose_) {
                Log(answered + ": answered too late");
            }
            continue;
        }
        if (length < HandedHeaderSize)
            continue;
        const std::uint32_t id = ReadWord(&handed[0]);
        const std::uint32_t code = ReadWord(&handed[4]);
        const std::uint32_t inputLength = ReadWord(&handed[8]);
        const std::uint32_t capacity = ReadWord(&handed[12]);
        if (inputLength > length - HandedHeaderSize || capacity > MaxBlock)
            continue; // never sent by the driver: the request fails when its time is up
        before = simulator_.State();
        const Outcome outcome = simulator_.Handle(
            code, std::span<const std::uint8_t>(handed.data() + HandedHeaderSize, inputLength), capacity);
        answered = outcome.Summary;
        if (verbose_)
            Log(outcome.Summary);
        if (!outcome.PersistError.empty())
            Log("the state could not be stored, the change was undone: " + outcome.PersistError);
        const std::vector<std::uint8_t>& data = outcome.Reply.Data;
        const std::size_t count = data.size() < capacity ? data.size() : capacity;
        answer.resize(AnswerHeaderSize + count);
        WriteWord(&answer[0], id);
        WriteWord(&answer[4], outcome.Reply.Ok ? 1 : 0);
        WriteWord(&answer[8], static_cast<std::uint32_t>(count));
        std::copy(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(count),
                  answer.begin() + AnswerHeaderSize);
    }
    ::CloseHandle(done);
    ::CloseHandle(device_);
    device_ = nullptr;
}

} // namespace ruva::sim
