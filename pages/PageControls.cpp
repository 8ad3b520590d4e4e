#include "PageControls.h"

#include "MessageFormat.h"
#include "NumberText.h"
#include "Texts.h"

#include <string>

namespace ruva {

int ListPosition(const ValueSet& values, std::int64_t code) {
    return values.PositionOf(static_cast<int>(code));
}

std::optional<std::int16_t> ListCode(const ValueSet& values, int position) {
    if (position < 0 || static_cast<std::size_t>(position) >= values.Items.size())
        return std::nullopt;
    return values.Items[static_cast<std::size_t>(position)].Code;
}

CheckState FlagState(std::int64_t value) {
    return value == 1 ? CheckState::Checked : value == 0 ? CheckState::Unchecked : CheckState::Indeterminate;
}

std::optional<std::int16_t> FlagValue(CheckState state) {
    switch (state) {
    case CheckState::Checked:
        return std::int16_t{1};
    case CheckState::Unchecked:
        return std::int16_t{0};
    case CheckState::Indeterminate:
        break;
    }
    return std::nullopt;
}

CheckState ClickedState(CheckState state) {
    return state == CheckState::Checked ? CheckState::Unchecked : CheckState::Checked;
}

std::uint32_t BitsValue(std::span<const BitBox> boxes, std::span<const CheckState> states,
                        std::uint32_t old) {
    std::uint32_t value = old;
    for (std::size_t i = 0; i < boxes.size() && i < states.size(); ++i) {
        if (boxes[i].Bit >= 32)
            continue;
        const std::uint32_t mask = std::uint32_t{1} << boxes[i].Bit;
        value = states[i] == CheckState::Checked ? (value | mask) : (value & ~mask);
    }
    return value;
}

NumberEntry ReadEntry(const FieldControl& field, std::string_view text) {
    std::optional<std::int64_t> number;
    if (field.Kind != ControlKind::Address)
        number = ParseWholeNumber(text);
    else if (const auto address = ParseAddress(text))
        number = *address;
    if (!number)
        return {std::nullopt, texts::EnterInteger};
    if (*number < static_cast<std::int64_t>(field.Min) || *number > static_cast<std::int64_t>(field.Max))
        return {std::nullopt, field.RangeRefusal.empty() ? texts::EnterInteger : field.RangeRefusal};
    return {static_cast<std::uint32_t>(*number), {}};
}

std::string EntryText(const FieldControl& field, std::int64_t value) {
    if (field.Kind == ControlKind::Address)
        return FormatText("0x%1!X!", {static_cast<std::uint32_t>(value)});
    return std::to_string(value);
}

} // namespace ruva
