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
    // A request that finds the device gone (its driver was stopped, or the simulator behind the
    // stand-in detached before the request reached it) opens the device again, once, as Open does, and
    // is sent on the new handle: so the programs work on once the driver is installed and served again.
    std::optional<std::size_t> Control(std::uint32_t code, std::span<const std::uint8_t> input,
                                       std::span<std::uint8_t> output) override;
    // After a request that got no answer: that the device did not answer in time, or is gone.
    std::string Diagnosis() const override;
    bool Unanswered() const override;

private:
    bool Reopen();

    Win32DeviceCalls calls_;
    std::string path_;       // the device, once opened
    void* handle_ = nullptr; // HANDLE; null or INVALID_HANDLE_VALUE when not open
    std::uint32_t error_ = 0; // the system's error of the last request; 0 when it was answered
};

} // namespace ruva
