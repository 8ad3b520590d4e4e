#pragma once
// Window and control texts: the program's UTF-8 texts through Windows' wide calls.

#include "Utf16.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace ruva::win32 {

// A window's or a dialog control's text.
void SetText(HWND window, std::string_view text);
std::string Text(HWND window);
void SetItemText(HWND dialog, int id, std::string_view text);

} // namespace ruva::win32
