#include "StateJson.h"

#include "Fields.h"
#include "MessageFormat.h"
#include "ValueSets.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <initializer_list>
#include <limits>

namespace ruva::sim {

namespace {

// Written in a fixed order of keys; read into sorted maps, whose lookup stays fast for thousands of
// error texts (an ordered object searches its keys one by one).
using Json = nlohmann::ordered_json;
using InJson = nlohmann::json;

constexpr std::string_view LiKeys[2] = {"Li0", "Li1"};

// The clock sources the four clock requests select.
constexpr std::int16_t SelectableClocks[] = {code::ClockSource::INTERNAL, code::ClockSource::LI0,
                                             code::ClockSource::LI1, code::ClockSource::EXTERNAL_2M};

// ---- writing

std::string Hex(std::uint64_t value, int digits = 1) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%0*llX", digits, static_cast<unsigned long long>(value));
    return text;
}

// Byte 3 (the major number) first: 0x01000300 -> "1.0.3.0".
std::string Revision(std::uint32_t value) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        text += std::to_string((value >> shift) & 0xFF);
        if (shift > 0)
            text += '.';
    }
    return text;
}

std::string HexBytes(std::span<const std::uint8_t> bytes) {
    std::string text;
    char pair[3];
    for (std::uint8_t b : bytes) {
        std::snprintf(pair, sizeof pair, "%02X", b);
        text += pair;
    }
    return text;
}

Json EnumeratedValue(const ValueSet& values, std::int64_t code) {
    if (auto word = values.WordFor(static_cast<int>(code)))
        return std::string(*word);
    return code; // a code without a word stays a plain number
}

template <typename Block>
Json BlockToJson(const Block& block, std::span<const FieldInfo<Block>> fields) {
    Json out = Json::object();
    for (const FieldInfo<Block>& field : fields) {
        const std::int64_t value = field.Get(block);
        Json& slot = out[std::string(field.Key)];
        if (field.IsEnumerated())
            slot = EnumeratedValue(*field.Values, value);
        else if (field.Style == NumberStyle::Decimal)
            slot = value;
        else
            slot = Hex(static_cast<std::uint64_t>(value), field.Style == NumberStyle::Hex24 ? 6 : 1);
    }
    return out;
}

Json ImageToJson(const StoredConfig& image) {
    Json out = Json::object();
    out["Version"] = image.Version;
    out["SerialNumber"] = Hex(image.SerialNumber, 4);
    out["ClockSource"] = EnumeratedValue(ClockSourceCode, image.ClockSource);
    for (std::size_t li = 0; li < 2; ++li) {
        Json& entry = out[std::string(LiKeys[li])];
        entry["DefaultMode"] = EnumeratedValue(LiMode, image.Li[li].DefaultMode);
        entry["E1"] = BlockToJson(image.Li[li].E1, E1Fields());
        entry["T1"] = BlockToJson(image.Li[li].T1, T1Fields());
    }
    return out;
}

Json FaultsToJson(const FaultMap& faults) {
    Json out = Json::object();
    for (const auto& [request, fault] : faults) {
        Json entry = Json::object();
        if (fault.Fail)
            entry["Fail"] = true;
        if (fault.Empty)
            entry["Empty"] = true;
        if (fault.Status)
            entry["Status"] = *fault.Status;
        if (fault.ReadBackDiffers)
            entry["ReadBackDiffers"] = true;
        if (fault.Short)
            entry["Short"] = *fault.Short;
        if (fault.After)
            entry["After"] = *fault.After;
        if (fault.Count)
            entry["Count"] = *fault.Count;
        out[std::string(LayoutOf(request).Name)] = entry;
    }
    return out;
}

