#pragma once
// The controls of a settings page as the page logic sees them, whatever draws them. A page is described
// by a table of fields; each field has one kind of control, named after the field so that a front end
// finds it in its form or dialog template:
//
//   List    a drop-down list "<Name>" of the field's value set, labelled by "<Name>Label"
//   Check   a check box "<Name>", checked for 1, unchecked for 0
//   Number  an edit field "<Name>" holding a whole decimal number, labelled by "<Name>Label"
//   Address an edit field "<Name>" holding an unsigned 32-bit number in any base, labelled by "<Name>Label"
//   Bits    check boxes "<Name>_<bit>", one per bit of the field, in a group box "<Name>Label"
//
// The rules of showing a stored value and reading it back live here, once: a list shows the item for the
// code (none for a code without an item), a check box shows 1 and 0 (and a third state for anything else),
// and a number is taken as typed or refused with the message the field names. A value that a control
// cannot show is kept until the user changes that control.

#include "Fields.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace ruva {

// A check box's state; Indeterminate shows a stored value other than 0 or 1.
enum class CheckState { Unchecked, Checked, Indeterminate };

struct FieldControl {
    std::string_view Name;  // the field's name and its control's name, e.g. "TransmitLineCode"
    std::string_view Label; // the label's text, the check box's text, or the bit group's title
    ControlKind Kind;
    const ValueSet* Values = nullptr;   // List: the items, in list order
    std::uint32_t Min = 0;              // Number, Address: the smallest value accepted
    std::uint32_t Max = 0;              // Number, Address: the largest value accepted
    std::string_view RangeRefusal = {}; // Number, Address: the message for a number outside Min..Max
    std::span<const BitBox> Boxes = {}; // Bits: the boxes, in the order the page shows them
};

// A push button of a page: what it does, the button's name in the page's form or dialog template (e.g.
// "LoadFromFile") and its text.
template <typename Button>
struct PageButtonControl {
    Button Id;
    std::string_view Name;
    std::string_view Label;
};

// The controls of one page, addressed by the index of their field in the page's table (and for a bit
// field by the index of the box in the field's Boxes). A front end implements this over its widgets or
// dialog controls; it only shows and reads.
class PageControls {
public:
    virtual ~PageControls() = default;

    // List: selects the item at `position`; -1 selects none.
    virtual void SelectItem(std::size_t field, int position) = 0;
    // List: the position of the selected item, or -1.
    virtual int SelectedItem(std::size_t field) const = 0;
    // Check (box 0) and Bits.
    virtual void SetCheck(std::size_t field, std::size_t box, CheckState state) = 0;
    virtual CheckState Check(std::size_t field, std::size_t box) const = 0;
    // Number and Address.
    virtual void SetText(std::size_t field, std::string_view text) = 0;
    virtual std::string Text(std::size_t field) const = 0;
    // After a refused entry: the field gets the focus with its text selected.
    virtual void FocusEntry(std::size_t field) = 0;
};

// List position of a code; -1 when the set has no item for it.
int ListPosition(const ValueSet& values, std::int64_t code);
// The code of the item at a list position; empty when no item is selected.
std::optional<std::int16_t> ListCode(const ValueSet& values, int position);

CheckState FlagState(std::int64_t value);
// 1 for checked, 0 for unchecked; empty for the third state, which keeps the stored value.
std::optional<std::int16_t> FlagValue(CheckState state);
// What a click makes of a check box: the third state becomes checked, and from then on the box only
// toggles between checked and unchecked.
CheckState ClickedState(CheckState state);

// A bit field rebuilt from the states of its boxes: each checked box sets its bit, any other clears it;
// bits without a box keep their value in `old`.
std::uint32_t BitsValue(std::span<const BitBox> boxes, std::span<const CheckState> states, std::uint32_t old);

// A typed number: its value, or the message that refuses it.
struct NumberEntry {
    std::optional<std::uint32_t> Value;
    std::string_view Refusal; // set when Value is empty
};

// Number: a whole decimal number, blanks around it and a sign allowed. Address: an unsigned 32-bit
// number with automatic base. "Please enter an integer." when the text is no such number, the field's
// RangeRefusal when it lies outside Min..Max.
NumberEntry ReadEntry(const FieldControl& field, std::string_view text);
// The text that shows a value in a Number (decimal) or Address ("0x" and upper-case hexadecimal) field.
std::string EntryText(const FieldControl& field, std::int64_t value);

} // namespace ruva
