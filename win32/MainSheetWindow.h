#pragma once
// The program's only window, "Ruva-2 Properties": the General page and the pages of boards 0 to 3 as a
// Win32 property sheet over the main sheet's logic of pages/. Pages are created when first shown; the
// system menu ends with a separator and "Min&imize".

#include "MainSheet.h"
#include "Sheets.h"

#include <windows.h>

#include <array>
#include <string>

namespace ruva {
class ModalWindows;
}

namespace ruva::win32 {

class MainSheetWindow {
public:
    // Dialogs and sheets that the pages open go through `windows`.
    MainSheetWindow(MainSheetModel& model, ModalWindows& windows, ShowHelpFunction help);
    MainSheetWindow(const MainSheetWindow&) = delete;
    MainSheetWindow& operator=(const MainSheetWindow&) = delete;

    // Modal: returns when the sheet has closed (OK, Cancel or the close box). Modeless: creates the
    // sheet and returns at once.
    void Show(SheetMode mode = SheetMode::Modal);
    HWND Window() const { return window_; }
    // A page's dialog once it has been created (when first shown); else null.
    HWND Page(int index) const { return pages_.at(static_cast<std::size_t>(index)); }

private:
    static constexpr int PageCount = MainSheetModel::PageCount;
    struct PageBinding {
        MainSheetWindow* Sheet;
        int Index;
    };
    static INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
    void InitPage(int index, HWND page);
    INT_PTR OnNotify(int index, HWND page, const NMHDR& header);
    INT_PTR OnCommand(int index, HWND page, WPARAM wParam);
    void ShowEnabled(int index, HWND page);

    MainSheetModel& model_;
    ModalWindows& windows_;
    ShowHelpFunction help_;
    HWND window_ = nullptr;
    std::array<HWND, PageCount> pages_{};
    std::array<std::wstring, PageCount> titles_;
    std::array<PageBinding, PageCount> bindings_{};
};

} // namespace ruva::win32
