#include "OBrdPropertyPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

namespace ruva {

void OBrdPropertyPage::WatchChanges() {
    for (QComboBox* list : findChildren<QComboBox*>())
        connect(list, &QComboBox::activated, this, &OBrdPropertyPage::Changed);
    for (QLineEdit* edit : findChildren<QLineEdit*>())
        connect(edit, &QLineEdit::textEdited, this, &OBrdPropertyPage::Changed);
    for (QCheckBox* box : findChildren<QCheckBox*>()) {
        connect(box, &QCheckBox::clicked, this, [this, box] {
            box->setTristate(false);
            emit Changed();
        });
    }
}

} // namespace ruva
