#pragma once
// Positional message formatting: "%n!f!" inserts argument n (1-based) with the printf conversion f,
// for example "%1!d!", "0x%1!X!", "0x%1!.2X!", "%1!.2u!", "%2!s!". A bare "%n" inserts argument n as
// text, "%%" is a percent sign. Every message of the program is built with FormatText.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>

namespace ruva {

class MessageArg {
public:
    template <typename T>
    requires std::is_integral_v<T>
    MessageArg(T value) // NOLINT(google-explicit-constructor): arguments convert implicitly
    {
        if constexpr (std::is_signed_v<T>) {
            kind_ = Kind::Signed;
            signed_ = value;
        } else {
            kind_ = Kind::Unsigned;
            unsigned_ = value;
        }
    }
    MessageArg(std::string_view text) : kind_(Kind::Text), text_(text) {}   // NOLINT
    MessageArg(const char* text) : kind_(Kind::Text), text_(text) {}        // NOLINT
    MessageArg(const std::string& text) : kind_(Kind::Text), text_(text) {} // NOLINT

    // Formats this argument with one printf conversion specifier such as "d", ".2X" or "s".
    std::string Format(std::string_view directive) const;

private:
    enum class Kind { Signed, Unsigned, Text };
    Kind kind_;
    long long signed_ = 0;
    unsigned long long unsigned_ = 0;
    std::string_view text_;
};

std::string FormatText(std::string_view pattern, std::initializer_list<MessageArg> args);

} // namespace ruva
