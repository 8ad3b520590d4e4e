#include "Win32DeviceChannel.h"

#include "DevicePath.h"
#include "Utf16.h"

#include <algorithm>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <shlobj.h>

namespace ruva {

namespace {
bool IsValid(void* handle) {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}
} // namespace

Win32DeviceCalls SystemDeviceCalls() {
    Win32DeviceCalls calls;
    calls.Open = [](const char* path, std::uint32_t access) -> void* {
        return ::CreateFileA(path, access, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    calls.Control = [](void* handle, std::uint32_t code, const void* input, std::uint32_t inputSize,
                       void* output, std::uint32_t outputSize, std::uint32_t& returned) {
        DWORD count = 0;
        const BOOL ok = ::DeviceIoControl(static_cast<HANDLE>(handle), code, const_cast<void*>(input),
                                          inputSize, output, outputSize, &count, nullptr);
        returned = count;
        return ok != FALSE;
    };
    calls.Close = [](void* handle) { ::CloseHandle(static_cast<HANDLE>(handle)); };
    return calls;
}

Win32DeviceChannel::Win32DeviceChannel(Win32DeviceCalls calls) : calls_(std::move(calls)) {}

Win32DeviceChannel::~Win32DeviceChannel() {
    // The driver handle lives as long as the process; closing it here only matters for tests and
    // tools that create several channels.
    if (IsValid(handle_))
        calls_.Close(handle_);
}

bool Win32DeviceChannel::Open(const std::string& devicePath) {
    path_ = devicePath;
    return Reopen();
}

bool Win32DeviceChannel::Reopen() {
    if (IsValid(handle_))
        calls_.Close(handle_);
    handle_ = calls_.Open(path_.c_str(), DeviceReadWriteAccess);
    if (!IsValid(handle_))
        handle_ = calls_.Open(path_.c_str(), 0);
    return IsValid(handle_);
}

namespace {

// The request reached nothing that could carry it out: the driver behind the handle has stopped (Wine
// then refuses the handle's requests as access denied), or the stand-in refused it as no simulator was
// attached. It may be sent again on a new handle.
bool DeviceGone(std::uint32_t error) {
    return error == ERROR_DEVICE_NOT_CONNECTED || error == ERROR_DEV_NOT_EXIST || error == ERROR_INVALID_HANDLE ||
           error == ERROR_ACCESS_DENIED;
}

// No answer came: the request timed out or was cancelled, the simulator behind the stand-in went away
// while it waited, or the device is gone.
bool NotAnswered(std::uint32_t error) {
    return error == ERROR_SEM_TIMEOUT || error == ERROR_OPERATION_ABORTED || error == ERROR_CONNECTION_ABORTED ||
           DeviceGone(error);
}

} // namespace

std::optional<std::size_t> Win32DeviceChannel::Control(std::uint32_t code,
                                                       std::span<const std::uint8_t> input,
                                                       std::span<std::uint8_t> output) {
    // Gone, and not there again: the request gets no answer.
    const auto gone = [this] {
        error_ = path_.empty() ? 0 : ERROR_DEVICE_NOT_CONNECTED;
        return std::nullopt;
    };
    bool reopened = false;
    if (!IsValid(handle_)) {
        if (path_.empty() || !Reopen())
            return gone();
        reopened = true;
    }
    for (;;) {
        std::uint32_t returned = 0;
        ::SetLastError(0);
        if (calls_.Control(handle_, code, input.empty() ? nullptr : input.data(),
                           static_cast<std::uint32_t>(input.size()), output.empty() ? nullptr : output.data(),
                           static_cast<std::uint32_t>(output.size()), returned)) {
            error_ = 0;
            return std::min<std::size_t>(returned, output.size());
        }
        error_ = static_cast<std::uint32_t>(::GetLastError());
        if (reopened || !DeviceGone(error_))
            return std::nullopt;
        reopened = true;
        if (!Reopen())
            return gone();
    }
}

bool Win32DeviceChannel::Unanswered() const {
    return NotAnswered(error_);
}

std::string Win32DeviceChannel::Diagnosis() const {
    if (!Unanswered())
        return {};
    if (error_ == ERROR_SEM_TIMEOUT || error_ == ERROR_OPERATION_ABORTED)
        return "The device " + path_ + " did not answer in time.";
    return "The device " + path_ + " went away: its driver, or the simulator that serves it, has stopped.";
}

namespace {

// The machine's folder for the boards' files, shared by every user.
std::string MachineBoardFolder() {
    wchar_t folder[MAX_PATH] = {};
    // Without the folder, a name that cannot be created: the transfers then say that they work without
    // their board files.
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return "?:\\RuvasetW";
    return Narrow(folder) + "\\RuvasetW";
}

} // namespace

std::string ServedStatePath() {
    return MachineBoardFolder() + "\\ruva2-sim.lock";
}

Device MakePlatformDevice(const std::string&) {
    // Boards that a simulator serves through the stand-in driver keep their files beside its state, as
    // every other path to those boards does; the machine's boards in the folder shared by every user.
    const auto files = [] {
        std::string state = ServedState(ServedStatePath());
        return state.empty() ? MachineBoardFolder() + "\\ruva2" : state;
    };
    return {std::make_unique<Win32DeviceChannel>(),
            {.FilesPrefix = files,
             .Served = [] { return !ServedState(ServedStatePath()).empty(); },
             .Text = [](std::string bytes) { return AnsiToUtf8(bytes); }}};
}

} // namespace ruva
