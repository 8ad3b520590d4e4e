#include "WinPageControls.h"

#include "Resource.h"
#include "WinText.h"

namespace ruva::win32 {

namespace {

WPARAM ButtonState(CheckState state) {
    switch (state) {
    case CheckState::Checked:
        return BST_CHECKED;
    case CheckState::Unchecked:
        return BST_UNCHECKED;
    case CheckState::Indeterminate:
        break;
    }
    return BST_INDETERMINATE;
}

CheckState FromButtonState(LRESULT state) {
    switch (state) {
    case BST_CHECKED:
        return CheckState::Checked;
    case BST_UNCHECKED:
        return CheckState::Unchecked;
    default:
        return CheckState::Indeterminate;
    }
}

} // namespace

int WinPageControls::Id(std::size_t field, std::size_t box) const {
    const FieldControl& control = fields_[field];
    const int id = ControlId(control.Name);
    return control.Kind == ControlKind::Bits ? id + static_cast<int>(control.Boxes[box].Bit) : id;
}

HWND WinPageControls::Control(std::size_t field, std::size_t box) const {
    return GetDlgItem(page_, Id(field, box));
}

void WinPageControls::ShowTexts(std::span<const LiPageButtonControl> buttons) const {
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const FieldControl& field = fields_[i];
        switch (field.Kind) {
        case ControlKind::List: {
            HWND list = Control(i);
            SendMessageW(list, CB_RESETCONTENT, 0, 0);
            for (const ValueItem& item : field.Values->Items)
                SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(item.Label).c_str()));
            SetItemText(page_, LabelId(field.Name), field.Label);
            break;
        }
        case ControlKind::Check:
            win32::SetText(Control(i), field.Label);
            break;
        case ControlKind::Number:
        case ControlKind::Address:
            SetItemText(page_, LabelId(field.Name), field.Label);
            break;
        case ControlKind::Bits:
            SetItemText(page_, LabelId(field.Name), field.Label);
            for (std::size_t box = 0; box < field.Boxes.size(); ++box)
                win32::SetText(Control(i, box), field.Boxes[box].Label);
            break;
        }
    }
    for (const LiPageButtonControl& button : buttons)
        SetItemText(page_, ControlId(button.Name), button.Label);
}

void WinPageControls::SelectItem(std::size_t field, int position) {
    SendMessageW(Control(field), CB_SETCURSEL, static_cast<WPARAM>(position), 0);
}

int WinPageControls::SelectedItem(std::size_t field) const {
    const LRESULT position = SendMessageW(Control(field), CB_GETCURSEL, 0, 0);
    return position == CB_ERR ? -1 : static_cast<int>(position);
}

void WinPageControls::SetCheck(std::size_t field, std::size_t box, CheckState state) {
    SendMessageW(Control(field, box), BM_SETCHECK, ButtonState(state), 0);
}

CheckState WinPageControls::Check(std::size_t field, std::size_t box) const {
    return FromButtonState(SendMessageW(Control(field, box), BM_GETCHECK, 0, 0));
}

void WinPageControls::SetText(std::size_t field, std::string_view text) {
    win32::SetText(Control(field), text);
}

std::string WinPageControls::Text(std::size_t field) const {
    return win32::Text(Control(field));
}

void WinPageControls::FocusEntry(std::size_t field) {
    HWND edit = Control(field);
    SendMessageW(page_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edit), TRUE);
    SendMessageW(edit, EM_SETSEL, 0, -1);
}

bool WinPageControls::Click(int id) {
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const std::size_t boxes = fields_[i].Kind == ControlKind::Check  ? 1
                                  : fields_[i].Kind == ControlKind::Bits ? fields_[i].Boxes.size()
                                                                         : 0;
        for (std::size_t box = 0; box < boxes; ++box) {
            if (Id(i, box) == id) {
                SetCheck(i, box, ClickedState(Check(i, box)));
                return true;
            }
        }
    }
    return false;
}

} // namespace ruva::win32
