#pragma once
// The catalogue of settings: each setting of a board described once, in the order its page shows it. An
// entry gives the setting's name (its file key and its control's name), its member of the record, its
// value set with the writer's message for a code that has no word (enumerated settings) or its range with
// the parser's message and the file's number format (numbers), its default, and its control and label.
// Where a setting stands in the stored image and in the file follows from the record: a block's members
// are declared in stored order (BoardConfig.h), which is also the file's. The byte image, the writer, the
// lexer's words, the parser, the pages, the command-line tool and comparisons walk these tables; a
// setting is added here.

#include "BoardConfig.h"
#include "Texts.h"
#include "ValueSets.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace ruva {

// How a numeric field is written in a configuration file.
enum class NumberStyle {
    Hex,     // 0x%X
    Decimal, // %d
    Hex24,   // 0x%.6lX
};

// The kind of control that shows a setting on its page.
enum class ControlKind { List, Check, Number, Address, Bits };

// One check box of a bit field.
struct BitBox {
    unsigned Bit;
    std::string_view Label; // the box's text
};

// How a setting shows on its page.
struct PagePlace {
    ControlKind Kind;                   // List shows the value set; Check one of two codes
    std::string_view Label;             // the label's text, the check box's text, or the bit group's title
    std::string_view Refusal = {};      // Number, Address: the message for a typed number outside the range
    std::span<const BitBox> Boxes = {}; // Bits: the boxes, in the order the page shows them
};

constexpr PagePlace List(std::string_view label) {
    return {ControlKind::List, label};
}
constexpr PagePlace Check(std::string_view label) {
    return {ControlKind::Check, label};
}
constexpr PagePlace Entry(std::string_view label, std::string_view refusal) {
    return {ControlKind::Number, label, refusal};
}
constexpr PagePlace Bits(std::string_view label, std::span<const BitBox> boxes) {
    return {ControlKind::Bits, label, {}, boxes};
}

// The section of a configuration file that holds a general setting: the board's, or a line interface's
// ahead of its mode blocks. The E1 and T1 settings stand in their mode blocks.
enum class Section { Board, Li0, Li1 };

// How a setting is reached in its block: its value (enumerated settings as their signed 16-bit code,
// numbers as the unsigned value of their width), a store cut to its width, and that width in bits.
template <typename Block>
struct MemberAccess {
    std::int64_t (*Get)(const Block&);
    void (*Set)(Block&, std::int64_t);
    unsigned Width;
};

namespace detail {
// The object at the end of a path of members and array positions.
template <auto Step>
constexpr auto& Take(auto& object) {
    if constexpr (std::is_member_object_pointer_v<decltype(Step)>)
        return object.*Step;
    else
        return object[Step];
}
template <auto Step, auto... Rest>
constexpr auto& Reach(auto& object) {
    if constexpr (sizeof...(Rest) == 0)
        return Take<Step>(object);
    else
        return Reach<Rest...>(Take<Step>(object));
}
template <typename Block, auto... Path>
constexpr std::int64_t GetAt(const Block& block) {
    return Reach<Path...>(block);
}
template <typename Block, auto... Path>
constexpr void SetAt(Block& block, std::int64_t value) {
    auto& member = Reach<Path...>(block);
    member = static_cast<std::remove_cvref_t<decltype(member)>>(value);
}
template <typename>
struct ClassOf;
template <typename T, typename C>
struct ClassOf<T C::*> {
    using Type = C;
};
template <auto Member>
using BlockOf = typename ClassOf<decltype(Member)>::Type;
} // namespace detail

// The member at the end of a path from the block that its first member belongs to:
// Member<&E1Settings::SaBits>, Member<&BoardConfig::Image, &StoredConfig::Li, 0, &LineInterfaceSettings::X>.
template <auto First, auto... Rest>
inline constexpr MemberAccess<detail::BlockOf<First>> Member{
    &detail::GetAt<detail::BlockOf<First>, First, Rest...>,
    &detail::SetAt<detail::BlockOf<First>, First, Rest...>,
    8 * sizeof(std::remove_cvref_t<decltype(detail::Reach<First, Rest...>(
                   std::declval<detail::BlockOf<First>&>()))>)};

