#include "ConsolePrompts.h"

#include <string>
#include <utility>

namespace ruva::tool {

namespace {

std::string_view Prefix(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Stop:
        return "error: ";
    case MessageIcon::Warning:
        return "warning: ";
    case MessageIcon::Information:
        return "note: ";
    case MessageIcon::None:
        break;
    }
    return "";
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

void ConsolePrompts::Show(const Message& message) {
    ++messages_;
    if (message.Icon == MessageIcon::Stop)
        ++errors_;
    // Line breaks become single spaces where the words would otherwise run together.
    std::string line;
    bool pendingBreak = false;
    for (char c : message.Text) {
        if (c == '\r' || c == '\n') {
            pendingBreak = true;
            continue;
        }
        if (pendingBreak && !line.empty() && !IsBlank(line.back()) && !IsBlank(c))
            line += ' ';
        pendingBreak = false;
        line += c;
    }
    while (!line.empty() && IsBlank(line.back()))
        line.pop_back();
    err_ << Prefix(message.Icon) << subject_ << line << '\n';
    shown_.push_back({message.Id, message.Icon, std::move(line), message.Number});
}

} // namespace ruva::tool
