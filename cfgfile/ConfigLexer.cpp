#include "ConfigLexer.h"

#include "KeywordIndex.h"
#include "Texts.h"

#include <bit>
#include <cstring>

// RUVA_LEXER_PORTABLE selects the portable word-sized scanning on every machine (tests build both).
#if !defined(RUVA_LEXER_PORTABLE) && (defined(__SSE2__) || defined(_M_X64))
#include <emmintrin.h>
#define RUVA_LEXER_SSE2 1
#endif

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

// The two hot loops, white space and words, look at the input a chunk of bytes at a time: sixteen
// with SSE2, elsewhere eight, as the lanes of a 64-bit word.
//   ScanWordChunk(q, out): writes the WordChunk bytes at q to out, 'A'-'Z' folded to 'a'-'z', and
//     returns how many of them, from the first, are letters, digits or underscores.
//   SkipBlankChunks(q, end, lines): skips white space while a whole chunk fits before `end`, adding
//     the line feeds passed to `lines`; returns where it stopped.
#if RUVA_LEXER_SSE2

constexpr std::size_t WordChunk = 16;

inline __m128i BytesAtMost(__m128i x, char n) { // unsigned x <= n in every byte
    return _mm_cmpeq_epi8(_mm_min_epu8(x, _mm_set1_epi8(n)), x);
}

// Line feeds are few in a chunk of white space (mostly none or one), so clearing the lowest set bit until
// none is left beats a full population count.
inline int CountBits16(unsigned x) {
    int n = 0;
    for (; x != 0; x &= x - 1)
        ++n;
    return n;
}

inline unsigned ScanWordChunk(const unsigned char* q, char* out) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
    const __m128i upper = BytesAtMost(_mm_sub_epi8(v, _mm_set1_epi8('A')), 25);
    const __m128i lower = BytesAtMost(_mm_sub_epi8(v, _mm_set1_epi8('a')), 25);
    const __m128i digit = BytesAtMost(_mm_sub_epi8(v, _mm_set1_epi8('0')), 9);
    const __m128i underscore = _mm_cmpeq_epi8(v, _mm_set1_epi8('_'));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                     _mm_add_epi8(v, _mm_and_si128(upper, _mm_set1_epi8(0x20))));
    const auto word = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_or_si128(upper, lower), _mm_or_si128(digit, underscore))));
    const unsigned other = ~word & 0xFFFFu;
    return other == 0 ? 16u : static_cast<unsigned>(std::countr_zero(other));
}

inline const unsigned char* SkipBlankChunks(const unsigned char* q, const unsigned char* end,
                                            std::int64_t& lines) {
    while (end - q >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
        const __m128i blank = _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(' ')),
                                           BytesAtMost(_mm_sub_epi8(v, _mm_set1_epi8('\t')), '\r' - '\t'));
        const auto mask = static_cast<unsigned>(_mm_movemask_epi8(blank));
        const auto lineFeeds =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8('\n'))));
        if (mask != 0xFFFFu) {
            const int stop = std::countr_zero(~mask);
            if (lineFeeds != 0)
                lines += CountBits16(lineFeeds & ((1u << stop) - 1));
            return q + stop;
        }
        if (lineFeeds != 0)
            lines += CountBits16(lineFeeds);
        q += 16;
    }
    return q;
}

#else

constexpr std::size_t WordChunk = 8;
constexpr std::uint64_t LaneOnes = 0x0101010101010101ull;
constexpr std::uint64_t LaneHighBits = 0x8080808080808080ull;

// Lanes of `low7` (bytes below 0x80) that are at least `c`, as their high bits.
constexpr std::uint64_t LanesAtLeast(std::uint64_t low7, unsigned char c) {
    return ((low7 | LaneHighBits) - LaneOnes * c) & LaneHighBits;
}
constexpr std::uint64_t LanesInRange(std::uint64_t low7, unsigned char first, unsigned char last) {
    return LanesAtLeast(low7, first) & ~LanesAtLeast(low7, static_cast<unsigned char>(last + 1));
}
// How many lanes have their high bit set.
constexpr int CountLanes(std::uint64_t highBits) {
    return static_cast<int>(((highBits >> 7) * LaneOnes) >> 56);
}

