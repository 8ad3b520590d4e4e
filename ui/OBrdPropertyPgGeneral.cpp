#include "OBrdPropertyPgGeneral.h"

#include "ui_OBrdPropertyPgGeneral.h"

namespace ruva {

OBrdPropertyPgGeneral::OBrdPropertyPgGeneral(BrdPropertyPgGeneralModel& model, QWidget* parent)
    : OBrdPropertyPage(model, parent), model_(model) {
    Ui::OBrdPropertyPgGeneral form;
    form.setupUi(this);
    BindControls();
}

} // namespace ruva