Json BoardToJson(const SimBoard& board) {
    Json out = Json::object();
    out["HostMemoryWindowOffset"] = Hex(board.HostMemoryWindowOffset);
    out["HostMemoryWindowSize"] = Hex(board.HostMemoryWindowSize);
    out["HostIoWindowOffset"] = Hex(board.HostIoWindowOffset);
    out["HostIoWindowSize"] = Hex(board.HostIoWindowSize);
    out["DramSize"] = Hex(board.DramSize);
    out["GdsId"] = Hex(board.GdsId, 2);
    out["SerialRecord"] = {{"RestoreCount", board.Serial.RestoreCount},
                           {"SerialNumber", Hex(board.Serial.SerialNumber, 4)}};
    out["Clock"] = EnumeratedValue(ClockSourceCode, board.Clock);
    const BoardInfo& info = board.Info;
    out["BoardInfo"] = {
        {"BarRevision", Revision(info.BarRevision)}, {"MadRevision", Revision(info.MadRevision)},
        {"SadRevision", Revision(info.SadRevision)}, {"LadRevision", Revision(info.LadRevision)},
        {"RscRevision", Revision(info.RscRevision)}, {"BootstrapRevision", Revision(info.BootstrapRevision)},
        {"Reserved", HexBytes(info.Reserved)},       {"HdlcStartAddress", Hex(info.HdlcStartAddress)}};
    out["Image"] = ImageToJson(board.Image);
    out["Faults"] = FaultsToJson(board.Faults);
    return out;
}

// ---- reading

// Thrown inside this file only, and turned into ParsedState::Error at its edge.
struct StateError {
    std::string Message;
};

[[noreturn]] void Fail(const std::string& path, std::string_view what) {
    throw StateError{path.empty() ? std::string(what) : path + ": " + std::string(what)};
}

// A value as it stands in the document, for messages.
std::string Shown(const InJson& value) {
    return value.dump(-1, ' ', false, InJson::error_handler_t::replace);
}

std::string Join(const std::string& path, std::string_view key) {
    return path.empty() ? std::string(key) : path + "." + std::string(key);
}

void CheckObject(const InJson& value, const std::string& path, std::initializer_list<std::string_view> keys) {
    if (!value.is_object())
        Fail(path, "expected an object");
    for (auto it = value.begin(); it != value.end(); ++it)
        if (std::find(keys.begin(), keys.end(), it.key()) == keys.end())
            Fail(path, "unknown key \"" + it.key() + "\"");
}

// Calls read(value, path) for the key when the object has it.
template <typename Read>
void Optional(const InJson& object, std::string_view key, const std::string& path, Read&& read) {
    auto it = object.find(std::string(key));
    if (it != object.end())
        read(*it, Join(path, key));
}

// "0x1F", "0X1f", "31" or "-5".
std::optional<std::int64_t> ParseIntegerText(std::string_view text) {
    int base = 10;
    bool negative = false;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    } else if (!text.empty() && text[0] == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    std::uint64_t magnitude = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        magnitude > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
        return std::nullopt;
    const auto value = static_cast<std::int64_t>(magnitude);
    return negative ? -value : value;
}

std::int64_t Integer(const InJson& value, const std::string& path, std::int64_t min, std::int64_t max) {
    std::optional<std::int64_t> number;
    if (value.is_number_unsigned()) {
        if (value.get<std::uint64_t>() <= static_cast<std::uint64_t>(max))
            number = static_cast<std::int64_t>(value.get<std::uint64_t>());
        else
            Fail(path, FormatText("%1!s! is out of range (%2!d! to %3!d!)", {Shown(value), min, max}));
    } else if (value.is_number_integer()) {
        number = value.get<std::int64_t>();
    } else if (value.is_string()) {
        number = ParseIntegerText(value.get_ref<const std::string&>());
    }
    if (!number)
        Fail(path, "expected an integer (a number, or a text such as \"0x1F\")");
    if (*number < min || *number > max)
        Fail(path, FormatText("%1!s! is out of range (%2!d! to %3!d!)", {Shown(value), min, max}));
    return *number;
}

template <typename T>
T Unsigned(const InJson& value, const std::string& path) {
    return static_cast<T>(Integer(value, path, 0, std::numeric_limits<T>::max()));
}

