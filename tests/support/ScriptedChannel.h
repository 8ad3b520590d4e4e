#pragma once
// An in-memory device channel for tests: it records every request (code, input bytes, capacity) and
// answers from canned replies queued per request code, or from a handler for whatever is not queued.

#include "ControlCodes.h"
#include "DeviceChannel.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace ruva::test {

struct RecordedRequest {
    std::uint32_t Code = 0;
    std::vector<std::uint8_t> Input;
    std::size_t Capacity = 0;

    Request AsRequest() const { return static_cast<Request>(Code); }
};

struct CannedReply {
    bool Ok = true;                  // false: the request itself fails
    std::vector<std::uint8_t> Bytes; // the bytes returned (cut to the capacity)
    bool Answered = true;            // false: it failed without an answer (timed out)
};

// A reply of a 4-byte status word followed by `data`.
CannedReply StatusReply(std::uint32_t status, const std::vector<std::uint8_t>& data = {});
// A request that fails, and one that succeeds with no bytes.
CannedReply FailedReply();
CannedReply EmptyReply();
// A request that gets no answer at all (it times out).
CannedReply NoAnswer();

class ScriptedChannel : public DeviceChannel {
public:
    using Handler = std::function<CannedReply(const RecordedRequest&)>;

    bool OpenSucceeds = true;
    std::string DiagnosisText; // what Diagnosis() tells
    std::vector<std::string> OpenedPaths;
    std::vector<RecordedRequest> Requests;

    // Answers the next request with this code; queued replies are used in order.
    void Queue(Request code, CannedReply reply);
    // Answers every request that has no queued reply; without a handler such requests fail.
    void SetHandler(Handler handler) { handler_ = std::move(handler); }

    // The codes of the recorded requests, in order.
    std::vector<Request> Codes() const;
    // The recorded requests with this code.
    std::vector<RecordedRequest> RequestsWith(Request code) const;

    bool Open(const std::string& devicePath) override;
    std::optional<std::size_t> Control(std::uint32_t code, std::span<const std::uint8_t> input,
                                       std::span<std::uint8_t> output) override;
    std::string Diagnosis() const override { return DiagnosisText; }
    bool Unanswered() const override { return unanswered_; }

private:
    bool unanswered_ = false;
    std::map<std::uint32_t, std::deque<CannedReply>> queued_;
    Handler handler_;
};

} // namespace ruva::test
