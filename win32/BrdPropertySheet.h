#pragma once
// The board properties sheet ("Ruva-2 Properties" with the E1 Mode and T1 Mode pages of each line
// interface and the General page) as a Win32 property sheet over the sheet logic of pages/.

#include "BoardProperties.h"
#include "SheetPages.h"

#include <windows.h>

namespace ruva::win32 {

class BoardPropertiesSheet : public SheetPages<BoardPropertiesSheet, BoardPropertiesModel::PageCount> {
public:
    BoardPropertiesSheet(BoardPropertiesModel& model, ShowHelpFunction help);
    BoardPropertiesSheet(const BoardPropertiesSheet&) = delete;
    BoardPropertiesSheet& operator=(const BoardPropertiesSheet&) = delete;

    // Modal: returns when the sheet has closed; the result is whether it ended with OK. Modeless:
    // creates the sheet and returns at once; Accepted() tells the outcome once it has closed.
    bool Show(HWND owner, SheetMode mode = SheetMode::Modal);
    bool Accepted() const { return accepted_; }

private:
    friend SheetPages;
    static std::string PageCaption(int index) { return BoardPropertiesModel::PageCaption(index); }
    void InitPage(int index, HWND page);
    INT_PTR OnNotify(int index, HWND page, const NMHDR& header);
    INT_PTR OnCommand(int index, HWND page, WPARAM wParam);
    INT_PTR OnPageMessage(UINT, LPARAM) { return FALSE; }
    void MarkChanged(HWND page);

    BoardPropertiesModel& model_;
    bool accepted_ = false;
    // Set while the controls are filled from the page's copy: what they report then is no change.
    bool loading_ = false;
};

} // namespace ruva::win32
