#include "OBrdPropertyPgE1.h"

#include "ui_OBrdPropertyPgE1.h"

namespace ruva {

OBrdPropertyPgE1::OBrdPropertyPgE1(StoredConfig& copies, int li, Prompts& prompts, QWidget* parent)
    : OBrdPropertyPgLi(copies, li, prompts, parent) {
    Ui::OBrdPropertyPgE1 form;
    form.setupUi(this);
    BindControls(*form.CopyFromOtherLi, *form.DefaultValues);
}

} // namespace ruva
