#include "MessageFormat.h"
#include "Texts.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace ruva {
namespace {

TEST(FormatText, FillsPositionalInsertsWithTheirConversions) {
    EXPECT_EQ(FormatText("Error #%1!d!: %2!s!", {52, "text"}), "Error #52: text");
    EXPECT_EQ(FormatText("0x%1!X!", {768u}), "0x300");
    EXPECT_EQ(FormatText("0x%1!X!", {0u}), "0x0");
    EXPECT_EQ(FormatText("0x%1!.2X! 0x%2!.2X!", {0x4, 0x72}), "0x04 0x72");
    EXPECT_EQ(FormatText("%1!.2u!%2!.2u!%3!.3u!", {97u, 2u, 52u}), "9702052");
    EXPECT_EQ(FormatText("%2!s! before %1!s!", {"one", "two"}), "two before one");
}

TEST(FormatText, BareInsertsAndPercentSigns) {
    EXPECT_EQ(FormatText(texts::CouldNotOpenFile, {"/tmp/a.cfg"}), "Could not open file /tmp/a.cfg");
    EXPECT_EQ(FormatText("100%% of %1", {"x"}), "100% of x");
}

TEST(FormatText, UnsignedAndSignedValuesKeepTheirWidth) {
    const std::uint16_t big = 0xFFFF;
    const std::int16_t negative = -1;
    EXPECT_EQ(FormatText("%1!d!", {big}), "65535");
    EXPECT_EQ(FormatText("%1!d!", {negative}), "-1");
    EXPECT_EQ(FormatText("0x%1!X!", {0xFFFFFFFFu}), "0xFFFFFFFF");
}

TEST(FormatText, MissingArgumentsLeaveTheInsertAndLongTextsAreWhole) {
    EXPECT_EQ(FormatText("%1!d! %2!s!", {5}), "5 %2!s!");
    const std::string long_text(1000, 'a');
    EXPECT_EQ(FormatText("<%1!s!>", {long_text}), "<" + long_text + ">");
}

TEST(FormatText, ProgramMessagesReadAsShown) {
    EXPECT_EQ(FormatText(texts::WrongGdsId, {0x34, 0x72}), "Error: Wrong GDS ID 0x34 (Expected 0x72)");
    EXPECT_EQ(FormatText(texts::IncompatibleVersion, {8u, 9}),
              "The board contains an incompatible version of the Configuration Data (Version 8). This "
              "Configuration Data version will be changed to Version 9.");
    EXPECT_EQ(FormatText(texts::ParseErrorLine, {21, texts::SaBitsRange}),
              "Error near line 21: SaBits value must be in the range 0x00 - 0x1F\n");
}

} // namespace
} // namespace ruva
