/* Runs cmd.exe /c with the command line in RUVA2_CMDLINE, exactly as it is, and exits with its exit
   code. The Wine connection of the Ansible tests starts it: wine would quote a command line given as an
   argument and escape the quotes in it. */
#include <windows.h>

int main(void) {
    static wchar_t line[32768] = L"cmd.exe /c ";
    const DWORD prefix = 11;
    const DWORD n = GetEnvironmentVariableW(L"RUVA2_CMDLINE", line + prefix, 32768 - prefix);
    if (n == 0 || n >= 32768 - prefix)
        return 125;
    STARTUPINFOW startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessW(NULL, line, NULL, NULL, TRUE, 0, NULL, NULL, &startup, &process))
        return 126;
    DWORD code = 127;
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &code);
    return (int)code;
}
