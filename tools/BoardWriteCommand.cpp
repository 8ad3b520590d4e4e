// ruvacfg board write N FILE [--section M] [--dry-run] [--json]: the board page's path from a file to
// a board. The file's section for board N is loaded as the page's LoadFromFile loads it, then saved as
// its SaveToBoard saves it: the board check, the compare, the writes, the clock selection and the read-back,
// with every message.

#include "BoardCommands.h"
#include "BoardHold.h"
#include "BoardReport.h"
#include "BoardSession.h"
#include "ConfigWriter.h"

#include <CLI/CLI.hpp>

#include <memory>
#include <sstream>

namespace ruva::tool {

namespace {

struct WriteOptions {
    int Board = 0;
    std::string File;
    std::optional<int> Section;
    bool DryRun = false;
    bool Json = false;
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
    std::ostringstream discard;
    ConsolePrompts quiet(discard);
    WriterRefusal refusal = WriterRefusal::None;
    std::string text = FormatConfigFile(config, board, parameters, quiet, &refusal);
    if (refusal == WriterRefusal::None)
        return {std::move(text), std::nullopt};
    std::string problem =
        std::string(whose) +
        " cannot be written as a configuration file that would load again: " + RefusalReason(refusal, config);
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
    if (LoadFromBoard({driver, quiet, config, loaded, board, true}, hold).Outcome != BoardLoadOutcome::Loaded)
        return {std::nullopt, std::string(whose) + " could not be read (" +
                                  FailureMessage(quiet.Messages()).value_or("no reason given") + ")"};
    return LoadableText(config, board, parameters, whose);
}

int RunWrite(const WriteOptions& options, ToolContext& context) {
    BoardSession session(context);
    BoardPage page{session, options.Board};
    WriteReport report{
        .Board = options.Board, .Section = options.Section.value_or(options.Board), .DryRun = options.DryRun};
    // The records of this command's writes, for the JSON.
    const std::size_t recorded = session.Audit() != nullptr ? session.Audit()->Records().size() : 0;
    const auto records = [&] {
        return session.Audit() != nullptr ? std::span(session.Audit()->Records()).subspan(recorded)
                                          : std::span<const AuditRecord>();
    };
    const auto failed = [&](std::string_view outcome, std::optional<std::int32_t> driverResult) {
        if (options.Json) {
            report.Audit = records();
            report.Outcome = outcome;
            report.Failed = true;
            report.Messages = session.User().Messages();
            report.Failure = {FailureMessage(report.Messages), driverResult};
            PrintJson(context.Out, WriteReportToJson(report));
        }
        return ExitFailed;
    };
    AuditFile file;
    if (!LoadFileSection(options.File, context.In, report.Section, page.Config, session.User(), &file))
        return failed("FileFailed", std::nullopt);
    page.Source = ConfigSource::FromFile(std::move(file));
    const auto parameters = session.AttachedBoard(page.BoardNumber);
    if (!parameters)
        return failed("BoardUnavailable", session.LastDriverResult());
    page.ConfigLoaded = true;

    // The settings before and the save under one hold, so that no other program writes in between.
    const std::size_t shown = session.MessagesShown();
    BoardHold hold(session.BoardDriver(), session.User(), page.BoardNumber);
    if (options.Json && !hold.IsBusy()) {
        SettingsText before = BoardSettings(session.BoardDriver(), hold, page.BoardNumber, *parameters);
        report.Before = std::move(before.Text);
        report.BeforeProblem = std::move(before.Problem);
    }
    const BoardSaveResult save =
        SaveToBoard(page.Transfer(hold.User()), hold, options.DryRun ? WriteMode::DryRun : WriteMode::Send);
    hold.Release();
    if (save.Outcome == BoardSaveOutcome::CheckFailed)
        session.ExplainFailedCheck(page.BoardNumber, shown);
    report.Writes = save.Writes;
    const int code = ExitCodeOf(save.Outcome);
    if (code != ExitOk)
        return failed(SaveOutcomeName(save.Outcome),
                      save.DriverResult != result::Success ? save.DriverResult : session.LastDriverResult());

    if (options.Json) {
        report.Outcome = SaveOutcomeName(save.Outcome);
        report.Messages = session.User().Messages();
        report.Audit = records();
        SettingsText after =
            LoadableText(page.Config, page.BoardNumber, *parameters, "the settings after the write");
        report.After = std::move(after.Text);
        report.AfterProblem = std::move(after.Problem);
        PrintJson(context.Out, WriteReportToJson(report));
    } else if (options.DryRun) {
        for (const BoardWrite& w : save.Writes)
            context.Out << "would write: " << DescribeWrite(w) << '\n';
        if (save.Writes.empty())
            context.Out << "nothing would be written\n";
    }
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
                  "and the board's settings before and after as configuration file text.");
    AddBoardNumber(*write, options->Board);
    write->add_option("FILE", options->File, "configuration file (- reads the standard input)")->required();
    AddSectionOption(*write, options->Section);
    write->add_flag("--dry-run", options->DryRun, "list what would be written and write nothing");
    write->add_flag("--json", options->Json, "print one JSON object with the outcome instead of the lines");
    write->callback([options, &context] { context.ExitCode = RunWrite(*options, context); });
}
} // namespace ruva::tool
