#include "MainSheetWindow.h"

#include "BoardPage.h"
#include "ModalWindows.h"
#include "Resource.h"
#include "Texts.h"
#include "WinText.h"

#include <commctrl.h>
#include <prsht.h>

namespace ruva::win32 {

namespace {

std::string_view ButtonLabel(BoardPageButton id) {
    for (const BoardPageButtonControl& button : BoardPageButtons())
        if (button.Id == id)
            return button.Label;
    return {};
}

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

MainSheetWindow::MainSheetWindow(MainSheetModel& model, ModalWindows& windows, ShowHelpFunction help)
    : SheetPages(std::move(help)), model_(model), windows_(windows) {}

void MainSheetWindow::Show(SheetMode mode) {
    auto pages = DescribePages([](int i) { return i == 0 ? IDD_MAIN_GENERAL : IDD_MAIN_BOARD; });
    const std::wstring caption = Widen(MainSheetModel::Caption());
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

INT_PTR MainSheetWindow::OnPageMessage(UINT message, LPARAM lParam) {
    if (message != WM_DRAWITEM)
        return FALSE;
    const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    DrawBitmap(item, item.CtlID == IDC_FILE_ICON ? IDB_FILE : IDB_PRODUCT);
    return TRUE;
}

void MainSheetWindow::InitPage(int index, HWND page) {
    if (index == 0) {
        SetItemText(page, IDC_PRODUCT_LINE, texts::AboutProductLine);
        SetItemText(page, IDC_PROGRAM_LINE, texts::AboutProgramLine);
        SetItemText(page, IDC_BOARD_LINE, texts::AboutBoardLine);
        SetItemText(page, IDC_RESOURCES, ButtonLabel(BoardPageButton::Resources));
        return;
    }
    SetItemText(page, IDC_INTRO, texts::BoardPageHelp);
    SetItemText(page, IDC_FILE_LABEL, texts::BoardPageFileLabel);
    SetItemText(page, IDC_BOARD_LABEL, texts::BoardPageBoardLabel);
    const auto buttons = BoardPageButtons();
    for (std::size_t k = 0; k < buttons.size(); ++k)
        SetItemText(page, IDC_PAGE_BUTTON(static_cast<int>(k)), buttons[k].Label);
}

INT_PTR MainSheetWindow::OnNotify(int index, HWND page, const NMHDR& header) {
    switch (header.code) {
    case PSN_SETACTIVE:
        // A board page checks its board the first time it becomes active.
        model_.Activate(index);
        if (index >= 1)
            ShowEnabled(index, page);
        return Answer(page, 0);
    default:
        return FALSE;
    }
}

INT_PTR MainSheetWindow::OnCommand(int index, HWND page, WPARAM wParam) {
    if (HIWORD(wParam) != BN_CLICKED)
        return FALSE;
    const int id = LOWORD(wParam);
    if (index == 0) {
        if (id != IDC_RESOURCES)
            return FALSE;
        model_.ShowResources(windows_);
        return TRUE;
    }
    BoardPageModel& board = model_.BoardPage(index - 1);
    const auto buttons = BoardPageButtons();
    for (std::size_t k = 0; k < buttons.size(); ++k) {
        if (id != IDC_PAGE_BUTTON(static_cast<int>(k)))
            continue;
        if (board.IsEnabled(buttons[k].Id))
            board.Press(buttons[k].Id, windows_);
        ShowEnabled(index, page);
        InvalidateRect(page, nullptr, TRUE);
        return TRUE;
    }
    return FALSE;
}

void MainSheetWindow::ShowEnabled(int index, HWND page) {
    const BoardPageModel& board = model_.BoardPage(index - 1);
    const auto buttons = BoardPageButtons();
    for (std::size_t k = 0; k < buttons.size(); ++k)
        EnableWindow(GetDlgItem(page, IDC_PAGE_BUTTON(static_cast<int>(k))), board.IsEnabled(buttons[k].Id));
}

} // namespace ruva::win32
