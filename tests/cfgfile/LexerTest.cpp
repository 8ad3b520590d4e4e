#include "ConfigLexer.h"

#include "CfgTestSupport.h"
#include "ConfigWriter.h"
#include "RecordingPrompts.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <set>

namespace ruva {
namespace {

using ::testing::ElementsAre;

// Hands out the text in blocks of at most `blockSize` bytes, then ends or fails.
class ChunkedSource : public ByteSource {
public:
    ChunkedSource(std::string text, std::size_t blockSize, bool failAtEnd = false)
        : text_(std::move(text)), blockSize_(blockSize), failAtEnd_(failAtEnd) {}

    std::optional<std::span<const unsigned char>> NextBlock() override {
        if (offset_ == text_.size()) {
            if (failAtEnd_)
                return std::nullopt;
            return std::span<const unsigned char>{};
        }
        // A fresh copy each time, so a lexer that keeps pointers into an old block is caught.
        const std::size_t n = std::min(blockSize_, text_.size() - offset_);
        block_.assign(text_.begin() + static_cast<std::ptrdiff_t>(offset_),
                      text_.begin() + static_cast<std::ptrdiff_t>(offset_ + n));
        offset_ += n;
        return std::span<const unsigned char>(block_.data(), block_.size());
    }

private:
    std::string text_;
    std::size_t blockSize_;
    bool failAtEnd_;
    std::size_t offset_ = 0;
    std::vector<unsigned char> block_;
};

struct Tok {
    int Code;
    std::string Text;
    std::int64_t Line;
    friend bool operator==(const Tok&, const Tok&) = default;
    friend std::ostream& operator<<(std::ostream& os, const Tok& t) {
        return os << "{" << t.Code << ", \"" << t.Text << "\", line " << t.Line << "}";
    }
};

Tok T(int code, std::string text = {}, std::int64_t line = 1) {
    return {code, std::move(text), line};
}

struct Scan {
    std::vector<Tok> Tokens; // up to and including the first END_OF_INPUT
    ParseErrorRecord Errors;
};

Scan Tokenize(const std::string& text, std::size_t blockSize = 1 << 20, bool failAtEnd = false) {
    Scan scan;
    ChunkedSource source(text, blockSize, failAtEnd);
    ConfigLexer lexer(source, scan.Errors);
    for (;;) {
        const int code = lexer.NextToken();
        scan.Tokens.push_back({code, std::string(lexer.TokenText()), lexer.TokenLine()});
        if (code == token::END_OF_INPUT)
            return scan;
    }
}

std::vector<Tok> Tokens(const std::string& text) {
    auto tokens = Tokenize(text).Tokens;
    tokens.pop_back(); // the END_OF_INPUT
    return tokens;
}

TEST(LexerTest, KeywordsAreMatchedWithoutRegardToCase) {
    using token::Keyword;
    EXPECT_THAT(Tokens("BOARD Board board Li"),
                ElementsAre(T(token::BOARD), T(token::BOARD), T(token::BOARD), T(token::LI)));
    // LI0 is the clock word; "LI 0" is the keyword li and the number 0.
    EXPECT_THAT(Tokens("LI0 LI 0"),
                ElementsAre(T(Keyword("LI0")), T(token::LI), T(token::DECIMAL_NUMBER, "0")));
    EXPECT_THAT(Tokens("ClockSource=INTERNAL"),
                ElementsAre(T(Keyword("ClockSource")), T('='), T(Keyword("INTERNAL"))));
    EXPECT_THAT(Tokens("boards Transmit_Power"),
                ElementsAre(T(token::IDENTIFIER, "boards"), T(token::IDENTIFIER, "transmit_power")));
}

// The keywords are the structure words, every key of the catalogue and every value word of its settings,
// each once; the lexer reads each of them, in any case, as its keyword, and nothing else as one.
TEST(LexerTest, TheKeywordsAreTheCatalogueWords) {
    const auto lower = [](std::string_view word) {
        std::string text(word);
        for (char& c : text)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return text;
    };
    std::set<std::string> words;
    const auto addAll = [&](auto fields) {
        for (const auto& field : fields) {
            words.insert(lower(field.Key));
            if (field.Values)
                for (const ValueItem& item : field.Values->Items)
                    words.insert(lower(item.Word));
        }
    };
    for (std::string_view word : token::StructureWords)
        words.insert(lower(word));
    addAll(GeneralFields());
    addAll(E1Fields());
    addAll(T1Fields());

    std::set<std::string> keywords;
    for (std::size_t i = 0; i < KeywordTexts.size(); ++i) {
        const std::string text(KeywordTexts[i]);
        keywords.insert(lower(text));
        const int code = token::FirstKeyword + static_cast<int>(i);
        EXPECT_THAT(Tokens(text + " " + lower(text)), ElementsAre(T(code), T(code))) << text;
    }
    EXPECT_EQ(keywords, words);
    EXPECT_EQ(keywords.size(), KeywordTexts.size());
    for (const char* other : {"boar", "boardx", "l", "li2", "f13", "extendedhdb3errordetectionx"})
        EXPECT_THAT(Tokens(other), ElementsAre(T(token::IDENTIFIER, other)));
}

TEST(LexerTest, Numbers) {
    using namespace token;
    EXPECT_THAT(Tokens("0X1F 12abc 0x 1x10 7"),
                ElementsAre(T(HEX_NUMBER, "0x1f"), T(DECIMAL_NUMBER, "12"), T(IDENTIFIER, "abc"),
                            T(HEX_NUMBER, "0x"), T(HEX_NUMBER, "1x10"), T(DECIMAL_NUMBER, "7")));
    // Only the character after the first digit decides: a later "x" or "b" starts a new token.
    EXPECT_THAT(Tokens("1b1012 12b 1abc 0x1fg"),
                ElementsAre(T(BINARY_NUMBER, "1b101"), T(DECIMAL_NUMBER, "2"), T(DECIMAL_NUMBER, "12"),
                            T(IDENTIFIER, "b"), T(DECIMAL_NUMBER, "1"), T(IDENTIFIER, "abc"),
                            T(HEX_NUMBER, "0x1f"), T(IDENTIFIER, "g")));
}

TEST(LexerTest, OperatorsAndSingleCharacters) {
    using namespace token;
    EXPECT_THAT(Tokens("== = = <= >= != < >x !"),
                ElementsAre(T(EQUAL_EQUAL), T('='), T('='), T(LESS_EQUAL), T(GREATER_EQUAL), T(NOT_EQUAL),
                            T('<'), T('>'), T(IDENTIFIER, "x"), T('!')));
    EXPECT_THAT(Tokens("/ _abc ;,-\xE9"),
                ElementsAre(T('/'), T('_'), T(IDENTIFIER, "abc"), T(';'), T(','), T('-'), T(0xE9)));
}

TEST(LexerTest, CommentsAndLineNumbers) {
    const std::string text = "// header\r\n"
                             "board 0 { // the rest is skipped: \"x\r\n"
                             "\r\n"
                             "\t\v\f li\n"
                             "//";
    EXPECT_THAT(Tokenize(text).Tokens,
                ElementsAre(T(token::BOARD, "", 2), T(token::DECIMAL_NUMBER, "0", 2), T('{', "", 2),
                            T(token::LI, "", 4), T(token::END_OF_INPUT, "", 5)));
}

TEST(LexerTest, Strings) {
    EXPECT_THAT(Tokens(R"("A\"b\\c" "")"), ElementsAre(T(token::STRING, "a\"b\\c"), T(token::STRING, "")));

