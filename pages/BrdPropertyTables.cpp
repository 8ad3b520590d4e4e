#include "BrdPropertyTables.h"

#include "BoardConfig.h"
#include "Texts.h"

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
    return {name, label, ControlKind::Number, nullptr, 0, max, rangeRefusal};
}
constexpr FieldControl Address(std::string_view name, std::string_view label, std::uint32_t min,
                               std::string_view rangeRefusal) {
    return {name, label, ControlKind::Address, nullptr, min, 0xFFFFFFFF, rangeRefusal};
}
constexpr FieldControl Bits(std::string_view name, std::string_view label, std::span<const BitBox> boxes) {
    return {name, label, ControlKind::Bits, nullptr, 0, 0, {}, boxes};
}

constexpr BitBox kSaBoxes[] = {{4, "Sa4"}, {3, "Sa5"}, {2, "Sa6"}, {1, "Sa7"}, {0, "Sa8"}};
constexpr BitBox kSiBoxes[] = {{1, "Frame 13"}, {0, "Frame 15"}};
constexpr BitBox kClearChannelBoxes[] = {
    {0, "TS1"},   {1, "TS2"},   {2, "TS3"},   {3, "TS4"},   {4, "TS5"},   {5, "TS6"},
    {6, "TS7"},   {7, "TS8"},   {8, "TS9"},   {9, "TS10"},  {10, "TS11"}, {11, "TS12"},
    {12, "TS13"}, {13, "TS14"}, {14, "TS15"}, {15, "TS16"}, {16, "TS17"}, {17, "TS18"},
    {18, "TS19"}, {19, "TS20"}, {20, "TS21"}, {21, "TS22"}, {22, "TS23"}, {23, "TS24"},
};

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
    return kE1Page;
}

std::span<const FieldControl> BrdPropertyPgT1Fields() {
    return kT1Page;
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
