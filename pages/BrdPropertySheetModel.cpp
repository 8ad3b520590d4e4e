#include "BoardProperties.h"

#include "Fields.h"
#include "MessageFormat.h"
#include "Prompts.h"
#include "Texts.h"

#include <vector>

namespace ruva {

namespace {

namespace t = texts;

constexpr FieldControl List(std::string_view name, std::string_view label, const ValueSet& values) {
    return {name, label, ControlKind::List, &values};
}
constexpr FieldControl Check(std::string_view name, std::string_view label) {
    return {name, label, ControlKind::Check};
}
constexpr FieldControl Number(std::string_view name, std::string_view label, std::uint32_t max,
                              std::string_view rangeRefusal) {
    return {name, label, ControlKind::Number, nullptr, max, rangeRefusal};
}
constexpr FieldControl Bits(std::string_view name, std::string_view label, std::span<const BitBox> boxes) {
    return {name, label, ControlKind::Bits, nullptr, 0, {}, boxes};
}

constexpr BitBox kSaBoxes[] = {{4, "Sa4"}, {3, "Sa5"}, {2, "Sa6"}, {1, "Sa7"}, {0, "Sa8"}};
constexpr BitBox kSiBoxes[] = {{1, "Frame 13"}, {0, "Frame 15"}};
constexpr BitBox kClearChannelBoxes[] = {
    {0, "TS1"},   {1, "TS2"},   {2, "TS3"},   {3, "TS4"},   {4, "TS5"},   {5, "TS6"},
    {6, "TS7"},   {7, "TS8"},   {8, "TS9"},   {9, "TS10"},  {10, "TS11"}, {11, "TS12"},
    {12, "TS13"}, {13, "TS14"}, {14, "TS15"}, {15, "TS16"}, {16, "TS17"}, {17, "TS18"},
    {18, "TS19"}, {19, "TS20"}, {20, "TS21"}, {21, "TS22"}, {22, "TS23"}, {23, "TS24"},
};

// The fields of each page; a field of an E1 or T1 page carries the name of its field in the block.
const FieldControl kE1Page[] = {
    List("TransmitLineCode", "Transmit Line Code:", E1LineCode),
    List("ReceiveLineCode", "Receive Line Code:", E1LineCode),
    List("TransmitFrameFormat", "Transmit Frame Format:", E1FrameFormat),
    List("ReceiveFrameFormat", "Receive Frame Format:", E1FrameFormat),
    List("AisDetection", "AIS Detection:", AisDetectionMode),
    Number("LOSSensitivity", "LOS Sensitivity:", 255, t::EnterIntegerUpTo255),
    Number("LOSRecovery", "LOS Recovery:", 255, t::EnterIntegerUpTo255),
    Number("LineLength", "Line Length:", 65535, t::EnterIntegerUpTo65535),
    Check("ExtendedHDB3ErrorDetection", "Extended HDB3 Error Detection"),
    Check("AutomaticRegainMultiframe", "Regain Multiframe automatically"),
    Check("AutoResynchronization", "Automatic Resychronization"),
    Check("AutomaticRemoteAlarm", "Automatic Remote Alarm"),
    Check("ReceiveEqualizer", "Receive Equalizer"),
    Check("TransmitPower", "Transmit with High Power"), // checked = HIGH
    Bits("SaBits", "Sa Bits", kSaBoxes),
    Bits("SiBits", "Si Bits", kSiBoxes),
};

const FieldControl kT1Page[] = {
    List("TransmitLineCode", "Transmi&t Line Code:", T1LineCode),
    List("ReceiveLineCode", "Recei&ve Line Code:", T1LineCode),
    List("FrameFormat", "F&rame Format:", T1FrameFormat),
    List("TransmitRemoteAlarmFormat", "Tx Re&mote Alarm Format:", RemoteAlarmFormat),
    List("ReceiveRemoteAlarmFormat", "Rx Rem&ote Alarm Format:", RemoteAlarmFormat),
    List("LFASensitivity", "LFA Se&nsitivity:", LfaSensitivityCode),
    List("SignalingMode", "Signaling Mo&de", SignalingModeCode),
    Number("LOSSensitivity", "LOS Sens&itivity:", 255, t::EnterIntegerUpTo255),
    Number("LOSRecovery", "LOS Re&covery:", 255, t::EnterIntegerUpTo255),
    Number("LineLength", "Line L&ength:", 65535, t::EnterIntegerUpTo65535),
    Check("EnableCRC6", "Enable CRC&6"),
    Check("AutoResynchronization", "Automatic Res&ychronization"),
    Check("AutomaticRemoteAlarm", "Automatic Remote A&larm"),
    Check("ReceiveEqualizer", "Receive Equali&zer"),
    Check("TransmitPower", "Transmit with High Po&wer"), // checked = HIGH
    Bits("ClearChannels", "Clear Channels", kClearChannelBoxes),
};

const FieldControl kGeneralPage[] = {
    List("ClockSource", "Clock Source:", ClockSourceCode),
    {"HdlcStartAddress", "HDLC Controller Start Addr:", ControlKind::Address},
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

template <typename Block>
struct BlockKind;

template <>
struct BlockKind<E1Settings> {
    static constexpr LiBlock Kind = LiBlock::E1;
    static std::span<const FieldControl> Page() { return kE1Page; }
    static std::span<const LiPageButtonControl> Buttons() { return kE1Buttons; }
    static const E1Field* Find(std::string_view name) { return FindE1Field(name); }
    static void SetDefaults(E1Settings& block) { SetE1Defaults(block); }
    static E1Settings& Of(LineInterfaceSettings& li) { return li.E1; }
};

template <>
struct BlockKind<T1Settings> {
    static constexpr LiBlock Kind = LiBlock::T1;
    static std::span<const FieldControl> Page() { return kT1Page; }
    static std::span<const LiPageButtonControl> Buttons() { return kT1Buttons; }
    static const T1Field* Find(std::string_view name) { return FindT1Field(name); }
    static void SetDefaults(T1Settings& block) { SetT1Defaults(block); }
    static T1Settings& Of(LineInterfaceSettings& li) { return li.T1; }
};

// The block's field behind each field of the page, in page order.
template <typename Block>
const FieldInfo<Block>& BlockField(std::size_t field) {
    static const std::vector<const FieldInfo<Block>*> fields = [] {
        std::vector<const FieldInfo<Block>*> found;
        for (const FieldControl& control : BlockKind<Block>::Page())
            found.push_back(BlockKind<Block>::Find(control.Name));
        return found;
    }();
    return *fields.at(field);
}

} // namespace

void PageModel::LoadControls(PageControls& controls) const {
    const auto fields = Fields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const FieldControl& field = fields[i];
        const std::int64_t value = Get(i);
        switch (field.Kind) {
        case ControlKind::List:
            controls.SelectItem(i, ListPosition(*field.Values, value));
            break;
        case ControlKind::Check:
            controls.SetCheck(i, 0, FlagState(value));
            break;
        case ControlKind::Number:
        case ControlKind::Address:
            controls.SetText(i, EntryText(field, value));
            break;
        case ControlKind::Bits:
            for (std::size_t box = 0; box < field.Boxes.size(); ++box) {
                const bool set = field.Boxes[box].Bit < 32 && ((value >> field.Boxes[box].Bit) & 1) != 0;
                controls.SetCheck(i, box, set ? CheckState::Checked : CheckState::Unchecked);
            }
            break;
        }
    }
}

bool PageModel::StoreControls(PageControls& controls, Prompts& prompts) {
    const auto fields = Fields();
    // Every entry is checked, in table order, before anything is stored.
    std::vector<std::uint32_t> entries(fields.size());
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].Kind != ControlKind::Number && fields[i].Kind != ControlKind::Address)
            continue;
        const NumberEntry entry = ReadEntry(fields[i], controls.Text(i));
        if (!entry.Value) {
            prompts.ShowMessage(entry.Refusal, MessageIcon::Stop);
            controls.FocusEntry(i);
            return false;
        }
        entries[i] = *entry.Value;
    }

    for (std::size_t i = 0; i < fields.size(); ++i) {
        const FieldControl& field = fields[i];
        switch (field.Kind) {
        case ControlKind::List:
            if (const auto code = ListCode(*field.Values, controls.SelectedItem(i)))
                Set(i, *code);
            break;
        case ControlKind::Check:
            if (const auto flag = FlagValue(controls.Check(i, 0)))
                Set(i, *flag);
            break;
        case ControlKind::Number:
        case ControlKind::Address:
            Set(i, entries[i]);
            break;
        case ControlKind::Bits: {
            std::vector<CheckState> states(field.Boxes.size());
            for (std::size_t box = 0; box < field.Boxes.size(); ++box)
                states[box] = controls.Check(i, box);
            Set(i, BitsValue(field.Boxes, states, static_cast<std::uint32_t>(Get(i))));
            break;
        }
        }
    }
    return true;
}

