#include "ScriptedChannel.h"

#include <algorithm>

namespace ruva::test {

CannedReply StatusReply(std::uint32_t status, const std::vector<std::uint8_t>& data) {
    CannedReply reply;
    for (int i = 0; i < 4; ++i)
        reply.Bytes.push_back(static_cast<std::uint8_t>(status >> (8 * i)));
    reply.Bytes.insert(reply.Bytes.end(), data.begin(), data.end());
    return reply;
}

CannedReply FailedReply() {
    return CannedReply{false, {}};
}
CannedReply EmptyReply() {
    return CannedReply{true, {}};
}
CannedReply NoAnswer() {
    return CannedReply{false, {}, false};
}

void ScriptedChannel::Queue(Request code, CannedReply reply) {
    queued_[static_cast<std::uint32_t>(code)].push_back(std::move(reply));
}

std::vector<Request> ScriptedChannel::Codes() const {
    std::vector<Request> codes;
    for (const RecordedRequest& r : Requests)
        codes.push_back(r.AsRequest());
    return codes;
}

std::vector<RecordedRequest> ScriptedChannel::RequestsWith(Request code) const {
    std::vector<RecordedRequest> found;
    std::copy_if(Requests.begin(), Requests.end(), std::back_inserter(found),
                 [&](const RecordedRequest& r) { return r.AsRequest() == code; });
    return found;
}

bool ScriptedChannel::Open(const std::string& devicePath) {
    OpenedPaths.push_back(devicePath);
    return OpenSucceeds;
}

std::optional<std::size_t> ScriptedChannel::Control(std::uint32_t code, std::span<const std::uint8_t> input,
                                                    std::span<std::uint8_t> output) {
    RecordedRequest request{code, std::vector<std::uint8_t>(input.begin(), input.end()), output.size()};
    Requests.push_back(request);

    CannedReply reply;
    auto queue = queued_.find(code);
    if (queue != queued_.end() && !queue->second.empty()) {
        reply = std::move(queue->second.front());
        queue->second.pop_front();
    } else if (handler_) {
        reply = handler_(request);
    } else {
        reply = FailedReply();
    }
    unanswered_ = !reply.Answered;
    if (!reply.Ok)
        return std::nullopt;
    const std::size_t count = std::min(reply.Bytes.size(), output.size());
    std::copy_n(reply.Bytes.begin(), count, output.begin());
    return count;
}

} // namespace ruva::test
