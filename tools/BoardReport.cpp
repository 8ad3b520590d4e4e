#include "BoardReport.h"

#include "ConfigWriter.h"
#include "ControlCodes.h"
#include "Fields.h"
#include "InfoDialogs.h"
#include "InfoFormat.h"
#include "MessageFormat.h"
#include "ValueSets.h"

#include <algorithm>
#include <utility>

namespace ruva::tool {

namespace {

// "label" padded to `width`, then the value.
void Line(std::string& out, std::string_view label, std::string_view value, std::size_t width) {
    std::string line(label);
    line.resize(std::max(line.size() + 1, width), ' ');
    out += line;
    out += value;
    out += '\n';
}

void SharedToJson(nlohmann::ordered_json& json, const DriverParameters& p) {
    json["Irq"] = p.Irq;
    json["IoBaseAddress"] = static_cast<std::uint16_t>(p.IoBaseAddress);
    json["NumberOfBoards"] = p.NumberOfBoards;
    json["InfoBufferSize"] = p.InfoBufferSize;
}

// The revisions by name, in the order of the serial number dialog, which is not the order of the record.
std::vector<std::pair<std::string_view, std::uint32_t>> Revisions(const BoardInfo& info) {
    return {{"BAR", info.BarRevision}, {"LAD", info.LadRevision}, {"SAD", info.SadRevision},
            {"MAD", info.MadRevision}, {"RSC", info.RscRevision}, {"Bootstrap", info.BootstrapRevision}};
}

template <typename T, typename Format>
std::string OrDash(const std::optional<T>& value, Format format) {
    return value ? format(*value) : "-";
}

template <typename T, typename Get>
nlohmann::ordered_json OrNull(const std::optional<T>& value, Get get) {
    return value ? nlohmann::ordered_json(get(*value)) : nlohmann::ordered_json(nullptr);
}

template <typename... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <typename... F>
Overloaded(F...) -> Overloaded<F...>;

} // namespace

std::vector<std::string> SurveyProblems(const BoardSurvey& board) {
    if (!board.Attached)
        return {"not attached"};
    std::vector<std::string> problems;
    if (!board.GdsId)
        problems.push_back("GDS ID unreadable");
    else if (*board.GdsId != RuvaGdsId)
        problems.push_back("wrong GDS ID");
    if (!board.Image)
        problems.push_back("configuration data unreadable");
    if (!board.Serial)
        problems.push_back("serial record unreadable");
    if (board.Serial && board.Image) {
        const std::uint16_t copy = board.Image->SerialNumber;
        if (board.Serial->IsBlank())
            problems.push_back(copy == board.Serial->SerialNumber ? "serial number lost"
                                                                  : "serial record blank, restorable");
        else if (copy != board.Serial->SerialNumber)
            problems.push_back("serial copy differs");
    }
    if (board.Image && board.Image->Version != StoredConfig::CurrentVersion)
        problems.push_back("version " + std::to_string(board.Image->Version));
    return problems;
}

std::string SurveyListing(const DriverParameters& parameters, std::span<const BoardSurvey> boards) {
    std::string out;
    for (const InfoField& field : MainResourcesContent(parameters).Fields)
        Line(out, field.Label, field.Value, 20);
    if (boards.empty())
        return out;

    const auto row = [&out](std::string_view board, std::string_view gds, std::string_view serial,
                            std::string_view version, std::string_view state) {
        std::string line;
        for (const auto& [text, width] : {std::pair{board, 7u}, {gds, 8u}, {serial, 11u}, {version, 9u}}) {
            std::string cell(text);
            cell.resize(std::max<std::size_t>(cell.size() + 1, width), ' ');
            line += cell;
        }
        out += line;
        out += state;
        out += '\n';
    };
    out += '\n';
    row("Board", "GDS ID", "Serial No", "Version", "State");
    for (const BoardSurvey& board : boards) {
        std::string state;
        for (const std::string& problem : SurveyProblems(board))
            state += (state.empty() ? "" : ", ") + problem;
        row(std::to_string(board.Board),
            OrDash(board.GdsId, [](std::uint8_t id) { return FormatText("0x%1!.2X!", {id}); }),
            OrDash(board.Serial, [](const SerialRecord& r) { return FormatSerialNumber(r.SerialNumber); }),
            OrDash(board.Image, [](const StoredConfig& i) { return std::to_string(i.Version); }),
            state.empty() ? "ok" : state);
    }
    return out;
}

nlohmann::ordered_json SurveyToJson(const DriverParameters& parameters, std::span<const BoardSurvey> boards) {
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    SharedToJson(json, parameters);
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const BoardSurvey& board : boards) {
        nlohmann::ordered_json entry = nlohmann::ordered_json::object();
        entry["Board"] = board.Board;
        entry["Attached"] = board.Attached;
        entry["GdsId"] = OrNull(board.GdsId, [](std::uint8_t id) { return id; });
        entry["RestoreCount"] = OrNull(board.Serial, [](const SerialRecord& r) { return r.RestoreCount; });
        entry["SerialNumber"] = OrNull(board.Serial, [](const SerialRecord& r) { return r.SerialNumber; });
        entry["SerialNo"] =
            OrNull(board.Serial, [](const SerialRecord& r) { return FormatSerialNumber(r.SerialNumber); });
        entry["Version"] = OrNull(board.Image, [](const StoredConfig& i) { return i.Version; });
        entry["ImageSerialNumber"] =
            OrNull(board.Image, [](const StoredConfig& i) { return i.SerialNumber; });
        entry["Problems"] = SurveyProblems(board);
        list.push_back(std::move(entry));
    }
    json["Boards"] = std::move(list);
    return json;
}