// Reads the key, when the object has it, into an unsigned field of its own width.
template <typename T>
void UnsignedField(const InJson& object, std::string_view key, const std::string& path, T& field) {
    Optional(object, key, path, [&](const InJson& v, const std::string& p) { field = Unsigned<T>(v, p); });
}

// A signed 16-bit field of a record, also given as its unsigned bits (0x8000-0xFFFF).
std::int16_t Word(const InJson& value, const std::string& path) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(Integer(value, path, -32768, 65535)));
}

bool Boolean(const InJson& value, const std::string& path) {
    if (!value.is_boolean())
        Fail(path, "expected true or false");
    return value.get<bool>();
}

std::string Words(const ValueSet& values) {
    std::string list;
    for (const ValueItem& item : values.Items)
        list += (list.empty() ? "" : ", ") + std::string(item.Word);
    return list;
}

std::int16_t Enumerated(const InJson& value, const std::string& path, const ValueSet& values) {
    if (value.is_string()) {
        if (auto code = values.CodeFor(value.get_ref<const std::string&>()))
            return *code;
        Fail(path, Shown(value) + " is not a value of " + std::string(values.Name) + " (" + Words(values) +
                       "); give one of these words or a number");
    }
    return static_cast<std::int16_t>(Integer(value, path, -32768, 32767));
}

// "1.0.3.0" (major byte first) or a plain 32-bit number.
std::uint32_t ReadRevision(const InJson& value, const std::string& path) {
    if (value.is_string() && value.get_ref<const std::string&>().find('.') != std::string::npos) {
        const std::string& text = value.get_ref<const std::string&>();
        std::uint32_t revision = 0;
        std::size_t start = 0;
        for (int part = 0; part < 4; ++part) {
            const std::size_t dot = part < 3 ? text.find('.', start) : text.size();
            auto number = dot == std::string::npos
                              ? std::nullopt
                              : ParseIntegerText(std::string_view(text).substr(start, dot - start));
            if (!number || *number < 0 || *number > 255 ||
                (part == 3 && text.find('.', start) != std::string::npos))
                Fail(path, "expected a revision of four numbers 0-255, such as \"1.0.3.0\"");
            revision = (revision << 8) | static_cast<std::uint32_t>(*number);
            start = dot + 1;
        }
        return revision;
    }
    return Unsigned<std::uint32_t>(value, path);
}

void ReadReserved(const InJson& value, const std::string& path, std::array<std::uint8_t, 16>& bytes) {
    std::string digits;
    if (value.is_string())
        for (char c : value.get_ref<const std::string&>())
            if (!std::isspace(static_cast<unsigned char>(c)))
                digits += c;
    if (digits.size() != 2 * bytes.size() || !std::all_of(digits.begin(), digits.end(), [](char c) {
            return std::isxdigit(static_cast<unsigned char>(c));
        }))
        Fail(path, "expected 16 bytes as 32 hex digits");
    for (std::size_t i = 0; i < bytes.size(); ++i)
        std::from_chars(digits.data() + 2 * i, digits.data() + 2 * i + 2, bytes[i], 16);
}

template <typename Block>
void ReadBlock(const InJson& value, const std::string& path, std::span<const FieldInfo<Block>> fields,
               Block& block) {
    if (!value.is_object())
        Fail(path, "expected an object");
    for (auto it = value.begin(); it != value.end(); ++it) {
        auto field =
            std::find_if(fields.begin(), fields.end(), [&](const auto& f) { return f.Key == it.key(); });
        if (field == fields.end())
            Fail(path, "unknown key \"" + it.key() + "\"");
        const std::string fieldPath = Join(path, it.key());
        if (field->IsEnumerated())
            field->Set(block, Enumerated(*it, fieldPath, *field->Values));
        else
            field->Set(block, Integer(*it, fieldPath, 0, (std::int64_t{1} << field->Width) - 1));
    }
}