    // A line feed before the closing quote: the error names the string's line.
    Scan scan = Tokenize("li\n\n  \"abc\ndef");
    EXPECT_THAT(scan.Tokens, ElementsAre(T(token::LI), T(token::STRING, "", 3),
                                         T(token::IDENTIFIER, "def", 4), T(token::END_OF_INPUT, "", 4)));
    EXPECT_EQ(scan.Errors.ParseErrorText(), "Error near line 3: String without closing quote\n");

    // The end of the input inside a string.
    scan = Tokenize("\n\"abc");
    EXPECT_THAT(scan.Tokens, ElementsAre(T(token::STRING, "", 2), T(token::END_OF_INPUT, "", 2)));
    EXPECT_EQ(scan.Errors.ParseErrorText(), "Error near line 2: String without closing quote\n");
    scan = Tokenize("\"abc\\");
    EXPECT_EQ(scan.Errors.Message(), "String without closing quote");
}

TEST(LexerTest, NulAndDosEndOfFileMarkEndTheInput) {
    using namespace token;
    const std::string nul("li\0board", 8);
    EXPECT_THAT(Tokenize(nul).Tokens, ElementsAre(T(LI), T(END_OF_INPUT)));
    EXPECT_THAT(Tokenize("mode\x1A"
                         "board")
                    .Tokens,
                ElementsAre(T(MODE), T(END_OF_INPUT)));
    EXPECT_THAT(Tokenize("mode // comment \x1A\nboard").Tokens, ElementsAre(T(MODE), T(END_OF_INPUT)));
    Scan scan = Tokenize("\"abc\x1A\"");
    EXPECT_THAT(scan.Tokens, ElementsAre(T(STRING), T(END_OF_INPUT)));
    EXPECT_EQ(scan.Errors.Message(), "String without closing quote");

    // Every call after the end returns the end again.
    ParseErrorRecord errors;
    MemorySource source(std::string_view("li\x1A li", 6));
    ConfigLexer lexer(source, errors);
    EXPECT_EQ(lexer.NextToken(), LI);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(lexer.NextToken(), END_OF_INPUT);
}

