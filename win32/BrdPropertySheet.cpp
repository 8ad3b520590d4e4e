#include "BrdPropertySheet.h"

#include "Resource.h"
#include "WinPageControls.h"
#include "WinText.h"

#include <commctrl.h>
#include <prsht.h>

namespace ruva::win32 {

namespace {

int TemplateOf(int index) {
    switch (index) {
    case BrdPropertySheetModel::Li0E1:
    case BrdPropertySheetModel::Li1E1:
        return IDD_BRD_E1;
    case BrdPropertySheetModel::Li0T1:
    case BrdPropertySheetModel::Li1T1:
        return IDD_BRD_T1;
    default:
        return IDD_BRD_GENERAL;
    }
}

} // namespace

BrdPropertySheet::BrdPropertySheet(BrdPropertySheetModel& model, ShowHelpFunction help)
    : PropertySheetPages(std::move(help)), model_(model) {}

bool BrdPropertySheet::Show(HWND owner, SheetMode mode) {
    auto pages = DescribePages(&TemplateOf);
    const std::wstring caption = Widen(BrdPropertySheetModel::Caption());
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_HASHELP | (mode == SheetMode::Modeless ? PSH_MODELESS : 0);
    header.hwndParent = owner;
    header.hInstance = Module();
    header.pszCaption = caption.c_str();
    header.nPages = static_cast<UINT>(pages.size());
    header.nStartPage = 0;
    header.ppsp = pages.data();
    accepted_ = false;
    const INT_PTR result = PropertySheetW(&header);
    if (mode == SheetMode::Modeless)
        window_ = reinterpret_cast<HWND>(result);
    return accepted_;
}

void BrdPropertySheet::InitPage(int index, HWND page) {
    BrdPropertyPageModel& model = model_.Page(index);
    WinPageControls(page, model.Fields()).ShowTexts(model.Buttons());
}

INT_PTR BrdPropertySheet::OnNotify(int index, HWND page, const NMHDR& header) {
    WinPageControls controls(page, model_.Page(index).Fields());
    switch (header.code) {
    case PSN_SETACTIVE:
        loading_ = true;
        model_.Enter(index, controls);
        loading_ = false;
        return Answer(page, 0);
    case PSN_KILLACTIVE:
        // A refused entry keeps the page active (and OK from closing the sheet).
        return Answer(page, model_.Leave(controls) ? FALSE : TRUE);
    case PSN_APPLY: {
        // Every created page hears of Apply and OK; the active one stores its controls.
        if (index != model_.ActivePage())
            return Answer(page, PSNRET_NOERROR);
        const bool ok = reinterpret_cast<const PSHNOTIFY&>(header).lParam != 0;
        if (!(ok ? model_.Accept(controls) : model_.Apply(controls)))
            return Answer(page, PSNRET_INVALID_NOCHANGEPAGE);
        if (ok)
            accepted_ = true;
        ShowChanged(page);
        return Answer(page, PSNRET_NOERROR);
    }
    default:
        return FALSE;
    }
}

INT_PTR BrdPropertySheet::OnCommand(int index, HWND page, WPARAM wParam) {
    if (loading_)
        return FALSE;
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    BrdPropertyPageModel& pageModel = model_.Page(index);
    WinPageControls controls(page, pageModel.Fields());
    if (code == BN_CLICKED) {
        for (const LiPageButtonControl& button : pageModel.Buttons()) {
            if (id == ControlId(button.Name)) {
                loading_ = true;
                model_.Press(index, button.Id, controls);
                loading_ = false;
                ShowChanged(page);
                return TRUE;
            }
        }
        if (controls.Click(id)) {
            model_.ControlChanged();
            ShowChanged(page);
            return TRUE;
        }
        return FALSE;
    }
    if (code == CBN_SELCHANGE || code == EN_CHANGE) {
        model_.ControlChanged();
        ShowChanged(page);
        return TRUE;
    }
    return FALSE;
}

void BrdPropertySheet::ShowChanged(HWND page) {
    // The sheet enables Apply while any of its pages is marked as changed.
    if (model_.IsChanged()) {
        PropSheet_Changed(window_, page);
        return;
    }
    for (HWND each : pages_)
        if (each != nullptr)
            PropSheet_UnChanged(window_, each);
}

} // namespace ruva::win32
