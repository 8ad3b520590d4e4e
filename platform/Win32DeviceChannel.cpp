#include "Win32DeviceChannel.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace ruva {

namespace {
bool IsValid(void* handle) {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}
} // namespace

Win32DeviceChannel::~Win32DeviceChannel() {
    // The driver handle lives as long as the process; closing it here only matters for tests and
    // tools that create several channels.
    if (IsValid(handle_))
        ::CloseHandle(static_cast<HANDLE>(handle_));
}

bool Win32DeviceChannel::Open(const std::string& devicePath) {
    if (IsValid(handle_))
        ::CloseHandle(static_cast<HANDLE>(handle_));
    handle_ = ::CreateFileA(devicePath.c_str(), 0, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return IsValid(handle_);
}

std::optional<std::size_t> Win32DeviceChannel::Control(std::uint32_t code,
                                                       std::span<const std::uint8_t> input,
                                                       std::span<std::uint8_t> output) {
    if (!IsValid(handle_))
        return std::nullopt;
    DWORD returned = 0;
    BOOL ok = ::DeviceIoControl(static_cast<HANDLE>(handle_), code,
                                input.empty() ? nullptr : const_cast<std::uint8_t*>(input.data()),
                                static_cast<DWORD>(input.size()), output.empty() ? nullptr : output.data(),
                                static_cast<DWORD>(output.size()), &returned, nullptr);
    if (!ok)
        return std::nullopt;
    return static_cast<std::size_t>(returned);
}

std::unique_ptr<DeviceChannel> MakePlatformDeviceChannel() {
    return std::make_unique<Win32DeviceChannel>();
}

} // namespace ruva
