#pragma once
// The General page: clock source, HDLC controller start address and the default mode of each line
// interface.

#include "BrdPropertySheetModel.h"
#include "OBrdPropertyPage.h"

namespace ruva {

class OBrdPropertyPgGeneral : public OBrdPropertyPage {
    Q_OBJECT

public:
    explicit OBrdPropertyPgGeneral(BrdPropertyPgGeneralModel& model, QWidget* parent = nullptr);

    // The page's copy of the general settings.
    GeneralSettings& Settings() const { return model_.Settings(); }

private:
    BrdPropertyPgGeneralModel& model_;
};

} // namespace ruva
