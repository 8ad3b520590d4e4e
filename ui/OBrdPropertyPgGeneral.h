#pragma once
// The General page: clock source, HDLC controller start address and the default mode of each line
// interface.

#include "BoardConfig.h"
#include "OBrdPropertyPage.h"

#include <memory>

namespace Ui {
class OBrdPropertyPgGeneral;
}

namespace ruva {

class Prompts;

class OBrdPropertyPgGeneral : public OBrdPropertyPage {
    Q_OBJECT

public:
    // The page edits `copy` in place.
    OBrdPropertyPgGeneral(GeneralSettings& copy, Prompts& prompts, QWidget* parent = nullptr);
    ~OBrdPropertyPgGeneral() override;

    GeneralSettings& Settings() { return copy_; }

    void LoadControls() override;
    // Refuses a start address that is no number or does not fit in 32 bits.
    bool StoreControls() override;

private:
    std::unique_ptr<Ui::OBrdPropertyPgGeneral> form_;
    GeneralSettings& copy_;
    Prompts& prompts_;
};

} // namespace ruva
