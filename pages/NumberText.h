#pragma once
// Numbers typed into the property pages. Both readers accept blanks around the number and refuse
// anything else: a value is taken as typed or not at all, never cut short or wrapped.

#include <cstdint>
#include <optional>
#include <string_view>

namespace ruva {

// A whole decimal number with an optional sign ("42", " -7 ", "+300"). Magnitudes beyond 32 bits are
// not exact but stay beyond 32 bits, so that a range check still refuses them. Empty when the text is
// no number.
std::optional<std::int64_t> ParseWholeNumber(std::string_view text);

// An unsigned 32-bit number with automatic base: "0x" or "0X" starts hexadecimal, a leading 0 octal,
// anything else decimal; an optional "+" may precede it. Empty when the text holds no number, has
// characters after it, or exceeds 32 bits.
std::optional<std::uint32_t> ParseAddress(std::string_view text);

} // namespace ruva
