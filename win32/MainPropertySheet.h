#pragma once
// The program's only window, "Ruva-2 Properties": the General page and the pages of boards 0 to 3 as a
// Win32 property sheet over the main sheet's logic of pages/. Pages are created when first shown; the
// system menu ends with a separator and "Min&imize".

#include "MainSheet.h"
#include "SheetPages.h"

#include <windows.h>

namespace ruva {
class ModalWindows;
}

namespace ruva::win32 {

class MainSheetWindow : public SheetPages<MainSheetWindow, MainSheetModel::PageCount> {
public:
    // Dialogs and sheets that the pages open go through `windows`.
    MainSheetWindow(MainSheetModel& model, ModalWindows& windows, ShowHelpFunction help);
    MainSheetWindow(const MainSheetWindow&) = delete;
    MainSheetWindow& operator=(const MainSheetWindow&) = delete;

    // Modal: returns when the sheet has closed (OK, Cancel or the close box). Modeless: creates the
    // sheet and returns at once.
    void Show(SheetMode mode = SheetMode::Modal);

private:
    static constexpr int PageCount = MainSheetModel::PageCount;
    friend SheetPages;
    static std::string PageCaption(int index) { return MainSheetModel::PageCaption(index); }
    void InitPage(int index, HWND page);
    INT_PTR OnNotify(int index, HWND page, const NMHDR& header);
    INT_PTR OnCommand(int index, HWND page, WPARAM wParam);
    // The pictures of the pages are drawn by the program.
    INT_PTR OnPageMessage(UINT message, LPARAM lParam);
    void ShowEnabled(int index, HWND page);

    MainSheetModel& model_;
    ModalWindows& windows_;
};

} // namespace ruva::win32
