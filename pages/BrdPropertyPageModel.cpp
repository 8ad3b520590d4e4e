#include "BrdPropertyPageModel.h"

#include "Prompts.h"

#include <string>
#include <vector>

namespace ruva {

void BrdPropertyPageModel::LoadControls(PageControls& controls) const {
    const auto fields = Fields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const FieldControl& field = fields[i];
        const std::int64_t value = Get(i);
        switch (field.Kind) {
        case ControlKind::List:
            controls.SelectItem(i, ListPosition(*field.Values, value));
            break;
        case ControlKind::Check:
            controls.SetCheck(i, 0, FlagState(value));
            break;
        case ControlKind::Number:
        case ControlKind::Address:
            controls.SetText(i, EntryText(field, value));
            break;
        case ControlKind::Bits:
            for (std::size_t box = 0; box < field.Boxes.size(); ++box) {
                const bool set = field.Boxes[box].Bit < 32 && ((value >> field.Boxes[box].Bit) & 1) != 0;
                controls.SetCheck(i, box, set ? CheckState::Checked : CheckState::Unchecked);
            }
            break;
        }
    }
}

bool BrdPropertyPageModel::StoreControls(PageControls& controls, Prompts& prompts) {
    const auto fields = Fields();
    // Every entry is checked, in table order, before anything is stored. An entry that still shows the
    // copy's value is that value, kept as it is (like a code that a list has no item for): only what the
    // user typed is checked.
    std::vector<std::uint32_t> entries(fields.size());
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].Kind != ControlKind::Number && fields[i].Kind != ControlKind::Address)
            continue;
        const std::string text = controls.Text(i);
        if (text == EntryText(fields[i], Get(i))) {
            entries[i] = static_cast<std::uint32_t>(Get(i));
            continue;
        }
        const NumberEntry entry = ReadEntry(fields[i], text);
        if (!entry.Value) {
            prompts.ShowMessage(entry.Refusal, MessageIcon::Stop);
            controls.FocusEntry(i);
            return false;
        }
        entries[i] = *entry.Value;
    }

    for (std::size_t i = 0; i < fields.size(); ++i) {
        const FieldControl& field = fields[i];
        switch (field.Kind) {
        case ControlKind::List:
            if (const auto code = ListCode(*field.Values, controls.SelectedItem(i)))
                Set(i, *code);
            break;
        case ControlKind::Check:
            if (const auto flag = FlagValue(controls.Check(i, 0)))
                Set(i, *flag);
            break;
        case ControlKind::Number:
        case ControlKind::Address:
            Set(i, entries[i]);
            break;
        case ControlKind::Bits: {
            std::vector<CheckState> states(field.Boxes.size());
            for (std::size_t box = 0; box < field.Boxes.size(); ++box)
                states[box] = controls.Check(i, box);
            Set(i, BitsValue(field.Boxes, states, static_cast<std::uint32_t>(Get(i))));
            break;
        }
        }
    }
    return true;
}

void BrdPropertyPageModel::Press(LiPageButton, PageControls&) {}

} // namespace ruva
