#pragma once
// The tables of the board properties sheet's pages: the fields of the E1 Mode, T1 Mode and General pages
// and the buttons of the E1 Mode and T1 Mode pages, each in the order its page shows them. The fields of
// an E1 or T1 page are made from the block's catalogue (Fields.h) and carry the names of its settings.
// Every front end binds its controls to these entries by name.

#include "PageControls.h"

#include <span>
#include <vector>

namespace ruva {

// The buttons of the E1 Mode and T1 Mode pages (the General page has none).
enum class LiPageButton { CopyFromOtherLi, DefaultValues };
using LiPageButtonControl = PageButtonControl<LiPageButton>;

// A page's fields in row order, each with the setting of the catalogue behind it.
template <typename Block>
struct SettingsPage {
    std::vector<const FieldInfo<Block>*> Settings;
    std::vector<FieldControl> Controls;
};

const SettingsPage<E1Settings>& BrdPropertyPgE1();
const SettingsPage<T1Settings>& BrdPropertyPgT1();
const SettingsPage<BoardConfig>& BrdPropertyPgGeneral();

std::span<const LiPageButtonControl> BrdPropertyPgE1Buttons();
std::span<const LiPageButtonControl> BrdPropertyPgT1Buttons();

} // namespace ruva