template <typename Block>
struct FieldInfo {
    // The setting's name: its file key and its control's name, e.g. "TransmitLineCode". A line
    // interface's setting on the General page carries its line interface's name first: "Li0DefaultMode".
    std::string_view Name;
    MemberAccess<Block> Access;
    // Enumerated settings: the value set, and the writer's message for a code that has no word.
    const ValueSet* Values = nullptr;
    std::string_view Unexpected = {};
    // Numbers: the range that a file and a page accept, the parse error for a file value outside it, how
    // the writer prints the value, and the multiple that a file's value is rounded down to.
    std::uint32_t Min = 0;
    std::uint32_t Max = 0;
    std::string_view RangeMessage = {};
    NumberStyle Style = NumberStyle::Decimal;
    std::uint32_t Step = 1;
    std::string_view Comment = {}; // the writer's remark behind the value, on the same line
    Section In = Section::Board;   // general settings: the file section that holds them
    PagePlace Page;
    std::int64_t Default = 0; // the value that Default Values gives

    // From the entries above and their order.
    std::string_view Key = {}; // the file key: the name without its line interface's
    unsigned Width = 0;        // stored width in bits: 8, 16 or 32
    unsigned Offset = 0;       // stored byte offset in the block, after the fields before it
    int Row = 0;               // position on the page, from 0

    constexpr bool IsEnumerated() const { return Values != nullptr; }
    constexpr std::int64_t Get(const Block& block) const { return Access.Get(block); }
    constexpr void Set(Block& block, std::int64_t value) const { Access.Set(block, value); }
};

using E1Field = FieldInfo<E1Settings>;
using T1Field = FieldInfo<T1Settings>;
// A setting of the General page: the clock source and the default modes, which the image holds in its
// header (StoredConfig), and the HDLC start address.
using GeneralField = FieldInfo<BoardConfig>;

