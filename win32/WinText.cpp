#include "WinText.h"

namespace ruva::win32 {

void SetText(HWND window, std::string_view text) {
    SetWindowTextW(window, Widen(text).c_str());
}

std::string Text(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return Narrow(text);
}

void SetItemText(HWND dialog, int id, std::string_view text) {
    SetText(GetDlgItem(dialog, id), text);
}

} // namespace ruva::win32
