#pragma once
// The program's only window, "Ruva-2 Properties": the About page and the pages of boards 0 to 3 as a
// Win32 property sheet over the main sheet's logic of pages/. Pages are created when first shown; the
// system menu ends with a separator and "Min&imize".

#include "MainPropertySheetModel.h"
#include "PropertySheetPages.h"

#include <windows.h>

namespace ruva {
class ModalWindows;
}

namespace ruva::win32 {

class MainPropertySheet : public PropertySheetPages<MainPropertySheet, MainPropertySheetModel::PageCount> {
public:
    // Dialogs and sheets that the pages open go through `windows`.
    MainPropertySheet(MainPropertySheetModel& model, ModalWindows& windows, ShowHelpFunction help);
    MainPropertySheet(const MainPropertySheet&) = delete;
    MainPropertySheet& operator=(const MainPropertySheet&) = delete;

    // Modal: returns when the sheet has closed (OK, Cancel or the close box). Modeless: creates the
    // sheet and returns at once.
    void Show(SheetMode mode = SheetMode::Modal);

private:
    static constexpr int PageCount = MainPropertySheetModel::PageCount;
    friend PropertySheetPages;
    static std::string PageCaption(int index) { return MainPropertySheetModel::PageCaption(index); }
    void InitPage(int index, HWND page);
    INT_PTR OnNotify(int index, HWND page, const NMHDR& header);
    INT_PTR OnCommand(int index, HWND page, WPARAM wParam);
    // The pictures of the pages are drawn by the program.
    INT_PTR OnPageMessage(UINT message, LPARAM lParam);
    // Shows which buttons of the page of board `board` are enabled.
    void ShowEnabled(int board, HWND page);

    MainPropertySheetModel& model_;
    ModalWindows& windows_;
};

} // namespace ruva::win32