inline unsigned ScanWordChunk(const unsigned char* q, char* out) {
    const std::uint64_t w = detail::LoadLittleEndian(reinterpret_cast<const char*>(q));
    const std::uint64_t ascii = ~w & LaneHighBits;
    const std::uint64_t low7 = w & ~LaneHighBits;
    const std::uint64_t upper = LanesInRange(low7, 'A', 'Z') & ascii;
    const std::uint64_t word =
        (upper | LanesInRange(low7, 'a', 'z') | LanesInRange(low7, '0', '9') | LanesInRange(low7, '_', '_')) &
        ascii;
    std::uint64_t folded = w + (upper >> 2); // +0x20 in the upper-case lanes
    if constexpr (std::endian::native == std::endian::big)
        folded = detail::LoadLittleEndian(reinterpret_cast<const char*>(&folded)); // back to memory order
    std::memcpy(out, &folded, sizeof folded);
    const std::uint64_t other = ~word & LaneHighBits;
    return other == 0 ? 8u : static_cast<unsigned>(std::countr_zero(other) / 8);
}

inline const unsigned char* SkipBlankChunks(const unsigned char* q, const unsigned char* end,
                                            std::int64_t& lines) {
    while (end - q >= 8) {
        const std::uint64_t w = detail::LoadLittleEndian(reinterpret_cast<const char*>(q));
        const std::uint64_t ascii = ~w & LaneHighBits;
        const std::uint64_t low7 = w & ~LaneHighBits;
        const std::uint64_t lineFeeds = LanesInRange(low7, '\n', '\n') & ascii;
        const std::uint64_t blank = (LanesInRange(low7, '\t', '\r') | LanesInRange(low7, ' ', ' ')) & ascii;
        if (blank != LaneHighBits) {
            const int stop = std::countr_zero(~blank & LaneHighBits); // the high bit of the first other lane
            lines += CountLanes(lineFeeds & ((std::uint64_t{1} << stop) - 1));
            return q + stop / 8;
        }
        lines += CountLanes(lineFeeds);
        q += 8;
    }
    return q;
}

#endif

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

inline void ConfigLexer::SkipWhitespace() {
    for (;;) {
        const unsigned char* q = SkipBlankChunks(p_, end_, line_);
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
            if (classMask == WordChar) {
                while (static_cast<std::size_t>(limit - q) >= WordChunk) {
                    const unsigned n = ScanWordChunk(q, out);
                    q += n;
                    out += n;
                    if (n < WordChunk)
                        break;
                }
            }
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

inline int ConfigLexer::ScanWord() {
    BeginText();
    // The usual case: the bytes that a keyword lookup reads lie in the block and fit in the pool, so
    // the word is copied a chunk at a time without further checks.
    constexpr std::size_t KeyBytes = detail::KeywordReadWidth;
    if (static_cast<std::size_t>(end_ - p_) >= KeyBytes && PoolSize - 1 - textStart_ >= KeyBytes) {
        char* out = pool_.data() + textStart_;
        for (std::size_t done = 0; done < KeyBytes; done += WordChunk) {
            const unsigned n = ScanWordChunk(p_ + done, out + done);
            if (n < WordChunk) {
                textLength_ = done + n;
                p_ += textLength_;
                break;
            }
        }
        if (textLength_ == 0) { // longer than any keyword: the rest is collected below
            textLength_ = KeyBytes;
            p_ += KeyBytes;
            CollectWhile(WordChar);
        }
    } else {
        CollectWhile(WordChar);
    }
    // The lookup reads the text as whole words; it runs before the closing NUL is stored, so that
    // those reads are served straight from the stores of the copy.
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
