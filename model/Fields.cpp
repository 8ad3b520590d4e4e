#include "Fields.h"

#include "Texts.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace ruva {

namespace {

namespace t = texts;
namespace c = code;

template <typename Block, auto Member>
std::int64_t GetMember(const Block& b) {
    return b.*Member;
}

template <typename Block, auto Member>
void SetMember(Block& b, std::int64_t v) {
    b.*Member = static_cast<std::remove_cvref_t<decltype(b.*Member)>>(v);
}

template <typename Block, auto Member>
constexpr FieldInfo<Block> Enumerated(std::string_view key, const ValueSet& values,
                                      std::string_view unexpected, PagePlace page, std::int16_t initial) {
    constexpr auto get = &GetMember<Block, Member>;
    constexpr auto set = &SetMember<Block, Member>;
    return {key, &values, 16, 0, 0, NumberStyle::Decimal, {}, unexpected, page, initial, get, set};
}

template <typename Block, auto Member>
constexpr FieldInfo<Block> Number(std::string_view key, std::uint32_t max, NumberStyle style,
                                  std::string_view rangeMessage, PagePlace page, std::uint32_t initial) {
    constexpr unsigned width = sizeof(std::declval<Block>().*Member) * 8;
    constexpr auto get = &GetMember<Block, Member>;
    constexpr auto set = &SetMember<Block, Member>;
    return {key, nullptr, width, 0, max, style, rangeMessage, {}, page, initial, get, set};
}

constexpr PagePlace List(int row, std::string_view label) {
    return {row, ControlKind::List, label, {}, {}};
}
constexpr PagePlace Check(int row, std::string_view label) {
    return {row, ControlKind::Check, label, {}, {}};
}
constexpr PagePlace Entry(int row, std::string_view label, std::string_view refusal) {
    return {row, ControlKind::Number, label, refusal, {}};
}
constexpr PagePlace Address(int row, std::string_view label, std::uint32_t min, std::string_view refusal) {
    return {row, ControlKind::Address, label, refusal, {}, min};
}
constexpr PagePlace Bits(int row, std::string_view label, std::span<const BitBox> boxes) {
    return {row, ControlKind::Bits, label, {}, boxes};
}

// The fields laid one after the other from offset 0; the block's stored size must hold them exactly.
template <typename Block, std::size_t N>
constexpr std::array<FieldInfo<Block>, N> Laid(std::array<FieldInfo<Block>, N> fields) {
    unsigned offset = 0;
    for (FieldInfo<Block>& field : fields) {
        field.Offset = offset;
        offset += field.Width / 8;
    }
    if (offset != Block::Size)
        throw "the fields do not fill the stored block";
    return fields;
}

constexpr BitBox kSaBoxes[] = {{4, "Sa4"}, {3, "Sa5"}, {2, "Sa6"}, {1, "Sa7"}, {0, "Sa8"}};
constexpr BitBox kSiBoxes[] = {{1, "Frame 13"}, {0, "Frame 15"}};
constexpr BitBox kClearChannelBoxes[] = {
    {0, "TS1"},   {1, "TS2"},   {2, "TS3"},   {3, "TS4"},   {4, "TS5"},   {5, "TS6"},
    {6, "TS7"},   {7, "TS8"},   {8, "TS9"},   {9, "TS10"},  {10, "TS11"}, {11, "TS12"},
    {12, "TS13"}, {13, "TS14"}, {14, "TS15"}, {15, "TS16"}, {16, "TS17"}, {17, "TS18"},
    {18, "TS19"}, {19, "TS20"}, {20, "TS21"}, {21, "TS22"}, {22, "TS23"}, {23, "TS24"},
};

using E = E1Settings;
using T = T1Settings;

constexpr auto kE1Fields = Laid(std::array{
    Enumerated<E, &E::TransmitLineCode>("TransmitLineCode", E1LineCode, t::UnexpectedE1TransmitLineCode,
                                        List(0, "Transmit Line Code:"), c::E1LineCode::HDB3),
    Enumerated<E, &E::ReceiveLineCode>("ReceiveLineCode", E1LineCode, t::UnexpectedE1ReceiveLineCode,
                                       List(1, "Receive Line Code:"), c::E1LineCode::HDB3),
    Enumerated<E, &E::TransmitFrameFormat>("TransmitFrameFormat", E1FrameFormat,
                                           t::UnexpectedE1TransmitFrameFormat,
                                           List(2, "Transmit Frame Format:"), c::E1FrameFormat::DOUBLE_FRAME),
    Enumerated<E, &E::ReceiveFrameFormat>("ReceiveFrameFormat", E1FrameFormat,
                                          t::UnexpectedE1ReceiveFrameFormat, List(3, "Receive Frame Format:"),
                                          c::E1FrameFormat::DOUBLE_FRAME),
    Enumerated<E, &E::AisDetection>("AisDetection", AisDetectionMode, t::UnexpectedE1AisDetection,
                                    List(4, "AIS Detection:"), c::AisDetection::G775),
    Number<E, &E::SiBits>("SiBits", 0x03, NumberStyle::Hex, t::SiBitsRange, Bits(15, "Si Bits", kSiBoxes),
                          0x03),
    Number<E, &E::SaBits>("SaBits", 0x1F, NumberStyle::Hex, t::SaBitsRange, Bits(14, "Sa Bits", kSaBoxes),
                          0x1F),
    Enumerated<E, &E::ExtendedHDB3ErrorDetection>("ExtendedHDB3ErrorDetection", YesNo,
                                                  t::UnexpectedE1ExtendedHDB3ErrorDetection,
                                                  Check(8, "Extended HDB3 Error Detection"), c::YesNo::NO),
    Enumerated<E, &E::AutomaticRegainMultiframe>("AutomaticRegainMultiframe", YesNo,
                                                 t::UnexpectedE1AutomaticRegainMultiframe,
                                                 Check(9, "Regain Multiframe automatically"), c::YesNo::NO),
    Enumerated<E, &E::AutoResynchronization>("AutoResynchronization", YesNo,
                                             t::UnexpectedE1AutoResynchronization,
                                             Check(10, "Automatic Resychronization"), c::YesNo::YES),
    Enumerated<E, &E::AutomaticRemoteAlarm>("AutomaticRemoteAlarm", YesNo,
                                            t::UnexpectedE1AutomaticRemoteAlarm,
                                            Check(11, "Automatic Remote Alarm"), c::YesNo::NO),
    Number<E, &E::LOSSensitivity>("LOSSensitivity", 255, NumberStyle::Decimal, t::ByteRange,
                                  Entry(5, "LOS Sensitivity:", t::EnterIntegerUpTo255), 128),
    Number<E, &E::LOSRecovery>("LOSRecovery", 255, NumberStyle::Decimal, t::ByteRange,
                               Entry(6, "LOS Recovery:", t::EnterIntegerUpTo255), 128),
    Number<E, &E::LineLength>("LineLength", 65535, NumberStyle::Decimal, t::LineLengthRange,
                              Entry(7, "Line Length:", t::EnterIntegerUpTo65535), 100),
    // Checked = HIGH.
    Enumerated<E, &E::TransmitPower>("TransmitPower", TransmitPowerLevel, t::UnexpectedE1TransmitPower,
                                     Check(13, "Transmit with High Power"), c::TransmitPower::LOW),
    Enumerated<E, &E::ReceiveEqualizer>("ReceiveEqualizer", YesNo, t::UnexpectedE1ReceiveEqualizer,
                                        Check(12, "Receive Equalizer"), c::YesNo::YES),
});

constexpr auto kT1Fields = Laid(std::array{
    Enumerated<T, &T::SignalingMode>("SignalingMode", SignalingModeCode, t::UnexpectedT1SignalingMode,
                                     List(6, "Signaling Mo&de"), c::SignalingMode::CCS),
    Enumerated<T, &T::TransmitLineCode>("TransmitLineCode", T1LineCode, t::UnexpectedT1TransmitLineCode,
                                        List(0, "Transmi&t Line Code:"), c::T1LineCode::AMI),
    Enumerated<T, &T::ReceiveLineCode>("ReceiveLineCode", T1LineCode, t::UnexpectedT1ReceiveLineCode,
                                       List(1, "Recei&ve Line Code:"), c::T1LineCode::AMI),
    Enumerated<T, &T::FrameFormat>("FrameFormat", T1FrameFormat, t::UnexpectedT1FrameFormat,
                                   List(2, "F&rame Format:"), c::T1FrameFormat::ESF),
    Enumerated<T, &T::EnableCRC6>("EnableCRC6", YesNo, t::UnexpectedT1EnableCRC6, Check(10, "Enable CRC&6"),
                                  c::YesNo::YES),
    Enumerated<T, &T::TransmitRemoteAlarmFormat>(
        "TransmitRemoteAlarmFormat", RemoteAlarmFormat, t::UnexpectedT1TransmitRemoteAlarmFormat,
        List(3, "Tx Re&mote Alarm Format:"), c::RemoteAlarmFormat::YELLOW_B),
    Enumerated<T, &T::ReceiveRemoteAlarmFormat>(
        "ReceiveRemoteAlarmFormat", RemoteAlarmFormat, t::UnexpectedT1ReceiveRemoteAlarmFormat,
        List(4, "Rx Rem&ote Alarm Format:"), c::RemoteAlarmFormat::YELLOW_B),
    Enumerated<T, &T::AutoResynchronization>("AutoResynchronization", YesNo,
                                             t::UnexpectedT1AutoResynchronization,
                                             Check(11, "Automatic Res&ychronization"), c::YesNo::YES),
    Enumerated<T, &T::LFASensitivity>("LFASensitivity", LfaSensitivityCode, t::UnexpectedT1LFASensitivity,
                                      List(5, "LFA Se&nsitivity:"), c::LfaSensitivity::WRONG_2_OUT_OF_4),
    Enumerated<T, &T::AutomaticRemoteAlarm>("AutomaticRemoteAlarm", YesNo,
                                            t::UnexpectedT1AutomaticRemoteAlarm,
                                            Check(12, "Automatic Remote A&larm"), c::YesNo::NO),
    Number<T, &T::LOSSensitivity>("LOSSensitivity", 255, NumberStyle::Decimal, t::ByteRange,
                                  Entry(7, "LOS Sens&itivity:", t::EnterIntegerUpTo255), 128),
    Number<T, &T::LOSRecovery>("LOSRecovery", 255, NumberStyle::Decimal, t::ByteRange,
                               Entry(8, "LOS Re&covery:", t::EnterIntegerUpTo255), 128),
    Number<T, &T::LineLength>("LineLength", 65535, NumberStyle::Decimal, t::LineLengthRange,
                              Entry(9, "Line L&ength:", t::EnterIntegerUpTo65535), 100),
    // Checked = HIGH.
    Enumerated<T, &T::TransmitPower>("TransmitPower", TransmitPowerLevel, t::UnexpectedT1TransmitPower,
                                     Check(14, "Transmit with High Po&wer"), c::TransmitPower::LOW),
    Enumerated<T, &T::ReceiveEqualizer>("ReceiveEqualizer", YesNo, t::UnexpectedT1ReceiveEqualizer,
                                        Check(13, "Receive Equali&zer"), c::YesNo::YES),
    Number<T, &T::ClearChannels>("ClearChannels", 0xFFFFFF, NumberStyle::Hex24, t::ClearChannelsRange,
                                 Bits(15, "Clear Channels", kClearChannelBoxes), 0),
});

template <std::size_t Li>
constexpr GeneralField DefaultMode(std::string_view name, std::string_view label) {
    return {
        name,
        &LiMode,
        16,
        0,
        0,
        NumberStyle::Decimal,
        {},
        t::UnexpectedDefaultMode,
        List(2 + Li, label),
        0,
        [](const BoardConfig& c) -> std::int64_t { return c.Image.Li[Li].DefaultMode; },
        [](BoardConfig& c, std::int64_t v) { c.Image.Li[Li].DefaultMode = static_cast<std::int16_t>(v); }};
}

constexpr GeneralField kGeneralFields[] = {
    {keys::ClockSource,
     &ClockSourceCode,
     16,
     0,
     0,
     NumberStyle::Decimal,
     {},
     t::UnexpectedClockSource,
     List(0, "Clock Source:"),
     0,
     [](const BoardConfig& c) -> std::int64_t { return c.Image.ClockSource; },
     [](BoardConfig& c, std::int64_t v) { c.Image.ClockSource = static_cast<std::int16_t>(v); }},
    // A page accepts only an address that a configuration file may hold, so that a save to a file is
    // not refused.
    {keys::HdlcStartAddress,
     nullptr,
     32,
     0,
     0xFFFFFFFF,
     NumberStyle::Hex,
     {},
     {},
     Address(1, "HDLC Controller Start Addr:", GeneralSettings::LowestHdlcStartAddress,
             t::HdlcStartAddressTooLow),
     0,
     [](const BoardConfig& c) -> std::int64_t { return c.General.HdlcStartAddress; },
     [](BoardConfig& c, std::int64_t v) { c.General.HdlcStartAddress = static_cast<std::uint32_t>(v); }},
    DefaultMode<0>("Li0DefaultMode", "Li0 Default Mode:"),
    DefaultMode<1>("Li1DefaultMode", "Li1 Default Mode:"),
};

template <typename Field>
const Field* FindField(std::span<const Field> fields, std::string_view key) {
    for (const Field& f : fields)
        if (EqualsIgnoringCase(f.Key, key))
            return &f;
    return nullptr;
}

} // namespace

