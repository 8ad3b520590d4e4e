#include "InfoDialog.h"

#include "Resource.h"
#include "WinText.h"

namespace ruva::win32 {

namespace {

struct InfoDialogStart {
    const InfoDialogContent* Content;
    SheetMode Mode;
};

int TemplateOf(InfoDialogKind kind) {
    switch (kind) {
    case InfoDialogKind::SharedResources:
        return IDD_MAIN_RESOURCES;
    case InfoDialogKind::BoardResources:
        return IDD_BRD_RESOURCES;
    case InfoDialogKind::SerialNumbers:
        break;
    }
    return IDD_BRD_SERIAL_NO;
}

INT_PTR CALLBACK InfoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        const auto& start = *reinterpret_cast<const InfoDialogStart*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, start.Mode == SheetMode::Modeless);
        const InfoDialogContent& content = *start.Content;
        SetText(dialog, content.Title);
        SetItemText(dialog, IDC_INTRO, content.Intro);
        for (std::size_t i = 0; i < content.Fields.size(); ++i) {
            SetItemText(dialog, IDC_FIELD_LABEL(static_cast<int>(i)), content.Fields[i].Label);
            SetItemText(dialog, IDC_FIELD(static_cast<int>(i)), content.Fields[i].Value);
        }
        // The focus on OK, not on the first value with its text selected.
        SetFocus(GetDlgItem(dialog, IDOK));
        return FALSE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            if (GetWindowLongPtrW(dialog, DWLP_USER) != 0)
                DestroyWindow(dialog);
            else
                EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

HWND ShowInfoDialog(HWND owner, const InfoDialogContent& content, SheetMode mode) {
    const InfoDialogStart start{&content, mode};
    const auto lParam = reinterpret_cast<LPARAM>(&start);
    const auto* name = MAKEINTRESOURCEW(TemplateOf(content.Kind));
    if (mode == SheetMode::Modeless) {
        HWND dialog = CreateDialogParamW(Module(), name, owner, InfoDialogProc, lParam);
        ShowWindow(dialog, SW_SHOW);
        return dialog;
    }
    DialogBoxParamW(Module(), name, owner, InfoDialogProc, lParam);
    return nullptr;
}

} // namespace ruva::win32
