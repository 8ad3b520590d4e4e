#pragma once
// Texts between the program (UTF-8) and the Windows user-interface calls (UTF-16).

#include <windows.h>

#include <string>
#include <string_view>

namespace ruva::win32 {

std::wstring Widen(std::string_view text);
std::string Narrow(std::wstring_view text);

// A window's or a dialog control's text.
void SetText(HWND window, std::string_view text);
std::string Text(HWND window);
void SetItemText(HWND dialog, int id, std::string_view text);

} // namespace ruva::win32
