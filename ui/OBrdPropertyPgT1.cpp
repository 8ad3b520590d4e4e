#include "OBrdPropertyPgT1.h"

#include "ui_OBrdPropertyPgT1.h"

namespace ruva {

OBrdPropertyPgT1::OBrdPropertyPgT1(StoredConfig& copies, int li, Prompts& prompts, QWidget* parent)
    : OBrdPropertyPgLi(copies, li, prompts, parent) {
    Ui::OBrdPropertyPgT1 form;
    form.setupUi(this);
    BindControls(*form.CopyFromOtherLi, *form.DefaultValues);
}

} // namespace ruva
