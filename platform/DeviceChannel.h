#pragma once
// The device seam: open a device by its path, and send one synchronous control request. The driver
// layer builds every request on these two operations, so it runs against the real device, the
// simulator's socket or a scripted channel in tests alike.

#include <cstddef>
#include <cstdint>
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

    // Where the files that belong to this device's boards between processes, but not on the boards, are
    // kept (a board's lock, a note that its clock may differ from its stored configuration): a path to
    // which a board's file names are appended, such as "<state folder>/ruva2". They belong to the boards,
    // so every channel to the same boards names the same place, one that lasts as long as the boards
    // keep their state. Empty when the channel keeps none (test channels).
    virtual std::string BoardFilesPrefix() const { return {}; }

    // One line for the user on why requests fail that their results do not tell, such as a simulator
    // that does not answer; empty when there is nothing to add.
    virtual std::string Diagnosis() const { return {}; }

    // The state file, as the user named it, when this channel serves simulated boards instead of the
    // device; empty for the device.
    virtual std::string SimulatorState() const { return {}; }

    // A text that the device handed over (an error text) as UTF-8, the programs' texts. The device's
    // bytes are taken as they are unless the platform's driver uses another encoding.
    virtual std::string DeviceText(std::string bytes) const { return bytes; }
};

// The device of this platform: DeviceIoControl on Windows, the simulator's socket elsewhere. The
// programs choose between it and simulated boards in sim/DeviceChoice.h.
std::unique_ptr<DeviceChannel> MakePlatformDeviceChannel();

} // namespace ruva
