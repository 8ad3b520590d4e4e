#pragma once
// The tables of the board properties sheet's pages: the fields of the E1 Mode, T1 Mode and General pages
// and the buttons of the E1 Mode and T1 Mode pages, each in the order its page shows them. The fields of
// an E1 or T1 page are made from the block's catalogue (Fields.h) and carry the names of its settings.
// Every front end binds its controls to these entries by name.

#include "PageControls.h"

#include <span>

namespace ruva {

// The buttons of the E1 Mode and T1 Mode pages (the General page has none).
enum class LiPageButton { CopyFromOtherLi, DefaultValues };
using LiPageButtonControl = PageButtonControl<LiPageButton>;

std::span<const FieldControl> BrdPropertyPgE1Fields();
std::span<const FieldControl> BrdPropertyPgT1Fields();
std::span<const FieldControl> BrdPropertyPgGeneralFields();

// The setting behind each field of the E1 Mode, T1 Mode and General page, in page order.
std::span<const E1Field* const> BrdPropertyPgE1Settings();
std::span<const T1Field* const> BrdPropertyPgT1Settings();
std::span<const GeneralField* const> BrdPropertyPgGeneralSettings();

std::span<const LiPageButtonControl> BrdPropertyPgE1Buttons();
std::span<const LiPageButtonControl> BrdPropertyPgT1Buttons();

} // namespace ruva
