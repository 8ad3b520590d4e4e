#include "DeviceFrame.h"

#include <algorithm>

namespace ruva::frame {

namespace {

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::uint32_t GetU32(std::span<const std::uint8_t> b, std::size_t offset) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i)
        v |= static_cast<std::uint32_t>(b[offset + i]) << (8 * i);
    return v;
}

bool HasMagic(std::span<const std::uint8_t> b) {
    return std::equal(std::begin(Magic), std::end(Magic), b.begin());
}

} // namespace

std::vector<std::uint8_t> EncodeRequest(std::uint32_t code, std::span<const std::uint8_t> input,
                                        std::uint32_t outputCapacity) {
    std::vector<std::uint8_t> out(std::begin(Magic), std::end(Magic));
    out.reserve(RequestHeaderSize + input.size());
    PutU32(out, code);
    PutU32(out, static_cast<std::uint32_t>(input.size()));
    PutU32(out, outputCapacity);
    out.insert(out.end(), input.begin(), input.end());
    return out;
}

std::vector<std::uint8_t> EncodeReply(bool ok, std::span<const std::uint8_t> data) {
    std::vector<std::uint8_t> out(std::begin(Magic), std::end(Magic));
    out.reserve(ReplyHeaderSize + data.size());
    PutU32(out, ok ? 1 : 0);
    PutU32(out, static_cast<std::uint32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

DecodeStatus DecodeRequest(std::span<const std::uint8_t> buffer, Request& request, std::size_t& consumed) {
    consumed = 0;
    // A wrong magic is refused as soon as its first bytes arrive.
    const std::size_t magicBytes = std::min(buffer.size(), sizeof Magic);
    if (!std::equal(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(magicBytes),
                    std::begin(Magic)))
        return DecodeStatus::BadMagic;
    if (buffer.size() < RequestHeaderSize)
        return DecodeStatus::NeedMore;
    const std::uint32_t code = GetU32(buffer, 4);
    const std::uint32_t inputLength = GetU32(buffer, 8);
    const std::uint32_t capacity = GetU32(buffer, 12);
    if (inputLength > MaxLength || capacity > MaxLength)
        return DecodeStatus::TooLong;
    if (buffer.size() - RequestHeaderSize < inputLength)
        return DecodeStatus::NeedMore;
    request.Code = code;
    request.OutputCapacity = capacity;
    request.Input = buffer.subspan(RequestHeaderSize, inputLength);
    consumed = RequestHeaderSize + inputLength;
    return DecodeStatus::Complete;
}

DecodeStatus DecodeReplyHeader(std::span<const std::uint8_t, ReplyHeaderSize> header, std::uint32_t capacity,
                               ReplyHeader& reply) {
    if (!HasMagic(header))
        return DecodeStatus::BadMagic;
    const std::uint32_t ok = GetU32(header, 4);
    const std::uint32_t count = GetU32(header, 8);
    if (ok > 1)
        return DecodeStatus::BadValue;
    if (count > MaxLength)
        return DecodeStatus::TooLong;
    if (count > capacity)
        return DecodeStatus::BadValue;
    reply.Ok = ok == 1;
    reply.Count = count;
    return DecodeStatus::Complete;
}

} // namespace ruva::frame
