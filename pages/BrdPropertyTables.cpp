#include "BrdPropertyTables.h"

#include <algorithm>
#include <vector>

namespace ruva {

namespace {

// A page: its settings in row order and the control of each.
template <typename Block>
struct SettingsPage {
    std::vector<const FieldInfo<Block>*> Settings;
    std::vector<FieldControl> Controls;

    explicit SettingsPage(std::span<const FieldInfo<Block>> fields) {
        for (const FieldInfo<Block>& field : fields)
            Settings.push_back(&field);
        std::ranges::sort(Settings, {}, [](const FieldInfo<Block>* f) { return f->Page.Row; });
        for (const FieldInfo<Block>* f : Settings) {
            const PagePlace& place = f->Page;
            const bool list = place.Kind == ControlKind::List;
            const bool entry = place.Kind == ControlKind::Number || place.Kind == ControlKind::Address;
            Controls.push_back({f->Key, place.Label, place.Kind, list ? f->Values : nullptr, place.Min,
                                entry ? f->Max : 0, place.Refusal, place.Boxes});
        }
    }
};

template <typename Block>
const SettingsPage<Block>& PageOf(std::span<const FieldInfo<Block>> (*fields)()) {
    static const SettingsPage<Block> page(fields());
    return page;
}

constexpr LiPageButtonControl kE1Buttons[] = {
    {LiPageButton::CopyFromOtherLi, "CopyFromOtherLi", "Copy From Other Li"},
    {LiPageButton::DefaultValues, "DefaultValues", "Default Values"},
};
constexpr LiPageButtonControl kT1Buttons[] = {
    {LiPageButton::CopyFromOtherLi, "CopyFromOtherLi", "Co&py From Other Li"},
    {LiPageButton::DefaultValues, "DefaultValues", "De&fault Values"},
};

} // namespace

std::span<const FieldControl> BrdPropertyPgE1Fields() {
    return PageOf(E1Fields).Controls;
}

std::span<const FieldControl> BrdPropertyPgT1Fields() {
    return PageOf(T1Fields).Controls;
}

std::span<const E1Field* const> BrdPropertyPgE1Settings() {
    return PageOf(E1Fields).Settings;
}

std::span<const T1Field* const> BrdPropertyPgT1Settings() {
    return PageOf(T1Fields).Settings;
}

std::span<const FieldControl> BrdPropertyPgGeneralFields() {
    return PageOf(GeneralFields).Controls;
}

std::span<const GeneralField* const> BrdPropertyPgGeneralSettings() {
    return PageOf(GeneralFields).Settings;
}

std::span<const LiPageButtonControl> BrdPropertyPgE1Buttons() {
    return kE1Buttons;
}

std::span<const LiPageButtonControl> BrdPropertyPgT1Buttons() {
    return kT1Buttons;
}

} // namespace ruva
