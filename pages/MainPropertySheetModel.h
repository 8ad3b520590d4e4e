#pragma once
// The program's only window: the About page and a page for each of the boards 0 to 3. The sheet owns
// the one configuration of the program and the flag that says whether one has been loaded; every board
// page works on them. Nothing is saved and nothing is asked when the sheet closes.

#include "BoardConfig.h"
#include "MainPropertyPgBrdModel.h"
#include "PageControls.h"

#include <array>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace ruva {

class Driver;
class ModalWindows;
class Prompts;

// The program's start: opens the board driver once, with the value 0, and does not look at the result;
// without a driver every later request answers that the driver is not open.
void OpenDriverAtStart(Driver& driver);

class MainPropertySheetModel {
public:
    static constexpr int BoardPageCount = 4;
    static constexpr int PageCount = 1 + BoardPageCount;

    // No board is checked until its page is first shown. Writes to the boards are recorded in `audit`
    // (none: not recorded).
    MainPropertySheetModel(Driver& driver, Prompts& prompts, AuditTrail* audit = nullptr);
    MainPropertySheetModel(const MainPropertySheetModel&) = delete;
    MainPropertySheetModel& operator=(const MainPropertySheetModel&) = delete;

    // "Ruva-2 Properties".
    static std::string_view Caption();
    // Page 0 is the About page, page 1 + b the page of board b ("Board %d").
    static std::string PageCaption(int index);
    // The board whose page is page `index`; empty for the About page.
    static std::optional<int> BoardOfPage(int index);

    BoardConfig& Config() { return config_; }
    bool ConfigLoaded() const { return configLoaded_; }
    MainPropertyPgBrdModel& BoardPage(int board) const;

    // Page `index` becomes the active page: a board page checks its board the first time. The first
    // board page shown says why simulated boards that were asked for cannot be used.
    void Activate(int index);
    // A button of the About page (always enabled). Resources shows the parameters that all boards
    // share.
    void Press(MainPropertyPgAboutButton button, ModalWindows& windows);
    // The About page's line that the boards are simulated, and where they are kept, or why they
    // cannot be used; empty for the driver's boards.
    std::string SimulatedBoardsLine() const;

private:
    Driver& driver_;
    Prompts& prompts_;
    BoardConfig config_;
    bool configLoaded_ = false;
    ConfigSource source_;
    bool unusableTold_ = false;
    std::array<std::unique_ptr<MainPropertyPgBrdModel>, BoardPageCount> boardPages_;
};

} // namespace ruva
