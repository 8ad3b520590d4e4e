#include "ConfigReport.h"

#include "ConfigWriter.h"
#include "Fields.h"
#include "ValueSets.h"

#include <span>

namespace ruva::tool {

void PrintJson(std::ostream& out, const nlohmann::ordered_json& json) {
    out << json.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
}

namespace {

nlohmann::ordered_json WordOrNumber(const ValueSet& values, int code) {
    if (const auto word = values.WordFor(code))
        return std::string(*word);
    return code;
}

template <typename Block>
nlohmann::ordered_json FieldToJson(const FieldInfo<Block>& field, const Block& block) {
    const std::int64_t value = field.Get(block);
    if (field.IsEnumerated())
        return WordOrNumber(*field.Values, static_cast<int>(value));
    return static_cast<std::uint32_t>(value);
}

template <typename Block>
nlohmann::ordered_json BlockToJson(std::span<const FieldInfo<Block>> fields, const Block& block) {
    nlohmann::ordered_json object = nlohmann::ordered_json::object();
    for (const FieldInfo<Block>& field : fields)
        object[std::string(field.Key)] = FieldToJson(field, block);
    return object;
}

std::string HexBytes(const ImageBytes& bytes) {
    static constexpr char Digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(2 * bytes.size());
    for (std::uint8_t b : bytes) {
        hex += Digits[b >> 4];
        hex += Digits[b & 0xF];
    }
    return hex;
}

constexpr std::size_t KeyColumn = 30;
constexpr std::size_t ValueColumn = 24;

// One row: the label in the key column, then the values, each but the last padded to its column.
void Row(std::string& out, std::string_view label, std::string_view first, std::string_view second = {}) {
    std::string line(label);
    line.resize(std::max(line.size() + 1, KeyColumn), ' ');
    line += first;
    if (!second.empty()) {
        line.resize(std::max(line.size() + 1, KeyColumn + ValueColumn), ' ');
        line += second;
    }
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    out += line;
    out += '\n';
}

template <typename Block>
void BlockRows(std::string& out, std::string_view title, std::span<const FieldInfo<Block>> fields,
               const Block& li0, const Block& li1) {
    out += title;
    out += '\n';
    for (const FieldInfo<Block>& field : fields)
        Row(out, "  " + std::string(field.Key), FieldValueText(field, li0), FieldValueText(field, li1));
}

} // namespace

nlohmann::ordered_json ConfigToJson(const BoardConfig& config, int board) {
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    json["board"] = board;
    nlohmann::ordered_json general = nlohmann::ordered_json::object();
    for (const GeneralField& field : GeneralFields(Section::Board))
        general[std::string(field.Key)] = FieldToJson(field, config);
    // A line interface's setting: the values of both, as an array.
    for (std::size_t li = 0; li < 2; ++li)
        for (const GeneralField& field : GeneralFields(LiSection(li)))
            general[std::string(field.Key)].push_back(FieldToJson(field, config));
    json["General"] = general;
    nlohmann::ordered_json blocksOfLi = nlohmann::ordered_json::array();
    for (const LineInterfaceSettings& settings : config.Image.Li) {
        nlohmann::ordered_json blocks = nlohmann::ordered_json::object();
        blocks["E1"] = BlockToJson(E1Fields(), settings.E1);
        blocks["T1"] = BlockToJson(T1Fields(), settings.T1);
        blocksOfLi.push_back(blocks);
    }
    json["Li"] = blocksOfLi;
    json["Image"] = HexBytes(config.Image.toBytes());
    return json;
}

std::string ConfigListing(const BoardConfig& config, int board) {
    const auto& li = config.Image.Li;
    std::string out = "Board " + std::to_string(board) + "\n";
    for (const GeneralField& field : GeneralFields(Section::Board))
        Row(out, "  " + std::string(field.Key), FieldValueText(field, config));
    out += '\n';
    Row(out, "", "Li0", "Li1");
    // A line interface's setting: both values on one row.
    const auto li0 = GeneralFields(Section::Li0);
    const auto li1 = GeneralFields(Section::Li1);
    for (std::size_t i = 0; i < li0.size(); ++i)
        Row(out, "  " + std::string(li0[i].Key), FieldValueText(li0[i], config),
            FieldValueText(li1[i], config));
    BlockRows(out, "E1", E1Fields(), li[0].E1, li[1].E1);
    BlockRows(out, "T1", T1Fields(), li[0].T1, li[1].T1);
    return out;
}

} // namespace ruva::tool