void ReadImage(const InJson& value, const std::string& path, StoredConfig& image) {
    CheckObject(value, path, {"Version", "SerialNumber", "ClockSource", "Li0", "Li1"});
    UnsignedField(value, "Version", path, image.Version);
    UnsignedField(value, "SerialNumber", path, image.SerialNumber);
    Optional(value, "ClockSource", path, [&](const InJson& v, const std::string& p) {
        image.ClockSource = Enumerated(v, p, ClockSourceCode);
    });
    for (std::size_t li = 0; li < 2; ++li) {
        LineInterfaceSettings& settings = image.Li[li];
        Optional(value, LiKeys[li], path, [&](const InJson& v, const std::string& p) {
            CheckObject(v, p, {"DefaultMode", "E1", "T1"});
            Optional(v, "DefaultMode", p, [&](const InJson& m, const std::string& mp) {
                settings.DefaultMode = Enumerated(m, mp, LiMode);
            });
            Optional(v, "E1", p, [&](const InJson& b, const std::string& bp) {
                ReadBlock(b, bp, E1Fields(), settings.E1);
            });
            Optional(v, "T1", p, [&](const InJson& b, const std::string& bp) {
                ReadBlock(b, bp, T1Fields(), settings.T1);
            });
        });
    }
}

const RequestLayout* FindRequestNamed(std::string_view name) {
    for (const RequestLayout& layout : RequestLayouts)
        if (layout.Name == name)
            return &layout;
    return nullptr;
}

Fault ReadFault(const InJson& value, const std::string& path, Request request) {
    CheckObject(value, path, {"Fail", "Empty", "Status", "ReadBackDiffers", "Short", "After", "Count"});
    Fault fault;
    Optional(value, "Fail", path, [&](const InJson& v, const std::string& p) { fault.Fail = Boolean(v, p); });
    Optional(value, "Empty", path,
             [&](const InJson& v, const std::string& p) { fault.Empty = Boolean(v, p); });
    Optional(value, "Status", path,
             [&](const InJson& v, const std::string& p) { fault.Status = Unsigned<std::uint32_t>(v, p); });
    Optional(value, "ReadBackDiffers", path, [&](const InJson& v, const std::string& p) {
        fault.ReadBackDiffers = Boolean(v, p);
        if (fault.ReadBackDiffers && request != Request::WriteStoredConfig)
            Fail(p, "only WriteStoredConfig can have a read-back that differs");
    });
    // A short reply has at least one byte (none is an empty reply) and lacks at least one.
    Optional(value, "Short", path, [&](const InJson& v, const std::string& p) {
        fault.Short = static_cast<std::uint32_t>(
            Integer(v, p, 1, static_cast<std::int64_t>(LayoutOf(request).ReplySize) - 1));
    });
    Optional(value, "After", path, [&](const InJson& v, const std::string& p) {
        fault.After = static_cast<std::uint32_t>(Integer(v, p, 1, std::numeric_limits<std::uint32_t>::max()));
    });
    Optional(value, "Count", path, [&](const InJson& v, const std::string& p) {
        fault.Count = static_cast<std::uint32_t>(Integer(v, p, 1, std::numeric_limits<std::uint32_t>::max()));
    });
    const int kinds = int{fault.Fail} + int{fault.Empty} + int{fault.Status.has_value()} +
                      int{fault.ReadBackDiffers} + int{fault.Short.has_value()};
    if (kinds != 1)
        Fail(path, "give exactly one of \"Fail\": true, \"Empty\": true, \"Status\": n, "
                   "\"ReadBackDiffers\": true, \"Short\": n");
    return fault;
}

FaultMap ReadFaults(const InJson& value, const std::string& path, bool boardFaults) {
    if (!value.is_object())
        Fail(path, "expected an object");
    FaultMap faults;
    for (auto it = value.begin(); it != value.end(); ++it) {
        const RequestLayout* layout = FindRequestNamed(it.key());
        const std::string entryPath = Join(path, it.key());
        if (layout == nullptr)
            Fail(path, "unknown request \"" + it.key() + "\"");
        if (IsBoardRequest(layout->Code) != boardFaults)
            Fail(entryPath, boardFaults
                                ? "this request names no board: give its fault in the top-level Faults"
                                : "this request names a board: give its fault in that board's Faults");
        faults[layout->Code] = ReadFault(*it, entryPath, layout->Code);
    }
    return faults;
}

