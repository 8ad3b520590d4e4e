#include "PageTables.h"

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

constexpr MainPropertyPgBrdButtonControl kBoardPageButtons[] = {
    {MainPropertyPgBrdButton::Resources, "Resources", "&Resources"},
    {MainPropertyPgBrdButton::SerialNo, "SerialNo", "&Serial No"},
    {MainPropertyPgBrdButton::Diagnostics, "Diagnostics", "&Diagnostics"},
    {MainPropertyPgBrdButton::LpuBoot, "LpuBoot", "LPU &BOOT"},
    {MainPropertyPgBrdButton::LoadFromFile, "LoadFromFile", "Load -->"},
    {MainPropertyPgBrdButton::SaveToFile, "SaveToFile", "<-- Save"},
    {MainPropertyPgBrdButton::EditProperties, "EditProperties", "    Edit\nP&roperties"},
    {MainPropertyPgBrdButton::LoadFromBoard, "LoadFromBoard", "<-- Load"},
    {MainPropertyPgBrdButton::SaveToBoard, "SaveToBoard", "Save -->"},
};

// Resources has the text of the board pages' button that shows a board's own parameters.
constexpr MainPropertyPgAboutButtonControl kAboutPageButtons[] = {
    {MainPropertyPgAboutButton::Resources, "Resources", kBoardPageButtons[0].Label},
};

constexpr InfoRow kMainResourcesRows[] = {
    {"Irq", "Irq:"},
    {"IoBaseAddress", "Io Base Address:"},
    {"NumberOfBoards", "No of boards:"},
    {"InfoBufferSize", "Info Buffer Size:"},
};
constexpr InfoRow kBrdResourcesRows[] = {
    {"DramSize", "Board DRAM Size:"},
    {"HostMemoryWindowOffset", "Host Memory Window Offset:"},
    {"HostMemoryWindowSize", "Host Memory Window Size:"},
    {"HostIoWindowOffset", "Host IO Window Offset:"},
    {"HostIoWindowSize", "Host IO Window Size:"},
};
constexpr InfoRow kBrdSerialNoRows[] = {
    {"SerialNumber", "Board Serial No"},
    {"BarRevision", "BAR Revision"},
    {"LadRevision", "LAD Revision"},
    {"SadRevision", "SAD Revision"},
    {"MadRevision", "MAD Revision"},
    {"RscRevision", "RSC Revision"},
    {"BootstrapRevision", "Bootstrap Revision"},
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

std::span<const MainPropertyPgBrdButtonControl> MainPropertyPgBrdButtons() {
    return kBoardPageButtons;
}

std::span<const MainPropertyPgAboutButtonControl> MainPropertyPgAboutButtons() {
    return kAboutPageButtons;
}

std::span<const InfoRow> InfoDialogRows(InfoDialogKind kind) {
    switch (kind) {
    case InfoDialogKind::MainResources:
        return kMainResourcesRows;
    case InfoDialogKind::BrdResources:
        return kBrdResourcesRows;
    case InfoDialogKind::BrdSerialNo:
        break;
    }
    return kBrdSerialNoRows;
}

} // namespace ruva
