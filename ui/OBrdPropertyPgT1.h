#pragma once
// The T1 Mode page of one line interface.

#include "BrdPropertySheetModel.h"
#include "OBrdPropertyPage.h"

namespace ruva {

class OBrdPropertyPgT1 : public OBrdPropertyPage {
    Q_OBJECT

public:
    OBrdPropertyPgT1(BrdPropertyPgT1Model& model, QWidget* parent = nullptr);

    int LineInterface() const { return model_.LineInterface(); }
    // The page's copy of its block.
    T1Settings& Settings() const { return model_.Settings(); }

private:
    BrdPropertyPgT1Model& model_;
};

} // namespace ruva
