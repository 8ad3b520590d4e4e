#pragma once
// A driver opened on fake boards, the shared configuration of the main sheet, and the timeline of
// requests and messages, for scenario tests of the board check and the transfers.

#include "BoardTransfer.h"
#include "FakeBoards.h"
#include "Texts.h"

#include <string>
#include <vector>

namespace ruva::test {

inline std::string Info(std::string_view text) {
    return "info: " + std::string(text);
}
inline std::string Stop(std::string_view text) {
    return "stop: " + std::string(text);
}
inline std::string Warning(std::string_view text) {
    return "warning: " + std::string(text);
}
// The check's note for a stored image of another version.
inline std::string VersionNote(int version) {
    return Info("The board contains an incompatible version of the Configuration Data (Version " +
                std::to_string(version) + "). This Configuration Data version will be changed to Version 9.");
}
// ReportDriverError for a number the fake driver has no text for.
inline std::string DriverErrorMessage(int number) {
    return Stop("Error #" + std::to_string(number) + ": " + std::string(texts::DriverNotInstalled));
}

// The requests of a board check that finds the board intact.
inline const std::vector<std::string> CheckRequests = {"GetDriverParameters", "AttachBoard",
                                                       "ReadStoredConfig", "ReadGdsId", "ReadSerialRecord"};

inline std::vector<std::string> Then(std::vector<std::string> first, const std::vector<std::string>& next) {
    first.insert(first.end(), next.begin(), next.end());
    return first;
}

struct BoardRig {
    ScriptedChannel channel;
    FakeBoards boards;
    TimelinePrompts prompts{channel};
    Driver driver{channel};
    BoardConfig config;
    bool configLoaded = false;

    BoardRig() {
        boards.Serve(channel);
        driver.OpenDriver(0);
        prompts.Clear();
    }

    TransferContext Page(int board, bool available = true) {
        return {driver, config, configLoaded, board, available, nullptr, {}, ShowingTo(prompts)};
    }
    std::vector<std::string> Timeline() const { return prompts.Timeline(); }
    FakeBoard& Board(int board) { return boards.Boards[static_cast<std::size_t>(board)]; }
};

} // namespace ruva::test
