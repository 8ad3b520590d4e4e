#pragma once
// The T1 Mode page of one line interface.

#include "OBrdPropertyPgLi.h"

namespace ruva {

class OBrdPropertyPgT1 : public OBrdPropertyPgLi<T1Settings> {
    Q_OBJECT

public:
    OBrdPropertyPgT1(StoredConfig& copies, int li, Prompts& prompts, QWidget* parent = nullptr);
};

} // namespace ruva
