#pragma once
// The keyword lookup of the lexer: an open-addressing hash table over the keyword texts folded to lower
// case, built at compile time. A text is read as four little-endian 64-bit words (bytes 0-31, masked to its
// length), which serve as the hash input and, compared with the stored words, as the equality test, so a
// lookup costs a few word operations whatever the text.

#include "ConfigTokens.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace ruva::detail {

// A text passed to LookupKeyword must have this many readable bytes from its start.
inline constexpr std::size_t KeywordReadWidth = 32;
inline constexpr std::size_t LongestKeyword =
    std::ranges::max(KeywordTexts, {}, &std::string_view::size).size();
static_assert(LongestKeyword <= KeywordReadWidth, "the lookup reads a keyword as four 64-bit words");

struct KeywordKey {
    std::array<std::uint64_t, 4> Words{};
    std::size_t Length = 0;
};

// Bytes of the word at `index` that belong to a text of `length` bytes, as a mask.
constexpr std::uint64_t WordMask(std::size_t length, std::size_t index) {
    const std::size_t start = 8 * index;
    if (length <= start)
        return 0;
    const std::size_t bytes = length - start;
    return bytes >= 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * bytes)) - 1;
}

// The four word masks of every text length up to the read width, looked up instead of computed.
using WordMasks = std::array<std::uint64_t, 4>;
inline constexpr auto MasksByLength = [] {
    std::array<WordMasks, KeywordReadWidth + 1> masks{};
    for (std::size_t length = 0; length <= KeywordReadWidth; ++length)
        for (std::size_t i = 0; i < 4; ++i)
            masks[length][i] = WordMask(length, i);
    return masks;
}();

// The first sixteen bytes and the length tell the keywords well enough apart; the probing and the
// comparison of all four words settle the rest.
constexpr std::size_t HashSlot(std::uint64_t word0, std::uint64_t word1, std::size_t length,
                               std::size_t slotCount) {
    const std::uint64_t h =
        (word0 * 0x9E3779B97F4A7C15ull) ^ (word1 * 0xC2B2AE3D27D4EB4Full) ^ (std::uint64_t{length} << 32);
    return static_cast<std::size_t>(h >> 48) & (slotCount - 1);
}

// The key of a text folded to lower case, as the lexer reads it.
constexpr KeywordKey KeyOfText(std::string_view text) {
    KeywordKey key;
    key.Length = text.size();
    for (std::size_t i = 0; i < text.size() && i < KeywordReadWidth; ++i) {
        const char c = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
        key.Words[i / 8] |= std::uint64_t{static_cast<unsigned char>(c)} << (8 * (i % 8));
    }
    return key;
}

struct KeywordIndex {
    static constexpr std::size_t SlotCount = 256;
    std::array<KeywordKey, SlotCount> Keys{};
    std::array<std::int16_t, SlotCount> Codes{}; // 0: empty slot

    constexpr KeywordIndex() {
        for (std::size_t i = 0; i < KeywordTexts.size(); ++i) {
            const KeywordKey key = KeyOfText(KeywordTexts[i]);
            std::size_t slot = HashSlot(key.Words[0], key.Words[1], key.Length, SlotCount);
            while (Codes[slot] != 0)
                slot = (slot + 1) & (SlotCount - 1);
            Keys[slot] = key;
            Codes[slot] = static_cast<std::int16_t>(token::FirstKeyword + static_cast<int>(i));
        }
    }

    // The code of the keyword with the words and length of a key, or 0.
    constexpr int Find(std::uint64_t w0, std::uint64_t w1, std::uint64_t w2, std::uint64_t w3,
                       std::size_t length) const {
        for (std::size_t slot = HashSlot(w0, w1, length, SlotCount); Codes[slot] != 0;
             slot = (slot + 1) & (SlotCount - 1)) {
            const KeywordKey& candidate = Keys[slot];
            if (((candidate.Words[0] ^ w0) | (candidate.Words[1] ^ w1) | (candidate.Words[2] ^ w2) |
                 (candidate.Words[3] ^ w3) | (candidate.Length ^ length)) == 0)
                return Codes[slot];
        }
        return 0;
    }
};

inline constexpr KeywordIndex Keywords{};

// Every keyword is a word that the lexer reads whole (a letter, then letters, digits and underscores)
// and finds again at its code, so that every key and value word of the catalogue can be read.
constexpr bool EveryKeywordIsFound() {
    for (std::size_t i = 0; i < KeywordTexts.size(); ++i) {
        const std::string_view text = KeywordTexts[i];
        const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
        if (text.empty() || !letter(text[0]) || !std::ranges::all_of(text, [&](char c) {
                return letter(c) || (c >= '0' && c <= '9') || c == '_';
            }))
            return false;
        const KeywordKey key = KeyOfText(text);
        if (Keywords.Find(key.Words[0], key.Words[1], key.Words[2], key.Words[3], key.Length) !=
            token::FirstKeyword + static_cast<int>(i))
            return false;
    }
    return true;
}
static_assert(EveryKeywordIsFound(), "a key or value word of the catalogue that the lexer cannot read");

inline std::uint64_t LoadLittleEndian(const char* p) {
    std::uint64_t w;
    std::memcpy(&w, p, sizeof w);
    if constexpr (std::endian::native == std::endian::big) {
        std::uint64_t swapped = 0;
        for (int i = 0; i < 8; ++i)
            swapped |= ((w >> (8 * i)) & 0xFF) << (8 * (7 - i));
        w = swapped;
    }
    return w;
}

// The code of the keyword `text` (lower case, `length` bytes), or 0. The words are masked with a table
// and compared without branches: this runs for every word of a file.
inline int LookupKeyword(const char* text, std::size_t length) {
    if (length - 1 >= LongestKeyword) // also refuses 0
        return 0;
    const WordMasks& mask = MasksByLength[length];
    const std::uint64_t w0 = LoadLittleEndian(text) & mask[0];
    const std::uint64_t w1 = LoadLittleEndian(text + 8) & mask[1];
    const std::uint64_t w2 = LoadLittleEndian(text + 16) & mask[2];
    const std::uint64_t w3 = LoadLittleEndian(text + 24) & mask[3];
    return Keywords.Find(w0, w1, w2, w3, length);
}

} // namespace ruva::detail