std::string InformationListing(const BoardInformation& board) {
    constexpr std::size_t Width = 31;
    std::string out = "Board " + std::to_string(board.Board) + "\n";
    const auto dialog = [&out](const InfoDialogContent& content) {
        out += content.Title;
        out += '\n';
        for (const InfoField& field : content.Fields)
            Line(out, "  " + std::string(field.Label), field.Value, Width);
    };
    // Both communication parameter dialogs under their one title, then the serial number dialog.
    InfoDialogContent resources = MainResourcesContent(board.Parameters);
    for (InfoField& field : BrdResourcesContent(board.Parameters, board.Board).Fields)
        resources.Fields.push_back(std::move(field));
    dialog(resources);
    dialog(BrdSerialNoContent(board.SerialNumber, board.Info));
    return out;
}

nlohmann::ordered_json InformationToJson(const BoardInformation& board) {
    const DriverParameters& p = board.Parameters;
    const auto i = static_cast<std::size_t>(board.Board);
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    json["Board"] = board.Board;
    SharedToJson(json, p);
    json["DramSize"] = p.DramSize[i];
    json["HostMemoryWindowOffset"] = p.HostMemoryWindowOffset[i];
    json["HostMemoryWindowSize"] = p.HostMemoryWindowSize[i];
    json["HostIoWindowOffset"] = p.HostIoWindowOffset[i];
    json["HostIoWindowSize"] = p.HostIoWindowSize[i];
    json["SerialNumber"] = board.SerialNumber;
    json["SerialNo"] = FormatSerialNumber(board.SerialNumber);
    nlohmann::ordered_json revisions = nlohmann::ordered_json::object();
    for (const auto& [name, revision] : Revisions(board.Info))
        revisions[std::string(name)] = FormatRevision(revision);
    json["Revisions"] = std::move(revisions);
    return json;
}

std::string DescribeWrite(const BoardWrite& write) {
    return std::visit(Overloaded{
                          [](const SerialRecord& r) {
                              return "serial record: restore count " + std::to_string(r.RestoreCount) +
                                     ", serial number " + FormatSerialNumber(r.SerialNumber);
                          },
                          [](const BoardInfo& info) {
                              return "board information: " + std::string(HdlcStartAddressSetting.Key) + " " +
                                     FormatFieldNumber(NumberStyle::Hex, info.HdlcStartAddress);
                          },
                          [](const ClockSelection& clock) {
                              return "clock selection: " +
                                     std::string(ClockSourceCode.WordFor(clock.ClockSource).value_or("?"));
                          },
                          [](const ImageBytes& bytes) {
                              return "configuration data: " + std::to_string(bytes.size()) +
                                     " bytes, version " +
                                     std::to_string(StoredConfig::fromBytes(bytes).Version);
                          },
                      },
                      write);
}

namespace {

std::string_view RequestName(const BoardWrite& write) {
    return std::visit(Overloaded{
                          [](const SerialRecord&) { return std::string_view("WriteSerialRecord"); },
                          [](const BoardInfo&) { return std::string_view("WriteBoardInfo"); },
                          [](const ClockSelection&) { return std::string_view("SetClockSource"); },
                          [](const ImageBytes&) { return std::string_view("WriteStoredConfig"); },
                      },
                      write);
}

std::string_view KindName(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Stop:
        return "error";
    case MessageIcon::Warning:
        return "warning";
    case MessageIcon::Information:
        return "note";
    case MessageIcon::None:
        break;
    }
    return "message";
}

