#pragma once
// What the E1 Mode and T1 Mode pages share: a page for one block (E1Settings or T1Settings) of one line
// interface. Its controls are found by object name, one per field of the block's field table: a list
// or a check box for an enumerated field, an edit field for a number, and check boxes named
// "<field>_<bit>" for a bit field.

#include "BoardConfig.h"
#include "Fields.h"
#include "OBrdPropertyPage.h"
#include "PageControls.h"

#include <vector>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLineEdit;

namespace ruva {

class Prompts;

template <typename Block>
class OBrdPropertyPgLi : public OBrdPropertyPage {
public:
    int LineInterface() const { return li_; }
    // The page's copy of its block.
    Block& Settings();

    void LoadControls() override;
    bool StoreControls() override;

    // Replaces the page's copy with the other line interface's copy, as that page last stored it.
    void CopyFromOtherLi();
    // Replaces the page's copy with the block's default values.
    void SetDefaultValues();

protected:
    // The copies of both line interfaces live in `copies`, shared with the other line interface's page.
    OBrdPropertyPgLi(StoredConfig& copies, int li, Prompts& prompts, QWidget* parent);

    // Finds the controls of the page's form and connects its two buttons; called once the form is set up.
    void BindControls(QAbstractButton& copyFromOtherLi, QAbstractButton& defaultValues);

private:
    struct Control {
        const FieldInfo<Block>* Field = nullptr;
        QComboBox* List = nullptr;
        QCheckBox* Check = nullptr;
        QLineEdit* Edit = nullptr;
        BitBoxes Bits;
    };

    StoredConfig& copies_;
    int li_;
    Prompts& prompts_;
    std::vector<Control> controls_;
};

extern template class OBrdPropertyPgLi<E1Settings>;
extern template class OBrdPropertyPgLi<T1Settings>;

} // namespace ruva
