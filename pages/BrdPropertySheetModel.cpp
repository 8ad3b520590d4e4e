#include "BrdPropertySheetModel.h"

#include "Fields.h"
#include "MessageFormat.h"
#include "ModalWindows.h"
#include "Texts.h"

namespace ruva {

namespace {

namespace t = texts;

template <typename Block>
struct BlockKind;

template <>
struct BlockKind<E1Settings> {
    static constexpr LiBlock Kind = LiBlock::E1;
    static const SettingsPage<E1Settings>& Page() { return BrdPropertyPgE1(); }
    static std::span<const LiPageButtonControl> Buttons() { return BrdPropertyPgE1Buttons(); }
    static void SetDefaults(E1Settings& block) { SetE1Defaults(block); }
    static E1Settings& Of(LineInterfaceSettings& li) { return li.E1; }
};

template <>
struct BlockKind<T1Settings> {
    static constexpr LiBlock Kind = LiBlock::T1;
    static const SettingsPage<T1Settings>& Page() { return BrdPropertyPgT1(); }
    static std::span<const LiPageButtonControl> Buttons() { return BrdPropertyPgT1Buttons(); }
    static void SetDefaults(T1Settings& block) { SetT1Defaults(block); }
    static T1Settings& Of(LineInterfaceSettings& li) { return li.T1; }
};

} // namespace

template <typename Block>
BrdPropertyPgLiModel<Block>::BrdPropertyPgLiModel(StoredConfig& copies, int li)
    : copies_(copies), li_(li == 1 ? 1 : 0) {}

template <typename Block>
Block& BrdPropertyPgLiModel<Block>::Settings() {
    return BlockKind<Block>::Of(copies_.Li[static_cast<std::size_t>(li_)]);
}

template <typename Block>
const Block& BrdPropertyPgLiModel<Block>::Settings() const {
    return BlockKind<Block>::Of(copies_.Li[static_cast<std::size_t>(li_)]);
}

template <typename Block>
std::span<const FieldControl> BrdPropertyPgLiModel<Block>::Fields() const {
    return BlockKind<Block>::Page().Controls;
}

template <typename Block>
std::span<const LiPageButtonControl> BrdPropertyPgLiModel<Block>::Buttons() const {
    return BlockKind<Block>::Buttons();
}

template <typename Block>
void BrdPropertyPgLiModel<Block>::Press(LiPageButton button, PageControls& controls) {
    if (button == LiPageButton::CopyFromOtherLi)
        CopyOtherLi(copies_, li_, BlockKind<Block>::Kind);
    else
        BlockKind<Block>::SetDefaults(Settings());
    LoadControls(controls);
}

template <typename Block>
std::int64_t BrdPropertyPgLiModel<Block>::Get(std::size_t field) const {
    return BlockKind<Block>::Page().Settings[field]->Get(Settings());
}

template <typename Block>
void BrdPropertyPgLiModel<Block>::Set(std::size_t field, std::int64_t value) {
    BlockKind<Block>::Page().Settings[field]->Set(Settings(), value);
}

template class BrdPropertyPgLiModel<E1Settings>;
template class BrdPropertyPgLiModel<T1Settings>;

std::span<const FieldControl> BrdPropertyPgGeneralModel::Fields() const {
    return BrdPropertyPgGeneral().Controls;
}

std::int64_t BrdPropertyPgGeneralModel::Get(std::size_t field) const {
    return BrdPropertyPgGeneral().Settings[field]->Get(copy_);
}

void BrdPropertyPgGeneralModel::Set(std::size_t field, std::int64_t value) {
    BrdPropertyPgGeneral().Settings[field]->Set(copy_, value);
}

BrdPropertySheetModel::BrdPropertySheetModel(const BoardConfig& config, Prompts& prompts)
    : copies_(config), prompts_(prompts) {
    pages_[Li0E1] = std::make_unique<BrdPropertyPgE1Model>(copies_.Image, 0);
    pages_[Li0T1] = std::make_unique<BrdPropertyPgT1Model>(copies_.Image, 0);
    pages_[Li1E1] = std::make_unique<BrdPropertyPgE1Model>(copies_.Image, 1);
    pages_[Li1T1] = std::make_unique<BrdPropertyPgT1Model>(copies_.Image, 1);
    pages_[General] = std::make_unique<BrdPropertyPgGeneralModel>(copies_);
}

std::string_view BrdPropertySheetModel::Caption() {
    return t::SheetCaption;
}

std::string BrdPropertySheetModel::PageCaption(int index) {
    switch (index) {
    case Li0E1:
    case Li1E1:
        return FormatText(t::LiE1PageCaption, {index == Li0E1 ? 0 : 1});
    case Li0T1:
    case Li1T1:
        return FormatText(t::LiT1PageCaption, {index == Li0T1 ? 0 : 1});
    default:
        return std::string(t::GeneralPageCaption);
    }
}

BrdPropertyPageModel& BrdPropertySheetModel::Page(int index) const {
    return *pages_.at(static_cast<std::size_t>(index));
}

BrdPropertyPgE1Model& BrdPropertySheetModel::E1Page(int li) const {
    return static_cast<BrdPropertyPgE1Model&>(Page(li == 0 ? Li0E1 : Li1E1));
}

BrdPropertyPgT1Model& BrdPropertySheetModel::T1Page(int li) const {
    return static_cast<BrdPropertyPgT1Model&>(Page(li == 0 ? Li0T1 : Li1T1));
}

BrdPropertyPgGeneralModel& BrdPropertySheetModel::GeneralPage() const {
    return static_cast<BrdPropertyPgGeneralModel&>(Page(General));
}

void BrdPropertySheetModel::CopyBack(BoardConfig& config) const {
    config.General = copies_.General;
    config.Image.ClockSource = copies_.Image.ClockSource;
    for (std::size_t li = 0; li < 2; ++li) {
        config.Image.Li[li].DefaultMode = copies_.Image.Li[li].DefaultMode;
        config.Image.Li[li].E1 = copies_.Image.Li[li].E1;
        config.Image.Li[li].T1 = copies_.Image.Li[li].T1;
    }
}

void BrdPropertySheetModel::Enter(int index, PageControls& controls) {
    active_ = index;
    Page(index).LoadControls(controls);
}

bool BrdPropertySheetModel::Leave(PageControls& controls) {
    return Page(active_).StoreControls(controls, prompts_);
}

bool BrdPropertySheetModel::Apply(PageControls& controls) {
    if (!Leave(controls))
        return false;
    changed_ = false;
    return true;
}

bool BrdPropertySheetModel::Accept(PageControls& controls) {
    return Leave(controls);
}

void BrdPropertySheetModel::Press(int index, LiPageButton button, PageControls& controls) {
    Page(index).Press(button, controls);
    changed_ = true;
}

bool EditProperties(BoardConfig& config, Prompts& prompts, ModalWindows& windows) {
    BrdPropertySheetModel sheet(config, prompts);
    if (!windows.RunBoardProperties(sheet))
        return false;
    sheet.CopyBack(config);
    return true;
}

} // namespace ruva
