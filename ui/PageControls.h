#pragma once
// Showing setting values in the controls of a property page and reading them back. A value that a
// control cannot show (a code read from a board that has no list item, a flag that is neither 0 nor 1,
// bits without a check box) is kept until the user changes that control.

#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QWidget;

namespace ruva {

class Prompts;
struct ValueSet;

// Fills a list with the labels of a value set, in the set's order.
void FillList(QComboBox& list, const ValueSet& values);
// Selects the item for `code`; a code without an item leaves the list with no selection.
void ShowCode(QComboBox& list, const ValueSet& values, int code);
// The code of the selected item; empty while nothing is selected.
std::optional<std::int16_t> SelectedCode(const QComboBox& list, const ValueSet& values);

// Checked for 1, unchecked for 0, partially checked for any other value. The owning page clears the
// third state when the user clicks the box (OBrdPropertyPage::WatchChanges).
void ShowFlag(QCheckBox& box, int value);
// 1 when checked, 0 when unchecked, empty while the box is partially checked.
std::optional<std::int16_t> FlagValue(const QCheckBox& box);

// The check boxes of one bit field, found on a page by their object names "<field>_<bit>".
class BitBoxes {
public:
    BitBoxes() = default;
    BitBoxes(const QWidget& page, std::string_view field);

    bool Empty() const { return boxes_.empty(); }
    void Show(std::uint32_t value) const;
    // The field rebuilt from the boxes; bits that have no box keep their value in `old`.
    std::uint32_t Value(std::uint32_t old) const;

private:
    std::vector<std::pair<QCheckBox*, unsigned>> boxes_;
};

// Widens a push button of a page so that its text has about a line's height of room on either side.
void GiveTextRoom(QAbstractButton& button);

// Shows `message`, then gives the field the focus with its text selected.
void RefuseEntry(QLineEdit& edit, std::string_view message, Prompts& prompts);

// A whole number from 0 to `max` read from an edit field; otherwise the entry is refused with "Please
// enter an integer." (no whole number) or the message for the range, and the result is empty.
std::optional<std::uint32_t> ReadNumber(QLineEdit& edit, std::uint32_t max, Prompts& prompts);

} // namespace ruva
