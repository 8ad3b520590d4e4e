// ruvacfg board read N [-o FILE]: the board page's path from a board to a file. The board is checked
// as the page checks it when first shown (a blank serial record is repaired there), its configuration
// loaded, and the configuration file text for board N written to FILE or to the standard output.

#include "BoardCommands.h"
#include "BoardSession.h"
#include "ConfigSave.h"
#include "ConfigWriter.h"
#include "PrintFileBytes.h"
#include "MessageFormat.h"
#include "Texts.h"

#include <CLI/CLI.hpp>

#include <memory>

namespace ruva::tool {

namespace {

struct ReadOptions {
    int Board = 0;
    std::optional<std::string> Output;
};

// The board's check and load; false once the failure has been reported.
bool LoadBoard(BoardPage& page) {
    BoardSession& session = page.Session;
    if (!session.AttachedBoard(page.BoardNumber))
        return false;
    const std::size_t shown = session.MessagesShown();
    if (!CheckBoard(session.BoardDriver(), page.BoardNumber, page.Config, session.Audit(), session.Printing())
             .Passed) {
        session.ExplainFailedCheck(page.BoardNumber, shown);
        return false;
    }
    return LoadFromBoard(page.Transfer()).Outcome == BoardLoadOutcome::Loaded;
}

} // namespace

void AddBoardReadCommand(CLI::App& board, ToolContext& context) {
    auto options = std::make_shared<ReadOptions>();
    CLI::App* read = board.add_subcommand("read", "Read a board's configuration as a configuration file");
    read->footer("Checks the board as the program does (repairing a blank serial record), loads its\n"
                 "configuration and writes the configuration file text for board N: to FILE, which is\n"
                 "replaced only once the whole text is written, or to the standard output (also with\n"
                 "-o -). Exits 1 when the check, a driver request or the file fails, or when the text\n"
                 "would not load again (a value without a word, an HDLC start address below 0x8000);\n"
                 "nothing is written then.");
    AddBoardNumber(*read, options->Board);
    read->add_option("-o,--output", options->Output,
                     "write the text to this file (- for the standard output)");
    read->callback([options, &context] {
        BoardSession session(context);
        BoardPage page{session, options->Board};
        if (!LoadBoard(page)) {
            context.ExitCode = ExitFailed;
            return;
        }
        ConsolePrompts& user = session.User();
        const std::size_t errors = user.ErrorsShown();
        if (options->Output && *options->Output != "-") {
            const SaveResult saved =
                SaveToFile(*options->Output, page.BoardNumber, page.Config, [&](MessageList& shown) {
                    return ReadDriverParameters(session.BoardDriver(), shown);
                });
            Show(user, saved.Messages);
            if (saved.Outcome != SaveOutcome::Saved) {
                context.ExitCode = ExitFailed;
                return;
            }
        } else {
            // A text that would not load again is not printed, as none is saved to a file. Each code
            // without a value word has its message; any other refusal says why here.
            MessageList shown;
            const auto parameters = ReadDriverParameters(session.BoardDriver(), shown);
            const ConfigText text =
                parameters ? FormatConfigFile(page.Config, page.BoardNumber, *parameters) : ConfigText{};
            shown.Add(text.Messages);
            if (text.Refusal == WriterRefusal::HdlcStartAddressTooLow)
                shown.Add(
                    "nothing_written_because", MessageIcon::Stop,
                    FormatText(texts::NothingWrittenBecause, {RefusalReason(text.Refusal, page.Config)}));
            Show(user, shown.All);
            if (!parameters || text.Refusal != WriterRefusal::None) {
                context.ExitCode = ExitFailed;
                return;
            }
            PrintFileBytes(context.Out, text.Text);
        }
        context.ExitCode = user.ErrorsShown() == errors ? ExitOk : ExitFailed;
    });
}

} // namespace ruva::tool
