#include "MessageFormat.h"

#include <cstdio>
#include <vector>

namespace ruva {

namespace {

bool IsIntegerConversion(char c) {
    return c == 'd' || c == 'i' || c == 'u' || c == 'x' || c == 'X' || c == 'o';
}

std::string Printf(const std::string& format, auto value) {
    char buffer[128];
    int n = std::snprintf(buffer, sizeof buffer, format.c_str(), value);
    if (n < 0)
        return {};
    if (static_cast<size_t>(n) < sizeof buffer)
        return std::string(buffer, static_cast<size_t>(n));
    std::vector<char> big(static_cast<size_t>(n) + 1);
    std::snprintf(big.data(), big.size(), format.c_str(), value);
    return std::string(big.data(), static_cast<size_t>(n));
}

} // namespace

std::string MessageArg::Format(std::string_view directive) const {
    // Split the directive into flags/width/precision and the conversion; length modifiers are dropped
    // because every integer is passed at full width.
    std::string head;
    char conversion = 's';
    for (char c : directive) {
        if (c == 'h' || c == 'l' || c == 'L' || c == 'j' || c == 'z' || c == 't')
            continue;
        if ((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == ' ' || c == '#') {
            head += c;
            continue;
        }
        conversion = c;
        break;
    }

    if (kind_ == Kind::Text) {
        if (conversion != 's')
            return std::string(text_);
        return Printf("%" + head + "s", std::string(text_).c_str());
    }
    if (!IsIntegerConversion(conversion)) {
        // A number formatted as text: plain decimal.
        return kind_ == Kind::Signed ? std::to_string(signed_) : std::to_string(unsigned_);
    }
    std::string format = "%" + head + "ll" + conversion;
    bool asSigned = conversion == 'd' || conversion == 'i';
    if (kind_ == Kind::Signed)
        return asSigned ? Printf(format, signed_) : Printf(format, static_cast<unsigned long long>(signed_));
    return asSigned ? Printf(format, static_cast<long long>(unsigned_)) : Printf(format, unsigned_);
}

std::string FormatText(std::string_view pattern, std::initializer_list<MessageArg> args) {
    std::string out;
    out.reserve(pattern.size() + 32);
    const MessageArg* argv = args.begin();
    const size_t argc = args.size();
    size_t i = 0;
    while (i < pattern.size()) {
        char c = pattern[i];
        if (c != '%' || i + 1 >= pattern.size()) {
            out += c;
            ++i;
            continue;
        }
        if (pattern[i + 1] == '%') {
            out += '%';
            i += 2;
            continue;
        }
        size_t j = i + 1;
        size_t index = 0;
        while (j < pattern.size() && pattern[j] >= '0' && pattern[j] <= '9' && index < 100) {
            index = index * 10 + static_cast<size_t>(pattern[j] - '0');
            ++j;
        }
        if (j == i + 1 || index == 0 || index > argc) {
            // Not an insert this call can fill: keep the text as it stands.
            out.append(pattern.substr(i, j - i));
            i = j;
            continue;
        }
        std::string_view conversion = "s";
        if (j < pattern.size() && pattern[j] == '!') {
            size_t close = pattern.find('!', j + 1);
            if (close != std::string_view::npos) {
                conversion = pattern.substr(j + 1, close - j - 1);
                j = close + 1;
            }
        }
        out += argv[index - 1].Format(conversion);
        i = j;
    }
    return out;
}

} // namespace ruva
