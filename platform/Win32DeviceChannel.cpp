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
    if (IsValid(handle_))
        calls_.Close(handle_);
    handle_ = calls_.Open(devicePath.c_str(), DeviceReadWriteAccess);
    if (!IsValid(handle_))
        handle_ = calls_.Open(devicePath.c_str(), 0);
    return IsValid(handle_);
}

std::optional<std::size_t> Win32DeviceChannel::Control(std::uint32_t code,
                                                       std::span<const std::uint8_t> input,
                                                       std::span<std::uint8_t> output) {
    if (!IsValid(handle_))
        return std::nullopt;
    std::uint32_t returned = 0;
    if (!calls_.Control(handle_, code, input.empty() ? nullptr : input.data(),
                        static_cast<std::uint32_t>(input.size()), output.empty() ? nullptr : output.data(),
                        static_cast<std::uint32_t>(output.size()), returned))
        return std::nullopt;
    return std::min<std::size_t>(returned, output.size());
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
