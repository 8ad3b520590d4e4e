#pragma once
// The E1 Mode page of one line interface.

#include "OBrdPropertyPgLi.h"

namespace ruva {

class OBrdPropertyPgE1 : public OBrdPropertyPgLi<E1Settings> {
    Q_OBJECT

public:
    OBrdPropertyPgE1(StoredConfig& copies, int li, Prompts& prompts, QWidget* parent = nullptr);
};

} // namespace ruva
