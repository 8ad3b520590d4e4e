// ruvacfg board diff N FILE [--section M] [--json]: the settings that differ between the file's section for
// board N and what board N holds, one line each: "Li0.E1.TransmitLineCode: file HDB3, board AMI". Read only.

#include "BoardCommands.h"
#include "BoardReport.h"
#include "BoardSession.h"
#include "ConfigReport.h"
#include "ValueSets.h"

#include <CLI/CLI.hpp>

#include <memory>

namespace ruva::tool {

namespace {

struct DiffOptions {
    int Board = 0;
    InputFile File;
    std::optional<int> Section;
    bool Json = false;
};

inline constexpr int ExitDifferent = 1;
inline constexpr int ExitError = 2;

} // namespace

void AddBoardDiffCommand(CLI::App& board, ToolContext& context) {
    auto options = std::make_shared<DiffOptions>();
    CLI::App* diff =
        board.add_subcommand("diff", "Compare a configuration file's settings with what a board holds");
    diff->footer("Compares the clock source, the HDLC start address and, for Li0 and Li1, the default\n"
                 "mode and every E1 and T1 setting, by name and value word ('Clock: file LI1, board\n"
                 "unknown' when a failed save may have left the board's clock apart from its stored\n"
                 "clock source). The board is read as it is: it is not checked and nothing is written.\n"
                 "Exits 0 when the settings are equal, 1 when they differ, 2 on any error (file, driver,\n"
                 "board not installed, command line).\n"
                 "--json prints one JSON object instead, also after an error: whether the settings are\n"
                 "equal, each differing setting with both values, and the error and driver result.");
    AddBoardNumber(*diff, options->Board);
    AddFileArgument(*diff, options->File);
    AddSectionOption(*diff, options->Section);
    diff->add_flag("--json", options->Json,
                   "print one JSON object with the differences instead of the lines");
    diff->callback([options, &context] {
        BoardSession session(context);
        BoardConfig file;
        BoardPage page{session, options->Board};
        DiffReport report{.Board = options->Board, .Section = options->Section.value_or(options->Board)};
        bool loaded = LoadFileSection(options->File, context.In, report.Section, file, session.User()) &&
                      session.AttachedBoard(page.BoardNumber);
        BoardLoadResult load;
        if (loaded) {
            load = LoadFromBoard(page.Transfer());
            loaded = load.Outcome == BoardLoadOutcome::Loaded;
            if (load.Outcome == BoardLoadOutcome::DriverError)
                report.Failure.DriverResult = load.DriverResult;
        } else {
            report.Failure.DriverResult = session.LastDriverResult();
        }
        if (loaded) {
            report.Differences = ConfigDifferences(file, page.Config);
            // A save that failed after selecting the clock may have left the board on another clock.
            if (load.ClockUnsure)
                report.Differences->push_back(
                    {"Clock", std::string(ClockSourceCode.WordFor(file.Image.ClockSource).value_or("?")),
                     "unknown"});
        } else {
            report.Failure.Error = FailureMessage(session.User().Messages());
        }

        if (options->Json)
            PrintJson(context.Out, DiffReportToJson(report));
        else if (report.Differences)
            for (const SettingDifference& d : *report.Differences)
                context.Out << d.Name << ": file " << d.First << ", board " << d.Second << '\n';
        context.ExitCode = !report.Differences           ? ExitError
                           : report.Differences->empty() ? ExitOk
                                                         : ExitDifferent;
    });
}

} // namespace ruva::tool
