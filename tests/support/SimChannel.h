#pragma once
// A driver channel to boards simulated in process by the simulator's core: every request is answered
// by a Simulator over the given state, as the simulator's daemon answers it, without a socket. Copies
// share the boards.

#include "DeviceChannel.h"
#include "Simulator.h"

#include <memory>

namespace ruva::test {

class SimChannel : public DeviceChannel {
public:
    explicit SimChannel(sim::SimState state) : simulator_(std::make_shared<sim::Simulator>(std::move(state))) {}

    // False opens fail, as without an installed driver.
    bool DriverInstalled = true;
    bool Open(const std::string& devicePath) override;
    std::optional<std::size_t> Control(std::uint32_t code, std::span<const std::uint8_t> input,
                                       std::span<std::uint8_t> output) override;

    const sim::SimState& State() const { return simulator_->State(); }

private:
    std::shared_ptr<sim::Simulator> simulator_;
};

} // namespace ruva::test
