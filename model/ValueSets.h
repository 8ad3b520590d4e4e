#pragma once
// The value sets of the enumerated settings: for each code its configuration-file value word and the
// item text that the property pages list. One table per set; the writer, the parser, the pages and the
// command-line tool all read these tables.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace ruva {

// ASCII comparison without regard to case, as configuration-file words are matched.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

struct ValueItem {
    std::int16_t Code;
    std::string_view Word;  // configuration-file value word, e.g. "CRC4_MULTI_FRAME_G706"
    std::string_view Label; // list item on the property pages, e.g. "CRC4 Multiframe G.706"
};

struct ValueSet {
    std::string_view Name;
    std::span<const ValueItem> Items;

    // The item for a code, or nullptr when the code is not in the set.
    const ValueItem* Find(int code) const;
    std::optional<std::string_view> WordFor(int code) const;
    // The code for a value word, compared without regard to case.
    std::optional<std::int16_t> CodeFor(std::string_view word) const;
    // Position of the code's item in the list (0-based), or -1.
    int PositionOf(int code) const;
};

namespace detail {
inline constexpr ValueItem ClockSourceItems[] = {
    {0, "INTERNAL", "Internal"},
    {1, "MVIP_MASTER_CLK", "MVIP Master Clock"},
    {2, "MVIP_SEC_CLK", "MVIP Secondary Clock"},
    {3, "LI0", "Li0"},
    {4, "LI1", "Li1"},
    {5, "EXTERNAL_8K", "External_8k"},
    {6, "EXTERNAL_2M", "External_2M"},
};
inline constexpr ValueItem LiModeItems[] = {{0, "T1", "T1"}, {1, "E1", "E1"}};
inline constexpr ValueItem E1LineCodeItems[] = {{0, "AMI", "AMI"}, {1, "HDB3", "HDB3"}};
inline constexpr ValueItem T1LineCodeItems[] = {{0, "AMI", "AMI"}, {1, "B8ZS", "B8ZS"}};
inline constexpr ValueItem E1FrameFormatItems[] = {
    {0, "DOUBLE_FRAME", "Double Frame"},
    {1, "CRC4_MULTI_FRAME", "CRC4 Multiframe"},
    {2, "CRC4_MULTI_FRAME_G706", "CRC4 Multiframe G.706"},
};
inline constexpr ValueItem T1FrameFormatItems[] = {
    {0, "F12", "F12"}, {1, "F4", "F4"}, {2, "ESF", "ESF"}, {3, "F72", "F72"}};
inline constexpr ValueItem AisDetectionItems[] = {{0, "ETS300233", "ETS300233"}, {1, "G775", "G775"}};
inline constexpr ValueItem SignalingModeItems[] = {
    {0, "CCS", "CCS"}, {1, "CAS_CC", "CAS_CC"}, {2, "CAS_BR", "CAS_BR"}};
inline constexpr ValueItem RemoteAlarmFormatItems[] = {{0, "YELLOW_A", "YELLOW_A"},
                                                       {1, "YELLOW_B", "YELLOW_B"}};
inline constexpr ValueItem LfaSensitivityItems[] = {
    {0, "WRONG_2_OUT_OF_4", "WRONG_2_OUT_OF_4"},
    {8, "WRONG_2_OUT_OF_5", "WRONG_2_OUT_OF_5"},
    {16, "WRONG_2_OUT_OF_6", "WRONG_2_OUT_OF_6"},
};
inline constexpr ValueItem YesNoItems[] = {{0, "NO", "No"}, {1, "YES", "Yes"}};
inline constexpr ValueItem TransmitPowerItems[] = {{0, "LOW", "Low"}, {1, "HIGH", "High"}};
} // namespace detail

inline constexpr ValueSet ClockSourceCode{"ClockSourceCode", detail::ClockSourceItems};
inline constexpr ValueSet LiMode{"LiMode", detail::LiModeItems};
inline constexpr ValueSet E1LineCode{"E1LineCode", detail::E1LineCodeItems};
inline constexpr ValueSet T1LineCode{"T1LineCode", detail::T1LineCodeItems};
inline constexpr ValueSet E1FrameFormat{"E1FrameFormat", detail::E1FrameFormatItems};
inline constexpr ValueSet T1FrameFormat{"T1FrameFormat", detail::T1FrameFormatItems};
inline constexpr ValueSet AisDetectionMode{"AisDetectionMode", detail::AisDetectionItems};
inline constexpr ValueSet SignalingModeCode{"SignalingModeCode", detail::SignalingModeItems};
inline constexpr ValueSet RemoteAlarmFormat{"RemoteAlarmFormat", detail::RemoteAlarmFormatItems};
inline constexpr ValueSet LfaSensitivityCode{"LfaSensitivityCode", detail::LfaSensitivityItems};
inline constexpr ValueSet YesNo{"YesNo", detail::YesNoItems};
inline constexpr ValueSet TransmitPowerLevel{"TransmitPowerLevel", detail::TransmitPowerItems};

// Named codes, spelled as the value words.
namespace code {
namespace ClockSource {
inline constexpr std::int16_t INTERNAL = 0, MVIP_MASTER_CLK = 1, MVIP_SEC_CLK = 2, LI0 = 3, LI1 = 4,
                              EXTERNAL_8K = 5, EXTERNAL_2M = 6;
}
namespace LiMode {
inline constexpr std::int16_t T1 = 0, E1 = 1;
}
namespace E1LineCode {
inline constexpr std::int16_t AMI = 0, HDB3 = 1;
}
namespace T1LineCode {
inline constexpr std::int16_t AMI = 0, B8ZS = 1;
}
namespace E1FrameFormat {
inline constexpr std::int16_t DOUBLE_FRAME = 0, CRC4_MULTI_FRAME = 1, CRC4_MULTI_FRAME_G706 = 2;
}
namespace T1FrameFormat {
inline constexpr std::int16_t F12 = 0, F4 = 1, ESF = 2, F72 = 3;
}
namespace AisDetection {
inline constexpr std::int16_t ETS300233 = 0, G775 = 1;
}
namespace SignalingMode {
inline constexpr std::int16_t CCS = 0, CAS_CC = 1, CAS_BR = 2;
}
namespace RemoteAlarmFormat {
inline constexpr std::int16_t YELLOW_A = 0, YELLOW_B = 1;
}
namespace LfaSensitivity {
inline constexpr std::int16_t WRONG_2_OUT_OF_4 = 0, WRONG_2_OUT_OF_5 = 8, WRONG_2_OUT_OF_6 = 16;
}
namespace YesNo {
inline constexpr std::int16_t NO = 0, YES = 1;
}
namespace TransmitPower {
inline constexpr std::int16_t LOW = 0, HIGH = 1;
}
} // namespace code

} // namespace ruva
