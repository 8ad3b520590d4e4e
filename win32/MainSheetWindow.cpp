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

INT_PTR Answer(HWND page, LONG_PTR result) {
    SetWindowLongPtrW(page, DWLP_MSGRESULT, result);
    return TRUE;
}

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
    : model_(model), windows_(windows), help_(std::move(help)) {
    for (int i = 0; i < PageCount; ++i)
        titles_[static_cast<std::size_t>(i)] = Widen(MainSheetModel::PageCaption(i));
}

void MainSheetWindow::Show(SheetMode mode) {
    std::array<PROPSHEETPAGEW, PageCount> pages{};
    for (int i = 0; i < PageCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        bindings_[at] = {this, i};
        PROPSHEETPAGEW& page = pages[at];
        page.dwSize = sizeof page;
        page.dwFlags = PSP_USETITLE | PSP_HASHELP;
        page.hInstance = Module();
        page.pszTemplate = MAKEINTRESOURCEW(i == 0 ? IDD_MAIN_GENERAL : IDD_MAIN_BOARD);
        page.pfnDlgProc = &MainSheetWindow::PageProc;
        page.pszTitle = titles_[at].c_str();
        page.lParam = reinterpret_cast<LPARAM>(&bindings_[at]);
    }
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

INT_PTR CALLBACK MainSheetWindow::PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* binding =
            reinterpret_cast<PageBinding*>(reinterpret_cast<const PROPSHEETPAGEW*>(lParam)->lParam);
        SetWindowLongPtrW(page, DWLP_USER, reinterpret_cast<LONG_PTR>(binding));
        binding->Sheet->InitPage(binding->Index, page);
        return TRUE;
    }
    auto* binding = reinterpret_cast<PageBinding*>(GetWindowLongPtrW(page, DWLP_USER));
    if (binding == nullptr)
        return FALSE;
    switch (message) {
    case WM_NOTIFY:
        return binding->Sheet->OnNotify(binding->Index, page, *reinterpret_cast<const NMHDR*>(lParam));
    case WM_COMMAND:
        return binding->Sheet->OnCommand(binding->Index, page, wParam);
    case WM_DRAWITEM: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        DrawBitmap(item, item.CtlID == IDC_FILE_ICON ? IDB_FILE : IDB_PRODUCT);
        return TRUE;
    }
    case WM_HELP: // F1
        if (binding->Sheet->help_)
            binding->Sheet->help_(binding->Sheet->window_);
        return TRUE;
    case WM_DESTROY:
        binding->Sheet->pages_[static_cast<std::size_t>(binding->Index)] = nullptr;
        return FALSE;
    default:
        return FALSE;
    }
}

void MainSheetWindow::InitPage(int index, HWND page) {
    pages_[static_cast<std::size_t>(index)] = page;
    window_ = GetParent(page);
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
    case PSN_HELP:
        if (help_)
            help_(window_);
        return TRUE;
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
