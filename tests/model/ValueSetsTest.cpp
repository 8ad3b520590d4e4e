#include "ValueSets.h"

#include <gtest/gtest.h>

namespace ruva {
namespace {

TEST(ValueSets, LfaSensitivityUsesCodesZeroEightSixteen) {
    EXPECT_EQ(LfaSensitivityCode.WordFor(0), "WRONG_2_OUT_OF_4");
    EXPECT_EQ(LfaSensitivityCode.WordFor(8), "WRONG_2_OUT_OF_5");
    EXPECT_EQ(LfaSensitivityCode.WordFor(16), "WRONG_2_OUT_OF_6");
    EXPECT_FALSE(LfaSensitivityCode.WordFor(1));
    EXPECT_FALSE(LfaSensitivityCode.WordFor(2));
    EXPECT_EQ(LfaSensitivityCode.PositionOf(8), 1);
    EXPECT_EQ(LfaSensitivityCode.PositionOf(16), 2);
    EXPECT_EQ(LfaSensitivityCode.PositionOf(1), -1);
}

TEST(ValueSets, WordsMatchWithoutRegardToCase) {
    EXPECT_EQ(ClockSourceCode.CodeFor("external_2m"), 6);
    EXPECT_EQ(ClockSourceCode.CodeFor("Mvip_Sec_Clk"), 2);
    EXPECT_EQ(E1FrameFormat.CodeFor("CRC4_MULTI_FRAME_G706"), 2);
    EXPECT_FALSE(E1LineCode.CodeFor("B8ZS"));
    EXPECT_FALSE(T1LineCode.CodeFor("HDB3"));
    EXPECT_FALSE(YesNo.CodeFor("YE"));
}

TEST(ValueSets, ModesAndClockSourcesHaveTheirCodes) {
    EXPECT_EQ(LiMode.WordFor(0), "T1");
    EXPECT_EQ(LiMode.WordFor(1), "E1");
    EXPECT_EQ(ClockSourceCode.Items.size(), 7u);
    for (int code = 0; code < 7; ++code)
        EXPECT_EQ(ClockSourceCode.PositionOf(code), code);
    EXPECT_EQ(ClockSourceCode.Find(2)->Label, "MVIP Secondary Clock");
    EXPECT_EQ(E1FrameFormat.Find(2)->Label, "CRC4 Multiframe G.706");
    EXPECT_EQ(ClockSourceCode.Find(7), nullptr);
    EXPECT_EQ(ClockSourceCode.Find(-1), nullptr);
}

} // namespace
} // namespace ruva
