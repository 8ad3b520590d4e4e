#pragma once
// The lexer of configuration files. It folds the input to lower case, skips white space and "//"
// comments, counts lines, and returns one token per call: keywords, identifiers, numbers (decimal,
// hexadecimal, binary), strings, the operators "<=", ">=", "==", "!=" and single characters.
//
// Token texts live in a fixed pool of 1,032 bytes, each ended by a NUL; the pool is emptied when more
// than 994 bytes are in use at the start of a token, or when a token's text would not fit in what is
// left (the texts of earlier tokens are no longer needed by then). A text longer than 1,031 characters
// records "Token too long"; the rest of that token is skipped.
//
// The end of the input is the end of the bytes, a NUL byte, or the DOS end-of-file mark 0x1A; from then
// on every call returns END_OF_INPUT.

#include "ByteSource.h"
#include "ConfigTokens.h"
#include "ParseError.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace ruva {

class ConfigLexer {
public:
    static constexpr std::size_t PoolSize = 1032;
    static constexpr std::size_t PoolRecycleAbove = 994;
    static constexpr std::size_t MaxTokenLength = PoolSize - 1;

    // Starts at line 1 with an empty pool. Errors go to `errors`, which the caller clears.
    ConfigLexer(ByteSource& source, ParseErrorRecord& errors) : source_(source), errors_(errors) {}
    ConfigLexer(const ConfigLexer&) = delete;
    ConfigLexer& operator=(const ConfigLexer&) = delete;

    // The next token's code (see ConfigTokens.h).
    int NextToken();

    // The line on which the last token's first character stood.
    std::int64_t TokenLine() const { return tokenLine_; }

    // The value of the last token: the text of an identifier, a number or a closed string (lower case);
    // false and empty for every other token.
    bool HasValue() const { return hasValue_; }
    std::string_view TokenText() const {
        return hasValue_ ? std::string_view(pool_.data() + textStart_, textLength_) : std::string_view{};
    }

private:
    static constexpr int EndMark = -1;

    // The next byte without consuming it, EndMark when the input is exhausted.
    int Peek() {
        if (p_ == end_ && !Refill())
            return EndMark;
        return *p_;
    }
    bool Refill();

    void SkipWhitespace();
    void SkipComment();

    void BeginText() {
        textStart_ = poolUsed_;
        textLength_ = 0;
        tooLong_ = false;
    }
    void Store(unsigned char c) {
        if (textStart_ + textLength_ + 1 >= PoolSize && !MakeRoom())
            return;
        pool_[textStart_ + textLength_++] = static_cast<char>(c);
    }
    bool MakeRoom();
    void EndText() {
        pool_[textStart_ + textLength_] = '\0';
        poolUsed_ = textStart_ + textLength_ + 1;
    }
    // Collects the following bytes of one character class into the text, folded to lower case.
    void CollectWhile(unsigned char classMask);

    int ScanWord();
    int ScanNumber(unsigned char first);
    int ScanString();
    int EndOfInput();

    ByteSource& source_;
    ParseErrorRecord& errors_;
    const unsigned char* p_ = nullptr;
    const unsigned char* end_ = nullptr;
    bool sourceDone_ = false;
    bool atEnd_ = false;
    std::int64_t line_ = 1;
    std::int64_t tokenLine_ = 1;

    // Padding behind the pool lets the keyword lookup and the word copy read and write whole words.
    std::array<char, PoolSize + 32> pool_{};
    std::size_t poolUsed_ = 0;
    std::size_t textStart_ = 0;
    std::size_t textLength_ = 0;
    bool tooLong_ = false;
    bool hasValue_ = false;
};

} // namespace ruva
