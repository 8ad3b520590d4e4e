#include "SimChannel.h"

#include <algorithm>

namespace ruva::test {

bool SimChannel::Open(const std::string&) {
    return DriverInstalled;
}

std::optional<std::size_t> SimChannel::Control(std::uint32_t code, std::span<const std::uint8_t> input,
                                               std::span<std::uint8_t> output) {
    const sim::Outcome outcome = simulator_->Handle(code, input, static_cast<std::uint32_t>(output.size()));
    if (!outcome.Reply.Ok)
        return std::nullopt;
    const std::size_t size = std::min(outcome.Reply.Data.size(), output.size());
    std::copy_n(outcome.Reply.Data.begin(), size, output.begin());
    return size;
}

} // namespace ruva::test
