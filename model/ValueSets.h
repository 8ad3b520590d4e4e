#pragma once
// The value sets of the enumerated settings. Each value is written once, in its set's list below: its
// word (the configuration file's value word, and the name of its code in `code::`), its code, and the item
// text that the property pages list when it differs from the word. The writer, the lexer, the parser, the
// pages and the command-line tool all read these tables.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace ruva {

// ASCII comparison without regard to case, as configuration-file words are matched.
constexpr bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    constexpr auto lower = [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    };
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

// How a configuration file writes a value word: alone, or followed by a space before the line end.
enum class FileWord { Alone, ThenSpace };

struct ValueItem {
    std::int16_t Code;
    std::string_view Word;  // configuration-file value word, e.g. "CRC4_MULTI_FRAME_G706"
    std::string_view Label; // list item on the property pages, e.g. "CRC4 Multiframe G.706"
    FileWord Written = FileWord::Alone;

    constexpr ValueItem(std::int16_t code, std::string_view word) : Code(code), Word(word), Label(word) {}
    constexpr ValueItem(std::int16_t code, std::string_view word, std::string_view label,
                        FileWord written = FileWord::Alone)
        : Code(code), Word(word), Label(label), Written(written) {}
};

struct ValueSet {
    std::string_view Name;
    std::span<const ValueItem> Items;

    // The item for a code, or nullptr when the code is not in the set.
    constexpr const ValueItem* Find(int code) const {
        for (const ValueItem& item : Items)
            if (item.Code == code)
                return &item;
        return nullptr;
    }
    constexpr std::optional<std::string_view> WordFor(int code) const {
        if (const ValueItem* item = Find(code))
            return item->Word;
        return std::nullopt;
    }
    // The code for a value word, compared without regard to case.
    constexpr std::optional<std::int16_t> CodeFor(std::string_view word) const {
        for (const ValueItem& item : Items)
            if (EqualsIgnoringCase(item.Word, word))
                return item.Code;
        return std::nullopt;
    }
    // Position of the code's item in the list (0-based), or -1.
    constexpr int PositionOf(int code) const {
        const ValueItem* item = Find(code);
        return item ? static_cast<int>(item - Items.data()) : -1;
    }
};

// The values of each set, in list order, as V(WORD, code) or V(WORD, code, "item text"), and for a word
// that the file writes with a space behind it V(WORD, code, "item text", FileWord::ThenSpace).
#define RUVA_CLOCK_SOURCE_VALUES(V)                                                                          \
    V(INTERNAL, 0, "Internal")                                                                               \
    V(MVIP_MASTER_CLK, 1, "MVIP Master Clock")                                                               \
    V(MVIP_SEC_CLK, 2, "MVIP Secondary Clock")                                                               \
    V(LI0, 3, "Li0")                                                                                         \
    V(LI1, 4, "Li1")                                                                                         \
    V(EXTERNAL_8K, 5, "External_8k")                                                                         \
    V(EXTERNAL_2M, 6, "External_2M", FileWord::ThenSpace)
#define RUVA_LI_MODE_VALUES(V) V(T1, 0) V(E1, 1)
#define RUVA_E1_LINE_CODE_VALUES(V) V(AMI, 0) V(HDB3, 1)
#define RUVA_T1_LINE_CODE_VALUES(V) V(AMI, 0) V(B8ZS, 1)
#define RUVA_E1_FRAME_FORMAT_VALUES(V)                                                                       \
    V(DOUBLE_FRAME, 0, "Double Frame")                                                                       \
    V(CRC4_MULTI_FRAME, 1, "CRC4 Multiframe")                                                                \
    V(CRC4_MULTI_FRAME_G706, 2, "CRC4 Multiframe G.706", FileWord::ThenSpace)
#define RUVA_T1_FRAME_FORMAT_VALUES(V) V(F12, 0) V(F4, 1) V(ESF, 2) V(F72, 3)
#define RUVA_AIS_DETECTION_VALUES(V) V(ETS300233, 0) V(G775, 1)
#define RUVA_SIGNALING_MODE_VALUES(V) V(CCS, 0) V(CAS_CC, 1) V(CAS_BR, 2)
#define RUVA_REMOTE_ALARM_FORMAT_VALUES(V) V(YELLOW_A, 0) V(YELLOW_B, 1)
#define RUVA_LFA_SENSITIVITY_VALUES(V) V(WRONG_2_OUT_OF_4, 0) V(WRONG_2_OUT_OF_5, 8) V(WRONG_2_OUT_OF_6, 16)
#define RUVA_YES_NO_VALUES(V) V(NO, 0, "No") V(YES, 1, "Yes")
#define RUVA_TRANSMIT_POWER_VALUES(V) V(LOW, 0, "Low") V(HIGH, 1, "High")

// A value set `Set` with its named codes code::Codes::WORD, from the list VALUES.
#define RUVA_CODE_OF(word, code, ...) inline constexpr std::int16_t word = code;
#define RUVA_ITEM_OF(word, code, ...) ValueItem{code, #word, __VA_ARGS__},
#define RUVA_VALUE_SET(Set, Codes, VALUES)                                                                   \
    namespace code::Codes {                                                                                  \
    VALUES(RUVA_CODE_OF)                                                                                     \
    }                                                                                                        \
    namespace detail {                                                                                       \
    inline constexpr ValueItem Set##Items[] = {VALUES(RUVA_ITEM_OF)};                                        \
    }                                                                                                        \
    inline constexpr ValueSet Set{#Set, detail::Set##Items};

RUVA_VALUE_SET(ClockSourceCode, ClockSource, RUVA_CLOCK_SOURCE_VALUES)
RUVA_VALUE_SET(LiMode, LiMode, RUVA_LI_MODE_VALUES)
RUVA_VALUE_SET(E1LineCode, E1LineCode, RUVA_E1_LINE_CODE_VALUES)
RUVA_VALUE_SET(T1LineCode, T1LineCode, RUVA_T1_LINE_CODE_VALUES)
RUVA_VALUE_SET(E1FrameFormat, E1FrameFormat, RUVA_E1_FRAME_FORMAT_VALUES)
RUVA_VALUE_SET(T1FrameFormat, T1FrameFormat, RUVA_T1_FRAME_FORMAT_VALUES)
RUVA_VALUE_SET(AisDetectionMode, AisDetection, RUVA_AIS_DETECTION_VALUES)
RUVA_VALUE_SET(SignalingModeCode, SignalingMode, RUVA_SIGNALING_MODE_VALUES)
RUVA_VALUE_SET(RemoteAlarmFormat, RemoteAlarmFormat, RUVA_REMOTE_ALARM_FORMAT_VALUES)
RUVA_VALUE_SET(LfaSensitivityCode, LfaSensitivity, RUVA_LFA_SENSITIVITY_VALUES)
RUVA_VALUE_SET(YesNo, YesNo, RUVA_YES_NO_VALUES)
RUVA_VALUE_SET(TransmitPowerLevel, TransmitPower, RUVA_TRANSMIT_POWER_VALUES)

#undef RUVA_VALUE_SET
#undef RUVA_ITEM_OF
#undef RUVA_CODE_OF

} // namespace ruva
