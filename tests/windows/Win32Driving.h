#pragma once
// Driving ruvasetw.exe's windows in process by their window messages, for the tests and the grab
// program.

#include "MainPropertyPgBrdModel.h"
#include "Resource.h"
#include "WinText.h"

#include <windows.h>

#include <string>

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
inline int ButtonId(BoardPageButton id) {
    for (const BoardPageButtonControl& button : BoardPageButtons())
        if (button.Id == id)
            return win32::ControlId(button.Name);
    return -1;
}

} // namespace ruva::test