void PageModel::Press(LiPageButton, PageControls&) {}

template <typename Block>
LiPageModel<Block>::LiPageModel(StoredConfig& copies, int li) : copies_(copies), li_(li == 1 ? 1 : 0) {}

template <typename Block>
Block& LiPageModel<Block>::Settings() {
    return BlockKind<Block>::Of(copies_.Li[static_cast<std::size_t>(li_)]);
}

template <typename Block>
const Block& LiPageModel<Block>::Settings() const {
    return BlockKind<Block>::Of(copies_.Li[static_cast<std::size_t>(li_)]);
}

template <typename Block>
std::span<const FieldControl> LiPageModel<Block>::Fields() const {
    return BlockKind<Block>::Page();
}

template <typename Block>
std::span<const LiPageButtonControl> LiPageModel<Block>::Buttons() const {
    return BlockKind<Block>::Buttons();
}

template <typename Block>
void LiPageModel<Block>::Press(LiPageButton button, PageControls& controls) {
    if (button == LiPageButton::CopyFromOtherLi)
        CopyOtherLi(copies_, li_, BlockKind<Block>::Kind);
    else
        BlockKind<Block>::SetDefaults(Settings());
    LoadControls(controls);
}

template <typename Block>
std::int64_t LiPageModel<Block>::Get(std::size_t field) const {
    return BlockField<Block>(field).Get(Settings());
}

