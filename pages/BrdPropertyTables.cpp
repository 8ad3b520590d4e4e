#include "BrdPropertyTables.h"

#include "BoardConfig.h"
#include "Texts.h"

#include <algorithm>
#include <vector>

namespace ruva {

namespace {

namespace t = texts;

constexpr FieldControl List(std::string_view name, std::string_view label, const ValueSet& values) {
    return {name, label, ControlKind::List, &values};
}
constexpr FieldControl Address(std::string_view name, std::string_view label, std::uint32_t min,
                               std::string_view rangeRefusal) {
    return {name, label, ControlKind::Address, nullptr, min, 0xFFFFFFFF, rangeRefusal};
}

// A block's page: its settings in row order and the control of each.
template <typename Block>
struct LiPage {
    std::vector<const FieldInfo<Block>*> Settings;
    std::vector<FieldControl> Controls;

    explicit LiPage(std::span<const FieldInfo<Block>> fields) {
        for (const FieldInfo<Block>& field : fields)
            Settings.push_back(&field);
        std::ranges::sort(Settings, {}, [](const FieldInfo<Block>* f) { return f->Page.Row; });
        for (const FieldInfo<Block>* f : Settings) {
            const PagePlace& place = f->Page;
            const bool list = place.Kind == ControlKind::List;
            const bool number = place.Kind == ControlKind::Number;
            Controls.push_back({f->Key, place.Label, place.Kind, list ? f->Values : nullptr, 0,
                                number ? f->Max : 0, place.Refusal, place.Boxes});
        }
    }
};

const LiPage<E1Settings>& E1Page() {
    static const LiPage<E1Settings> page(E1Fields());
    return page;
}

const LiPage<T1Settings>& T1Page() {
    static const LiPage<T1Settings> page(T1Fields());
    return page;
}

const FieldControl kGeneralPage[] = {
    List("ClockSource", "Clock Source:", ClockSourceCode),
    // The address that a configuration file may hold, so that a save to a file is not refused.
    Address("HdlcStartAddress", "HDLC Controller Start Addr:", GeneralSettings::LowestHdlcStartAddress,
            t::HdlcStartAddressTooLow),
    List("Li0DefaultMode", "Li0 Default Mode:", LiMode),
    List("Li1DefaultMode", "Li1 Default Mode:", LiMode),
};

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
    return E1Page().Controls;
}

std::span<const FieldControl> BrdPropertyPgT1Fields() {
    return T1Page().Controls;
}

std::span<const E1Field* const> BrdPropertyPgE1Settings() {
    return E1Page().Settings;
}

std::span<const T1Field* const> BrdPropertyPgT1Settings() {
    return T1Page().Settings;
}

std::span<const FieldControl> BrdPropertyPgGeneralFields() {
    return kGeneralPage;
}

std::span<const LiPageButtonControl> BrdPropertyPgE1Buttons() {
    return kE1Buttons;
}

std::span<const LiPageButtonControl> BrdPropertyPgT1Buttons() {
    return kT1Buttons;
}

} // namespace ruva
