#include "Fields.h"

#include <charconv>

namespace ruva {

namespace {

std::string UpperHex(std::uint32_t value, int minDigits) {
    char digits[8];
    const auto end = std::to_chars(digits, digits + sizeof digits, value, 16).ptr;
    std::string text(static_cast<std::size_t>(end - digits), '0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char>(digits[i] >= 'a' ? digits[i] - 'a' + 'A' : digits[i]);
    if (static_cast<int>(text.size()) < minDigits)
        text.insert(0, static_cast<std::size_t>(minDigits) - text.size(), '0');
    return text;
}

} // namespace

std::string FormatFieldNumber(NumberStyle style, std::uint32_t value) {
    switch (style) {
    case NumberStyle::Hex:
        return "0x" + UpperHex(value, 1);
    case NumberStyle::Hex24:
        return "0x" + UpperHex(value, 6);
    case NumberStyle::Decimal:
        break;
    }
    return std::to_string(value);
}

} // namespace ruva
