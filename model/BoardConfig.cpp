#include "BoardConfig.h"

#include "Bytes.h"

#include <algorithm>

namespace ruva {

using namespace bytes;

std::array<std::uint8_t, E1Settings::Size> E1Settings::toBytes() const {
    std::array<std::uint8_t, Size> b{};
    PutI16(b, 0, TransmitLineCode);
    PutI16(b, 2, ReceiveLineCode);
    PutI16(b, 4, TransmitFrameFormat);
    PutI16(b, 6, ReceiveFrameFormat);
    PutI16(b, 8, AisDetection);
    PutU16(b, 10, SiBits);
    PutU16(b, 12, SaBits);
    PutI16(b, 14, ExtendedHDB3ErrorDetection);
    PutI16(b, 16, AutomaticRegainMultiframe);
    PutI16(b, 18, AutoResynchronization);
    PutI16(b, 20, AutomaticRemoteAlarm);
    PutU8(b, 22, LOSSensitivity);
    PutU8(b, 23, LOSRecovery);
    PutU16(b, 24, LineLength);
    PutI16(b, 26, TransmitPower);
    PutI16(b, 28, ReceiveEqualizer);
    return b;
}

E1Settings E1Settings::fromBytes(std::span<const std::uint8_t, Size> b) {
    E1Settings s;
    s.TransmitLineCode = GetI16(b, 0);
    s.ReceiveLineCode = GetI16(b, 2);
    s.TransmitFrameFormat = GetI16(b, 4);
    s.ReceiveFrameFormat = GetI16(b, 6);
    s.AisDetection = GetI16(b, 8);
    s.SiBits = GetU16(b, 10);
    s.SaBits = GetU16(b, 12);
    s.ExtendedHDB3ErrorDetection = GetI16(b, 14);
    s.AutomaticRegainMultiframe = GetI16(b, 16);
    s.AutoResynchronization = GetI16(b, 18);
    s.AutomaticRemoteAlarm = GetI16(b, 20);
    s.LOSSensitivity = GetU8(b, 22);
    s.LOSRecovery = GetU8(b, 23);
    s.LineLength = GetU16(b, 24);
    s.TransmitPower = GetI16(b, 26);
    s.ReceiveEqualizer = GetI16(b, 28);
    return s;
}

std::array<std::uint8_t, T1Settings::Size> T1Settings::toBytes() const {
    std::array<std::uint8_t, Size> b{};
    PutI16(b, 0, SignalingMode);
    PutI16(b, 2, TransmitLineCode);
    PutI16(b, 4, ReceiveLineCode);
    PutI16(b, 6, FrameFormat);
    PutI16(b, 8, EnableCRC6);
    PutI16(b, 10, TransmitRemoteAlarmFormat);
    PutI16(b, 12, ReceiveRemoteAlarmFormat);
    PutI16(b, 14, AutoResynchronization);
    PutI16(b, 16, LFASensitivity);
    PutI16(b, 18, AutomaticRemoteAlarm);
    PutU8(b, 20, LOSSensitivity);
    PutU8(b, 21, LOSRecovery);
    PutU16(b, 22, LineLength);
    PutI16(b, 24, TransmitPower);
    PutI16(b, 26, ReceiveEqualizer);
    PutU32(b, 28, ClearChannels);
    return b;
}

T1Settings T1Settings::fromBytes(std::span<const std::uint8_t, Size> b) {
    T1Settings s;
    s.SignalingMode = GetI16(b, 0);
    s.TransmitLineCode = GetI16(b, 2);
    s.ReceiveLineCode = GetI16(b, 4);
    s.FrameFormat = GetI16(b, 6);
    s.EnableCRC6 = GetI16(b, 8);
    s.TransmitRemoteAlarmFormat = GetI16(b, 10);
    s.ReceiveRemoteAlarmFormat = GetI16(b, 12);
    s.AutoResynchronization = GetI16(b, 14);
    s.LFASensitivity = GetI16(b, 16);
    s.AutomaticRemoteAlarm = GetI16(b, 18);
    s.LOSSensitivity = GetU8(b, 20);
    s.LOSRecovery = GetU8(b, 21);
    s.LineLength = GetU16(b, 22);
    s.TransmitPower = GetI16(b, 24);
    s.ReceiveEqualizer = GetI16(b, 26);
    s.ClearChannels = GetU32(b, 28);
    return s;
}

ImageBytes StoredConfig::toBytes() const {
    ImageBytes b{};
    PutU16(b, 0, Version);
    PutU16(b, 2, SerialNumber);
    PutI16(b, 4, ClockSource);
    for (std::size_t li = 0; li < 2; ++li) {
        const std::size_t base = LiOffset[li];
        PutI16(b, base, Li[li].DefaultMode);
        auto e1 = Li[li].E1.toBytes();
        auto t1 = Li[li].T1.toBytes();
        std::copy(e1.begin(), e1.end(),
                  b.begin() + static_cast<std::ptrdiff_t>(base + LineInterfaceSettings::E1Offset));
        std::copy(t1.begin(), t1.end(),
                  b.begin() + static_cast<std::ptrdiff_t>(base + LineInterfaceSettings::T1Offset));
    }
    return b;
}

StoredConfig StoredConfig::fromBytes(std::span<const std::uint8_t, Size> b) {
    StoredConfig c;
    c.Version = GetU16(b, 0);
    c.SerialNumber = GetU16(b, 2);
    c.ClockSource = GetI16(b, 4);
    for (std::size_t li = 0; li < 2; ++li) {
        const std::size_t base = LiOffset[li];
        c.Li[li].DefaultMode = GetI16(b, base);
        c.Li[li].E1 = E1Settings::fromBytes(
            b.subspan(base + LineInterfaceSettings::E1Offset).first<E1Settings::Size>());
        c.Li[li].T1 = T1Settings::fromBytes(
            b.subspan(base + LineInterfaceSettings::T1Offset).first<T1Settings::Size>());
    }
    return c;
}

void SetE1Defaults(E1Settings& e1) {
    e1.TransmitLineCode = 1;    // HDB3
    e1.ReceiveLineCode = 1;     // HDB3
    e1.TransmitFrameFormat = 0; // DOUBLE_FRAME
    e1.ReceiveFrameFormat = 0;  // DOUBLE_FRAME
    e1.AisDetection = 1;        // G775
    e1.SiBits = 0x03;
    e1.SaBits = 0x1F;
    e1.ExtendedHDB3ErrorDetection = 0;
    e1.AutomaticRegainMultiframe = 0;
    e1.AutoResynchronization = 1;
    e1.AutomaticRemoteAlarm = 0;
    e1.LOSSensitivity = 128;
    e1.LOSRecovery = 128;
    e1.LineLength = 100;
    e1.TransmitPower = 0; // LOW
    e1.ReceiveEqualizer = 1;
}

void SetT1Defaults(T1Settings& t1) {
    t1.SignalingMode = 0;    // CCS
    t1.TransmitLineCode = 0; // AMI
    t1.ReceiveLineCode = 0;  // AMI
    t1.FrameFormat = 2;      // ESF
    t1.EnableCRC6 = 1;
    t1.TransmitRemoteAlarmFormat = 1; // YELLOW_B
    t1.ReceiveRemoteAlarmFormat = 1;  // YELLOW_B
    t1.AutoResynchronization = 1;
    t1.LFASensitivity = 0; // WRONG_2_OUT_OF_4
    t1.AutomaticRemoteAlarm = 0;
    t1.LOSSensitivity = 128;
    t1.LOSRecovery = 128;
    t1.LineLength = 100;
    t1.TransmitPower = 0; // LOW
    t1.ReceiveEqualizer = 1;
    t1.ClearChannels = 0;
}

void CopyOtherLi(StoredConfig& image, int li, LiBlock block) {
    if (li != 0 && li != 1)
        return;
    LineInterfaceSettings& target = image.Li[static_cast<std::size_t>(li)];
    const LineInterfaceSettings& other = image.Li[static_cast<std::size_t>(1 - li)];
    if (block == LiBlock::E1)
        target.E1 = other.E1;
    else
        target.T1 = other.T1;
}

} // namespace ruva
