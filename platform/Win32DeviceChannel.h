#pragma once
// The device channel over the Windows device interface: CreateFileA and DeviceIoControl.

#include "DeviceChannel.h"

namespace ruva {

class Win32DeviceChannel final : public DeviceChannel {
public:
    Win32DeviceChannel() = default;
    ~Win32DeviceChannel() override;
    Win32DeviceChannel(const Win32DeviceChannel&) = delete;
    Win32DeviceChannel& operator=(const Win32DeviceChannel&) = delete;

    bool Open(const std::string& devicePath) override;
    std::optional<std::size_t> Control(std::uint32_t code, std::span<const std::uint8_t> input,
                                       std::span<std::uint8_t> output) override;

private:
    void* handle_ = nullptr; // HANDLE; null or INVALID_HANDLE_VALUE when not open
};

} // namespace ruva
