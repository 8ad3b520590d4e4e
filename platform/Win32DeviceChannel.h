#pragma once
// The device channel over the Windows device interface: CreateFileA and DeviceIoControl.

#include "DeviceChannel.h"

#include <cstdint>
#include <functional>

namespace ruva {

// The three system calls the channel makes, so that tests can stand in for the device. Handles are the
// system's HANDLE values; Open yields null or INVALID_HANDLE_VALUE on failure.
struct Win32DeviceCalls {
    // CreateFileA(path, access, no sharing, no security, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, no template).
    std::function<void*(const char* path, std::uint32_t access)> Open;
    // DeviceIoControl without an overlapped structure; true on success with `returned` set.
    std::function<bool(void* handle, std::uint32_t code, const void* input, std::uint32_t inputSize,
                       void* output, std::uint32_t outputSize, std::uint32_t& returned)>
        Control;
    std::function<void(void* handle)> Close;
};

// The lock file that a simulator holds while it serves the device through the stand-in driver,
// "...\RuvasetW\ruva2-sim.lock" in the machine's common application data folder. It names the
// simulator's state file on one line (see ServedState).
std::string ServedStatePath();

// The real calls of kernel32.
Win32DeviceCalls SystemDeviceCalls();

// GENERIC_READ | GENERIC_WRITE: every driver request carries write access in its control code, and the
// I/O manager passes such a request only on a handle opened with write access.
inline constexpr std::uint32_t DeviceReadWriteAccess = 0x80000000u | 0x40000000u;

class Win32DeviceChannel final : public DeviceChannel {
public:
    explicit Win32DeviceChannel(Win32DeviceCalls calls = SystemDeviceCalls());
    ~Win32DeviceChannel() override;
    Win32DeviceChannel(const Win32DeviceChannel&) = delete;
    Win32DeviceChannel& operator=(const Win32DeviceChannel&) = delete;

    // Opens the device for reading and writing; when that is refused, opens it without access rights,
    // as older drivers expect.
    bool Open(const std::string& devicePath) override;
    std::optional<std::size_t> Control(std::uint32_t code, std::span<const std::uint8_t> input,
                                       std::span<std::uint8_t> output) override;

private:
    Win32DeviceCalls calls_;
    void* handle_ = nullptr; // HANDLE; null or INVALID_HANDLE_VALUE when not open
};

} // namespace ruva
