#pragma once
// The tables of the board properties sheet's pages: the fields of the E1 Mode, T1 Mode and General pages
// and the buttons of the E1 Mode and T1 Mode pages, each in the order its page shows them. A field of an
// E1 or T1 page carries the name of its field in the block. Every front end binds its controls to these
// entries by name.

#include "PageControls.h"

#include <span>

namespace ruva {

// The buttons of the E1 Mode and T1 Mode pages (the General page has none).
enum class LiPageButton { CopyFromOtherLi, DefaultValues };
using LiPageButtonControl = PageButtonControl<LiPageButton>;

std::span<const FieldControl> BrdPropertyPgE1Fields();
std::span<const FieldControl> BrdPropertyPgT1Fields();
std::span<const FieldControl> BrdPropertyPgGeneralFields();

std::span<const LiPageButtonControl> BrdPropertyPgE1Buttons();
std::span<const LiPageButtonControl> BrdPropertyPgT1Buttons();

} // namespace ruva
