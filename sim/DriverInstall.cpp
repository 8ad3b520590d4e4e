#include "DriverInstall.h"

#include "StandInProtocol.h"
#include "Utf16.h"

#include <cstdio>
#include <cwchar>
#include <system_error>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace ruva::sim {

namespace {

using namespace ruva::standin;

constexpr const wchar_t* DisplayName = L"Ruva-2 board driver stand-in (ruva2-sim)";
// The image path as registered: the system folder, whatever drive Windows is on.
constexpr const wchar_t* ImagePath = L"\\SystemRoot\\System32\\drivers\\ruva2sim.sys";

std::string SystemMessage(DWORD code = ::GetLastError()) {
    return std::system_category().message(static_cast<int>(code));
}

struct ServiceHandle {
    SC_HANDLE Handle = nullptr;
    ~ServiceHandle() {
        if (Handle != nullptr)
            ::CloseServiceHandle(Handle);
    }
};

std::wstring SystemDriverFile() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    return std::wstring(folder) + L"\\drivers\\" + DriverFileName;
}

std::wstring BesideProgram(const wchar_t* name) {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return name;
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1) + name;
}

// The service manager with the rights to add and remove drivers; empty with `error` set otherwise.
SC_HANDLE OpenManager(const char* option, std::string& error) {
    SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (manager == nullptr) {
        const DWORD code = ::GetLastError();
        error = code == ERROR_ACCESS_DENIED
                    ? std::string(option) + " needs an administrator: run it from an administrator's "
                                            "command prompt"
                    : "cannot open the service manager: " + SystemMessage(code);
    }
    return manager;
}

// Whether `service` is the stand-in: a kernel driver of its name, file and display name.
bool IsStandIn(SC_HANDLE service) {
    DWORD needed = 0;
    ::QueryServiceConfigW(service, nullptr, 0, &needed);
    std::string buffer(needed, '\0');
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    if (needed == 0 || !::QueryServiceConfigW(service, config, needed, &needed))
        return false;
    return config->dwServiceType == SERVICE_KERNEL_DRIVER && config->lpBinaryPathName != nullptr &&
           ::_wcsicmp(config->lpBinaryPathName, ImagePath) == 0 && config->lpDisplayName != nullptr &&
           std::wcscmp(config->lpDisplayName, DisplayName) == 0;
}

bool Running(SC_HANDLE service) {
    SERVICE_STATUS status{};
    return ::QueryServiceStatus(service, &status) && status.dwCurrentState != SERVICE_STOPPED;
}

// Whether \\.\RUVA2 exists.
bool BoardDeviceExists() {
    wchar_t target[512];
    return ::QueryDosDeviceW(L"RUVA2", target, 512) != 0;
}

std::string Refusal(const std::string& what) {
    return what + "; it may be a Ruva-2 board's own driver, which the stand-in never replaces. Nothing "
                  "was changed.";
}

// Starts the service; while the service manager starts others (its database is locked then), it tries
// again for up to ten seconds.
bool Start(SC_HANDLE service) {
    for (int i = 0;; ++i) {
        if (::StartServiceW(service, 0, nullptr) || ::GetLastError() == ERROR_SERVICE_ALREADY_RUNNING)
            return true;
        if (::GetLastError() != ERROR_SERVICE_DATABASE_LOCKED || i == 100)
            return false;
        ::Sleep(100);
    }
}

bool StopAndWait(SC_HANDLE service) {
    SERVICE_STATUS status{};
    ::ControlService(service, SERVICE_CONTROL_STOP, &status);
    for (int i = 0; i < 100; ++i) {
        if (!Running(service))
            return true;
        ::Sleep(100);
    }
    return false;
}

// Whether this 32-bit program runs on 64-bit Windows, which loads only 64-bit (and signed) drivers.
// IsWow64Process is looked up: the first XP lacks it.
bool OnWow64() {
    using IsWow64 = BOOL(WINAPI*)(HANDLE, PBOOL);
    const auto isWow64 = reinterpret_cast<IsWow64>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "IsWow64Process")));
    BOOL wow64 = FALSE;
    return isWow64 != nullptr && isWow64(::GetCurrentProcess(), &wow64) && wow64;
}

} // namespace