TEST(LexerTest, ReadErrorIsRecordedInsteadOfPassingForTheEnd) {
    Scan scan = Tokenize("board\n0", 4, /*failAtEnd=*/true);
    EXPECT_THAT(scan.Tokens, ElementsAre(T(token::BOARD), T(token::DECIMAL_NUMBER, "0", 2),
                                         T(token::END_OF_INPUT, "", 2)));
    EXPECT_EQ(scan.Errors.ParseErrorText(), "Error near line 2: Read error\n");
}

TEST(LexerTest, OnlyTheFirstErrorIsRecorded) {
    ParseErrorRecord errors;
    errors.ReportParseError(7, "first");
    errors.ReportParseError(8, "second");
    EXPECT_EQ(errors.ParseErrorText(), "Error near line 7: first\n");
    errors.ReportParseError(9, "x");
    errors.Clear();
    errors.ReportParseError(9, std::string(400, 'm'));
    EXPECT_EQ(errors.ParseErrorText().size(), ParseErrorRecord::MaxTextLength);
}

TEST(LexerTest, TokensUpTo1031CharactersFitWhereverThePoolStands) {
    // Fill the pool to just under the recycling mark, then give a token of the largest length.
    std::string text;
    for (int i = 0; i < 99; ++i)
        text += "abcdefghi "; // 10 pool bytes each, 990 in all
    const std::string longest(ConfigLexer::MaxTokenLength, 'q');
    text += longest + " " + "1" + std::string(1030, '0') + " \"" + std::string(1031, 's') + "\" end";
    const Scan scan = Tokenize(text);
    EXPECT_FALSE(scan.Errors.ParseErrorRecorded()) << scan.Errors.ParseErrorText();
    ASSERT_EQ(scan.Tokens.size(), 99u + 5u);
    EXPECT_EQ(scan.Tokens[99], T(token::IDENTIFIER, longest));
    EXPECT_EQ(scan.Tokens[100].Text.size(), 1031u);
    EXPECT_EQ(scan.Tokens[101], T(token::STRING, std::string(1031, 's')));
    EXPECT_EQ(scan.Tokens[102], T(token::IDENTIFIER, "end"));
}

TEST(LexerTest, ALongerTokenIsRecordedAndSkipped) {
    const std::string text =
        "board\n" + std::string(5000, 'w') + " li\n\"" + std::string(2000, 's') + "\" mode";
    const Scan scan = Tokenize(text, 100);
    EXPECT_EQ(scan.Errors.ParseErrorText(), "Error near line 2: Token too long\n");
    ASSERT_EQ(scan.Tokens.size(), 6u);
    EXPECT_EQ(scan.Tokens[1].Code, token::IDENTIFIER);
    EXPECT_EQ(scan.Tokens[1].Text, std::string(1031, 'w'));
    EXPECT_EQ(scan.Tokens[2], T(token::LI, "", 2));
    EXPECT_EQ(scan.Tokens[3].Code, token::STRING);
    EXPECT_EQ(scan.Tokens[4], T(token::MODE, "", 3));
}

TEST(LexerTest, BlockBoundariesDoNotChangeTheTokens) {
    const std::string file = FormatConfigFile(test::DefaultConfig(), 1, DriverParameters{}).Text +
                             "0x1F 1b101 0144 \"str\\\"ing\" <= != x_1 " + std::string(1500, 'z') + " // end";
    const Scan whole = Tokenize(file);
    for (std::size_t blockSize : {1u, 2u, 3u, 7u, 8u, 9u, 64u, 1000u}) {
        const Scan chunked = Tokenize(file, blockSize);
        EXPECT_EQ(chunked.Tokens, whole.Tokens) << "blocks of " << blockSize;
        EXPECT_EQ(chunked.Errors.ParseErrorText(), whole.Errors.ParseErrorText());
    }
    EXPECT_EQ(whole.Tokens.back().Line, 108 + 1);
}

} // namespace
} // namespace ruva