void ReadBoard(const InJson& value, const std::string& path, SimBoard& board) {
    CheckObject(value, path,
                {"HostMemoryWindowOffset", "HostMemoryWindowSize", "HostIoWindowOffset", "HostIoWindowSize",
                 "DramSize", "GdsId", "SerialRecord", "Clock", "BoardInfo", "Image", "Faults"});
    UnsignedField(value, "HostMemoryWindowOffset", path, board.HostMemoryWindowOffset);
    UnsignedField(value, "HostMemoryWindowSize", path, board.HostMemoryWindowSize);
    UnsignedField(value, "HostIoWindowOffset", path, board.HostIoWindowOffset);
    UnsignedField(value, "HostIoWindowSize", path, board.HostIoWindowSize);
    UnsignedField(value, "DramSize", path, board.DramSize);
    UnsignedField(value, "GdsId", path, board.GdsId);
    Optional(value, "SerialRecord", path, [&](const InJson& v, const std::string& p) {
        CheckObject(v, p, {"RestoreCount", "SerialNumber"});
        UnsignedField(v, "RestoreCount", p, board.Serial.RestoreCount);
        UnsignedField(v, "SerialNumber", p, board.Serial.SerialNumber);
    });
    Optional(value, "Clock", path, [&](const InJson& v, const std::string& p) {
        const std::int16_t clock =
            v.is_string() ? ClockSourceCode.CodeFor(v.get_ref<const std::string&>()).value_or(-1) : -1;
        if (std::find(std::begin(SelectableClocks), std::end(SelectableClocks), clock) ==
            std::end(SelectableClocks))
            Fail(p, "expected one of INTERNAL, LI0, LI1, EXTERNAL_2M");
        board.Clock = clock;
    });
    Optional(value, "BoardInfo", path, [&](const InJson& v, const std::string& p) {
        BoardInfo& info = board.Info;
        CheckObject(v, p,
                    {"BarRevision", "MadRevision", "SadRevision", "LadRevision", "RscRevision",
                     "BootstrapRevision", "Reserved", "HdlcStartAddress"});
        auto revision = [&](std::string_view key, std::uint32_t& field) {
            Optional(v, key, p, [&](const InJson& f, const std::string& fp) { field = ReadRevision(f, fp); });
        };
        revision("BarRevision", info.BarRevision);
        revision("MadRevision", info.MadRevision);
        revision("SadRevision", info.SadRevision);
        revision("LadRevision", info.LadRevision);
        revision("RscRevision", info.RscRevision);
        revision("BootstrapRevision", info.BootstrapRevision);
        Optional(v, "Reserved", p,
                 [&](const InJson& f, const std::string& fp) { ReadReserved(f, fp, info.Reserved); });
        UnsignedField(v, "HdlcStartAddress", p, info.HdlcStartAddress);
    });
    Optional(value, "Image", path,
             [&](const InJson& v, const std::string& p) { ReadImage(v, p, board.Image); });
    Optional(value, "Faults", path,
             [&](const InJson& v, const std::string& p) { board.Faults = ReadFaults(v, p, true); });
}

