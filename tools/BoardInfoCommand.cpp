// ruvacfg board info N [--json]: the board's communication parameters, serial number and revisions,
// as the board information dialogs show them. Read only.

#include "BoardCommands.h"
#include "BoardReport.h"
#include "BoardSession.h"
#include "InfoDialogs.h"

#include <CLI/CLI.hpp>

#include <memory>

namespace ruva::tool {

namespace {

struct InfoOptions {
    int Board = 0;
    bool Json = false;
};

// Every value is read before anything is printed: a failed request is reported once and shows nothing.
std::optional<BoardInformation> ReadInformation(BoardSession& session, int board) {
    const auto parameters = session.AttachedBoard(board);
    if (!parameters)
        return std::nullopt;
    const auto serial = ReadBrdSerialNoValues(session.BoardDriver(), session.User(), board);
    if (!serial)
        return std::nullopt;
    return BoardInformation{board, *parameters, serial->Info, serial->SerialNumber};
}

} // namespace

void AddBoardInfoCommand(CLI::App& board, ToolContext& context) {
    auto options = std::make_shared<InfoOptions>();
    CLI::App* info =
        board.add_subcommand("info", "Show a board's communication parameters, serial number and revisions");
    info->footer("The serial number is the copy kept in the board's stored configuration. Nothing is\n"
                 "written. Exits 1 after reporting a driver error or a board that is not installed;\n"
                 "--json then prints the same fields, null, with the error and the driver's result.");
    AddBoardNumber(*info, options->Board);
    info->add_flag("--json", options->Json,
                   "print one JSON object instead of the listing, also after an error (its values null)");
    info->callback([options, &context] {
        BoardSession session(context);
        const auto information = ReadInformation(session, options->Board);
        if (options->Json) {
            // After a failure the same fields, null, beside the error.
            nlohmann::ordered_json json = information ? InformationToJson(*information)
                                                      : NullValues(InformationToJson(BoardInformation{}));
            json["Board"] = options->Board;
            FailureToJson(json, information ? FailureReport{}
                                            : FailureReport{FailureMessage(session.User().Messages()),
                                                            session.LastDriverResult()});
            PrintJson(context.Out, json);
        } else if (information) {
            context.Out << InformationListing(*information);
        }
        context.ExitCode = information ? ExitOk : ExitFailed;
    });
}

} // namespace ruva::tool
