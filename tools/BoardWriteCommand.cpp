// ruvacfg board write N[,N...] FILE [--section M] [--dry-run] [--json]: the board page's path from a file
// to a board. The file's section for board N is loaded as the page's LoadFromFile loads it, then saved as
// its SaveToBoard saves it: the board check, the compare, the writes, the clock selection and the read-back,
// with every message. Several boards are written one after another from one reading of the file.

#include "BoardCommands.h"
#include "BoardHold.h"
#include "BoardReport.h"
#include "BoardSession.h"
#include "ConfigWriter.h"
#include "MessageFormat.h"
#include "Sha256.h"
#include "TerminationHold.h"
#include "Texts.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <memory>
#include <sstream>
#include <vector>

namespace ruva::tool {

namespace {

struct WriteOptions {
    std::vector<int> Boards;
    InputFile File;
    std::optional<int> Section;
    bool DryRun = false;
    bool Json = false;
};

// N: one board number, or several separated by commas, each once.
std::optional<std::vector<int>> ParseBoardList(const std::string& text) {
    std::vector<int> boards;
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t end = text.find(',', start);
        if (end == std::string::npos)
            end = text.size();
        if (end != start + 1 || text[start] < '0' || text[start] > '3')
            return std::nullopt;
        const int board = text[start] - '0';
        if (std::find(boards.begin(), boards.end(), board) != boards.end())
            return std::nullopt;
        boards.push_back(board);
        start = end + 1;
    }
    return boards;
}

// The configuration file, read once for every board.
struct LoadedInput {
    ParsedConfigFile Parsed{};
    LoadResult Read{};
    AuditFile File{}; // its name and the SHA-256 of its bytes, for the records of the writes
};

int ExitCodeOf(BoardSaveOutcome outcome) {
    switch (outcome) {
    case BoardSaveOutcome::Written:
    case BoardSaveOutcome::Unchanged:
    case BoardSaveOutcome::WouldWrite:
        return ExitOk;
    case BoardSaveOutcome::VerifyFailed:
    case BoardSaveOutcome::CheckFailed:
    case BoardSaveOutcome::DriverError:
    case BoardSaveOutcome::Busy:
    case BoardSaveOutcome::LockUnusable:
    case BoardSaveOutcome::NotStarted:
        break;
    }
    return ExitFailed;
}

// Settings as configuration file text, or why there is none.
struct SettingsText {
    std::optional<std::string> Text;
    std::optional<std::string> Problem;
};

// `config` as the text that a save to a file writes. When the writer refuses it (the text would not
// load again), no text but the writer's reason, with the messages it showed (not shown here).
SettingsText LoadableText(const BoardConfig& config, int board, const DriverParameters& parameters,
                          std::string_view whose) {
    ConfigText text = FormatConfigFile(config, board, parameters);
    if (text.Refusal == WriterRefusal::None)
        return {std::move(text.Text), std::nullopt};
    std::ostringstream discard;
    ConsolePrompts quiet(discard);
    Show(quiet, text.Messages);
    std::string problem = std::string(whose) +
                          " cannot be written as a configuration file that would load again: " +
                          RefusalReason(text.Refusal, config);
    for (std::size_t i = 0; i < quiet.Messages().size(); ++i)
        problem += (i == 0 ? " (" : "; ") + quiet.Messages()[i].Text;
    return {std::nullopt, quiet.Messages().empty() ? problem : problem + ")"};
}

// The board's settings, read as they are without a message within the hold of the write.
SettingsText BoardSettings(Driver& driver, BoardHold& hold, int board, const DriverParameters& parameters) {
    std::ostringstream discard;
    ConsolePrompts quiet(discard);
    BoardConfig config{};
    bool loaded = false;
    constexpr std::string_view whose = "the board's settings";
    const BoardLoadResult load = LoadFromBoard({driver, config, loaded, board, true}, hold);
    Show(quiet, load.Messages);
    if (load.Outcome != BoardLoadOutcome::Loaded)
        return {std::nullopt, std::string(whose) + " could not be read (" +
                                  FailureMessage(quiet.Messages()).value_or("no reason given") + ")"};
    return LoadableText(config, board, parameters, whose);
}

// One board's write within the run; with --json its report goes to `json`.
int WriteBoard(BoardSession& session, int board, const LoadedInput& input, const WriteOptions& options,
               std::ostream& out, nlohmann::ordered_json& json) {
    BoardPage page{session, board};
    const std::size_t first = session.User().Messages().size();
    WriteReport report{.Board = board, .Section = options.Section.value_or(board), .DryRun = options.DryRun};
    // This board's messages (a board's own subject on the error stream when there are several).
    const auto messages = [&] { return std::span(session.User().Messages()).subspan(first); };
    // The records of this board's writes, for the JSON.
    const std::size_t recorded = session.Audit() != nullptr ? session.Audit()->Records().size() : 0;
    const auto records = [&] {
        return session.Audit() != nullptr ? std::span(session.Audit()->Records()).subspan(recorded)
                                          : std::span<const AuditRecord>();
    };
    const auto finish = [&](std::string_view outcome, bool failed, std::optional<std::int32_t> driverResult) {
        if (options.Json) {
            report.Audit = records();
            report.Outcome = outcome;
            report.Failed = failed;
            report.TimedOut = TimeIsUp();
            report.Messages = messages();
            if (failed)
                report.Failure = {FailureMessage(report.Messages), driverResult};
            if (!report.After && !report.AfterProblem)
                report.AfterProblem =
                    "nothing was read back: the write ended before it had read the board (" +
                    std::string(outcome) + ")";
            json = WriteReportToJson(report);
        }
        return failed ? ExitFailed : ExitOk;
    };
    // Once the time limit has fallen, no board is begun.
    if (TimeIsUp()) {
        session.Error("time_limit_before_transfer", FormatText(texts::TimeUpBeforeTransfer, {board}));
        return finish(SaveOutcomeName(BoardSaveOutcome::NotStarted), true, std::nullopt);
    }
    if (!TakeFileSection(options.File, input.Read, input.Parsed, report.Section, page.Config, session.User()))
        return finish("FileFailed", true, std::nullopt);
    page.Source = ConfigSource::FromFile(input.File);
    const auto parameters = session.AttachedBoard(page.BoardNumber);
    if (!parameters)
        return finish("BoardUnavailable", true, session.LastDriverResult());
    page.ConfigLoaded = true;

    // The settings before and the save under one hold, so that no other program writes in between.
    const std::size_t shown = session.MessagesShown();
    BoardHold hold(session.BoardDriver(), page.BoardNumber);
    if (options.Json && hold.Refused() == BoardHold::Refusal::None) {
        SettingsText before = BoardSettings(session.BoardDriver(), hold, page.BoardNumber, *parameters);
        report.Before = std::move(before.Text);
        report.BeforeProblem = std::move(before.Problem);
    }
    const BoardSaveResult save =
        SaveToBoard(page.Transfer(), hold, options.DryRun ? WriteMode::DryRun : WriteMode::Send);
    // Printed before the board is let go of, as the save's own messages are: a time limit or a signal
    // that waited for the save ends the program there.
    if (save.Outcome == BoardSaveOutcome::CheckFailed)
        session.ExplainFailedCheck(page.BoardNumber, shown);
    // A refused image write is judged by the read-back, as the board page judges it; its error is
    // named all the same.
    if (save.UnreportedError)
        session.ReportError(save.UnreportedError->Number, save.UnreportedError->Text);
    hold.Release();
    report.Writes = save.Writes;
    report.Changed = save.Changed;
    report.OnBoard = save.OnBoard;
    report.NotOnBoard = save.NotOnBoard;
    report.Unknown = save.Unknown;
    if (save.After && options.Json) {
        SettingsText after = LoadableText(*save.After, page.BoardNumber, *parameters,
                                          options.DryRun ? "the settings the write would leave"
                                                         : "the settings after the write");
        report.After = std::move(after.Text);
        report.AfterProblem = std::move(after.Problem);
    } else if (!save.After && !save.Writes.empty()) {
        report.AfterProblem = "what the board holds after the write is not known: it could not be read back";
    }
    const int code = ExitCodeOf(save.Outcome);
    if (code != ExitOk)
        return finish(SaveOutcomeName(save.Outcome), true,
                      save.DriverResult != result::Success ? save.DriverResult : session.LastDriverResult());
    if (!options.Json && options.DryRun) {
        const std::string subject = options.Boards.size() > 1 ? "board " + std::to_string(board) + ": " : "";
        for (const BoardWrite& w : save.Writes)
            out << subject << "would write: " << DescribeWrite(w) << '\n';
        if (save.Writes.empty())
            out << subject << "nothing would be written\n";
    }
    return finish(SaveOutcomeName(save.Outcome), false, std::nullopt);
}

// The boards one after another, each under its own hold, from one reading of the file. One board's
// failure leaves the others to be written. With --json the object is owed from the moment the file
// has been read: the time limit then lets the run print it whole (boards not begun when it fell are
// "NotStarted"), and every wait that remains is bounded.
int RunWrite(const WriteOptions& options, ToolContext& context) {
    BoardSession session(context);
    LoadedInput input;
    Sha256 digest;
    input.Read = ReadConfigInput(options.File, context.In, input.Parsed, &digest);
    input.File = {options.File.Name(), digest.HexDigest()};
    if (options.Json)
        OweResult();
    const bool several = options.Boards.size() > 1;
    nlohmann::ordered_json reports = nlohmann::ordered_json::array();
    int code = ExitOk;
    for (int board : options.Boards) {
        if (several)
            session.User().SetSubject("board " + std::to_string(board) + ": ");
        nlohmann::ordered_json json;
        if (WriteBoard(session, board, input, options, context.Out, json) != ExitOk)
            code = ExitFailed;
        reports.push_back(std::move(json));
    }
    if (options.Json)
        PrintJson(context.Out,
                  several ? nlohmann::ordered_json{{"Boards", std::move(reports)}, {"TimedOut", TimeIsUp()}}
                          : reports[0]);
    return code;
}

} // namespace

