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

// The first sixteen bytes and the length tell the keywords well enough apart; the probing and the
// comparison of all four words settle the rest.
constexpr std::size_t HashSlot(const KeywordKey& key, std::size_t slotCount) {
    const std::uint64_t h = (key.Words[0] * 0x9E3779B97F4A7C15ull) ^ (key.Words[1] * 0xC2B2AE3D27D4EB4Full) ^
                            (std::uint64_t{key.Length} << 32);
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
            std::size_t slot = HashSlot(key, SlotCount);
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

// The code of the keyword with this key (its words masked to its length), or 0.
inline int FindKeywordKey(const KeywordKey& key) {
    for (std::size_t slot = HashSlot(key, KeywordIndex::SlotCount); Keywords.Codes[slot] != 0;
         slot = (slot + 1) & (KeywordIndex::SlotCount - 1)) {
        const KeywordKey& candidate = Keywords.Keys[slot];
        if (candidate.Length == key.Length && candidate.Words == key.Words)
            return Keywords.Codes[slot];
    }
    return 0;
}

// The code of the keyword `text` (lower case, `length` bytes), or 0.
inline int LookupKeyword(const char* text, std::size_t length) {
    if (length == 0 || length > LongestKeyword)
        return 0;
    KeywordKey key;
    key.Length = length;
    for (std::size_t i = 0; i < 4; ++i)
        key.Words[i] = LoadLittleEndian(text + 8 * i) & WordMask(length, i);
    return FindKeywordKey(key);
}

} // namespace ruva::detail
