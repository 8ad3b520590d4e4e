#include "InfoFormat.h"

#include <gtest/gtest.h>

namespace ruva {
namespace {

std::uint32_t Revision(unsigned b3, unsigned b2, unsigned b1, unsigned b0) {
    return (b3 << 24) | (b2 << 16) | (b1 << 8) | b0;
}

TEST(InfoFormat, SerialNumbers) {
    EXPECT_EQ(FormatSerialNumber(0x1234), "9702052");
    EXPECT_EQ(FormatSerialNumber(0x0000), "9600000");
    EXPECT_EQ(FormatSerialNumber(0xFFFF), "11115255");
    EXPECT_EQ(FormatSerialNumber(0x2345), "9803069");
}

TEST(InfoFormat, Revisions) {
    EXPECT_EQ(FormatRevision(Revision(1, 0, 0, 0)), "1.0");
    EXPECT_EQ(FormatRevision(Revision(2, 1, 0, 0)), "2.1");
    EXPECT_EQ(FormatRevision(Revision(1, 0, 3, 0)), "1.3");
    EXPECT_EQ(FormatRevision(Revision(1, 2, 3, 4)), "1.2.3.4");
    EXPECT_EQ(FormatRevision(Revision(12, 0, 0, 0)), "12");
    EXPECT_EQ(FormatRevision(Revision(0, 0, 0, 0)), "0.0");
    EXPECT_EQ(FormatRevision(Revision(0, 5, 0, 0)), "0.5");
    EXPECT_EQ(FormatRevision(Revision(3, 1, 0, 0)), "3.1");
    EXPECT_EQ(FormatRevision(Revision(255, 0, 0, 0)), "Unknown");
    EXPECT_EQ(FormatRevision(Revision(255, 255, 255, 255)), "Unknown");
    EXPECT_EQ(FormatRevision(Revision(254, 255, 0, 1)), "254.255.1");
}

} // namespace
} // namespace ruva
