#pragma once
// A page of the board properties sheet in Qt: the controls of its form, bound by name to the fields and
// buttons of its page model. The page only shows and reads its controls; what they mean, and what is
// accepted, is the model's.

#include "BrdPropertyPageModel.h"
#include "PageControls.h"

#include <QWidget>

#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace ruva {

class OBrdPropertyPage : public QWidget, public PageControls {
    Q_OBJECT

public:
    void SelectItem(std::size_t field, int position) override;
    int SelectedItem(std::size_t field) const override;
    void SetCheck(std::size_t field, std::size_t box, CheckState state) override;
    CheckState Check(std::size_t field, std::size_t box) const override;
    void SetText(std::size_t field, std::string_view text) override;
    std::string Text(std::size_t field) const override;
    void FocusEntry(std::size_t field) override;

signals:
    // The user picked a list item, edited a field or clicked a check box.
    void Changed();
    // The user pressed one of the page's buttons.
    void ButtonPressed(ruva::LiPageButton button);

protected:
    OBrdPropertyPage(BrdPropertyPageModel& model, QWidget* parent);

    // Finds the controls of the page's form by the names in the model's tables, gives them their texts
    // and items, and watches them; called once the form is set up.
    void BindControls();

private:
    struct Control {
        QComboBox* List = nullptr;
        QCheckBox* Check = nullptr;
        QLineEdit* Edit = nullptr;
        std::vector<QCheckBox*> Boxes;
    };

    const Control& At(std::size_t field) const { return controls_.at(field); }

    BrdPropertyPageModel& model_;
    std::vector<Control> controls_;
    CheckState pressedState_ = CheckState::Unchecked; // of the check box last pressed
};

} // namespace ruva
