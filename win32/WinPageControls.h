#pragma once
// A settings page's controls in a dialog: each field of the page's table is found by the identifier
// that its name gives (Resource.h), so the page logic of pages/ works on the dialog's lists, edit fields
// and check boxes as it does on any other front end's.

#include "PageTables.h"
#include "PageControls.h"

#include <windows.h>

#include <span>

namespace ruva::win32 {

class WinPageControls : public PageControls {
public:
    WinPageControls(HWND page, std::span<const FieldControl> fields) : page_(page), fields_(fields) {}

    // Fills in the labels, the list items, the check boxes' and group boxes' titles and the page
    // buttons' texts from the tables.
    void ShowTexts(std::span<const LiPageButtonControl> buttons) const;

    void SelectItem(std::size_t field, int position) override;
    int SelectedItem(std::size_t field) const override;
    void SetCheck(std::size_t field, std::size_t box, CheckState state) override;
    CheckState Check(std::size_t field, std::size_t box) const override;
    void SetText(std::size_t field, std::string_view text) override;
    std::string Text(std::size_t field) const override;
    void FocusEntry(std::size_t field) override;

    // A click on a check box: its next state (the third state becomes checked, and from then on the box
    // toggles). False when `id` is no check box of the page.
    bool Click(int id);

private:
    int Id(std::size_t field, std::size_t box = 0) const;
    HWND Control(std::size_t field, std::size_t box = 0) const;

    HWND page_;
    std::span<const FieldControl> fields_;
};

} // namespace ruva::win32
