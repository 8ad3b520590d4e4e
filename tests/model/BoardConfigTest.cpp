#include "BoardConfig.h"
#include "Fields.h"

#include <gtest/gtest.h>

#include <numeric>

namespace ruva {
namespace {

// A block whose fields all differ, so that any field written at a wrong offset shows.
E1Settings DistinctE1(int seed) {
    E1Settings e;
    e.TransmitLineCode = static_cast<std::int16_t>(0x0101 * seed);
    e.ReceiveLineCode = static_cast<std::int16_t>(0x0202 + seed);
    e.TransmitFrameFormat = static_cast<std::int16_t>(0x0303 + seed);
    e.ReceiveFrameFormat = static_cast<std::int16_t>(0x0404 + seed);
    e.AisDetection = static_cast<std::int16_t>(0x0505 + seed);
    e.SiBits = static_cast<std::uint16_t>(0x0606 + seed);
    e.SaBits = static_cast<std::uint16_t>(0x0707 + seed);
    e.ExtendedHDB3ErrorDetection = static_cast<std::int16_t>(0x0808 + seed);
    e.AutomaticRegainMultiframe = static_cast<std::int16_t>(0x0909 + seed);
    e.AutoResynchronization = static_cast<std::int16_t>(0x0A0A + seed);
    e.AutomaticRemoteAlarm = static_cast<std::int16_t>(0x0B0B + seed);
    e.LOSSensitivity = static_cast<std::uint8_t>(0xC0 + seed);
    e.LOSRecovery = static_cast<std::uint8_t>(0xD0 + seed);
    e.LineLength = static_cast<std::uint16_t>(0x0E0E + seed);
    e.TransmitPower = static_cast<std::int16_t>(0x0F0F + seed);
    e.ReceiveEqualizer = static_cast<std::int16_t>(-2 - seed);
    return e;
}

T1Settings DistinctT1(int seed) {
    T1Settings t;
    t.SignalingMode = static_cast<std::int16_t>(0x1111 + seed);
    t.TransmitLineCode = static_cast<std::int16_t>(0x1212 + seed);
    t.ReceiveLineCode = static_cast<std::int16_t>(0x1313 + seed);
    t.FrameFormat = static_cast<std::int16_t>(0x1414 + seed);
    t.EnableCRC6 = static_cast<std::int16_t>(0x1515 + seed);
    t.TransmitRemoteAlarmFormat = static_cast<std::int16_t>(0x1616 + seed);
    t.ReceiveRemoteAlarmFormat = static_cast<std::int16_t>(0x1717 + seed);
    t.AutoResynchronization = static_cast<std::int16_t>(0x1818 + seed);
    t.LFASensitivity = static_cast<std::int16_t>(0x1919 + seed);
    t.AutomaticRemoteAlarm = static_cast<std::int16_t>(0x1A1A + seed);
    t.LOSSensitivity = static_cast<std::uint8_t>(0xA0 + seed);
    t.LOSRecovery = static_cast<std::uint8_t>(0xB0 + seed);
    t.LineLength = static_cast<std::uint16_t>(0x1D1D + seed);
    t.TransmitPower = static_cast<std::int16_t>(0x1E1E + seed);
    t.ReceiveEqualizer = static_cast<std::int16_t>(0x1F1F + seed);
    t.ClearChannels = 0x80123456u + static_cast<std::uint32_t>(seed);
    return t;
}

StoredConfig DistinctImage() {
    StoredConfig c;
    c.Version = 0xA109;
    c.SerialNumber = 0x1234;
    c.ClockSource = -3;
    for (int li = 0; li < 2; ++li) {
        c.Li[static_cast<std::size_t>(li)].DefaultMode = static_cast<std::int16_t>(0x7E00 + li);
        c.Li[static_cast<std::size_t>(li)].E1 = DistinctE1(li + 1);
        c.Li[static_cast<std::size_t>(li)].T1 = DistinctT1(li + 1);
    }
    return c;
}

std::uint16_t U16At(const ImageBytes& b, std::size_t offset) {
    return static_cast<std::uint16_t>(b[offset] | (b[offset + 1] << 8));
}

std::uint32_t U32At(const ImageBytes& b, std::size_t offset) {
    return static_cast<std::uint32_t>(b[offset]) | (static_cast<std::uint32_t>(b[offset + 1]) << 8) |
           (static_cast<std::uint32_t>(b[offset + 2]) << 16) |
           (static_cast<std::uint32_t>(b[offset + 3]) << 24);
}

TEST(StoredConfigImage, HeaderWordsSitAtTheirOffsets) {
    const ImageBytes b = DistinctImage().toBytes();
    EXPECT_EQ(U16At(b, 0), 0xA109);
    EXPECT_EQ(U16At(b, 2), 0x1234);
    EXPECT_EQ(U16At(b, 4), 0xFFFD); // -3, little-endian
    EXPECT_EQ(U16At(b, 6), 0x7E00);
    EXPECT_EQ(U16At(b, 70), 0x7E01);
}

TEST(StoredConfigImage, EveryLineInterfaceFieldSitsAtItsOffset) {
    const StoredConfig c = DistinctImage();
    const ImageBytes b = c.toBytes();
    for (std::size_t li = 0; li < 2; ++li) {
        SCOPED_TRACE(li);
        const std::size_t base = 6 + 64 * li;
        const E1Settings& e = c.Li[li].E1;
        EXPECT_EQ(U16At(b, base + 2), static_cast<std::uint16_t>(e.TransmitLineCode));
        EXPECT_EQ(U16At(b, base + 4), static_cast<std::uint16_t>(e.ReceiveLineCode));
        EXPECT_EQ(U16At(b, base + 6), static_cast<std::uint16_t>(e.TransmitFrameFormat));
        EXPECT_EQ(U16At(b, base + 8), static_cast<std::uint16_t>(e.ReceiveFrameFormat));
        EXPECT_EQ(U16At(b, base + 10), static_cast<std::uint16_t>(e.AisDetection));
        EXPECT_EQ(U16At(b, base + 12), e.SiBits);
        EXPECT_EQ(U16At(b, base + 14), e.SaBits);
        EXPECT_EQ(U16At(b, base + 16), static_cast<std::uint16_t>(e.ExtendedHDB3ErrorDetection));
        EXPECT_EQ(U16At(b, base + 18), static_cast<std::uint16_t>(e.AutomaticRegainMultiframe));
        EXPECT_EQ(U16At(b, base + 20), static_cast<std::uint16_t>(e.AutoResynchronization));
        EXPECT_EQ(U16At(b, base + 22), static_cast<std::uint16_t>(e.AutomaticRemoteAlarm));
        EXPECT_EQ(b[base + 24], e.LOSSensitivity);
        EXPECT_EQ(b[base + 25], e.LOSRecovery);
        EXPECT_EQ(U16At(b, base + 26), e.LineLength);
        EXPECT_EQ(U16At(b, base + 28), static_cast<std::uint16_t>(e.TransmitPower));
        EXPECT_EQ(U16At(b, base + 30), static_cast<std::uint16_t>(e.ReceiveEqualizer));

        const T1Settings& t = c.Li[li].T1;
        EXPECT_EQ(U16At(b, base + 32), static_cast<std::uint16_t>(t.SignalingMode));
        EXPECT_EQ(U16At(b, base + 34), static_cast<std::uint16_t>(t.TransmitLineCode));
        EXPECT_EQ(U16At(b, base + 36), static_cast<std::uint16_t>(t.ReceiveLineCode));
        EXPECT_EQ(U16At(b, base + 38), static_cast<std::uint16_t>(t.FrameFormat));
        EXPECT_EQ(U16At(b, base + 40), static_cast<std::uint16_t>(t.EnableCRC6));
        EXPECT_EQ(U16At(b, base + 42), static_cast<std::uint16_t>(t.TransmitRemoteAlarmFormat));
        EXPECT_EQ(U16At(b, base + 44), static_cast<std::uint16_t>(t.ReceiveRemoteAlarmFormat));
        EXPECT_EQ(U16At(b, base + 46), static_cast<std::uint16_t>(t.AutoResynchronization));
        EXPECT_EQ(U16At(b, base + 48), static_cast<std::uint16_t>(t.LFASensitivity));
        EXPECT_EQ(U16At(b, base + 50), static_cast<std::uint16_t>(t.AutomaticRemoteAlarm));
        EXPECT_EQ(b[base + 52], t.LOSSensitivity);
        EXPECT_EQ(b[base + 53], t.LOSRecovery);
        EXPECT_EQ(U16At(b, base + 54), t.LineLength);
        EXPECT_EQ(U16At(b, base + 56), static_cast<std::uint16_t>(t.TransmitPower));
        EXPECT_EQ(U16At(b, base + 58), static_cast<std::uint16_t>(t.ReceiveEqualizer));
        EXPECT_EQ(U32At(b, base + 60), t.ClearChannels);
    }
}

TEST(StoredConfigImage, ClearChannelsSitAtTwoModuloFour) {
    StoredConfig c;
    c.Li[0].T1.ClearChannels = 0x00800001;
    c.Li[1].T1.ClearChannels = 0x00123456;
    const ImageBytes b = c.toBytes();
    EXPECT_EQ(U32At(b, 66), 0x00800001u);
    EXPECT_EQ(U32At(b, 130), 0x00123456u);
    EXPECT_EQ(b[66], 0x01);
    EXPECT_EQ(b[68], 0x80);
    EXPECT_EQ(b[133], 0x00);
}

TEST(StoredConfigImage, BytesRoundTripUnchanged) {
    // Every byte belongs to a field, so any 134 bytes survive fromBytes followed by toBytes.
    ImageBytes bytes;
    std::iota(bytes.begin(), bytes.end(), std::uint8_t{7});
    EXPECT_EQ(StoredConfig::fromBytes(bytes).toBytes(), bytes);

    const StoredConfig c = DistinctImage();
    EXPECT_EQ(StoredConfig::fromBytes(c.toBytes()), c);
}

TEST(Defaults, E1AndT1BlocksTakeTheirDefaultValues) {
    E1Settings e = DistinctE1(3);
    SetE1Defaults(e);
    const auto eb = e.toBytes();
    const std::array<std::uint8_t, E1Settings::Size> expectedE1{
        1, 0, 1, 0, 0, 0, 0, 0, 1, 0, 3, 0, 0x1F, 0, 0, 0, 0, 0, 1, 0, 0, 0, 128, 128, 100, 0, 0, 0, 1, 0};
    EXPECT_EQ(eb, expectedE1);

    T1Settings t = DistinctT1(3);
    SetT1Defaults(t);
    const auto tb = t.toBytes();
    const std::array<std::uint8_t, T1Settings::Size> expectedT1{
        0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 1, 0, 1, 0, 1, 0, 0, 0, 0, 0, 128, 128, 100, 0, 0, 0, 1, 0, 0, 0, 0, 0};
    EXPECT_EQ(tb, expectedT1);
}

TEST(CopyOtherLi, CopiesOneBlockAndNothingElse) {
    StoredConfig c = DistinctImage();
    const StoredConfig before = c;

    CopyOtherLi(c, 1, LiBlock::E1);
    EXPECT_EQ(c.Li[1].E1, before.Li[0].E1);
    EXPECT_EQ(c.Li[1].T1, before.Li[1].T1);
    EXPECT_EQ(c.Li[1].DefaultMode, before.Li[1].DefaultMode);
    EXPECT_EQ(c.Li[0], before.Li[0]);

    c = before;
    CopyOtherLi(c, 0, LiBlock::T1);
    EXPECT_EQ(c.Li[0].T1, before.Li[1].T1);
    EXPECT_EQ(c.Li[0].E1, before.Li[0].E1);
    EXPECT_EQ(c.Li[1], before.Li[1]);
    EXPECT_EQ(c.Version, before.Version);
    EXPECT_EQ(c.ClockSource, before.ClockSource);
}

TEST(FieldTables, ListEveryFieldOnceInStoredOrder) {
    // Setting each field through the table to a distinct value must touch a distinct part of the block,
    // in ascending byte order: the tables and the layout agree.
    std::size_t previous = 0;
    for (const E1Field& f : E1Fields()) {
        E1Settings one;
        f.Set(one, 1);
        const auto bytes = one.toBytes();
        const auto at = static_cast<std::size_t>(std::find(bytes.begin(), bytes.end(), 1) - bytes.begin());
        EXPECT_LT(at, bytes.size()) << f.Key;
        EXPECT_GE(at, previous) << f.Key;
        previous = at + 1;
        EXPECT_EQ(f.Get(one), 1) << f.Key;
    }
    EXPECT_EQ(E1Fields().size(), 16u);
    EXPECT_EQ(T1Fields().size(), 16u);
    previous = 0;
    for (const T1Field& f : T1Fields()) {
        T1Settings one;
        f.Set(one, 1);
        const auto bytes = one.toBytes();
        const auto at = static_cast<std::size_t>(std::find(bytes.begin(), bytes.end(), 1) - bytes.begin());
        EXPECT_GE(at, previous) << f.Key;
        previous = at + 1;
    }
}

template <typename Block>
const FieldInfo<Block>* Find(std::span<const FieldInfo<Block>> fields, std::string_view key) {
    const auto it = std::ranges::find(fields, key, &FieldInfo<Block>::Key);
    return it == fields.end() ? nullptr : &*it;
}

TEST(FieldTables, NumbersKeepTheirWidthAndRanges) {
    const T1Field* clear = Find(T1Fields(), "ClearChannels");
    ASSERT_NE(clear, nullptr);
    EXPECT_FALSE(clear->IsEnumerated());
    EXPECT_EQ(clear->Width, 32u);
    EXPECT_EQ(clear->Max, 0xFFFFFFu);
    T1Settings t;
    clear->Set(t, 0xFFFFFFFF);
    EXPECT_EQ(clear->Get(t), 0xFFFFFFFF);

    const E1Field* los = Find(E1Fields(), "LOSSensitivity");
    ASSERT_NE(los, nullptr);
    EXPECT_EQ(los->Width, 8u);
    E1Settings e;
    los->Set(e, 255);
    EXPECT_EQ(los->Get(e), 255); // never negative

    const E1Field* tx = Find(E1Fields(), "TransmitLineCode");
    ASSERT_NE(tx, nullptr);
    tx->Set(e, -1);
    EXPECT_EQ(tx->Get(e), -1); // enumerated fields read back as signed codes
}

} // namespace
} // namespace ruva