std::span<const E1Field> E1Fields() {
    return kE1Fields;
}
std::span<const T1Field> T1Fields() {
    return kT1Fields;
}
std::span<const GeneralField> GeneralFields() {
    return kGeneralFields;
}
const E1Field* FindE1Field(std::string_view key) {
    return FindField(E1Fields(), key);
}
const T1Field* FindT1Field(std::string_view key) {
    return FindField(T1Fields(), key);
}

namespace {

std::string UpperHex(std::uint32_t value, int minDigits) {
    char digits[8];
    const auto end = std::to_chars(digits, digits + sizeof digits, value, 16).ptr;
    std::string text(static_cast<std::size_t>(end - digits), '0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char>(digits[i] >= 'a' ? digits[i] - 'a' + 'A' : digits[i]);
    if (static_cast<int>(text.size()) < minDigits)
        text.insert(0, static_cast<std::size_t>(minDigits) - text.size(), '0');
    return text;
}

} // namespace

std::string FormatFieldNumber(NumberStyle style, std::uint32_t value) {
    switch (style) {
    case NumberStyle::Hex:
        return "0x" + UpperHex(value, 1);
    case NumberStyle::Hex24:
        return "0x" + UpperHex(value, 6);
    case NumberStyle::Decimal:
        break;
    }
    return std::to_string(value);
}

} // namespace ruva
