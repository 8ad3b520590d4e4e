#pragma once
// The program's only window: the General page and a page for each of the boards 0 to 3. The sheet owns
// the one configuration of the program and the flag that says whether one has been loaded; every board
// page works on them. Nothing is saved and nothing is asked when the sheet closes.

#include "BoardConfig.h"
#include "BoardPage.h"

#include <array>
#include <memory>
#include <string>
#include <string_view>

namespace ruva {

class Driver;
class ModalWindows;
class Prompts;

// The program's start: opens the board driver once, with the value 0, and does not look at the result;
// without a driver every later request answers that the driver is not open.
void OpenDriverAtStart(Driver& driver);

class MainSheetModel {
public:
    static constexpr int BoardPageCount = 4;
    static constexpr int PageCount = 1 + BoardPageCount;

    // No board is checked until its page is first shown.
    MainSheetModel(Driver& driver, Prompts& prompts);
    MainSheetModel(const MainSheetModel&) = delete;
    MainSheetModel& operator=(const MainSheetModel&) = delete;

    // "Ruva-2 Properties".
    static std::string_view Caption();
    // Page 0 is the General page, page 1 + b the page of board b ("Board %d").
    static std::string PageCaption(int index);

    BoardConfig& Config() { return config_; }
    bool ConfigLoaded() const { return configLoaded_; }
    BoardPageModel& BoardPage(int board) const;

    // Page `index` becomes the active page: a board page checks its board the first time.
    void Activate(int index);
    // The General page's "&Resources" (always enabled): the parameters shared by all boards.
    void ShowResources(ModalWindows& windows);

private:
    Driver& driver_;
    Prompts& prompts_;
    BoardConfig config_;
    bool configLoaded_ = false;
    std::array<std::unique_ptr<BoardPageModel>, BoardPageCount> boardPages_;
};

} // namespace ruva
