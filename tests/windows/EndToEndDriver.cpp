// Drives ruvasetw.exe, started as a process of its own on simulated boards, from outside through its
// windows as a user would: tabs, buttons, lists, the message boxes and the real Save dialog.
//   end_to_end_driver <ruvasetw.exe> <file to save>   (RUVA2_SIMULATOR names the state file)
// Board 0's page repairs its blank serial record (the message says so); "<-- Load" takes its
// configuration, "<-- Save" writes it to the file, Edit Properties makes Li0's E1 transmit line code AMI,
// and Board 1's "Save -->" writes the result to board 1. Exits 1 with the reason when a step fails.
// Every wait polls for what the step shows, with a generous limit: nothing assumes the program's speed.

#include "BrdPropertySheetModel.h"
#include "MainPropertySheetModel.h"
#include "Texts.h"
#include "Win32Driving.h"

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>
#include <dlgs.h>
#include <prsht.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace ruva;

namespace {

PROCESS_INFORMATION program{};
HWND mainSheet = nullptr;

std::vector<HWND> ProgramWindows() {
    return test::ProcessWindows(program.dwProcessId);
}

// The texts of a window and its static controls, as a message box shows them.
std::string Texts(HWND window) {
    std::string texts = win32::Text(window);
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t kind[16] = {};
        GetClassNameW(child, kind, 16);
        if (lstrcmpiW(kind, L"Static") == 0 && !win32::Text(child).empty())
            texts += " | " + win32::Text(child);
    }
    return texts;
}

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "FAILED: %s\nThe program's windows:\n", what.c_str());
    for (HWND window : ProgramWindows())
        std::fprintf(stderr, "  %s\n", Texts(window).c_str());
    TerminateProcess(program.hProcess, 1);
    std::exit(1);
}

// Polls for `found` for up to two minutes.
template <typename Found>
auto WaitFor(const std::string& what, Found found) {
    for (int i = 0; i < 1200; ++i) {
        if (auto result = found())
            return result;
        Sleep(100);
    }
    Fail("no " + what);
}

// Sends a message as the user's action gives it, without waiting for what it starts, then waits until
// the program's thread takes its next sent message: once the action is done or a modal window it
// opened waits for the user. The program has one thread, which takes sent messages in order. A message
// posted to the main sheet, which lives as long as the program, wakes the modal loop that the action
// may have ended: such a loop only looks whether it is done when a posted message or input arrives.
void Act(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    SendNotifyMessageW(window, message, wParam, lParam);
    PostMessageW(mainSheet, WM_NULL, 0, 0);
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutW(mainSheet, WM_NULL, 0, 0, SMTO_NORMAL, 120000, &ignored) && IsWindow(mainSheet))
        Fail("an answer to message " + std::to_string(message));
}

void Click(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    if (button == nullptr || !IsWindowEnabled(button))
        Fail("enabled button " + std::to_string(id));
    Act(button, BM_CLICK);
}

// The program's top-level window, other than the main sheet, titled `title` and holding control `id`.
HWND Window(const std::string& title, int id = IDOK) {
    return WaitFor(title + " window", [&]() -> HWND {
        for (HWND window : ProgramWindows())
            if (window != mainSheet && win32::Text(window) == title && GetDlgItem(window, id) != nullptr)
                return window;
        return nullptr;
    });
}

void WaitGone(HWND window) {
    WaitFor("end of " + win32::Text(window), [window] { return !IsWindow(window); });
}

// The message box that must come next: its text is checked, and OK pressed.
void Answer(std::string_view text) {
    HWND box = Window(std::string(texts::ProgramName));
    if (Texts(box).find(text) == std::string::npos)
        Fail("message \"" + std::string(text) + "\"");
    Click(box, IDOK);
    WaitGone(box);
}

// The main sheet's tab `index`, once the message its first showing brings, if any, is answered.
HWND OpenTab(int index, std::string_view message = {}) {
    Act(mainSheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
    if (!message.empty())
        Answer(message);
    return PropSheet_GetCurrentPageHwnd(mainSheet);
}

void Press(HWND page, MainPropertyPgBrdButton button) {
    Click(page, test::ButtonId(button));
}

} // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc != 3) {
        std::fprintf(stderr, "usage: end_to_end_driver <ruvasetw.exe> <file to save>\n");
        return 2;
    }
    const std::wstring exe = argv[1];
    std::wstring line = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &program))
        Fail("start of " + Narrow(exe));
    mainSheet = WaitFor("main sheet", [] {
        for (HWND window : ProgramWindows())
            if (win32::Text(window) == MainPropertySheetModel::Caption())
                return window;
        return HWND{};
    });

    // Board 0: the check repairs the serial record; the configuration is loaded and saved to a file.
    HWND board0 = OpenTab(1, texts::SerialSchemeRestored);
    Press(board0, MainPropertyPgBrdButton::LoadFromBoard);
    Press(board0, MainPropertyPgBrdButton::SaveToFile);
    // The file name box: a combo box in the Explorer-style dialog of newer systems, an edit box in older.
    const auto nameBox = [](HWND dialog) {
        HWND box = GetDlgItem(dialog, cmb13);
        return box != nullptr ? box : GetDlgItem(dialog, edt1);
    };
    HWND saveDialog = WaitFor("Save dialog", [&]() -> HWND {
        for (HWND window : ProgramWindows())
            if (window != mainSheet && nameBox(window) != nullptr)
                return window;
        return nullptr;
    });
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(nameBox(saveDialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[2]), SMTO_NORMAL,
                        120000, &ignored);
    Click(saveDialog, IDOK);
    WaitGone(saveDialog);

    // Edit Properties: Li0 (E1 mode), the sheet's first page, gets the first transmit line code, AMI.
    Press(board0, MainPropertyPgBrdButton::EditProperties);
    HWND properties = Window(std::string(BrdPropertySheetModel::Caption()));
    HWND e1 = PropSheet_GetCurrentPageHwnd(properties);
    const int lineCode = win32::ControlId("TransmitLineCode");
    HWND list = GetDlgItem(e1, lineCode);
    Act(list, CB_SETCURSEL, 0);
    Act(e1, WM_COMMAND, MAKEWPARAM(lineCode, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    Act(properties, PSM_PRESSBUTTON, PSBTN_OK);
    WaitGone(properties);

    // Board 1: its check passes, and the configuration is saved to it.
    HWND board1 = OpenTab(2);
    Press(board1, MainPropertyPgBrdButton::SaveToBoard);
    Answer(texts::SaveSucceeded);

    // OK ends the program.
    Act(mainSheet, PSM_PRESSBUTTON, PSBTN_OK);
    DWORD code = 1;
    if (WaitForSingleObject(program.hProcess, 120000) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(program.hProcess, &code) || code != 0)
        Fail("end of the program with exit code 0");
    return 0;
}