void ReadErrorTexts(const InJson& value, const std::string& path, SimState& state) {
    if (!value.is_object())
        Fail(path, "expected an object");
    for (auto it = value.begin(); it != value.end(); ++it) {
        const std::string entryPath = Join(path, it.key());
        const std::string& key = it.key();
        std::uint32_t number = 0;
        auto [end, error] = std::from_chars(key.data(), key.data() + key.size(), number);
        if (key.empty() || error != std::errc() || end != key.data() + key.size())
            Fail(entryPath, "expected a decimal error number as the key");
        if (it->is_null()) {
            state.ErrorTexts[number] = std::nullopt;
            continue;
        }
        if (!it->is_string())
            Fail(entryPath, "expected a text, or null for no text");
        const std::string& text = it->get_ref<const std::string&>();
        if (text.size() > 515 || text.find('\0') != std::string::npos)
            Fail(entryPath, "a text has at most 515 characters and no NUL character");
        state.ErrorTexts[number] = text;
    }
}

SimState ReadState(const InJson& root) {
    CheckObject(
        root, "",
        {"Irq", "IoBaseAddress", "NumberOfBoards", "InfoBufferSize", "Boards", "ErrorTexts", "Faults"});
    SimState state = FreshState();
    Optional(root, "Irq", "", [&](const InJson& v, const std::string& p) { state.Irq = Word(v, p); });
    Optional(root, "IoBaseAddress", "",
             [&](const InJson& v, const std::string& p) { state.IoBaseAddress = Word(v, p); });
    UnsignedField(root, "InfoBufferSize", "", state.InfoBufferSize);
    Optional(root, "Boards", "", [&](const InJson& v, const std::string& p) {
        if (!v.is_array() || v.size() > SimState::MaxBoards)
            Fail(p, "expected a list of at most 4 boards");
        state.Boards.clear();
        for (std::size_t i = 0; i < v.size(); ++i) {
            SimBoard board = FreshBoard(static_cast<int>(i));
            ReadBoard(v[i], p + "[" + std::to_string(i) + "]", board);
            state.Boards.push_back(std::move(board));
        }
    });
    state.NumberOfBoards = static_cast<std::int16_t>(state.Boards.size());
    Optional(root, "NumberOfBoards", "", [&](const InJson& v, const std::string& p) {
        state.NumberOfBoards = static_cast<std::int16_t>(Integer(v, p, -32768, 32767));
    });
    Optional(root, "ErrorTexts", "",
             [&](const InJson& v, const std::string& p) { ReadErrorTexts(v, p, state); });
    Optional(root, "Faults", "",
             [&](const InJson& v, const std::string& p) { state.Faults = ReadFaults(v, p, false); });
    return state;
}

} // namespace

std::string StateToJson(const SimState& state) {
    Json root = Json::object();
    root["Irq"] = state.Irq;
    root["IoBaseAddress"] = Hex(static_cast<std::uint16_t>(state.IoBaseAddress));
    root["NumberOfBoards"] = state.NumberOfBoards;
    root["InfoBufferSize"] = Hex(state.InfoBufferSize);
    root["Boards"] = Json::array();
    for (const SimBoard& board : state.Boards)
        root["Boards"].push_back(BoardToJson(board));
    // Appended without the per-key search of an ordered object, which would make this quadratic; the
    // numbers are unique and in order already.
    Json texts = Json::object();
    auto& entries = static_cast<Json::object_t::Container&>(texts.get_ref<Json::object_t&>());
    entries.reserve(state.ErrorTexts.size());
    for (const auto& [number, text] : state.ErrorTexts)
        entries.emplace_back(std::to_string(number), text ? Json(*text) : Json(nullptr));
    root["ErrorTexts"] = texts;
    root["Faults"] = FaultsToJson(state.Faults);
    return root.dump(2) + "\n";
}

ParsedState ParseState(std::string_view text) {
    InJson root;
    try {
        root = InJson::parse(text);
    } catch (const InJson::parse_error& e) {
        // Drop the library's "[json.exception.parse_error.101] " prefix.
        std::string message = e.what();
        if (auto bracket = message.find("] "); message.starts_with("[") && bracket != std::string::npos)
            message.erase(0, bracket + 2);
        return {std::nullopt, "not valid JSON: " + message};
    }
    try {
        return {ReadState(root), {}};
    } catch (const StateError& e) {
        return {std::nullopt, e.Message};
    }
}

} // namespace ruva::sim
