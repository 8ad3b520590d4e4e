#pragma once
// The frames that carry one control request and its answer over the simulator's stream socket.
// All integers are little-endian u32.
//   request: "RUV2", code, input length, output capacity, input bytes
//   answer:  "RUV2", ok (1 succeeded, 0 failed), count of bytes returned (<= capacity), those bytes
// Lengths above MaxLength are refused.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace ruva::frame {

inline constexpr std::uint8_t Magic[4] = {'R', 'U', 'V', '2'};
inline constexpr std::size_t RequestHeaderSize = 16;
inline constexpr std::size_t ReplyHeaderSize = 12;
inline constexpr std::uint32_t MaxLength = 4096;

struct Request {
    std::uint32_t Code = 0;
    std::uint32_t OutputCapacity = 0;
    std::span<const std::uint8_t> Input; // points into the decoded buffer
};

struct ReplyHeader {
    bool Ok = false;
    std::uint32_t Count = 0;
};

enum class DecodeStatus {
    Complete, // a whole frame was decoded
    NeedMore, // the buffer holds the start of a frame only
    BadMagic, // not a frame of this protocol
    TooLong,  // a length above MaxLength
    BadValue, // a field holds a value the protocol does not allow
};

std::vector<std::uint8_t> EncodeRequest(std::uint32_t code, std::span<const std::uint8_t> input,
                                        std::uint32_t outputCapacity);
std::vector<std::uint8_t> EncodeReply(bool ok, std::span<const std::uint8_t> data);

// Decodes the request frame at the start of `buffer`. On Complete, `consumed` is the frame's size and
// `request.Input` refers into `buffer`.
DecodeStatus DecodeRequest(std::span<const std::uint8_t> buffer, Request& request, std::size_t& consumed);

// Decodes the fixed header of an answer; `capacity` is the output capacity the request asked for.
DecodeStatus DecodeReplyHeader(std::span<const std::uint8_t, ReplyHeaderSize> header, std::uint32_t capacity,
                               ReplyHeader& reply);

} // namespace ruva::frame