nlohmann::ordered_json TextOrNull(const std::optional<std::string>& text) {
    return OrNull(text, [](const std::string& t) { return t; });
}

} // namespace

std::optional<std::string> FailureMessage(std::span<const Message> messages) {
    const auto serious = std::find_if(messages.rbegin(), messages.rend(),
                                      [](const Message& m) { return m.Icon != MessageIcon::Information; });
    if (serious != messages.rend())
        return serious->Text;
    if (!messages.empty())
        return messages.back().Text;
    return std::nullopt;
}

void FailureToJson(nlohmann::ordered_json& json, const FailureReport& failure) {
    json["Error"] = OrNull(failure.Error, [](const std::string& text) { return text; });
    json["DriverResult"] = OrNull(failure.DriverResult, [](std::int32_t r) { return r; });
}

nlohmann::ordered_json NullValues(nlohmann::ordered_json json) {
    for (auto& value : json)
        value = nullptr;
    return json;
}

nlohmann::ordered_json WriteReportToJson(const WriteReport& report) {
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    json["Board"] = report.Board;
    json["Section"] = report.Section;
    json["DryRun"] = report.DryRun;
    json["Outcome"] = report.Outcome;
    json["Failed"] = report.Failed;
    json["TimedOut"] = report.TimedOut;
    json["Changed"] = report.Changed;
    json["OnBoard"] = report.OnBoard;
    json["NotOnBoard"] = report.NotOnBoard;
    json["Unknown"] = report.Unknown;
    nlohmann::ordered_json writes = nlohmann::ordered_json::array();
    for (const BoardWrite& w : report.Writes)
        writes.push_back({{"Request", RequestName(w)}, {"Text", DescribeWrite(w)}});
    json["Writes"] = std::move(writes);
    nlohmann::ordered_json messages = nlohmann::ordered_json::array();
    for (const Message& m : report.Messages)
        messages.push_back({{"Kind", KindName(m.Icon)}, {"Id", m.Id}, {"Text", m.Text}});
    json["Messages"] = std::move(messages);
    FailureToJson(json, report.Failure);
    json["Before"] = TextOrNull(report.Before);
    json["After"] = TextOrNull(report.After);
    json["BeforeProblem"] = TextOrNull(report.BeforeProblem);
    json["AfterProblem"] = TextOrNull(report.AfterProblem);
    nlohmann::ordered_json audit = nlohmann::ordered_json::array();
    for (const AuditRecord& record : report.Audit)
        audit.push_back(AuditRecordToJson(record));
    json["audit"] = std::move(audit);
    return json;
}

nlohmann::ordered_json AuditRecordToJson(const AuditRecord& r) {
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    json["Time"] = r.Time;
    json["User"] = r.User;
    json["Host"] = r.Host;
    json["Program"] = r.Program;
    json["Board"] = r.Board;
    json["SerialNumber"] = r.SerialNumber ? nlohmann::ordered_json(*r.SerialNumber) : nullptr;
    json["SerialNo"] = r.SerialNumber ? nlohmann::ordered_json(r.SerialNo) : nullptr;
    json["Simulated"] = r.Simulated;
    json["File"] = r.File ? nlohmann::ordered_json{{"Name", r.File->Name}, {"Sha256", r.File->Sha256}}
                          : nlohmann::ordered_json(nullptr);
    json["Source"] = r.Source;
    json["Kind"] = AuditKindName(r.Kind);
    json["Changes"] = r.Changes;
    json["Outcome"] = r.Outcome;
    json["DriverError"] = r.DriverError ? nlohmann::ordered_json{{"Number", r.DriverError->Number},
                                                                 {"Text", r.DriverError->Text}}
                                        : nlohmann::ordered_json(nullptr);
    return json;
}

nlohmann::ordered_json DiffReportToJson(const DiffReport& report) {
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    json["Board"] = report.Board;
    json["Section"] = report.Section;
    if (report.Differences) {
        json["Equal"] = report.Differences->empty();
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const SettingDifference& d : *report.Differences)
            list.push_back({{"Name", d.Name}, {"File", d.First}, {"Board", d.Second}});
        json["Differences"] = std::move(list);
    } else {
        json["Equal"] = nullptr;
        json["Differences"] = nullptr;
    }
    FailureToJson(json, report.Failure);
    return json;
}

} // namespace ruva::tool
