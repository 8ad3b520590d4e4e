#include "Fields.h"

#include "Texts.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace ruva {

namespace {

namespace t = texts;

template <typename Block, auto Member>
constexpr FieldInfo<Block> Enumerated(std::string_view key, const ValueSet& values,
                                      std::string_view unexpected) {
    return FieldInfo<Block>{
        key,
        &values,
        16,
        0,
        NumberStyle::Decimal,
        {},
        unexpected,
        [](const Block& b) -> std::int64_t { return b.*Member; },
        [](Block& b, std::int64_t v) { b.*Member = static_cast<std::int16_t>(v); },
    };
}

template <typename Block, auto Member>
constexpr FieldInfo<Block> Number(std::string_view key, std::uint32_t max, NumberStyle style,
                                  std::string_view rangeMessage) {
    using Type = std::remove_cvref_t<decltype(std::declval<Block>().*Member)>;
    return FieldInfo<Block>{
        key,
        nullptr,
        static_cast<unsigned>(sizeof(Type) * 8),
        max,
        style,
        rangeMessage,
        {},
        [](const Block& b) -> std::int64_t { return b.*Member; },
        [](Block& b, std::int64_t v) { b.*Member = static_cast<Type>(v); },
    };
}

using E = E1Settings;
using T = T1Settings;

const std::array kE1Fields{
    Enumerated<E, &E::TransmitLineCode>("TransmitLineCode", E1LineCode, t::UnexpectedE1TransmitLineCode),
    Enumerated<E, &E::ReceiveLineCode>("ReceiveLineCode", E1LineCode, t::UnexpectedE1ReceiveLineCode),
    Enumerated<E, &E::TransmitFrameFormat>("TransmitFrameFormat", E1FrameFormat,
                                           t::UnexpectedE1TransmitFrameFormat),
    Enumerated<E, &E::ReceiveFrameFormat>("ReceiveFrameFormat", E1FrameFormat,
                                          t::UnexpectedE1ReceiveFrameFormat),
    Enumerated<E, &E::AisDetection>("AisDetection", AisDetectionMode, t::UnexpectedE1AisDetection),
    Number<E, &E::SiBits>("SiBits", 0x03, NumberStyle::Hex, t::SiBitsRange),
    Number<E, &E::SaBits>("SaBits", 0x1F, NumberStyle::Hex, t::SaBitsRange),
    Enumerated<E, &E::ExtendedHDB3ErrorDetection>("ExtendedHDB3ErrorDetection", YesNo,
                                                  t::UnexpectedE1ExtendedHDB3ErrorDetection),
    Enumerated<E, &E::AutomaticRegainMultiframe>("AutomaticRegainMultiframe", YesNo,
                                                 t::UnexpectedE1AutomaticRegainMultiframe),
    Enumerated<E, &E::AutoResynchronization>("AutoResynchronization", YesNo,
                                             t::UnexpectedE1AutoResynchronization),
    Enumerated<E, &E::AutomaticRemoteAlarm>("AutomaticRemoteAlarm", YesNo,
                                            t::UnexpectedE1AutomaticRemoteAlarm),
    Number<E, &E::LOSSensitivity>("LOSSensitivity", 255, NumberStyle::Decimal, t::ByteRange),
    Number<E, &E::LOSRecovery>("LOSRecovery", 255, NumberStyle::Decimal, t::ByteRange),
    Number<E, &E::LineLength>("LineLength", 65535, NumberStyle::Decimal, t::LineLengthRange),
    Enumerated<E, &E::TransmitPower>("TransmitPower", TransmitPowerLevel, t::UnexpectedE1TransmitPower),
    Enumerated<E, &E::ReceiveEqualizer>("ReceiveEqualizer", YesNo, t::UnexpectedE1ReceiveEqualizer),
};

const std::array kT1Fields{
    Enumerated<T, &T::SignalingMode>("SignalingMode", SignalingModeCode, t::UnexpectedT1SignalingMode),
    Enumerated<T, &T::TransmitLineCode>("TransmitLineCode", T1LineCode, t::UnexpectedT1TransmitLineCode),
    Enumerated<T, &T::ReceiveLineCode>("ReceiveLineCode", T1LineCode, t::UnexpectedT1ReceiveLineCode),
    Enumerated<T, &T::FrameFormat>("FrameFormat", T1FrameFormat, t::UnexpectedT1FrameFormat),
    Enumerated<T, &T::EnableCRC6>("EnableCRC6", YesNo, t::UnexpectedT1EnableCRC6),
    Enumerated<T, &T::TransmitRemoteAlarmFormat>("TransmitRemoteAlarmFormat", RemoteAlarmFormat,
                                                 t::UnexpectedT1TransmitRemoteAlarmFormat),
    Enumerated<T, &T::ReceiveRemoteAlarmFormat>("ReceiveRemoteAlarmFormat", RemoteAlarmFormat,
                                                t::UnexpectedT1ReceiveRemoteAlarmFormat),
    Enumerated<T, &T::AutoResynchronization>("AutoResynchronization", YesNo,
                                             t::UnexpectedT1AutoResynchronization),
    Enumerated<T, &T::LFASensitivity>("LFASensitivity", LfaSensitivityCode, t::UnexpectedT1LFASensitivity),
    Enumerated<T, &T::AutomaticRemoteAlarm>("AutomaticRemoteAlarm", YesNo,
                                            t::UnexpectedT1AutomaticRemoteAlarm),
    Number<T, &T::LOSSensitivity>("LOSSensitivity", 255, NumberStyle::Decimal, t::ByteRange),
    Number<T, &T::LOSRecovery>("LOSRecovery", 255, NumberStyle::Decimal, t::ByteRange),
    Number<T, &T::LineLength>("LineLength", 65535, NumberStyle::Decimal, t::LineLengthRange),
    Enumerated<T, &T::TransmitPower>("TransmitPower", TransmitPowerLevel, t::UnexpectedT1TransmitPower),
    Enumerated<T, &T::ReceiveEqualizer>("ReceiveEqualizer", YesNo, t::UnexpectedT1ReceiveEqualizer),
    Number<T, &T::ClearChannels>("ClearChannels", 0xFFFFFF, NumberStyle::Hex24, t::ClearChannelsRange),
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