namespace detail {

// A block whose members, in declaration order, hold 1, 2, 3 ...: a setting's value in it is its place in
// the stored layout.
template <typename Block, std::size_t... I>
consteval Block Numbered(std::index_sequence<I...>) {
    return Block{(I + 1)...};
}

// The entries as a catalogue: rows from their order, widths and keys from their members and names; a
// stored block's settings in stored order, with their offsets.
template <typename Block, std::size_t N>
consteval std::array<FieldInfo<Block>, N> Catalogue(std::array<FieldInfo<Block>, N> fields) {
    constexpr std::string_view LiNames[] = {"", "Li0", "Li1"};
    for (std::size_t i = 0; i < N; ++i) {
        FieldInfo<Block>& f = fields[i];
        const std::string_view li = LiNames[static_cast<std::size_t>(f.In)];
        if (!f.Name.starts_with(li))
            throw "a line interface's setting is named after its line interface";
        f.Key = f.Name.substr(li.size());
        if (i > 0 && f.In != fields[i - 1].In &&
            std::any_of(fields.begin(), fields.begin() + static_cast<std::ptrdiff_t>(i),
                        [&f](const FieldInfo<Block>& before) { return before.In == f.In; }))
            throw "the settings of a section stand together";
        f.Width = f.Access.Width;
        f.Row = static_cast<int>(i);
    }
    if constexpr (requires { Block::Size; }) {
        const Block probe = Numbered<Block>(std::make_index_sequence<N>{});
        std::ranges::sort(fields, {}, [&probe](const FieldInfo<Block>& f) { return f.Get(probe); });
        unsigned offset = 0;
        for (std::size_t i = 0; i < N; ++i) {
            if (fields[i].Get(probe) != static_cast<std::int64_t>(i + 1))
                throw "each member of the block has one setting";
            fields[i].Offset = offset;
            offset += fields[i].Width / 8;
        }
        if (offset != Block::Size)
            throw "the settings fill the stored block";
    }
    return fields;
}

inline constexpr BitBox SaBoxes[] = {{4, "Sa4"}, {3, "Sa5"}, {2, "Sa6"}, {1, "Sa7"}, {0, "Sa8"}};
inline constexpr BitBox SiBoxes[] = {{1, "Frame 13"}, {0, "Frame 15"}};
inline constexpr BitBox ClearChannelBoxes[] = {
    {0, "TS1"},   {1, "TS2"},   {2, "TS3"},   {3, "TS4"},   {4, "TS5"},   {5, "TS6"},
    {6, "TS7"},   {7, "TS8"},   {8, "TS9"},   {9, "TS10"},  {10, "TS11"}, {11, "TS12"},
    {12, "TS13"}, {13, "TS14"}, {14, "TS15"}, {15, "TS16"}, {16, "TS17"}, {17, "TS18"},
    {18, "TS19"}, {19, "TS20"}, {20, "TS21"}, {21, "TS22"}, {22, "TS23"}, {23, "TS24"},
};

using E = E1Settings;
using T = T1Settings;
using B = BoardConfig;
namespace t = texts;

// One entry a setting, each written as a table row.
// clang-format off
inline constexpr auto E1Catalogue = Catalogue(std::to_array<E1Field>({
    {.Name = "TransmitLineCode", .Access = Member<&E::TransmitLineCode>, .Values = &E1LineCode,
     .Unexpected = "Internal Error: Unexpected value for Transmit Line Code (E1)",
     .Page = List("Transmit Line Code:"), .Default = code::E1LineCode::HDB3},
    {.Name = "ReceiveLineCode", .Access = Member<&E::ReceiveLineCode>, .Values = &E1LineCode,
     .Unexpected = "Internal Error: Unexpected value for Receive Line Code (E1)",
     .Page = List("Receive Line Code:"), .Default = code::E1LineCode::HDB3},
    {.Name = "TransmitFrameFormat", .Access = Member<&E::TransmitFrameFormat>, .Values = &E1FrameFormat,
     .Unexpected = "Internal Error: Unexpected value for Transmit Frame Format (E1)",
     .Page = List("Transmit Frame Format:"), .Default = code::E1FrameFormat::DOUBLE_FRAME},
    {.Name = "ReceiveFrameFormat", .Access = Member<&E::ReceiveFrameFormat>, .Values = &E1FrameFormat,
     .Unexpected = "Internal Error: Unexpected value for Receive Frame Format (E1)",
     .Page = List("Receive Frame Format:"), .Default = code::E1FrameFormat::DOUBLE_FRAME},
    {.Name = "AisDetection", .Access = Member<&E::AisDetection>, .Values = &AisDetectionMode,
     .Unexpected = "Internal Error: Unexpected value for Ais Detection (E1)", .Page = List("AIS Detection:"),
     .Default = code::AisDetection::G775},
    {.Name = "LOSSensitivity", .Access = Member<&E::LOSSensitivity>, .Max = 255, .RangeMessage = t::ByteRange,
     .Page = Entry("LOS Sensitivity:", t::EnterIntegerUpTo255), .Default = 128},
    {.Name = "LOSRecovery", .Access = Member<&E::LOSRecovery>, .Max = 255, .RangeMessage = t::ByteRange,
     .Page = Entry("LOS Recovery:", t::EnterIntegerUpTo255), .Default = 128},
    {.Name = "LineLength", .Access = Member<&E::LineLength>, .Max = 65535, .RangeMessage = t::LineLengthRange,
     .Page = Entry("Line Length:", t::EnterIntegerUpTo65535), .Default = 100},
    {.Name = "ExtendedHDB3ErrorDetection", .Access = Member<&E::ExtendedHDB3ErrorDetection>, .Values = &YesNo,
     .Unexpected = "Internal Error: Unexpected value for Extended Hdb3 Error Detection (E1)",
     .Page = Check("Extended HDB3 Error Detection"), .Default = code::YesNo::NO},
    {.Name = "AutomaticRegainMultiframe", .Access = Member<&E::AutomaticRegainMultiframe>, .Values = &YesNo,
     .Unexpected = "Internal Error: Unexpected value for Automatic Regain Multiframe (E1)",
     .Page = Check("Regain Multiframe automatically"), .Default = code::YesNo::NO},
    {.Name = "AutoResynchronization", .Access = Member<&E::AutoResynchronization>, .Values = &YesNo,
     .Unexpected = "Internal Error: Unexpected value for AutoResynchronization (E1)",
     .Page = Check("Automatic Resychronization"), .Default = code::YesNo::YES},
    {.Name = "AutomaticRemoteAlarm", .Access = Member<&E::AutomaticRemoteAlarm>, .Values = &YesNo,
     .Unexpected = "Internal Error: Unexpected value for Automatic Remote Alarm (E1)",
     .Page = Check("Automatic Remote Alarm"), .Default = code::YesNo::NO},
    {.Name = "ReceiveEqualizer", .Access = Member<&E::ReceiveEqualizer>, .Values = &YesNo,
     .Unexpected = "Internal Error: Unexpected value for Receive Equalizer (E1)",
     .Page = Check("Receive Equalizer"), .Default = code::YesNo::YES},
    // Checked = HIGH.
    {.Name = "TransmitPower", .Access = Member<&E::TransmitPower>, .Values = &TransmitPowerLevel,
     .Unexpected = "Internal Error: Unexpected value for Transmit Power (E1)",
     .Page = Check("Transmit with High Power"), .Default = code::TransmitPower::LOW},
    {.Name = "SaBits", .Access = Member<&E::SaBits>, .Max = 0x1F, .RangeMessage = t::SaBitsRange,
     .Style = NumberStyle::Hex, .Page = Bits("Sa Bits", SaBoxes), .Default = 0x1F},
    {.Name = "SiBits", .Access = Member<&E::SiBits>, .Max = 0x03, .RangeMessage = t::SiBitsRange,
     .Style = NumberStyle::Hex, .Page = Bits("Si Bits", SiBoxes), .Default = 0x03},
}));

inline constexpr auto T1Catalogue = Catalogue(std::to_array<T1Field>({
    {.Name = "TransmitLineCode", .Access = Member<&T::TransmitLineCode>, .Values = &T1LineCode,
     .Unexpected = "Internal Error: Unexpected value for Transmit Line Code (T1)",
     .Page = List("Transmi&t Line Code:"), .Default = code::T1LineCode::AMI},
    {.Name = "ReceiveLineCode", .Access = Member<&T::ReceiveLineCode>, .Values = &T1LineCode,
     .Unexpected = "Internal Error: Unexpected value for Receive Line Code (T1)",
     .Page = List("Recei&ve Line Code:"), .Default = code::T1LineCode::AMI},
    {.Name = "FrameFormat", .Access = Member<&T::FrameFormat>, .Values = &T1FrameFormat,
     .Unexpected = "Internal Error: Unexpected value for Frame Format (T1)", .Page = List("F&rame Format:"),
     .Default = code::T1FrameFormat::ESF},
    {.Name = "TransmitRemoteAlarmFormat", .Access = Member<&T::TransmitRemoteAlarmFormat>,
     .Values = &RemoteAlarmFormat,
     .Unexpected = "Internal Error: Unexpected value for Transmit Remote Alarm Format (T1)",
     .Page = List("Tx Re&mote Alarm Format:"), .Default = code::RemoteAlarmFormat::YELLOW_B},
    {.Name = "ReceiveRemoteAlarmFormat", .Access = Member<&T::ReceiveRemoteAlarmFormat>,
     .Values = &RemoteAlarmFormat,
     .Unexpected = "Internal Error: Unexpected value for Receive Remote Alarm Format (T1)",
     .Page = List("Rx Rem&ote Alarm Format:"), .Default = code::RemoteAlarmFormat::YELLOW_B},
    {.Name = "LFASensitivity", .Access = Member<&T::LFASensitivity>, .Values = &LfaSensitivityCode,
     .Unexpected = "Internal Error: Unexpected value for LFA Sensitivity (T1)", .Page = List("LFA Se&nsitivity:"),
     .Default = code::LfaSensitivity::WRONG_2_OUT_OF_4},
    {.Name = "SignalingMode", .Access = Member<&T::SignalingMode>, .Values = &SignalingModeCode,
     .Unexpected = "Internal Error: Unexpected value for Signaling Mode (T1)", .Page = List("Signaling Mo&de"),
     .Default = code::SignalingMode::CCS},
    {.Name = "LOSSensitivity", .Access = Member<&T::LOSSensitivity>, .Max = 255, .RangeMessage = t::ByteRange,
     .Page = Entry("LOS Sens&itivity:", t::EnterIntegerUpTo255), .Default = 128},
    {.Name = "LOSRecovery", .Access = Member<&T::LOSRecovery>, .Max = 255, .RangeMessage = t::ByteRange,
     .Page = Entry("LOS Re&covery:", t::EnterIntegerUpTo255), .Default = 128},
    {.Name = "LineLength", .Access = Member<&T::LineLength>, .Max = 65535, .RangeMessage = t::LineLengthRange,
     .Page = Entry("Line L&ength:", t::EnterIntegerUpTo65535), .Default = 100},
    {.Name = "EnableCRC6", .Access = Member<&T::EnableCRC6>, .Values = &YesNo,
     .Unexpected = "Internal Error: Unexpected value for EnableCRC6 (T1)", .Page = Check("Enable CRC&6"),
     .Default = code::YesNo::YES},
    {.Name = "AutoResynchronization", .Access = Member<&T::AutoResynchronization>, .Values = &YesNo,
     .Unexpected = "Internal Error: Unexpected value for Auto Resynchronization (T1)",
     .Page = Check("Automatic Res&ychronization"), .Default = code::YesNo::YES},
    {.Name = "AutomaticRemoteAlarm", .Access = Member<&T::AutomaticRemoteAlarm>, .Values = &YesNo,
     .Unexpected = "Internal Error: Unexpected value for Automatic Remote Alarm (T1)",
     .Page = Check("Automatic Remote A&larm"), .Default = code::YesNo::NO},
    {.Name = "ReceiveEqualizer", .Access = Member<&T::ReceiveEqualizer>, .Values = &YesNo,
     .Unexpected = "Internal Error: Unexpected value for Receive Equalizer (T1)",
     .Page = Check("Receive Equali&zer"), .Default = code::YesNo::YES},
    // Checked = HIGH.
    {.Name = "TransmitPower", .Access = Member<&T::TransmitPower>, .Values = &TransmitPowerLevel,
     .Unexpected = "Internal Error: Unexpected value for Transmit Power (T1)",
     .Page = Check("Transmit with High Po&wer"), .Default = code::TransmitPower::LOW},
    {.Name = "ClearChannels", .Access = Member<&T::ClearChannels>, .Max = 0xFFFFFF,
     .RangeMessage = t::ClearChannelsRange, .Style = NumberStyle::Hex24,
     .Page = Bits("Clear Channels", ClearChannelBoxes)},
}));

inline constexpr auto GeneralCatalogue = Catalogue(std::to_array<GeneralField>({
    {.Name = "ClockSource", .Access = Member<&B::Image, &StoredConfig::ClockSource>, .Values = &ClockSourceCode,
     .Unexpected = "Internal Error: Unexpected value for ClockSource", .Page = List("Clock Source:")},
    // A page accepts only an address that a configuration file may hold, so that a save to a file is
    // not refused.
    {.Name = "HdlcStartAddress", .Access = Member<&B::General, &GeneralSettings::HdlcStartAddress>,
     .Min = GeneralSettings::LowestHdlcStartAddress, .Max = 0xFFFFFFFF, .RangeMessage = t::HdlcStartAddressTooLow,
     .Style = NumberStyle::Hex, .Step = 4,
     .Page = {ControlKind::Address, "HDLC Controller Start Addr:", t::HdlcStartAddressTooLow}},
    {.Name = "Li0DefaultMode", .Access = Member<&B::Image, &StoredConfig::Li, 0, &LineInterfaceSettings::DefaultMode>,
     .Values = &LiMode, .Unexpected = "Internal Error: Unexpected value for Li Default Mode", .Comment = "E1, T1",
     .In = Section::Li0, .Page = List("Li0 Default Mode:")},
    {.Name = "Li1DefaultMode", .Access = Member<&B::Image, &StoredConfig::Li, 1, &LineInterfaceSettings::DefaultMode>,
     .Values = &LiMode, .Unexpected = "Internal Error: Unexpected value for Li Default Mode", .Comment = "E1, T1",
     .In = Section::Li1, .Page = List("Li1 Default Mode:")},
}));

// clang-format on

} // namespace detail

