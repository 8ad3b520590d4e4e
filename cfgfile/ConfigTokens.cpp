#include "ConfigTokens.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace ruva {

namespace {

// Keywords are found through a small open-addressing hash table over their texts. The hash reads the
// first and the last eight bytes of a text as two words, so it costs the same for every length.
constexpr std::size_t SlotCount = 256;
constexpr std::size_t LongestKeyword = 26;

std::uint64_t LoadWord(const char* p) {
    std::uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

std::size_t HashSlot(const char* text, std::size_t length) {
    std::uint64_t head = LoadWord(text);
    if (length < 8) {
        // Keep only the text's own bytes: the first `length` bytes in memory order.
        const unsigned shift = static_cast<unsigned>(8 * (8 - length));
        if constexpr (std::endian::native == std::endian::little)
            head = length == 0 ? 0 : (head << shift) >> shift;
        else
            head = length == 0 ? 0 : (head >> shift) << shift;
    }
    const std::uint64_t tail = length > 8 ? LoadWord(text + length - 8) : 0;
    const std::uint64_t h = head * 0x9E3779B97F4A7C15ull ^ tail * 0xC2B2AE3D27D4EB4Full ^
                            static_cast<std::uint64_t>(length) * 0x165667B19E3779F9ull;
    return static_cast<std::size_t>(h >> 56) & (SlotCount - 1);
}

struct KeywordIndex {
    std::array<std::int8_t, SlotCount> Slots;

    KeywordIndex() {
        Slots.fill(-1);
        for (std::size_t i = 0; i < KeywordTable.size(); ++i) {
            char padded[LongestKeyword + 8] = {};
            const std::string_view text = KeywordTable[i].Text;
            std::memcpy(padded, text.data(), text.size());
            std::size_t slot = HashSlot(padded, text.size());
            while (Slots[slot] >= 0)
                slot = (slot + 1) & (SlotCount - 1);
            Slots[slot] = static_cast<std::int8_t>(i);
        }
    }
};

// Built on first use, so that lookups from other files' static initialisers find it ready.
const KeywordIndex& Index() {
    static const KeywordIndex index;
    return index;
}

constexpr bool CodesFollowTableOrder() {
    for (std::size_t i = 0; i < KeywordTable.size(); ++i)
        if (KeywordTable[i].Code != token::FirstKeyword + static_cast<int>(i))
            return false;
    return KeywordTable.back().Code == token::LastKeyword;
}
static_assert(CodesFollowTableOrder(), "keyword codes are consecutive in table order");

} // namespace

namespace detail {
int LookupKeyword(const char* text, std::size_t length) {
    if (length > LongestKeyword)
        return 0;
    const auto& slots = Index().Slots;
    for (std::size_t slot = HashSlot(text, length); slots[slot] >= 0; slot = (slot + 1) & (SlotCount - 1)) {
        const KeywordEntry& entry = KeywordTable[static_cast<std::size_t>(slots[slot])];
        if (entry.Text.size() == length && std::memcmp(entry.Text.data(), text, length) == 0)
            return entry.Code;
    }
    return 0;
}
} // namespace detail

int FindKeyword(std::string_view lowerText) {
    if (lowerText.empty() || lowerText.size() > LongestKeyword)
        return 0;
    char padded[LongestKeyword + 8] = {};
    std::memcpy(padded, lowerText.data(), lowerText.size());
    return detail::LookupKeyword(padded, lowerText.size());
}

std::string_view KeywordText(int code) {
    if (!token::IsKeyword(code))
        return {};
    return KeywordTable[static_cast<std::size_t>(code - token::FirstKeyword)].Text;
}

} // namespace ruva
