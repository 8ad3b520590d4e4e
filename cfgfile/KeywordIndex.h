#pragma once
// The keyword lookup of the lexer: an open-addressing hash table over the keyword texts, built at
// compile time. A text is read as four little-endian 64-bit words (bytes 0-31, masked to its length),
// which serve as the hash input and, compared with the stored words, as the equality test, so a
// lookup costs a few word operations whatever the text.

#include "ConfigTokens.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace ruva::detail {

inline constexpr std::size_t LongestKeyword = 26;
// A text passed to LookupKeyword must have this many readable bytes from its start.
inline constexpr std::size_t KeywordReadWidth = 32;

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

constexpr KeywordKey KeyOfText(std::string_view text) {
    KeywordKey key;
    key.Length = text.size();
    for (std::size_t i = 0; i < text.size() && i < KeywordReadWidth; ++i)
        key.Words[i / 8] |= std::uint64_t{static_cast<unsigned char>(text[i])} << (8 * (i % 8));
    return key;
}

struct KeywordIndex {
    static constexpr std::size_t SlotCount = 256;
    std::array<KeywordKey, SlotCount> Keys{};
    std::array<std::int16_t, SlotCount> Codes{}; // 0: empty slot

    constexpr KeywordIndex() {
        for (const KeywordEntry& entry : KeywordTable) {
            const KeywordKey key = KeyOfText(entry.Text);
            std::size_t slot = HashSlot(key.Words[0], key.Words[1], key.Length, SlotCount);
            while (Codes[slot] != 0)
                slot = (slot + 1) & (SlotCount - 1);
            Keys[slot] = key;
            Codes[slot] = static_cast<std::int16_t>(entry.Code);
        }
    }
};

inline constexpr KeywordIndex Keywords{};

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
    for (std::size_t slot = HashSlot(w0, w1, length, KeywordIndex::SlotCount); Keywords.Codes[slot] != 0;
         slot = (slot + 1) & (KeywordIndex::SlotCount - 1)) {
        const KeywordKey& candidate = Keywords.Keys[slot];
        if (((candidate.Words[0] ^ w0) | (candidate.Words[1] ^ w1) | (candidate.Words[2] ^ w2) |
             (candidate.Words[3] ^ w3) | (candidate.Length ^ length)) == 0)
            return Keywords.Codes[slot];
    }
    return 0;
}

} // namespace ruva::detail
