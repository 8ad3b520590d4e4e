#include "ConfigLexer.h"

#include "KeywordIndex.h"
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

// Word characters eight at a time: each byte is a lane of a 64-bit word, little-endian, so the first
// byte is the lowest lane.
constexpr std::uint64_t LaneOnes = 0x0101010101010101ull;
constexpr std::uint64_t LaneHighBits = 0x8080808080808080ull;

// Lanes of `low7` (bytes below 0x80) that are at least `c`, as their high bits.
constexpr std::uint64_t LanesAtLeast(std::uint64_t low7, unsigned char c) {
    return ((low7 | LaneHighBits) - LaneOnes * c) & LaneHighBits;
}
constexpr std::uint64_t LanesInRange(std::uint64_t low7, unsigned char first, unsigned char last) {
    return LanesAtLeast(low7, first) & ~LanesAtLeast(low7, static_cast<unsigned char>(last + 1));
}

void StoreLittleEndian(char* p, std::uint64_t w) {
    if constexpr (std::endian::native == std::endian::big)
        w = detail::LoadLittleEndian(reinterpret_cast<const char*>(&w)); // the same swap both ways
    std::memcpy(p, &w, sizeof w);
}

// Copies letters, digits and underscores, folded to lower case, while eight bytes at a time fit
// before `limit`; returns where it stopped. `out` advances by the bytes copied, though all eight of
// the last word are written.
const unsigned char* CopyWordChars(const unsigned char* q, const unsigned char* limit, char*& out) {
    while (limit - q >= 8) {
        const std::uint64_t w = detail::LoadLittleEndian(reinterpret_cast<const char*>(q));
        const std::uint64_t ascii = ~w & LaneHighBits;
        const std::uint64_t low7 = w & ~LaneHighBits;
        const std::uint64_t upper = LanesInRange(low7, 'A', 'Z') & ascii;
        const std::uint64_t word = (upper | LanesInRange(low7, 'a', 'z') | LanesInRange(low7, '0', '9') |
                                    LanesInRange(low7, '_', '_')) &
                                   ascii;
        StoreLittleEndian(out, w + (upper >> 2)); // +0x20 folds 'A'-'Z' to 'a'-'z'
        if (word != LaneHighBits) {
            const auto n = static_cast<std::size_t>(std::countr_zero(~word & LaneHighBits) / 8);
            out += n;
            return q + n;
        }
        out += 8;
        q += 8;
    }
    return q;
}

// Skips white space (space, tab, line feed, vertical tab, form feed, carriage return) eight bytes at
// a time while eight fit before `end`, adding the line feeds passed to `lines`; returns where it
// stopped.
const unsigned char* SkipBlankWords(const unsigned char* q, const unsigned char* end, std::int64_t& lines) {
    while (end - q >= 8) {
        const std::uint64_t w = detail::LoadLittleEndian(reinterpret_cast<const char*>(q));
        const std::uint64_t ascii = ~w & LaneHighBits;
        const std::uint64_t low7 = w & ~LaneHighBits;
        const std::uint64_t lineFeeds = LanesInRange(low7, '\n', '\n') & ascii;
        const std::uint64_t blank = (LanesInRange(low7, '\t', '\r') | LanesInRange(low7, ' ', ' ')) & ascii;
        if (blank != LaneHighBits) {
            const int stop = std::countr_zero(~blank & LaneHighBits); // the high bit of the first other lane
            lines += std::popcount(lineFeeds & ((std::uint64_t{1} << stop) - 1));
            return q + stop / 8;
        }
        lines += std::popcount(lineFeeds);
        q += 8;
    }
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
        const unsigned char* q = SkipBlankWords(p_, end_, line_);
        for (; q < end_; ++q) {
            if (*q == '\n')
                ++line_;
            else if (!(Classes[*q] & Space))
                break;
        }
        p_ = q;
        if (q < end_ || !Refill())
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
            if (classMask == WordChar)
                q = CopyWordChars(q, limit, out);
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
    // The lookup reads the text as whole words; it runs before the closing NUL is stored, so that
    // those reads are served straight from the word stores of the copy.
    const int keyword = detail::LookupKeyword(pool_.data() + textStart_, textLength_);
    EndText();
    if (keyword)
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
