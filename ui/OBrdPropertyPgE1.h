#pragma once
// The E1 Mode page of one line interface.

#include "OBrdPropertyPage.h"

namespace ruva {

class OBrdPropertyPgE1 : public OBrdPropertyPage {
    Q_OBJECT

public:
    OBrdPropertyPgE1(E1PageModel& model, QWidget* parent = nullptr);

    int LineInterface() const { return model_.LineInterface(); }
    // The page's copy of its block.
    E1Settings& Settings() const { return model_.Settings(); }

private:
    E1PageModel& model_;
};

} // namespace ruva