template <typename Block>
void LiPageModel<Block>::Set(std::size_t field, std::int64_t value) {
    BlockField<Block>(field).Set(Settings(), value);
}

template class LiPageModel<E1Settings>;
template class LiPageModel<T1Settings>;

std::span<const FieldControl> GeneralPageModel::Fields() const {
    return kGeneralPage;
}

// The General page's fields by their place in kGeneralPage.
std::int64_t GeneralPageModel::Get(std::size_t field) const {
    switch (field) {
    case 0:
        return copy_.ClockSource;
    case 1:
        return copy_.HdlcStartAddress;
    default:
        return copy_.DefaultMode.at(field - 2);
    }
}

void GeneralPageModel::Set(std::size_t field, std::int64_t value) {
    switch (field) {
    case 0:
        copy_.ClockSource = static_cast<std::int16_t>(value);
        break;
    case 1:
        copy_.HdlcStartAddress = static_cast<std::uint32_t>(value);
        break;
    default:
        copy_.DefaultMode.at(field - 2) = static_cast<std::int16_t>(value);
        break;
    }
}

BoardPropertiesModel::BoardPropertiesModel(const BoardConfig& config, Prompts& prompts)
    : copies_(config), prompts_(prompts) {
    pages_[Li0E1] = std::make_unique<E1PageModel>(copies_.Image, 0);
    pages_[Li0T1] = std::make_unique<T1PageModel>(copies_.Image, 0);
    pages_[Li1E1] = std::make_unique<E1PageModel>(copies_.Image, 1);
    pages_[Li1T1] = std::make_unique<T1PageModel>(copies_.Image, 1);
    pages_[General] = std::make_unique<GeneralPageModel>(copies_.General);
}

std::string_view BoardPropertiesModel::Caption() {
    return t::SheetCaption;
}

std::string BoardPropertiesModel::PageCaption(int index) {
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

PageModel& BoardPropertiesModel::Page(int index) const {
    return *pages_.at(static_cast<std::size_t>(index));
}

E1PageModel& BoardPropertiesModel::E1Page(int li) const {
    return static_cast<E1PageModel&>(Page(li == 0 ? Li0E1 : Li1E1));
}

T1PageModel& BoardPropertiesModel::T1Page(int li) const {
    return static_cast<T1PageModel&>(Page(li == 0 ? Li0T1 : Li1T1));
}

GeneralPageModel& BoardPropertiesModel::GeneralPage() const {
    return static_cast<GeneralPageModel&>(Page(General));
}

void BoardPropertiesModel::CopyBack(BoardConfig& config) const {
    config.General = copies_.General;
    for (std::size_t li = 0; li < 2; ++li) {
        config.Image.Li[li].E1 = copies_.Image.Li[li].E1;
        config.Image.Li[li].T1 = copies_.Image.Li[li].T1;
    }
}

void BoardPropertiesModel::Enter(int index, PageControls& controls) {
    active_ = index;
    Page(index).LoadControls(controls);
}

bool BoardPropertiesModel::Leave(PageControls& controls) {
    return Page(active_).StoreControls(controls, prompts_);
}

bool BoardPropertiesModel::Apply(PageControls& controls) {
    if (!Leave(controls))
        return false;
    changed_ = false;
    return true;
}

bool BoardPropertiesModel::Accept(PageControls& controls) {
    return Leave(controls);
}

void BoardPropertiesModel::Press(int index, LiPageButton button, PageControls& controls) {
    Page(index).Press(button, controls);
    changed_ = true;
}

bool EditProperties(BoardConfig& config, Prompts& prompts,
                    const std::function<bool(BoardPropertiesModel&)>& run) {
    BoardPropertiesModel sheet(config, prompts);
    if (!run(sheet))
        return false;
    sheet.CopyBack(config);
    return true;
}

} // namespace ruva
