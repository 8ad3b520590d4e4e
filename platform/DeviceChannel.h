#pragma once
// The device seam: open a device by its path, and send one synchronous control request. The driver
// layer builds every request on these two operations, so it runs against the real device, the
// simulator's socket or a scripted channel in tests alike. The boards' traits come with it (Device).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace ruva {

class DeviceChannel {
public:
    virtual ~DeviceChannel() = default;

    // Opens the device; true when it is open afterwards.
    virtual bool Open(const std::string& devicePath) = 0;

    // Sends one control request with its input block and the capacity of the reply. Empty when the
    // request failed; otherwise the count of bytes the device wrote into `output` (at most its size).
    virtual std::optional<std::size_t> Control(std::uint32_t code, std::span<const std::uint8_t> input,
                                               std::span<std::uint8_t> output) = 0;

    // The transport's last failure, as one line for the user, where the results do not tell it (a
    // simulator that does not answer, a state file that cannot serve); empty when there is none.
    virtual std::string Diagnosis() const { return {}; }

    // Whether the last request got no answer at all: it timed out or was cancelled, or the device went
    // away while it waited. (A request that the device refused was answered.)
    virtual bool Unanswered() const { return false; }
};

// What the programs know of the boards behind a channel, chosen with it; by default, those of a
// device that keeps no files and hands over its texts as they are (test channels).
struct DeviceTraits {
    // The state file, as the user named it, of boards simulated in process; empty for the device.
    std::string SimulatorState{};
    // Where the files that belong to the boards between processes, but not on the boards, are kept (a
    // board's lock, a note that its clock may differ from its stored configuration): a path to which a
    // board's file names are appended, the same for every way to the same boards; empty for none.
    // Asked each time a board is taken, as a simulator may have begun to serve the device meanwhile.
    std::function<std::string()> FilesPrefix = [] { return std::string(); };
    // Whether a simulator serves the device's boards (through the socket or the stand-in driver).
    std::function<bool()> Served = [] { return false; };
    // A text that the device handed over (an error text) as UTF-8, the programs' texts.
    std::function<std::string(std::string)> Text = [](std::string bytes) { return bytes; };
};

// A chosen device: its channel, and the traits of the boards behind it.
struct Device {
    std::unique_ptr<DeviceChannel> Channel{};
    DeviceTraits Traits{};
};

// The device of this platform at `devicePath`: DeviceIoControl on Windows, whose texts come in the
// system's ANSI code page; the simulator's socket elsewhere. The programs choose between it and
// simulated boards in sim/DeviceChoice.h.
Device MakePlatformDevice(const std::string& devicePath);

} // namespace ruva
