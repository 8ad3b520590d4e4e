#pragma once
// The board properties sheet ("Ruva-2 Properties" with the E1 Mode and T1 Mode pages of each line
// interface and the General page) as a Win32 property sheet over the sheet logic of pages/.

#include "BoardProperties.h"
#include "Sheets.h"

#include <windows.h>

#include <array>
#include <string>

namespace ruva::win32 {

class BoardPropertiesSheet {
public:
    BoardPropertiesSheet(BoardPropertiesModel& model, ShowHelpFunction help);
    BoardPropertiesSheet(const BoardPropertiesSheet&) = delete;
    BoardPropertiesSheet& operator=(const BoardPropertiesSheet&) = delete;

    // Modal: returns when the sheet has closed; the result is whether it ended with OK. Modeless:
    // creates the sheet and returns at once; Accepted() tells the outcome once it has closed.
    bool Show(HWND owner, SheetMode mode = SheetMode::Modal);
    HWND Window() const { return window_; }
    // A page's dialog, once the page has been created (when first shown); else null.
    HWND Page(int index) const { return pages_.at(static_cast<std::size_t>(index)); }
    bool Accepted() const { return accepted_; }

private:
    // What a page's dialog keeps: its sheet and its place in it.
    struct PageBinding {
        BoardPropertiesSheet* Sheet;
        int Index;
    };
    static INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnNotify(int index, HWND page, const NMHDR& header);
    INT_PTR OnCommand(int index, HWND page, WPARAM wParam);
    void MarkChanged(HWND page);

    BoardPropertiesModel& model_;
    ShowHelpFunction help_;
    HWND window_ = nullptr;
    std::array<HWND, BoardPropertiesModel::PageCount> pages_{};
    std::array<std::wstring, BoardPropertiesModel::PageCount> titles_;
    std::array<PageBinding, BoardPropertiesModel::PageCount> bindings_{};
    bool accepted_ = false;
    // Set while the controls are filled from the page's copy: what they report then is no change.
    bool loading_ = false;
};

} // namespace ruva::win32
