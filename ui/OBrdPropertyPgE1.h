#pragma once
// The E1 Mode page of one line interface.

#include "BrdPropertySheetModel.h"
#include "OBrdPropertyPage.h"

namespace ruva {

class OBrdPropertyPgE1 : public OBrdPropertyPage {
    Q_OBJECT

public:
    OBrdPropertyPgE1(BrdPropertyPgE1Model& model, QWidget* parent = nullptr);

    int LineInterface() const { return model_.LineInterface(); }
    // The page's copy of its block.
    E1Settings& Settings() const { return model_.Settings(); }

private:
    BrdPropertyPgE1Model& model_;
};

} // namespace ruva
