#pragma once
// What every board command starts with: the driver opened as the program opens it at start (the
// result is not examined: without a driver every later request answers 52, which the first request
// reports with the program's own text), the console prompts, and the board named on the command line
// made sure of before anything else is sent to it.

#include "BoardTransfer.h"
#include "ConsolePrompts.h"
#include "DeviceChannel.h"
#include "Driver.h"
#include "DriverRecords.h"
#include "ToolCommands.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string_view>

namespace ruva::tool {

class BoardSession {
public:
    // The device, or the simulated boards, that the command line and the environment choose.
    explicit BoardSession(const ToolContext& context);

    Driver& BoardDriver() { return driver_; }
    ConsolePrompts& User() { return prompts_; }
    // Where the command's writes are recorded.
    AuditTrail* Audit() const { return audit_; }

    // The driver parameters, or nothing after reporting the driver's error.
    std::optional<DriverParameters> Parameters();
    // The parameters when `board` is below NumberOfBoards; otherwise reports and gives nothing.
    std::optional<DriverParameters> InstalledBoard(int board);
    // InstalledBoard, then AttachBoard; a refused attach is reported.
    std::optional<DriverParameters> AttachedBoard(int board);

    // Prints each message as it comes: a transfer's, within its hold of the board.
    MessageWatcher Printing() {
        return [this](const Message& message) { prompts_.Show(message); };
    }

    // The failure of a driver request, as the program reports it ("Error #n: text").
    void ReportError(std::int32_t result);
    // The same with the driver's text for it, already asked for.
    void ReportError(std::int32_t result, std::string_view text);
    // The result last reported by ReportError.
    std::optional<std::int32_t> LastDriverResult() const { return lastResult_; }
    // An error of the command's own.
    void Error(std::string_view id, std::string_view text);

    // Messages shown so far. A board check that fails on the driver's side says nothing; after one,
    // ExplainFailedCheck says that the board is not available unless a message has been shown since.
    std::size_t MessagesShown() const { return prompts_.MessagesShown(); }
    void ExplainFailedCheck(int board, std::size_t shownBefore);

private:
    Device device_;
    Driver driver_;
    ConsolePrompts prompts_;
    AuditTrail* audit_;
    std::optional<std::int32_t> lastResult_;
};

// The board that a transfer command works on, as the board page holds it: the board number, the
// configuration shared by the transfers, whether one has been loaded, and where it came from.
struct BoardPage {
    BoardSession& Session;
    int BoardNumber = 0;
    BoardConfig Config{};
    bool ConfigLoaded = false;
    ConfigSource Source{};

    // The transfer context of a board that was attached or has passed its check, its messages printed
    // as they come.
    TransferContext Transfer() {
        return {Session.BoardDriver(), Config, ConfigLoaded,      BoardNumber, true,
                Session.Audit(),       Source, Session.Printing()};
    }
};

} // namespace ruva::tool
