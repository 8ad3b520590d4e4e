// Runs cmd.exe /c with the command line in RUVA2_CMDLINE exactly as it is, its standard handles this
// program's, and exits with its exit code. The Wine connection of the Ansible tests starts it: wine
// would quote a command line given as an argument and escape the quotes in it.
#include <windows.h>

int main() {
    static wchar_t line[32768] = L"cmd.exe /c ";
    const DWORD prefix = 11;
    const DWORD n = GetEnvironmentVariableW(L"RUVA2_CMDLINE", line + prefix, 32768 - prefix);
    if (n == 0 || n >= 32768 - prefix)
        return 125;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    HANDLE* handles[] = {&startup.hStdInput, &startup.hStdOutput, &startup.hStdError};
    const DWORD ids[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    for (int i = 0; i < 3; ++i) {
        *handles[i] = GetStdHandle(ids[i]);
        SetHandleInformation(*handles[i], HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    }
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
        return 126;
    DWORD code = 127;
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &code);
    return static_cast<int>(code);
}
