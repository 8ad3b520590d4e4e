#pragma once
// The device channel over the simulator's Unix stream socket (see DevicePath.h and DeviceFrame.h).

#include "DeviceChannel.h"

namespace ruva {

class PosixDeviceChannel final : public DeviceChannel {
public:
    PosixDeviceChannel() = default;
    ~PosixDeviceChannel() override;
    PosixDeviceChannel(const PosixDeviceChannel&) = delete;
    PosixDeviceChannel& operator=(const PosixDeviceChannel&) = delete;

    bool Open(const std::string& devicePath) override;
    std::optional<std::size_t> Control(std::uint32_t code, std::span<const std::uint8_t> input,
                                       std::span<std::uint8_t> output) override;
    // Beside the socket: "<runtime dir>/ruva2" for "<runtime dir>/ruva2.sock".
    std::string BoardFilesPrefix() const override;

    // How long one request may wait for its answer before it counts as failed.
    static constexpr int ReplyTimeoutSeconds = 10;
    // How long connecting may take before the request counts as failed.
    static constexpr int ConnectTimeoutSeconds = 5;

private:
    bool Connect();
    void Disconnect();
    bool PeerHasClosed() const;

    std::string socketPath_;
    bool fallbackDir_ = false;
    int fd_ = -1;
};

} // namespace ruva
