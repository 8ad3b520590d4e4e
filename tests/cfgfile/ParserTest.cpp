#include "ConfigParser.h"

#include "CfgTestSupport.h"
#include "ConfigTokens.h"
#include "Texts.h"
#include "ValueSets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <span>
#include <vector>

namespace ruva {
namespace {

// A small correct section; the tests replace parts of it. Line numbers are noted on the right.
std::string Section(int board = 0) {
    return "board " + std::to_string(board) +
           " {\n"                                       // 1
           "  IoBaseAddress = 0x300\n"                  // 2
           "  HostMemoryWindowOffset = 0xD0000\n"       // 3
           "  HostMemoryWindowSize = 0x8000\n"          // 4
           "  HostIoWindowOffset = 0x320\n"             // 5
           "  HostIoWindowSize = 0x10\n"                // 6
           "  ClockSource = LI1\n"                      // 7
           "  HdlcStartAddress = 0x9000\n"              // 8
           "  LI 0 {\n"                                 // 9
           "    DefaultMode = T1\n"                     // 10
           "    MODE E1 { SaBits = 0x1F }\n"            // 11
           "    MODE T1 { LineLength = 100 }\n"         // 12
           "  }\n"                                      // 13
           "  LI 1 {\n"                                 // 14
           "    DefaultMode = E1\n"                     // 15
           "    MODE T1 { ClearChannels = 0xFFFFFF }\n" // 16
           "    MODE E1 { SiBits = 3 }\n"               // 17
           "  }\n"                                      // 18
           "}\n";                                       // 19
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

struct Outcome {
    bool Ok;
    ParsedConfigFile Parsed;
    ParseErrorRecord Errors;
};

Outcome Parse(const std::string& text) {
    Outcome o;
    o.Ok = ParseConfigText(text, o.Parsed, o.Errors);
    return o;
}

// The first error of a file that must fail, as "LINE: MESSAGE".
std::string Error(const std::string& text) {
    const Outcome o = Parse(text);
    EXPECT_FALSE(o.Ok);
    return std::to_string(o.Errors.Line()) + ": " + o.Errors.Message();
}

TEST(ParserTest, ASectionFillsItsSlot) {
    const Outcome o = Parse(Section(2));
    ASSERT_TRUE(o.Ok) << o.Errors.ParseErrorText();
    EXPECT_FALSE(o.Parsed.Boards[0].Present);
    const ParsedBoard& b = o.Parsed.Boards[2];
    EXPECT_TRUE(b.Present);
    EXPECT_EQ(b.General.HdlcStartAddress, 0x9000u);
    EXPECT_EQ(b.Image.ClockSource, code::ClockSource::LI1);
    EXPECT_EQ(b.Image.Li[0].DefaultMode, code::LiMode::T1);
    EXPECT_EQ(b.Image.Li[1].DefaultMode, code::LiMode::E1);
    EXPECT_EQ(b.Image.Li[0].E1.SaBits, 0x1F);
    EXPECT_EQ(b.Image.Li[0].T1.LineLength, 100);
    EXPECT_EQ(b.Image.Li[1].T1.ClearChannels, 0xFFFFFFu);
    EXPECT_EQ(b.Image.Li[1].E1.SiBits, 3);
    EXPECT_EQ(b.Image.Version, 0);
    EXPECT_EQ(b.Image.SerialNumber, 0);
}

TEST(ParserTest, OptionalLinesAndFreeOrder) {
    // No clock and no HDLC line; the T1 block before the E1 block (Li1 of Section()).
    std::string text =
        Replace(Replace(Section(), "  ClockSource = LI1\n", ""), "  HdlcStartAddress = 0x9000\n", "");
    EXPECT_TRUE(Parse(text).Ok);
    // Items in any order, repeated keys and default-mode lines: the last one wins.
    text = Replace(Section(), "DefaultMode = T1\n", "DefaultMode = T1 DefaultMode = E1\n");
    text = Replace(text, "SaBits = 0x1F", "SaBits = 1 TransmitLineCode = AMI SaBits = 2 AisDetection = G775");
    const Outcome o = Parse(text);
    ASSERT_TRUE(o.Ok) << o.Errors.ParseErrorText();
    EXPECT_EQ(o.Parsed.Boards[0].Image.Li[0].DefaultMode, code::LiMode::E1);
    EXPECT_EQ(o.Parsed.Boards[0].Image.Li[0].E1.SaBits, 2);
}

TEST(ParserTest, SyntaxErrorsNameTheOffendingToken) {
    EXPECT_EQ(Error(""), "1: syntax error");
    EXPECT_EQ(Error("// only a comment\n"), "2: syntax error");
    EXPECT_EQ(Error(Section() + "board"), "20: syntax error"); // premature end
    EXPECT_EQ(Error(Replace(Section(), "  HostMemoryWindowSize = 0x8000\n", "")), "4: syntax error");
    EXPECT_EQ(Error(Replace(Section(), "  ClockSource = LI1\n  HdlcStartAddress = 0x9000\n",
                            "  HdlcStartAddress = 0x9000\n  ClockSource = LI1\n")),
              "8: syntax error");
    EXPECT_EQ(Error(Replace(Section(), "MODE T1 { LineLength", "MODE E1 { LineLength")), "12: syntax error");
    EXPECT_EQ(Error(Replace(Section(), "{ SaBits = 0x1F }", "{ }")), "11: syntax error");
    EXPECT_EQ(Error(Replace(Section(), "  LI 1 {", "  LI 1 { }\n  LI 1 {")), "14: syntax error");
    EXPECT_EQ(Error(Replace(Section(), "\n}\n", "\n  LI 2 {\n}\n")), "19: syntax error");
    // A value word where the table does not list it.
    EXPECT_EQ(Error(Replace(Section(), "SaBits = 0x1F", "TransmitLineCode = B8ZS")), "11: syntax error");
    EXPECT_EQ(Error(Replace(Section(), "LineLength = 100", "TransmitLineCode = HDB3")), "12: syntax error");
    EXPECT_EQ(Error(Replace(Section(), "ClockSource = LI1", "ClockSource = LI")), "7: syntax error");
    // Strings, identifiers, operators and signs are accepted nowhere.
    EXPECT_EQ(Error(Replace(Section(), "0x9000", "\"0x9000\"")), "8: syntax error");
    EXPECT_EQ(Error(Replace(Section(), "0x9000", "-1")), "8: syntax error");
    EXPECT_EQ(Error(Replace(Section(), "= 0x9000", "== 0x9000")), "8: syntax error");
    EXPECT_EQ(Error(Replace(Section(), "ClockSource = LI1\n", "ClockSource = LI1\nfoo")), "8: syntax error");
}

// Each setting of the catalogue is read where its section holds it, with every value word of its set (in
// lower case) or the largest number of its range, into its member.
TEST(ParserTest, EverySettingIsReadIntoItsMemberWithEachOfItsValues) {
    const auto check = [](auto fields, auto place, auto block) {
        for (const auto& field : fields) {
            std::vector<std::pair<std::string, std::int64_t>> values; // the text and what it stores
            for (const ValueItem& item : field.Values ? field.Values->Items : std::span<const ValueItem>{}) {
                std::string word(item.Word);
                std::ranges::transform(word, word.begin(), [](unsigned char c) { return std::tolower(c); });
                values.emplace_back(word, item.Code);
            }
            if (!field.IsEnumerated())
                values.emplace_back(std::to_string(field.Max), field.Max - field.Max % field.Step);
            for (const auto& [text, stored] : values) {
                const Outcome o = Parse(place(std::string(field.Key) + " = " + text));
                ASSERT_TRUE(o.Ok) << field.Name << " = " << text << ": " << o.Errors.ParseErrorText();
                EXPECT_EQ(field.Get(block(o.Parsed.Boards[0])), stored) << field.Name << " = " << text;
            }
        }
    };
    const auto after = [](const char* line) {
        return [line](const std::string& item) {
            return Replace(Section(), line, std::string(line) + " " + item);
        };
    };
    check(E1Fields(), after("SaBits = 0x1F"), [](const ParsedBoard& b) { return b.Image.Li[0].E1; });
    check(T1Fields(), after("LineLength = 100"), [](const ParsedBoard& b) { return b.Image.Li[0].T1; });
    check(GeneralFields(Section::Li0), after("DefaultMode = T1"), [](const ParsedBoard& b) { return b; });
    check(GeneralFields(Section::Li1), after("DefaultMode = E1"), [](const ParsedBoard& b) { return b; });
    const auto alone = [](const std::string& item) {
        return Replace(Section(), "  ClockSource = LI1\n  HdlcStartAddress = 0x9000\n", "  " + item + "\n");
    };
    check(GeneralFields(Section::Board), alone, [](const ParsedBoard& b) { return b; });
}

TEST(ParserTest, RangeChecksAtTheirBounds) {
    struct Case {
        const char* Item;
        bool Accepted;
        const char* Message;
    };
    const Case cases[] = {
        {"SaBits = 0x1F", true, ""},
        {"SaBits = 0x20", false, texts::SaBitsRange.data()},
        {"SiBits = 3", true, ""},
        {"SiBits = 4", false, texts::SiBitsRange.data()},
        {"LOSSensitivity = 255", true, ""},
        {"LOSSensitivity = 256", false, texts::ByteRange.data()},
        {"LOSRecovery = 0377", true, ""},
        {"LOSRecovery = 0400", false, texts::ByteRange.data()},
        {"LineLength = 65535", true, ""},
        {"LineLength = 65536", false, texts::LineLengthRange.data()},
        {"LineLength = 4294967296", false, texts::LineLengthRange.data()},
    };
    for (const Case& c : cases) {
        const Outcome o = Parse(Replace(Section(), "SaBits = 0x1F", c.Item));
        EXPECT_EQ(o.Ok, c.Accepted) << c.Item;
        EXPECT_EQ(o.Errors.Message(), c.Message) << c.Item;
        if (!c.Accepted) {
            EXPECT_EQ(o.Errors.Line(), 11) << c.Item;
        }
    }
    EXPECT_EQ(Error(Replace(Section(), "0xFFFFFF", "0x1000000")),
              "16: " + std::string(texts::ClearChannelsRange));
    // The accepted values are stored in their width; a rejected one is not stored.
    Outcome o =
        Parse(Replace(Section(), "SaBits = 0x1F", "LOSSensitivity = 255 LineLength = 65535 SaBits = 0x20"));
    EXPECT_EQ(o.Parsed.Boards[0].Image.Li[0].E1.LOSSensitivity, 255);
    EXPECT_EQ(o.Parsed.Boards[0].Image.Li[0].E1.LineLength, 65535);
    EXPECT_EQ(o.Parsed.Boards[0].Image.Li[0].E1.SaBits, 0);
}

TEST(ParserTest, HdlcStartAddress) {
    EXPECT_EQ(Error(Replace(Section(), "0x9000", "0x7FFF")),
              "8: " + std::string(texts::HdlcStartAddressTooLow));
    EXPECT_EQ(Parse(Replace(Section(), "0x9000", "0x8000")).Parsed.Boards[0].General.HdlcStartAddress,
              0x8000u);
    EXPECT_EQ(Parse(Replace(Section(), "0x9000", "0xFFFF")).Parsed.Boards[0].General.HdlcStartAddress,
              0xFFFCu);
}

TEST(ParserTest, BoardNumbers) {
    for (const char* number : {"4", "4294967295", "99999999999"}) {
        const Outcome o = Parse("\n" + Replace(Section(), "board 0", std::string("board ") + number));
        EXPECT_EQ(o.Errors.ParseErrorText(), "Error near line 2: Invalid board Number\n");
        for (const ParsedBoard& b : o.Parsed.Boards) {
            EXPECT_FALSE(b.Present);
            EXPECT_EQ(b.General.HdlcStartAddress, 0u); // nothing of that section lands in a slot
        }
    }
    // Two sections with one number: what the second sets replaces the first.
    const Outcome o =
        Parse(Section(1) + Replace(Replace(Section(1), "0x9000", "0xA000"), "  ClockSource = LI1\n", ""));
    ASSERT_TRUE(o.Ok);
    EXPECT_EQ(o.Parsed.Boards[1].General.HdlcStartAddress, 0xA000u);
    EXPECT_EQ(o.Parsed.Boards[1].Image.ClockSource, code::ClockSource::LI1);
}

TEST(ParserTest, WrongLiNumberNamesTheClosingBraceAndTheParseGoesOn) {
    std::string text = Replace(Replace(Section(), "LI 0 {", "LI 1 {"), "LI 1 {\n    DefaultMode = E1",
                               "LI 0 {\n    DefaultMode = E1");
    const Outcome o = Parse(text + Section(3));
    EXPECT_EQ(o.Errors.ParseErrorText(), "Error near line 13: Wrong LI number\n");
    EXPECT_TRUE(o.Parsed.Boards[3].Present);
    // The blocks fill Li0 and Li1 in their order, whatever their numbers.
    EXPECT_EQ(o.Parsed.Boards[0].Image.Li[0].E1.SaBits, 0x1F);
}

TEST(ParserTest, TheFirstErrorWins) {
    // A range error on line 11 followed by a syntax error on line 12.
    EXPECT_EQ(Error(Replace(Replace(Section(), "0x1F", "0x20"), "LineLength = 100", "LineLength = x")),
              "11: " + std::string(texts::SaBitsRange));
    // A range error right before an unclosed string: the number is checked before the next token.
    EXPECT_EQ(Error(Replace(Section(), "0x1F }", "0x20 \"")), "11: " + std::string(texts::SaBitsRange));
    EXPECT_EQ(Error(Replace(Section(), "0x1F }", "\"0x1F }")), "11: String without closing quote");
}

TEST(ParserTest, EveryParseStartsFromAClearedResult) {
    ParsedConfigFile parsed;
    ParseErrorRecord errors;
    ASSERT_TRUE(ParseConfigText(Section(0) + Section(1), parsed, errors));
    ASSERT_FALSE(ParseConfigText(Section(7), parsed, errors));
    const std::string plain =
        Replace(Replace(Section(0), "  ClockSource = LI1\n", ""), "  HdlcStartAddress = 0x9000\n", "");
    ASSERT_TRUE(ParseConfigText(plain, parsed, errors));
    EXPECT_FALSE(errors.ParseErrorRecorded());
    EXPECT_FALSE(parsed.Boards[1].Present);
    EXPECT_EQ(parsed.Boards[0].Image.ClockSource, 0);
    EXPECT_EQ(parsed.Boards[0].General.HdlcStartAddress, 0u);
}

TEST(ParserTest, NumberConversion) {
    using namespace token;
    EXPECT_EQ(ConvertNumber(HEX_NUMBER, "0x64"), 100u);
    EXPECT_EQ(ConvertNumber(DECIMAL_NUMBER, "100"), 100u);
    EXPECT_EQ(ConvertNumber(DECIMAL_NUMBER, "0144"), 100u);
    EXPECT_EQ(ConvertNumber(DECIMAL_NUMBER, "08"), 0u);
    EXPECT_EQ(ConvertNumber(HEX_NUMBER, "1x10"), 1u);
    EXPECT_EQ(ConvertNumber(HEX_NUMBER, "0x"), 0u);
    EXPECT_EQ(ConvertNumber(DECIMAL_NUMBER, "4294967295"), 4294967295u);
    EXPECT_EQ(ConvertNumber(DECIMAL_NUMBER, "4294967296"), 4294967295u);
    EXPECT_EQ(ConvertNumber(DECIMAL_NUMBER, std::string(300, '9')), 4294967295u);
    EXPECT_EQ(ConvertNumber(HEX_NUMBER, "0x1ffffffff"), 4294967295u);
    EXPECT_EQ(ConvertNumber(DECIMAL_NUMBER, "077777777777"), 4294967295u);
    // Binary numbers take the value of their digits after the "b".
    EXPECT_EQ(ConvertNumber(BINARY_NUMBER, "1b1100100"), 100u);
    EXPECT_EQ(ConvertNumber(BINARY_NUMBER, "7b11"), 3u);
    EXPECT_EQ(ConvertNumber(BINARY_NUMBER, "0b"), 0u);
    EXPECT_EQ(ConvertNumber(BINARY_NUMBER, "1b" + std::string(40, '1')), 4294967295u);
    // In a file: the same value in all notations.
    for (const char* n : {"0x64", "100", "0144", "0b1100100"})
        EXPECT_EQ(Parse(Replace(Section(), "LineLength = 100", std::string("LineLength = ") + n))
                      .Parsed.Boards[0]
                      .Image.Li[0]
                      .T1.LineLength,
                  100)
            << n;
}

} // namespace
} // namespace ruva
