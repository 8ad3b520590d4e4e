#include "WinInfoDialog.h"

#include "Resource.h"
#include "Texts.h"
#include "WinText.h"

namespace ruva::win32 {

namespace {

struct InfoDialogStart {
    const InfoDialogContent* Content;
    SheetMode Mode;
};

int TemplateOf(InfoDialogKind kind) {
    switch (kind) {
    case InfoDialogKind::MainResources:
        return IDD_MAIN_RESOURCES;
    case InfoDialogKind::BrdResources:
        return IDD_BRD_RESOURCES;
    case InfoDialogKind::BrdSerialNo:
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
        for (const InfoField& field : content.Fields) {
            SetItemText(dialog, LabelId(field.Name), field.Label);
            SetItemText(dialog, ControlId(field.Name), field.Value);
        }
        SetItemText(dialog, IDOK, texts::InfoDialogButton);
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
