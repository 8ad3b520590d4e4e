// ruvacfg board list [--json]: the driver's shared parameters and, per installed board, its GDS ID,
// serial number and stored version. Read only: it neither repairs nor writes anything.

#include "BoardCommands.h"
#include "BoardReport.h"
#include "BoardSession.h"
#include "MessageFormat.h"
#include "Texts.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <memory>

namespace ruva::tool {

namespace {

struct ListOptions {
    bool Json = false;
};

// Reads what the board check would look at, without its consequences. A failed request is reported
// and leaves its value empty.
BoardSurvey Survey(BoardSession& session, int index, const DriverParameters& parameters, bool& failed) {
    Driver& driver = session.BoardDriver();
    const auto board = static_cast<std::uint16_t>(index);
    BoardSurvey survey;
    survey.Board = index;
    const auto report = [&](std::int32_t r) {
        session.ReportError(r);
        failed = true;
    };
    if (std::int32_t r = driver.AttachBoard(board, static_cast<std::uint16_t>(parameters.IoBaseAddress));
        r != result::Success) {
        report(r);
        return survey;
    }
    survey.Attached = true;
    std::uint8_t id = 0;
    if (std::int32_t r = driver.ReadGdsId(board, id); r == result::Success)
        survey.GdsId = id;
    else
        report(r);
    SerialRecord record;
    if (std::int32_t r = driver.ReadSerialRecord(board, record); r == result::Success)
        survey.Serial = record;
    else
        report(r);
    ImageBytes image{};
    if (std::int32_t r = driver.ReadStoredConfig(board, image); r == result::Success)
        survey.Image = StoredConfig::fromBytes(image);
    else
        report(r);
    return survey;
}

} // namespace

void AddBoardListCommand(CLI::App& board, ToolContext& context) {
    auto options = std::make_shared<ListOptions>();
    CLI::App* list = board.add_subcommand("list", "List the installed boards and the driver's parameters");
    list->footer("Reads the driver parameters, then for each board below the number of boards the\n"
                 "driver reports: its GDS ID, serial record and stored version. Nothing is written\n"
                 "and nothing repaired. Exits 0 when everything could be read, 1 otherwise; what a\n"
                 "board's State column names (wrong GDS ID, a blank serial record, an old version)\n"
                 "does not change the exit code.");
    list->add_flag("--json", options->Json,
                   "print one JSON object instead of the listing, also after an error (its values null)");
    list->callback([options, &context] {
        BoardSession session(context);
        const auto parameters = session.Parameters();
        bool failed = !parameters;
        std::vector<BoardSurvey> boards;
        const int installed =
            parameters ? std::clamp<int>(parameters->NumberOfBoards, 0, DriverParameters::MaxBoards) : 0;
        for (int b = 0; b < installed; ++b)
            boards.push_back(Survey(session, b, *parameters, failed));
        // Simulated boards are never taken for real ones.
        const std::string& simulatorState = session.BoardDriver().Traits().SimulatorState;
        if (options->Json) {
            // Without the parameters there is nothing to list: the same fields, null.
            nlohmann::ordered_json json = parameters ? SurveyToJson(*parameters, boards)
                                                     : NullValues(SurveyToJson(DriverParameters{}, {}));
            json["Simulated"] = !simulatorState.empty();
            json["StateFile"] =
                simulatorState.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(simulatorState);
            FailureToJson(json, failed ? FailureReport{FailureMessage(session.User().Messages()),
                                                       session.LastDriverResult()}
                                       : FailureReport{});
            PrintJson(context.Out, json);
        } else if (parameters) {
            if (!simulatorState.empty())
                context.Out << FormatText(texts::SimulatedBoards, {simulatorState}) << "\n\n";
            context.Out << SurveyListing(*parameters, boards);
        }
        context.ExitCode = failed ? ExitFailed : ExitOk;
    });
}

} // namespace ruva::tool