// The settings of the E1 and T1 blocks in the file's order, which is the stored layout's.
constexpr std::span<const E1Field> E1Fields() {
    return detail::E1Catalogue;
}
constexpr std::span<const T1Field> T1Fields() {
    return detail::T1Catalogue;
}
// The general settings in the order of the General page, which is also the file's.
constexpr std::span<const GeneralField> GeneralFields() {
    return detail::GeneralCatalogue;
}

// The general settings of one section of the file, in the file's order.
constexpr std::span<const GeneralField> GeneralFields(Section in) {
    const std::span<const GeneralField> all = GeneralFields();
    const auto first =
        std::find_if(all.begin(), all.end(), [in](const GeneralField& f) { return f.In == in; });
    const auto last = std::find_if(first, all.end(), [in](const GeneralField& f) { return f.In != in; });
    return {first, last};
}
// The section of line interface `li` (0 or 1).
constexpr Section LiSection(std::size_t li) {
    return li == 0 ? Section::Li0 : Section::Li1;
}

// The general setting reached through `Path` from the configuration, e.g.
// GeneralSetting<&BoardConfig::General, &GeneralSettings::HdlcStartAddress>().
template <auto... Path>
consteval const GeneralField& GeneralSetting() {
    for (const GeneralField& field : detail::GeneralCatalogue)
        if (field.Access.Get == Member<Path...>.Get)
            return field;
    throw "no general setting has this member";
}
// The HDLC start address, which a board keeps apart from its image.
inline constexpr const GeneralField& HdlcStartAddressSetting =
    GeneralSetting<&BoardConfig::General, &GeneralSettings::HdlcStartAddress>();

// A number as the writer prints it: "0x1F", "128" or "0x000012".
std::string FormatFieldNumber(NumberStyle style, std::uint32_t value);

} // namespace ruva
