#include "MainPropertySheet.h"

#include "MainPropertyPgBrdModel.h"
#include "ModalWindows.h"
#include "Resource.h"
#include "Texts.h"
#include "WinText.h"

#include <commctrl.h>
#include <prsht.h>

namespace ruva::win32 {

namespace {

// Once the sheet's window exists: the program icon as its large icon, and a separator and "Min&imize"
// at the end of its system menu. The item carries the standard minimise command, which the window's
// default handling carries out.
int CALLBACK SheetCallback(HWND sheet, UINT message, LPARAM) {
    if (message == PSCB_INITIALIZED) {
        SendMessageW(sheet, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(ProgramIcon(true)));
        SendMessageW(sheet, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(ProgramIcon(false)));
        if (HMENU menu = GetSystemMenu(sheet, FALSE)) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            AppendMenuW(menu, MF_STRING, SC_MINIMIZE, Widen(texts::MinimizeMenuItem).c_str());
        }
    }
    return 0;
}

} // namespace

MainPropertySheet::MainPropertySheet(MainPropertySheetModel& model, ModalWindows& windows,
                                     ShowHelpFunction help)
    : PropertySheetPages(std::move(help)), model_(model), windows_(windows) {}

void MainPropertySheet::Show(SheetMode mode) {
    auto pages = DescribePages([](int i) { return i == 0 ? IDD_MAIN_ABOUT : IDD_MAIN_BOARD; });
    const std::wstring caption = Widen(MainPropertySheetModel::Caption());
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_HASHELP | PSH_USECALLBACK | PSH_USEHICON |
                     (mode == SheetMode::Modeless ? PSH_MODELESS : 0);
    header.hwndParent = nullptr;
    header.hInstance = Module();
    header.hIcon = ProgramIcon(false);
    header.pszCaption = caption.c_str();
    header.nPages = static_cast<UINT>(pages.size());
    header.nStartPage = 0;
    header.ppsp = pages.data();
    header.pfnCallback = &SheetCallback;
    const INT_PTR result = PropertySheetW(&header);
    if (mode == SheetMode::Modeless)
        window_ = reinterpret_cast<HWND>(result);
}

INT_PTR MainPropertySheet::OnPageMessage(UINT message, LPARAM lParam) {
    if (message != WM_DRAWITEM)
        return FALSE;
    const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    DrawBitmap(item, item.CtlID == IDC_FILE_ICON ? IDB_FILE : IDB_PRODUCT);
    return TRUE;
}

void MainPropertySheet::InitPage(int index, HWND page) {
    if (!MainPropertySheetModel::BoardOfPage(index)) {
        SetItemText(page, IDC_PRODUCT_LINE, texts::AboutProductLine);
        SetItemText(page, IDC_PROGRAM_LINE, texts::AboutProgramLine);
        SetItemText(page, IDC_BOARD_LINE, texts::AboutBoardLine);
        for (const MainPropertyPgAboutButtonControl& button : MainPropertyPgAboutButtons())
            SetItemText(page, ControlId(button.Name), button.Label);
        SetItemText(page, IDC_SIMULATED_LINE, model_.SimulatedBoardsLine());
        return;
    }
    SetItemText(page, IDC_INTRO, texts::BoardPageHelp);
    SetItemText(page, IDC_FILE_LABEL, texts::BoardPageFileLabel);
    SetItemText(page, IDC_BOARD_LABEL, texts::BoardPageBoardLabel);
    for (const MainPropertyPgBrdButtonControl& button : MainPropertyPgBrdButtons())
        SetItemText(page, ControlId(button.Name), button.Label);
}

INT_PTR MainPropertySheet::OnNotify(int index, HWND page, const NMHDR& header) {
    switch (header.code) {
    case PSN_SETACTIVE:
        // A board page checks its board the first time it becomes active.
        model_.Activate(index);
        if (const auto board = MainPropertySheetModel::BoardOfPage(index))
            ShowEnabled(*board, page);
        return Answer(page, 0);
    default:
        return FALSE;
    }
}

INT_PTR MainPropertySheet::OnCommand(int index, HWND page, WPARAM wParam) {
    if (HIWORD(wParam) != BN_CLICKED)
        return FALSE;
    const int id = LOWORD(wParam);
    const auto board = MainPropertySheetModel::BoardOfPage(index);
    if (!board) {
        for (const MainPropertyPgAboutButtonControl& button : MainPropertyPgAboutButtons()) {
            if (id == ControlId(button.Name)) {
                model_.Press(button.Id, windows_);
                return TRUE;
            }
        }
        return FALSE;
    }
    for (const MainPropertyPgBrdButtonControl& button : MainPropertyPgBrdButtons()) {
        if (id != ControlId(button.Name))
            continue;
        model_.BoardPage(*board).Press(button.Id, windows_);
        ShowEnabled(*board, page);
        InvalidateRect(page, nullptr, TRUE);
        return TRUE;
    }
    return FALSE;
}

void MainPropertySheet::ShowEnabled(int board, HWND page) {
    const MainPropertyPgBrdModel& model = model_.BoardPage(board);
    for (const MainPropertyPgBrdButtonControl& button : MainPropertyPgBrdButtons())
        EnableWindow(GetDlgItem(page, ControlId(button.Name)), model.IsEnabled(button.Id));
}

} // namespace ruva::win32
