#include "DeviceFrame.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace ruva::frame {
namespace {

using ::testing::ElementsAre;
using Bytes = std::vector<std::uint8_t>;

TEST(DeviceFrame, RequestLayout) {
    const Bytes input{0xAA, 0xBB};
    EXPECT_THAT(EncodeRequest(0xA02C, input, 4),
                ElementsAre('R', 'U', 'V', '2', 0x2C, 0xA0, 0, 0, 2, 0, 0, 0, 4, 0, 0, 0, 0xAA, 0xBB));
}

TEST(DeviceFrame, ReplyLayout) {
    const Bytes data{1, 2, 3};
    EXPECT_THAT(EncodeReply(true, data), ElementsAre('R', 'U', 'V', '2', 1, 0, 0, 0, 3, 0, 0, 0, 1, 2, 3));
    EXPECT_THAT(EncodeReply(false, {}), ElementsAre('R', 'U', 'V', '2', 0, 0, 0, 0, 0, 0, 0, 0));
}

TEST(DeviceFrame, DecodesAWholeRequestAndLeavesTheRest) {
    Bytes buffer = EncodeRequest(34852, Bytes{1, 0}, 138);
    buffer.push_back('R'); // the start of the next frame
    Request request;
    std::size_t consumed = 0;
    ASSERT_EQ(DecodeRequest(buffer, request, consumed), DecodeStatus::Complete);
    EXPECT_EQ(consumed, buffer.size() - 1);
    EXPECT_EQ(request.Code, 34852u);
    EXPECT_EQ(request.OutputCapacity, 138u);
    EXPECT_THAT(request.Input, ElementsAre(1, 0));
}

TEST(DeviceFrame, IncompleteWrongAndOversizedFrames) {
    Request request;
    std::size_t consumed = 0;
    const Bytes whole = EncodeRequest(1, Bytes(10, 7), 4);
    for (std::size_t n = 0; n < whole.size(); ++n)
        EXPECT_EQ(DecodeRequest(std::span(whole).first(n), request, consumed), DecodeStatus::NeedMore) << n;

    EXPECT_EQ(DecodeRequest(Bytes{'R', 'U', 'X'}, request, consumed), DecodeStatus::BadMagic);
    EXPECT_EQ(DecodeRequest(Bytes{'G', 'E', 'T', ' '}, request, consumed), DecodeStatus::BadMagic);

    Bytes tooLong = EncodeRequest(1, {}, 4097);
    EXPECT_EQ(DecodeRequest(tooLong, request, consumed), DecodeStatus::TooLong);
    tooLong = EncodeRequest(1, {}, 4);
    tooLong[8] = 0x01;
    tooLong[9] = 0x10; // input length 4097
    EXPECT_EQ(DecodeRequest(tooLong, request, consumed), DecodeStatus::TooLong);
    EXPECT_EQ(consumed, 0u);
}

TEST(DeviceFrame, ReplyHeaderChecks) {
    ReplyHeader reply;
    auto header = [](Bytes b) {
        std::array<std::uint8_t, ReplyHeaderSize> h{};
        std::copy(b.begin(), b.end(), h.begin());
        return h;
    };
    EXPECT_EQ(DecodeReplyHeader(header({'R', 'U', 'V', '2', 1, 0, 0, 0, 4, 0, 0, 0}), 4, reply),
              DecodeStatus::Complete);
    EXPECT_TRUE(reply.Ok);
    EXPECT_EQ(reply.Count, 4u);
    // More bytes than the request's capacity, a bad ok word, a wrong magic.
    EXPECT_EQ(DecodeReplyHeader(header({'R', 'U', 'V', '2', 1, 0, 0, 0, 5, 0, 0, 0}), 4, reply),
              DecodeStatus::BadValue);
    EXPECT_EQ(DecodeReplyHeader(header({'R', 'U', 'V', '2', 2, 0, 0, 0, 0, 0, 0, 0}), 4, reply),
              DecodeStatus::BadValue);
    EXPECT_EQ(DecodeReplyHeader(header({'X', 'U', 'V', '2', 1, 0, 0, 0, 0, 0, 0, 0}), 4, reply),
              DecodeStatus::BadMagic);
    EXPECT_EQ(DecodeReplyHeader(header({'R', 'U', 'V', '2', 1, 0, 0, 0, 0, 0, 1, 0}), 0x20000, reply),
              DecodeStatus::TooLong);
}

} // namespace
} // namespace ruva::frame
