#pragma once
// The T1 Mode page of one line interface.

#include "OBrdPropertyPage.h"

namespace ruva {

class OBrdPropertyPgT1 : public OBrdPropertyPage {
    Q_OBJECT

public:
    OBrdPropertyPgT1(T1PageModel& model, QWidget* parent = nullptr);

    int LineInterface() const { return model_.LineInterface(); }
    // The page's copy of its block.
    T1Settings& Settings() const { return model_.Settings(); }

private:
    T1PageModel& model_;
};

} // namespace ruva
