#pragma once
// Texts and names between the programs (UTF-8) and Windows' wide calls (UTF-16). The programs hand
// UTF-8 to the system this way whatever the system's code page, which is UTF-8 only on recent Windows.

#include <string>
#include <string_view>

namespace ruva {

std::wstring Widen(std::string_view text);
std::string Narrow(std::wstring_view text);

} // namespace ruva
