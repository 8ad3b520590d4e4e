#pragma once
// The settings in which two configurations differ, by name and value word: what `ruvacfg board diff`
// prints and what the audit trail records of a write to a board.

#include "BoardConfig.h"
#include "Fields.h"

#include <string>
#include <vector>

namespace ruva {

// A setting whose value differs between two configurations: its name ("ClockSource",
// "Li0.DefaultMode", "Li1.T1.ClearChannels") and both values as a file writes them.
struct SettingDifference {
    std::string Name;
    std::string First;
    std::string Second;
    friend bool operator==(const SettingDifference&, const SettingDifference&) = default;
};

// The differing settings in file order: the board's, then per line interface its default mode and its E1
// and T1 blocks. The image's header words and its copies of the General settings are not compared.
std::vector<SettingDifference> ConfigDifferences(const BoardConfig& first, const BoardConfig& second);

// A value word, or the code in decimal when it has none.
std::string WordText(const ValueSet& values, int code);

// A field's value as a file writes it: its value word, or its number in the field's format.
template <typename Block>
std::string FieldValueText(const FieldInfo<Block>& field, const Block& block) {
    const std::int64_t value = field.Get(block);
    if (field.IsEnumerated())
        return WordText(*field.Values, static_cast<int>(value));
    return FormatFieldNumber(field.Style, static_cast<std::uint32_t>(value));
}

} // namespace ruva
