#pragma once
// The device channel of boards simulated in process: every request is answered by the simulator's core
// on the newest state in the state file, under the file's lock, and a change is stored (atomically)
// before its answer, as ruva2-sim does on its socket. So programs that share a state file take turns
// on the same boards; while a ruva2-sim serves the file, requests fail after LockPatience.

#include "DeviceChannel.h"

#include <functional>
#include <string>

namespace ruva::sim {

class Simulator;

class SimulatedChannel final : public DeviceChannel {
public:
    // `statePath` as the user named it. A missing state file is created with two fresh boards, and with
    // `createFolder` its folder too.
    explicit SimulatedChannel(const std::string& statePath, bool createFolder = false);

    // Makes sure the state file serves (creating it when missing) and can be written; false, with
    // Diagnosis() saying that the boards cannot be used and why, when it cannot. The device path is not
    // used: these boards are the only device.
    bool Open(const std::string& devicePath) override;
    std::optional<std::size_t> Control(std::uint32_t code, std::span<const std::uint8_t> input,
                                       std::span<std::uint8_t> output) override;

    std::string Diagnosis() const override { return problem_; }
    // The state file's full path, beside which the boards' files go; empty when it cannot be resolved.
    const std::string& StatePath() const { return path_; }

private:
    // Runs `use` on a simulator over the newest state, under the lock. False, with problem_ set, when
    // the state file cannot serve; problem_ is set too when a change could not be stored.
    bool WithSimulator(const std::function<void(Simulator&)>& use);
    bool Fail(const std::string& problem);

    std::string path_;
    std::string unresolved_; // why it could not
    std::string problem_;
    std::string reason_; // the last failure, as the state file's layer tells it
    bool createFolder_;
    bool usable_ = false; // the state was found usable (CheckStateUsable), so its files may be made
};

} // namespace ruva::sim
