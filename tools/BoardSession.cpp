#include "BoardSession.h"

#include <string>

namespace ruva::tool {

BoardSession::BoardSession(const ToolContext& context)
    : device_(context.MakeDevice()), driver_(*device_.Channel, device_.Traits), prompts_(context.Err),
      audit_(context.Audit) {
    driver_.OpenDriver(0);
}

std::optional<DriverParameters> BoardSession::Parameters() {
    DriverParameters parameters;
    if (std::int32_t r = driver_.GetDriverParameters(parameters); r != result::Success) {
        ReportError(r);
        return std::nullopt;
    }
    return parameters;
}

std::optional<DriverParameters> BoardSession::InstalledBoard(int board) {
    auto parameters = Parameters();
    if (parameters && board >= parameters->NumberOfBoards) {
        Error("board_not_installed", "board " + std::to_string(board) +
                                         " is not installed: the driver reports " +
                                         std::to_string(parameters->NumberOfBoards) +
                                         (parameters->NumberOfBoards == 1 ? " board" : " boards"));
        return std::nullopt;
    }
    return parameters;
}

std::optional<DriverParameters> BoardSession::AttachedBoard(int board) {
    auto parameters = InstalledBoard(board);
    if (!parameters)
        return std::nullopt;
    const auto ioBase = static_cast<std::uint16_t>(parameters->IoBaseAddress);
    if (std::int32_t r = driver_.AttachBoard(static_cast<std::uint16_t>(board), ioBase);
        r != result::Success) {
        ReportError(r);
        return std::nullopt;
    }
    return parameters;
}

void BoardSession::ReportError(std::int32_t result) {
    lastResult_ = result;
    MessageList shown{{}, Printing()};
    ReportDriverError(driver_, shown, result);
}

void BoardSession::ReportError(std::int32_t result, std::string_view text) {
    lastResult_ = result;
    MessageList shown{{}, Printing()};
    ReportDriverError(driver_, shown, result, text);
}

void BoardSession::Error(std::string_view id, std::string_view text) {
    prompts_.Show({id, MessageIcon::Stop, std::string(text)});
}

void BoardSession::ExplainFailedCheck(int board, std::size_t shownBefore) {
    if (prompts_.MessagesShown() == shownBefore)
        Error("board_not_available", "board " + std::to_string(board) + " is not available");
}

} // namespace ruva::tool
