// Reading numbers typed into the property pages.

#include "NumberText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

using namespace ruva;

TEST(NumberText, WholeNumbers) {
    EXPECT_EQ(ParseWholeNumber(" -7\t"), std::optional<std::int64_t>(-7));
    EXPECT_EQ(ParseWholeNumber("+300"), std::optional<std::int64_t>(300));
    EXPECT_EQ(ParseWholeNumber("-0"), std::optional<std::int64_t>(0));
    EXPECT_EQ(ParseWholeNumber("007"), std::optional<std::int64_t>(7)); // decimal, not octal
    // Too large to be exact, but never small enough to pass a range check.
    EXPECT_GT(*ParseWholeNumber("18446744073709551617"), 0xFFFFFFFF);
    EXPECT_LT(*ParseWholeNumber("-4294967296"), -0xFFFFFFFFLL);
    for (const char* bad : {"", "  ", "+", "- 1", "1 2", "0x10", "1e3", "٣"})
        EXPECT_FALSE(ParseWholeNumber(bad)) << bad;
}

TEST(NumberText, Addresses) {
    struct Case {
        const char* Name;
        const char* Text;
        std::int64_t Value; // -1: no number
    };
    const Case cases[] = {
        {"zero", "0", 0},
        {"octal zero", "00", 0},
        {"plus before hexadecimal", "+0x10", 16},
        {"largest octal", "037777777777", 0xFFFFFFFF},
        {"octal beyond 32 bits", "040000000000", -1},
        {"largest decimal", "4294967295", 0xFFFFFFFF},
        {"leading zeros in hexadecimal", "0x000000008000", 0x8000},
        {"prefix alone", "0x", -1},
        {"8 in octal", "08", -1},
        {"hexadecimal digit in decimal", "12a", -1},
        {"upper-case prefix, blanks", " 0XfFfFfFfF ", 0xFFFFFFFF},
        {"beyond 32 bits", "4294967296", -1},
        {"empty", "", -1},
        {"trailing text", "0x8000h", -1},
        {"negative", "-1", -1},
        {"blank inside", "0x 10", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const auto parsed = ParseAddress(c.Text);
        if (c.Value < 0)
            EXPECT_FALSE(parsed);
        else
            EXPECT_EQ(parsed, std::optional<std::uint32_t>(static_cast<std::uint32_t>(c.Value)));
    }
}
