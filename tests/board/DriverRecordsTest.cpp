#include "DriverRecords.h"

#include <gtest/gtest.h>

#include <numeric>

namespace ruva {
namespace {

TEST(DriverParametersRecord, FieldsSitAtTheirOffsets) {
    DriverParameters p;
    p.Irq = 10;
    p.IoBaseAddress = 0x300;
    p.NumberOfBoards = -2;
    p.InfoBufferSize = 0x11223344;
    for (std::size_t i = 0; i < 4; ++i) {
        p.HostMemoryWindowOffset[i] = 0xA0000000u + static_cast<std::uint32_t>(i);
        p.HostMemoryWindowSize[i] = 0xB0000000u + static_cast<std::uint32_t>(i);
        p.HostIoWindowOffset[i] = static_cast<std::uint16_t>(0xC000 + i);
        p.HostIoWindowSize[i] = static_cast<std::uint16_t>(0xD000 + i);
        p.DramSize[i] = 0xE0000000u + static_cast<std::uint32_t>(i);
    }
    const auto b = p.toBytes();
    EXPECT_EQ(b[0], 10);
    EXPECT_EQ(b[2], 0x00);
    EXPECT_EQ(b[3], 0x03);
    EXPECT_EQ(b[4], 0xFE);
    EXPECT_EQ(b[5], 0xFF);
    EXPECT_EQ(b[6], 0x44);
    EXPECT_EQ(b[9], 0x11);
    EXPECT_EQ(b[10 + 4 * 3 + 3], 0xA0);
    EXPECT_EQ(b[10 + 4 * 3], 0x03);
    EXPECT_EQ(b[26 + 4 * 1], 0x01);
    EXPECT_EQ(b[26 + 4 * 1 + 3], 0xB0);
    EXPECT_EQ(b[42 + 2 * 2], 0x02);
    EXPECT_EQ(b[42 + 2 * 2 + 1], 0xC0);
    EXPECT_EQ(b[50 + 2 * 3 + 1], 0xD0);
    EXPECT_EQ(b[58], 0x00);
    EXPECT_EQ(b[58 + 4 * 3], 0x03);
    EXPECT_EQ(b[73], 0xE0);
    EXPECT_EQ(DriverParameters::fromBytes(b), p);
}

TEST(BoardInfoRecord, FieldsSitAtTheirOffsetsAndReservedBytesSurvive) {
    std::array<std::uint8_t, BoardInfo::Size> bytes;
    std::iota(bytes.begin(), bytes.end(), std::uint8_t{1});
    const BoardInfo info = BoardInfo::fromBytes(bytes);
    EXPECT_EQ(info.BarRevision, 0x04030201u);
    EXPECT_EQ(info.MadRevision, 0x08070605u);
    EXPECT_EQ(info.SadRevision, 0x0C0B0A09u);
    EXPECT_EQ(info.LadRevision, 0x100F0E0Du);
    EXPECT_EQ(info.RscRevision, 0x14131211u);
    EXPECT_EQ(info.BootstrapRevision, 0x18171615u);
    EXPECT_EQ(info.Reserved.front(), 25);
    EXPECT_EQ(info.Reserved.back(), 40);
    EXPECT_EQ(info.HdlcStartAddress, 0x2C2B2A29u);
    EXPECT_EQ(info.toBytes(), bytes);
}

TEST(SerialRecordValue, RestoreCountLowSerialNumberHigh) {
    const SerialRecord r{3, 0x1234};
    const std::array<std::uint8_t, 4> expected{0x03, 0x00, 0x34, 0x12};
    EXPECT_EQ(r.toBytes(), expected);
    EXPECT_EQ(SerialRecord::fromBytes(expected), r);
    EXPECT_TRUE((SerialRecord{0, 0}).IsBlank());
    EXPECT_TRUE((SerialRecord{0, 0xFFFF}).IsBlank());
    EXPECT_FALSE((SerialRecord{0, 1}).IsBlank());
}

} // namespace
} // namespace ruva
