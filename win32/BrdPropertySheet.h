#pragma once
// The board properties sheet ("Ruva-2 Properties" with the E1 Mode and T1 Mode pages of each line
// interface and the General page) as a Win32 property sheet over the sheet logic of pages/.

#include "BrdPropertySheetModel.h"
#include "PropertySheetPages.h"

#include <windows.h>

namespace ruva::win32 {

class BrdPropertySheet : public PropertySheetPages<BrdPropertySheet, BrdPropertySheetModel::PageCount> {
public:
    BrdPropertySheet(BrdPropertySheetModel& model, ShowHelpFunction help);
    BrdPropertySheet(const BrdPropertySheet&) = delete;
    BrdPropertySheet& operator=(const BrdPropertySheet&) = delete;

    // Modal: returns when the sheet has closed; the result is whether it ended with OK. Modeless:
    // creates the sheet and returns at once; Accepted() tells the outcome once it has closed.
    bool Show(HWND owner, SheetMode mode = SheetMode::Modal);
    bool Accepted() const { return accepted_; }

private:
    friend PropertySheetPages;
    static std::string PageCaption(int index) { return BrdPropertySheetModel::PageCaption(index); }
    void InitPage(int index, HWND page);
    INT_PTR OnNotify(int index, HWND page, const NMHDR& header);
    INT_PTR OnCommand(int index, HWND page, WPARAM wParam);
    INT_PTR OnPageMessage(UINT, LPARAM) { return FALSE; }
    // Apply is enabled when the model says that something changed; `page` is the active page.
    void ShowChanged(HWND page);

    BrdPropertySheetModel& model_;
    bool accepted_ = false;
    // Set while the controls are filled from the page's copy: what they report then is no change.
    bool loading_ = false;
};

} // namespace ruva::win32
