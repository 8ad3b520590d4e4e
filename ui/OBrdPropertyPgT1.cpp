#include "OBrdPropertyPgT1.h"

#include "ui_OBrdPropertyPgT1.h"

namespace ruva {

OBrdPropertyPgT1::OBrdPropertyPgT1(BrdPropertyPgT1Model& model, QWidget* parent)
    : OBrdPropertyPage(model, parent), model_(model) {
    Ui::OBrdPropertyPgT1 form;
    form.setupUi(this);
    BindControls();
}

} // namespace ruva
