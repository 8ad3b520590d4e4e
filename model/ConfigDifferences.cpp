#include "ConfigDifferences.h"

#include "ValueSets.h"

#include <span>

namespace ruva {

namespace {

template <typename Block>
void Differences(std::vector<SettingDifference>& out, const std::string& prefix,
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
    Differences(out, "", GeneralFields(Section::Board), first, second);
    for (std::size_t i = 0; i < 2; ++i) {
        const std::string li = "Li" + std::to_string(i) + ".";
        Differences(out, li, GeneralFields(LiSection(i)), first, second);
        Differences(out, li + "E1.", E1Fields(), first.Image.Li[i].E1, second.Image.Li[i].E1);
        Differences(out, li + "T1.", T1Fields(), first.Image.Li[i].T1, second.Image.Li[i].T1);
    }
    return out;
}

} // namespace ruva
