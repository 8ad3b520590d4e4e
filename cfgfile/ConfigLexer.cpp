#include "ConfigLexer.h"

#include "Texts.h"

#include <bit>
#include <cstring>

namespace ruva {

namespace {

// Character classes of raw input bytes; an upper-case letter belongs to the class of its lower-case
// form, since the input is folded before it is looked at.
enum : unsigned char {
    Letter = 1,
    Digit = 2,
    HexDigit = 4,
    WordChar = 8, // letters, digits and the underscore
    Space = 16,   // white space other than the line feed
    BinaryDigit = 32,
};

constexpr unsigned char Fold(unsigned c) {
    return static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
}

constexpr std::array<unsigned char, 256> MakeClasses() {
    std::array<unsigned char, 256> classes{};
    for (unsigned i = 0; i < 256; ++i) {
        const unsigned char c = Fold(i);
        unsigned char k = 0;
        if (c >= 'a' && c <= 'z')
            k |= Letter | WordChar;
        if (c >= '0' && c <= '9')
            k |= Digit | HexDigit | WordChar;
        if (c >= 'a' && c <= 'f')
            k |= HexDigit;
        if (c == '0' || c == '1')
            k |= BinaryDigit;
        if (c == '_')
            k |= WordChar;
        if (c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r')
            k |= Space;
        classes[i] = k;
    }
    return classes;
}

constexpr std::array<unsigned char, 256> MakeFold() {
    std::array<unsigned char, 256> fold{};
    for (unsigned i = 0; i < 256; ++i)
        fold[i] = Fold(i);
    return fold;
}

constexpr std::array<unsigned char, 256> Classes = MakeClasses();
constexpr std::array<unsigned char, 256> Folded = MakeFold();

constexpr unsigned char DosEndOfFile = 0x1A;

// Skips a run of spaces eight bytes at a time; returns the first byte that is not a space (or `end`).
const unsigned char* SkipSpaces(const unsigned char* q, const unsigned char* end) {
    constexpr std::uint64_t Spaces = 0x2020202020202020ull;
    while (end - q >= 8) {
        std::uint64_t w;
        std::memcpy(&w, q, sizeof w);
        w ^= Spaces;
        if (w != 0) {
            if constexpr (std::endian::native == std::endian::little)
                return q + std::countr_zero(w) / 8;
            else
                return q + std::countl_zero(w) / 8;
        }
        q += 8;
    }
    while (q < end && *q == ' ')
        ++q;
    return q;
}

} // namespace

bool ConfigLexer::Refill() {
    while (!sourceDone_) {
        const auto block = source_.NextBlock();
        if (!block) {
            errors_.ReportParseError(line_, texts::ReadError);
            sourceDone_ = true;
        } else if (block->empty()) {
            sourceDone_ = true;
        } else {
            p_ = block->data();
            end_ = p_ + block->size();
            return true;
        }
    }
    p_ = end_;
    return false;
}

void ConfigLexer::SkipWhitespace() {
    for (;;) {
        const unsigned char* q = p_;
        const unsigned char* const end = end_;
        while (q < end) {
            const unsigned char c = *q;
            if (c == ' ') {
                q = SkipSpaces(q + 1, end);
            } else if (c == '\n') {
                ++line_;
                ++q;
            } else if (Classes[c] & Space) {
                ++q;
            } else {
                p_ = q;
                return;
            }
        }
        p_ = q;
        if (!Refill())
            return;
    }
}

void ConfigLexer::SkipComment() {
    // Up to and including the line feed; the end of the input (or 0x1A) also ends the comment.
    for (;;) {
        if (p_ < end_) {
            const auto size = static_cast<std::size_t>(end_ - p_);
            const auto* lineFeed = static_cast<const unsigned char*>(std::memchr(p_, '\n', size));
            const std::size_t scan = lineFeed ? static_cast<std::size_t>(lineFeed - p_) : size;
            if (const void* mark = std::memchr(p_, DosEndOfFile, scan)) {
                p_ = static_cast<const unsigned char*>(mark);
                return;
            }
            if (lineFeed) {
                p_ = lineFeed + 1;
                ++line_;
                return;
            }
            p_ = end_;
        }
        if (!Refill())
            return;
    }
}

bool ConfigLexer::MakeRoom() {
    if (textStart_ > 0) {
        // Empty the pool: only the text being collected is still needed.
        std::memmove(pool_.data(), pool_.data() + textStart_, textLength_);
        textStart_ = 0;
        return true;
    }
    if (!tooLong_) {
        tooLong_ = true;
        errors_.ReportParseError(tokenLine_, texts::TokenTooLong);
    }
    return false;
}

void ConfigLexer::EndText() {
    pool_[textStart_ + textLength_] = '\0';
    poolUsed_ = textStart_ + textLength_ + 1;
}

void ConfigLexer::CollectWhile(unsigned char classMask) {
    for (;;) {
        const unsigned char* q = p_;
        const unsigned char* limit = end_;
        if (tooLong_) {
            while (q < limit && (Classes[*q] & classMask))
                ++q;
        } else {
            const std::size_t room = PoolSize - 1 - (textStart_ + textLength_);
            if (static_cast<std::size_t>(limit - q) > room)
                limit = q + room;
            char* out = pool_.data() + textStart_ + textLength_;
            while (q < limit && (Classes[*q] & classMask))
                *out++ = static_cast<char>(Folded[*q++]);
            textLength_ += static_cast<std::size_t>(q - p_);
        }
        p_ = q;
        if (q < end_) {
            if (!(Classes[*q] & classMask))
                return;
            MakeRoom(); // on failure the rest of the too long token is skipped
            continue;
        }
        if (!Refill())
            return;
    }
}

int ConfigLexer::EndOfInput() {
    atEnd_ = true;
    return token::END_OF_INPUT;
}

int ConfigLexer::NextToken() {
    hasValue_ = false;
    if (poolUsed_ > PoolRecycleAbove)
        poolUsed_ = 0;
    if (atEnd_) {
        tokenLine_ = line_;
        return token::END_OF_INPUT;
    }

    int c;
    for (;;) {
        SkipWhitespace();
        c = Peek();
        tokenLine_ = line_;
        if (c != '/')
            break;
        ++p_;
        if (Peek() != '/')
            return '/';
        ++p_;
        SkipComment();
    }

    if (c == EndMark || c == '\0' || c == DosEndOfFile)
        return EndOfInput();
    const unsigned char k = Classes[static_cast<unsigned char>(c)];
    if (k & Letter)
        return ScanWord();
    if (k & Digit) {
        ++p_;
        return ScanNumber(static_cast<unsigned char>(c));
    }
    ++p_;
    switch (c) {
    case '"':
        return ScanString();
    case '!':
    case '<':
    case '=':
    case '>':
        if (Peek() == '=') {
            ++p_;
            return c == '!'   ? token::NOT_EQUAL
                   : c == '<' ? token::LESS_EQUAL
                   : c == '=' ? token::EQUAL_EQUAL
                              : token::GREATER_EQUAL;
        }
        return c;
    default:
        return c; // a single character, coded by itself
    }
}

int ConfigLexer::ScanWord() {
    BeginText();
    CollectWhile(WordChar);
    EndText();
    if (const int keyword = detail::LookupKeyword(pool_.data() + textStart_, textLength_))
        return keyword;
    hasValue_ = true;
    return token::IDENTIFIER;
}

int ConfigLexer::ScanNumber(unsigned char first) {
    BeginText();
    Store(first);
    int kind = token::DECIMAL_NUMBER;
    const int next = Peek();
    if (next != EndMark) {
        const unsigned char n = Folded[static_cast<unsigned char>(next)];
        if (Classes[n] & Digit) {
            CollectWhile(Digit);
        } else if (n == 'x') {
            ++p_;
            Store(n);
            CollectWhile(HexDigit);
            kind = token::HEX_NUMBER;
        } else if (n == 'b') {
            ++p_;
            Store(n);
            CollectWhile(BinaryDigit);
            kind = token::BINARY_NUMBER;
        }
    }
    EndText();
    hasValue_ = true;
    return kind;
}

int ConfigLexer::ScanString() {
    BeginText();
    for (;;) {
        int c = Peek();
        if (c == EndMark || c == DosEndOfFile) {
            errors_.ReportParseError(tokenLine_, texts::StringWithoutClosingQuote);
            return token::STRING;
        }
        ++p_;
        if (c == '"')
            break;
        if (c == '\n') {
            errors_.ReportParseError(tokenLine_, texts::StringWithoutClosingQuote);
            ++line_;
            return token::STRING;
        }
        if (c == '\\') {
            // The next character is taken as it is.
            c = Peek();
            if (c == EndMark || c == DosEndOfFile) {
                errors_.ReportParseError(tokenLine_, texts::StringWithoutClosingQuote);
                return token::STRING;
            }
            ++p_;
            if (c == '\n')
                ++line_;
        }
        Store(Folded[static_cast<unsigned char>(c)]);
    }
    EndText();
    hasValue_ = true;
    return token::STRING;
}

} // namespace ruva