std::string InstallDriver() {
    if (OnWow64())
        return "this is 64-bit Windows, which loads no 32-bit driver: the 32-bit stand-in driver cannot be "
               "installed here. Nothing was changed.";
    std::string error;
    ServiceHandle manager{OpenManager("--install-driver", error)};
    if (manager.Handle == nullptr)
        return error;
    ServiceHandle service{::OpenServiceW(manager.Handle, ServiceName, SERVICE_ALL_ACCESS)};
    const bool installed = service.Handle != nullptr;
    if (installed && !IsStandIn(service.Handle))
        return Refusal("a service named ruva2sim exists that is not the stand-in driver");
    if (BoardDeviceExists() && !(installed && Running(service.Handle)))
        return Refusal("a device \\\\.\\RUVA2 exists already");
    if (installed && Running(service.Handle)) {
        std::printf("ruva2-sim: the stand-in driver is installed and running already\n");
        return {};
    }
    const std::wstring source = BesideProgram(DriverFileName);
    const std::wstring target = SystemDriverFile();
    if (target.empty() || !::CopyFileW(source.c_str(), target.c_str(), FALSE))
        return "cannot copy " + Narrow(source) + " into the drivers folder: " + SystemMessage();
    if (!installed) {
        service.Handle = ::CreateServiceW(manager.Handle, ServiceName, DisplayName, SERVICE_ALL_ACCESS,
                                          SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                          ImagePath, nullptr, nullptr, nullptr, nullptr, nullptr);
        if (service.Handle == nullptr) {
            error = "cannot register the stand-in driver: " + SystemMessage();
            ::DeleteFileW(target.c_str());
            return error;
        }
    }
    if (!Start(service.Handle)) {
        const DWORD code = ::GetLastError();
        error = "the stand-in driver did not start: " + SystemMessage(code) + "; it was removed again";
        // ERROR_INVALID_IMAGE_HASH, which the headers for XP do not name: the signature is not accepted.
        if (code == 577)
            error += ". 64-bit Windows loads this driver, signed with a test certificate, only in its "
                     "test-signing mode (see the README)";
        if (!installed)
            ::DeleteService(service.Handle);
        ::DeleteFileW(target.c_str());
        return error;
    }
    std::printf("ruva2-sim: installed and started the stand-in driver %s (service ruva2sim); start "
                "ruva2-sim to serve \\\\.\\RUVA2\n",
                Narrow(target).c_str());
    return {};
}

std::string RemoveDriver() {
    std::string error;
    ServiceHandle manager{OpenManager("--remove-driver", error)};
    if (manager.Handle == nullptr)
        return error;
    ServiceHandle service{::OpenServiceW(manager.Handle, ServiceName, SERVICE_ALL_ACCESS)};
    if (service.Handle == nullptr) {
        if (::GetLastError() != ERROR_SERVICE_DOES_NOT_EXIST)
            return "cannot open the service ruva2sim: " + SystemMessage();
        std::printf("ruva2-sim: the stand-in driver is not installed\n");
        return {};
    }
    if (!IsStandIn(service.Handle))
        return Refusal("the service named ruva2sim is not the stand-in driver");
    const std::wstring target = SystemDriverFile();
    if (!StopAndWait(service.Handle)) {
        // Windows unloads a driver only once every handle to its devices is closed (the simulator's, and
        // those of the programs that opened \\.\RUVA2): until then it keeps it, stopping. The service is
        // marked for removal meanwhile, and the file, which a loaded driver keeps, goes at the next start.
        if (!::DeleteService(service.Handle) && ::GetLastError() != ERROR_SERVICE_MARKED_FOR_DELETE)
            return "the stand-in driver has not stopped yet, and its service cannot be removed: " + SystemMessage();
        ::MoveFileExW(target.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        std::printf("ruva2-sim: the stand-in driver stops once ruva2-sim and every program that has \\\\.\\RUVA2 "
                    "open have closed it; its service (ruva2sim) is removed then, and its file %s when Windows "
                    "next starts\n",
                    Narrow(target).c_str());
        return {};
    }
    if (!::DeleteService(service.Handle))
        return "cannot remove the service ruva2sim: " + SystemMessage();
    if (!::DeleteFileW(target.c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND)
        ::MoveFileExW(target.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    std::printf("ruva2-sim: removed the stand-in driver (service ruva2sim, %s)\n", Narrow(target).c_str());
    return {};
}

} // namespace ruva::sim
