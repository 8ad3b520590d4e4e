#pragma once
// Texts and names between the programs (UTF-8) and Windows' wide calls (UTF-16). The programs hand
// UTF-8 to the system this way whatever the system's code page, which is UTF-8 only on recent Windows.

#include <string>
#include <string_view>

namespace ruva {

std::wstring Widen(std::string_view text);
std::string Narrow(std::wstring_view text);

// A text in the system's ANSI code page (as older drivers hand texts over), or in code page `codePage`,
// as UTF-8.
std::string AnsiToUtf8(std::string_view text, unsigned codePage = 0 /* CP_ACP */);

// The system's text for an error code (GetLastError), without its closing full stop.
std::string SystemErrorText(unsigned long code);

} // namespace ruva
