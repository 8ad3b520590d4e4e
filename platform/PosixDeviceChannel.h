#pragma once
// The device channel over the simulator's Unix stream socket (see DevicePath.h and DeviceFrame.h).

#include "DeviceChannel.h"

#include <chrono>

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
    // After a request that timed out: that the simulator at the socket does not answer.
    std::string Diagnosis() const override;
    bool Unanswered() const override { return silent_; }

    // How long one request may take in all (connecting, sending, waiting for its whole answer) before
    // it counts as failed.
    static constexpr int ReplyTimeoutSeconds = 10;
    // How long connecting may take of that.
    static constexpr int ConnectTimeoutSeconds = 5;
    // Both limits once a request has timed out, until the simulator answers again: a stuck simulator
    // is not waited for in full on every request.
    static constexpr int SilentTimeoutSeconds = 1;

private:
    bool Connect(std::chrono::steady_clock::time_point deadline);
    void Disconnect();
    bool PeerHasClosed() const;

    std::string socketPath_;
    bool fallbackDir_ = false;
    int fd_ = -1;
    bool silent_ = false; // the last request timed out
};

} // namespace ruva
