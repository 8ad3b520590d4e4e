#include "NumberText.h"

#include <limits>

namespace ruva {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The value of one digit in the given base, or -1.
int DigitValue(char c, unsigned base) {
    int value = -1;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value >= 0 && static_cast<unsigned>(value) < base ? value : -1;
}

// The value of `digits` in the given base; empty when the text is empty or holds another character.
// Values beyond 32 bits are not exact, but they stay beyond 32 bits.
std::optional<std::uint64_t> Digits(std::string_view digits, unsigned base) {
    if (digits.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : digits) {
        const int digit = DigitValue(c, base);
        if (digit < 0)
            return std::nullopt;
        if (value <= std::numeric_limits<std::uint32_t>::max())
            value = value * base + static_cast<unsigned>(digit);
    }
    return value;
}

} // namespace

std::optional<std::int64_t> ParseWholeNumber(std::string_view text) {
    text = Trimmed(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const auto magnitude = Digits(text, 10);
    if (!magnitude)
        return std::nullopt;
    const auto value = static_cast<std::int64_t>(*magnitude);
    return negative ? -value : value;
}

std::optional<std::uint32_t> ParseAddress(std::string_view text) {
    text = Trimmed(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    unsigned base = 10;
    if (text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    } else if (text.size() > 1 && text[0] == '0') {
        base = 8;
        text.remove_prefix(1);
    }
    const auto value = Digits(text, base);
    if (!value || *value > std::numeric_limits<std::uint32_t>::max())
        return std::nullopt;
    return static_cast<std::uint32_t>(*value);
}

} // namespace ruva
