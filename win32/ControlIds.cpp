#include "Resource.h"

namespace ruva::win32 {

namespace {

struct NamedControl {
    std::string_view Name;
    int Id;
    int LabelId;
};

constexpr NamedControl kNamedControls[] = {RUVA_NAMED_CONTROLS};

const NamedControl* Find(std::string_view name) {
    for (const NamedControl& control : kNamedControls)
        if (control.Name == name)
            return &control;
    return nullptr;
}

} // namespace

int ControlId(std::string_view name) {
    const NamedControl* control = Find(name);
    return control ? control->Id : 0;
}

int LabelId(std::string_view name) {
    const NamedControl* control = Find(name);
    return control ? control->LabelId : 0;
}

} // namespace ruva::win32
