// Bytes from a client, as the simulator receives them on one connection: frames are decoded and each
// complete one is handled by a simulator of four boards with faults set. Every answer must be a sound
// reply frame that fits the capacity its request asked for.

#include "DeviceFrame.h"
#include "Simulator.h"

#include <cstdlib>

using namespace ruva;
using namespace ruva::sim;

namespace {

SimState FuzzState() {
    SimState state = FreshState(4);
    state.NumberOfBoards = 3;
    state.Boards[0].Faults[Request::ReadGdsId] = Fault{.Status = 7, .Count = 3};
    state.Boards[0].Faults[Request::WriteStoredConfig] = Fault{.ReadBackDiffers = true};
    state.Boards[1].Faults[Request::ReadStoredConfig] = Fault{.Fail = true};
    state.Boards[2].Faults[Request::SetClockLi1] = Fault{.Empty = true, .Count = 1};
    state.Faults[Request::GetErrorText] = Fault{.Empty = true, .Count = 1};
    state.ErrorTexts[51] = std::nullopt;
    state.ErrorTexts[7] = "Seven";
    return state;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const SimState initial = FuzzState();
    // Every second store fails, so that undoing a change is exercised too.
    int stores = 0;
    Simulator simulator(initial,
                        [&stores](const SimState&) { return ++stores % 2 ? std::string() : "full"; });

    // The capacities asked for, in order, as far as the input holds whole frames.
    std::vector<std::uint32_t> capacities;
    std::span<const std::uint8_t> rest(data, size);
    frame::Request request;
    std::size_t consumed = 0;
    while (frame::DecodeRequest(rest, request, consumed) == frame::DecodeStatus::Complete) {
        capacities.push_back(request.OutputCapacity);
        rest = rest.subspan(consumed);
    }

    // Delivered in two pieces, as a stream socket may hand it over.
    std::vector<std::uint8_t> input(data, data + size / 2);
    std::vector<std::uint8_t> output;
    std::string reason;
    bool sound = ServeFrames(simulator, input, output, reason);
    if (sound) {
        input.insert(input.end(), data + size / 2, data + size);
        sound = ServeFrames(simulator, input, output, reason);
    }

    std::span<const std::uint8_t> replies(output);
    std::size_t answered = 0;
    while (!replies.empty()) {
        if (replies.size() < frame::ReplyHeaderSize || answered >= capacities.size())
            std::abort();
        frame::ReplyHeader header;
        if (frame::DecodeReplyHeader(replies.first<frame::ReplyHeaderSize>(), capacities[answered], header) !=
                frame::DecodeStatus::Complete ||
            replies.size() < frame::ReplyHeaderSize + header.Count)
            std::abort();
        replies = replies.subspan(frame::ReplyHeaderSize + header.Count);
        ++answered;
    }
    if (answered != capacities.size())
        std::abort();
    return 0;
}
