#include "BrdPropertyTables.h"

#include <algorithm>

namespace ruva {

namespace {

template <typename Block>
SettingsPage<Block> MakePage(std::span<const FieldInfo<Block>> fields) {
    SettingsPage<Block> page;
    for (const FieldInfo<Block>& field : fields)
        page.Settings.push_back(&field);
    std::ranges::sort(page.Settings, {}, &FieldInfo<Block>::Row);
    for (const FieldInfo<Block>* f : page.Settings) {
        const PagePlace& place = f->Page;
        const bool list = place.Kind == ControlKind::List;
        const bool entry = place.Kind == ControlKind::Number || place.Kind == ControlKind::Address;
        page.Controls.push_back({f->Name, place.Label, place.Kind, list ? f->Values : nullptr,
                                 entry ? f->Min : 0, entry ? f->Max : 0, place.Refusal, place.Boxes});
    }
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

const SettingsPage<E1Settings>& BrdPropertyPgE1() {
    static const SettingsPage<E1Settings> page = MakePage(E1Fields());
    return page;
}

const SettingsPage<T1Settings>& BrdPropertyPgT1() {
    static const SettingsPage<T1Settings> page = MakePage(T1Fields());
    return page;
}

const SettingsPage<BoardConfig>& BrdPropertyPgGeneral() {
    static const SettingsPage<BoardConfig> page = MakePage(GeneralFields());
    return page;
}

std::span<const LiPageButtonControl> BrdPropertyPgE1Buttons() {
    return kE1Buttons;
}

std::span<const LiPageButtonControl> BrdPropertyPgT1Buttons() {
    return kT1Buttons;
}

} // namespace ruva
