#include "OBrdPropertyPgE1.h"

#include "ui_OBrdPropertyPgE1.h"

namespace ruva {

OBrdPropertyPgE1::OBrdPropertyPgE1(BrdPropertyPgE1Model& model, QWidget* parent)
    : OBrdPropertyPage(model, parent), model_(model) {
    Ui::OBrdPropertyPgE1 form;
    form.setupUi(this);
    BindControls();
}

} // namespace ruva