void AddBoardWriteCommand(CLI::App& board, ToolContext& context) {
    auto options = std::make_shared<WriteOptions>();
    CLI::App* write = board.add_subcommand("write", "Write a configuration file's settings to a board");
    write->footer("Loads the file's section for board N, then checks the board, writes what differs and\n"
                  "reads the configuration back. Exits 0 when it was written or remains the same, 1 when\n"
                  "the file, the check, a driver request or the read-back failed.\n"
                  "--dry-run goes through the same checks and compare but writes nothing: it prints one\n"
                  "line per write it would make ('would write: ...'), or 'nothing would be written'.\n"
                  "--json prints one JSON object instead, whatever the outcome: the outcome, whether the\n"
                  "board changed, the writes, the messages, the error and driver result of a failure,\n"
                  "and the board's settings before and after as configuration file text.\n"
                  "N may name several boards (0,1): they are written one after another from one reading\n"
                  "of the file, each message names its board, and --json prints {\"Boards\": [...]}\n"
                  "with one such object per board.");
    write
        ->add_option_function<std::string>(
            "N", [options](const std::string& text) { options->Boards = *ParseBoardList(text); },
            "board number (0 to 3), or several separated by commas (0,1): each is written in turn")
        ->required()
        ->check(CLI::Validator(
            [](const std::string& text) {
                return ParseBoardList(text) ? std::string()
                                            : "board numbers 0 to 3, each once, separated by commas: " + text;
            },
            "N[,N...]"));
    AddFileArgument(*write, options->File);
    AddSectionOption(*write, options->Section);
    write->add_flag("--dry-run", options->DryRun, "list what would be written and write nothing");
    write->add_flag("--json", options->Json, "print one JSON object with the outcome instead of the lines");
    write->callback([options, &context] { context.ExitCode = RunWrite(*options, context); });
}
} // namespace ruva::tool
