#pragma once
// Driving ruvasetw.exe's windows by their window messages, in process or from another process, for the
// tests and the grab program.

#include "MainPropertyPgBrdModel.h"
#include "Resource.h"
#include "WinText.h"

#include <windows.h>

#include <string>
#include <vector>

namespace ruva::test {

// Handles every message waiting for this thread's windows.
inline void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

inline std::string ItemText(HWND dialog, int id) {
    return win32::Text(GetDlgItem(dialog, id));
}

// The control identifier of a board page's button.
inline int ButtonId(MainPropertyPgBrdButton id) {
    for (const MainPropertyPgBrdButtonControl& button : MainPropertyPgBrdButtons())
        if (button.Id == id)
            return win32::ControlId(button.Name);
    return -1;
}

// The visible top-level windows of another process, found from outside as a user sees them.
inline std::vector<HWND> ProcessWindows(DWORD process) {
    struct Search {
        DWORD Process;
        std::vector<HWND> Windows;
        static BOOL CALLBACK Visit(HWND window, LPARAM lParam) {
            auto& search = *reinterpret_cast<Search*>(lParam);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == search.Process && IsWindowVisible(window))
                search.Windows.push_back(window);
            return TRUE;
        }
    } search{process, {}};
    EnumWindows(Search::Visit, reinterpret_cast<LPARAM>(&search));
    return search.Windows;
}

} // namespace ruva::test
