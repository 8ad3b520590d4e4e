#include "Win32SimMain.h"

#include "Utf16.h"

#include <cstdio>
#include <system_error>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace ruva::sim {

namespace {

// How long the detached simulator may take to serve the device.
constexpr DWORD StartMilliseconds = 30000;

// The event the detached process with this id sets once it serves.
std::wstring ReadyEventName(DWORD process) {
    return L"ruva2-sim-ready-" + std::to_wstring(process);
}

std::wstring Quoted(const std::wstring& arg) {
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, L'\\');
    return quoted + L"\"";
}

std::string SystemMessage(DWORD code = ::GetLastError()) {
    return std::system_category().message(static_cast<int>(code));
}

// The log file's text from `offset` on.
std::string LogSince(HANDLE log, LARGE_INTEGER offset) {
    std::string text;
    char buffer[4096];
    DWORD n = 0;
    if (!::SetFilePointer(log, static_cast<LONG>(offset.LowPart), &offset.HighPart, FILE_BEGIN) &&
        ::GetLastError() != NO_ERROR)
        return text;
    while (text.size() < 65536 && ::ReadFile(log, buffer, sizeof buffer, &n, nullptr) && n > 0)
        text.append(buffer, n);
    return text;
}

} // namespace

int RunDetached(int argc, char** argv, const std::string& logPath) {
    wchar_t self[MAX_PATH] = {};
    const DWORD selfLength = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = Quoted(std::wstring(self, selfLength));
    for (int i = 1; i < argc; ++i)
        command += L" " + Quoted(Widen(argv[i]));
    command += L" --foreground";

    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    const HANDLE log = ::CreateFileW(Widen(logPath).c_str(), GENERIC_READ | FILE_APPEND_DATA,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, OPEN_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "ruva2-sim: cannot open the log file %s: %s\n", logPath.c_str(),
                     SystemMessage().c_str());
        return 1;
    }
    LARGE_INTEGER start{};
    ::GetFileSizeEx(log, &start);
    const HANDLE input = ::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                                       OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = log;
    startup.hStdError = log;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(self, command.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED | DETACHED_PROCESS,
                          nullptr, nullptr, &startup, &process)) {
        std::fprintf(stderr, "ruva2-sim: cannot start the simulator: %s\n", SystemMessage().c_str());
        ::CloseHandle(log);
        return 1;
    }
    const HANDLE ready = ::CreateEventW(nullptr, TRUE, FALSE, ReadyEventName(process.dwProcessId).c_str());
    ::ResumeThread(process.hThread);
    const HANDLE waited[] = {ready, process.hProcess};
    const DWORD woken = ::WaitForMultipleObjects(2, waited, FALSE, StartMilliseconds);
    int code = 0;
    if (woken == WAIT_OBJECT_0) {
        std::printf("ruva2-sim: running as process %lu; device \\\\.\\RUVA2; log %s\n",
                    static_cast<unsigned long>(process.dwProcessId), logPath.c_str());
    } else {
        if (woken != WAIT_OBJECT_0 + 1)
            ::TerminateProcess(process.hProcess, 1);
        std::fprintf(stderr, "%sruva2-sim: the simulator did not start; see %s\n", LogSince(log, start).c_str(),
                     logPath.c_str());
        code = 1;
    }
    ::CloseHandle(ready);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    ::CloseHandle(input);
    ::CloseHandle(log);
    return code;
}

void SignalReady() {
    const HANDLE ready = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, ReadyEventName(::GetCurrentProcessId()).c_str());
    if (ready != nullptr) {
        ::SetEvent(ready);
        ::CloseHandle(ready);
    }
}

} // namespace ruva::sim
