#pragma once
// The tables of the pages and dialogs: the fields of the board properties sheet's E1 Mode, T1 Mode and
// General pages, made from the catalogue of settings (Fields.h) and named after its settings, the
// buttons of every page and the rows of the information dialogs, each in the order its page shows them.
// Every front end binds its controls to these entries by name.

#include "PageControls.h"

#include <span>
#include <vector>

namespace ruva {

// A page's fields in row order, each with the setting of the catalogue behind it.
template <typename Block>
struct SettingsPage {
    std::vector<const FieldInfo<Block>*> Settings;
    std::vector<FieldControl> Controls;
};

const SettingsPage<E1Settings>& BrdPropertyPgE1();
const SettingsPage<T1Settings>& BrdPropertyPgT1();
const SettingsPage<BoardConfig>& BrdPropertyPgGeneral();

// The buttons of the E1 Mode and T1 Mode pages (the General page has none).
enum class LiPageButton { CopyFromOtherLi, DefaultValues };
using LiPageButtonControl = PageButtonControl<LiPageButton>;

std::span<const LiPageButtonControl> BrdPropertyPgE1Buttons();
std::span<const LiPageButtonControl> BrdPropertyPgT1Buttons();

enum class MainPropertyPgBrdButton {
    Resources,
    SerialNo,
    Diagnostics,
    LpuBoot,
    LoadFromFile,   // a configuration file into memory
    SaveToFile,     // memory into a configuration file
    EditProperties, // the board properties sheet on memory
    LoadFromBoard,  // the board into memory
    SaveToBoard,    // memory onto the board
};
using MainPropertyPgBrdButtonControl = PageButtonControl<MainPropertyPgBrdButton>;

// A board page's buttons in the order of its form.
std::span<const MainPropertyPgBrdButtonControl> MainPropertyPgBrdButtons();

// The buttons of the About page (the sheet's first page, with the program's version).
enum class MainPropertyPgAboutButton { Resources };
using MainPropertyPgAboutButtonControl = PageButtonControl<MainPropertyPgAboutButton>;

// The About page's buttons in the order of its form.
std::span<const MainPropertyPgAboutButtonControl> MainPropertyPgAboutButtons();

enum class InfoDialogKind {
    MainResources, // "Board Communication Parameters" of the About page
    BrdResources,  // "Board Communication Parameters" of a board page
    BrdSerialNo,   // "Serial Numbers and Revisions"
};

// A row of an information dialog: its read-only edit box "<Name>", labelled by "<Name>Label".
struct InfoRow {
    std::string_view Name;
    std::string_view Label;
};

// The rows of a dialog, top to bottom.
std::span<const InfoRow> InfoDialogRows(InfoDialogKind kind);

} // namespace ruva
