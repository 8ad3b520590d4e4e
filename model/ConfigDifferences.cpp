#include "ConfigDifferences.h"

#include "ValueSets.h"

#include <span>

namespace ruva {

namespace {

template <typename Block>
void BlockDifferences(std::vector<SettingDifference>& out, const std::string& prefix,
                      std::span<const FieldInfo<Block>> fields, const Block& first, const Block& second) {
    for (const FieldInfo<Block>& field : fields)
        if (field.Get(first) != field.Get(second))
            out.push_back({prefix + std::string(field.Key), FieldValueText(field, first),
                           FieldValueText(field, second)});
}

} // namespace

std::string WordText(const ValueSet& values, int code) {
    if (const auto word = values.WordFor(code))
        return std::string(*word);
    return std::to_string(code);
}

std::vector<SettingDifference> ConfigDifferences(const BoardConfig& first, const BoardConfig& second) {
    std::vector<SettingDifference> out;
    const StoredConfig& x = first.Image;
    const StoredConfig& y = second.Image;
    if (x.ClockSource != y.ClockSource)
        out.push_back({std::string(keys::ClockSource), WordText(ClockSourceCode, x.ClockSource),
                       WordText(ClockSourceCode, y.ClockSource)});
    if (const std::uint32_t a = first.General.HdlcStartAddress, b = second.General.HdlcStartAddress; a != b)
        out.push_back({std::string(keys::HdlcStartAddress), FormatFieldNumber(NumberStyle::Hex, a),
                       FormatFieldNumber(NumberStyle::Hex, b)});
    for (std::size_t i = 0; i < 2; ++i) {
        const std::string li = "Li" + std::to_string(i) + ".";
        if (x.Li[i].DefaultMode != y.Li[i].DefaultMode)
            out.push_back({li + std::string(keys::DefaultMode), WordText(LiMode, x.Li[i].DefaultMode),
                           WordText(LiMode, y.Li[i].DefaultMode)});
        BlockDifferences(out, li + "E1.", E1Fields(), x.Li[i].E1, y.Li[i].E1);
        BlockDifferences(out, li + "T1.", T1Fields(), x.Li[i].T1, y.Li[i].T1);
    }
    return out;
}

} // namespace ruva
