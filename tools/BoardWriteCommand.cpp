// ruvacfg board write N FILE [--dry-run]: the board page's path from a file to a board. The file's
// section for board N is loaded as "Load -->" loads it, then saved as "Save -->" saves it: the board
// check, the compare, the writes, the clock selection and the read-back, with every message.

#include "BoardCommands.h"
#include "BoardReport.h"
#include "BoardSession.h"

#include <CLI/CLI.hpp>

#include <memory>

namespace ruva::tool {

namespace {

struct WriteOptions {
    int Board = 0;
    std::string File;
    std::optional<int> Section;
    bool DryRun = false;
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
        break;
    }
    return ExitFailed;
}

} // namespace

void AddBoardWriteCommand(CLI::App& board, ToolContext& context) {
    auto options = std::make_shared<WriteOptions>();
    CLI::App* write = board.add_subcommand("write", "Write a configuration file's settings to a board");
    write->footer("Loads the file's section for board N, then checks the board, writes what differs and\n"
                  "reads the configuration back. Exits 0 when it was written or remains the same, 1 when\n"
                  "the file, the check, a driver request or the read-back failed.\n"
                  "--dry-run goes through the same checks and compare but writes nothing: it prints one\n"
                  "line per write it would make ('would write: ...'), or 'nothing would be written'.");
    AddBoardNumber(*write, options->Board);
    write->add_option("FILE", options->File, "configuration file")->required();
    AddSectionOption(*write, options->Section);
    write->add_flag("--dry-run", options->DryRun, "list what would be written and write nothing");
    write->callback([options, &context] {
        BoardSession session(context.Err);
        BoardPage page{session, options->Board};
        if (!LoadFileSection(options->File, options->Section.value_or(page.BoardNumber), page.Config,
                             session.User()) ||
            !session.AttachedBoard(page.BoardNumber)) {
            context.ExitCode = ExitFailed;
            return;
        }
        page.ConfigLoaded = true;

        const std::size_t shown = session.MessagesShown();
        const BoardSaveResult save =
            SaveToBoard(page.Transfer(), options->DryRun ? WriteMode::DryRun : WriteMode::Send);
        if (save.Outcome == BoardSaveOutcome::CheckFailed)
            session.ExplainFailedCheck(page.BoardNumber, shown);
        if (options->DryRun && save.Outcome != BoardSaveOutcome::CheckFailed &&
            save.Outcome != BoardSaveOutcome::DriverError) {
            for (const BoardWrite& w : save.Writes)
                context.Out << "would write: " << DescribeWrite(w) << '\n';
            if (save.Writes.empty())
                context.Out << "nothing would be written\n";
        }
        context.ExitCode = ExitCodeOf(save.Outcome);
    });
}

} // namespace ruva::tool
