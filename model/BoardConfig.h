#pragma once
// The board configuration record: the 134-byte stored-layout image that a board keeps and that a
// configuration file fills per board, and the HDLC start address, which the board reports apart. The
// members of the E1 and T1 blocks are declared in stored order, which is also the file's: the catalogue
// of settings (Fields.h) takes each setting's offset and place in the file from it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace ruva {

struct E1Settings {
    static constexpr std::size_t Size = 30;

    std::int16_t TransmitLineCode = 0;
    std::int16_t ReceiveLineCode = 0;
    std::int16_t TransmitFrameFormat = 0;
    std::int16_t ReceiveFrameFormat = 0;
    std::int16_t AisDetection = 0;
    std::uint16_t SiBits = 0; // bit 1 = frame 13, bit 0 = frame 15
    std::uint16_t SaBits = 0; // bit 4 = Sa4 ... bit 0 = Sa8
    std::int16_t ExtendedHDB3ErrorDetection = 0;
    std::int16_t AutomaticRegainMultiframe = 0;
    std::int16_t AutoResynchronization = 0;
    std::int16_t AutomaticRemoteAlarm = 0;
    std::uint8_t LOSSensitivity = 0;
    std::uint8_t LOSRecovery = 0;
    std::uint16_t LineLength = 0;
    std::int16_t TransmitPower = 0;
    std::int16_t ReceiveEqualizer = 0;

    std::array<std::uint8_t, Size> toBytes() const;
    static E1Settings fromBytes(std::span<const std::uint8_t, Size> bytes);
    friend bool operator==(const E1Settings&, const E1Settings&) = default;
};

struct T1Settings {
    static constexpr std::size_t Size = 32;

    std::int16_t SignalingMode = 0;
    std::int16_t TransmitLineCode = 0;
    std::int16_t ReceiveLineCode = 0;
    std::int16_t FrameFormat = 0;
    std::int16_t EnableCRC6 = 0;
    std::int16_t TransmitRemoteAlarmFormat = 0;
    std::int16_t ReceiveRemoteAlarmFormat = 0;
    std::int16_t AutoResynchronization = 0;
    std::int16_t LFASensitivity = 0; // codes 0, 8, 16
    std::int16_t AutomaticRemoteAlarm = 0;
    std::uint8_t LOSSensitivity = 0;
    std::uint8_t LOSRecovery = 0;
    std::uint16_t LineLength = 0;
    std::int16_t TransmitPower = 0;
    std::int16_t ReceiveEqualizer = 0;
    std::uint32_t ClearChannels = 0; // bit n-1 = time slot n

    std::array<std::uint8_t, Size> toBytes() const;
    static T1Settings fromBytes(std::span<const std::uint8_t, Size> bytes);
    friend bool operator==(const T1Settings&, const T1Settings&) = default;
};

struct LineInterfaceSettings {
    static constexpr std::size_t Size = 64;
    static constexpr std::size_t E1Offset = 2;
    static constexpr std::size_t T1Offset = 32;

    std::int16_t DefaultMode = 0;
    E1Settings E1;
    T1Settings T1;

    friend bool operator==(const LineInterfaceSettings&, const LineInterfaceSettings&) = default;
};

using ImageBytes = std::array<std::uint8_t, 134>;

struct StoredConfig {
    static constexpr std::size_t Size = 134;
    static constexpr std::size_t LiOffset[2] = {6, 70};
    static constexpr std::uint16_t CurrentVersion = 9;

    std::uint16_t Version = 0;
    std::uint16_t SerialNumber = 0;
    std::int16_t ClockSource = 0;
    std::array<LineInterfaceSettings, 2> Li;

    ImageBytes toBytes() const;
    static StoredConfig fromBytes(std::span<const std::uint8_t, Size> bytes);
    friend bool operator==(const StoredConfig&, const StoredConfig&) = default;
};

struct GeneralSettings {
    // The lowest HDLC start address that a configuration file may hold: its loader refuses any below.
    static constexpr std::uint32_t LowestHdlcStartAddress = 0x8000;

    // The clock source and the default modes are those of the image.
    std::uint32_t HdlcStartAddress = 0;

    friend bool operator==(const GeneralSettings&, const GeneralSettings&) = default;
};

struct BoardConfig {
    GeneralSettings General;
    StoredConfig Image;

    friend bool operator==(const BoardConfig&, const BoardConfig&) = default;
};

void SetE1Defaults(E1Settings& block);
void SetT1Defaults(T1Settings& block);

enum class LiBlock { E1, T1 };

// Replaces the E1 (or T1) block of line interface `li` with a copy of the other line interface's block.
void CopyOtherLi(StoredConfig& image, int li, LiBlock block);

} // namespace ruva
