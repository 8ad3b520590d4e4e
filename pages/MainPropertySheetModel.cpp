#include "MainPropertySheetModel.h"

#include "Driver.h"
#include "InfoDialogs.h"
#include "MessageFormat.h"
#include "ModalWindows.h"
#include "Prompts.h"
#include "Texts.h"

namespace ruva {

void OpenDriverAtStart(Driver& driver) {
    driver.OpenDriver(0);
}

MainPropertySheetModel::MainPropertySheetModel(Driver& driver, Prompts& prompts, AuditTrail* audit)
    : driver_(driver), prompts_(prompts) {
    for (int board = 0; board < BoardPageCount; ++board)
        boardPages_[static_cast<std::size_t>(board)] = std::make_unique<MainPropertyPgBrdModel>(
            board, config_, configLoaded_, driver, prompts, &source_, audit);
}

std::string_view MainPropertySheetModel::Caption() {
    return texts::SheetCaption;
}

std::string MainPropertySheetModel::PageCaption(int index) {
    if (index < 1)
        return std::string(texts::GeneralPageCaption);
    return MainPropertyPgBrdTitle(index - 1);
}

MainPropertyPgBrdModel& MainPropertySheetModel::BoardPage(int board) const {
    return *boardPages_.at(static_cast<std::size_t>(board));
}

std::optional<int> MainPropertySheetModel::BoardOfPage(int index) {
    if (index < 1 || index >= PageCount)
        return std::nullopt;
    return index - 1;
}

void MainPropertySheetModel::Activate(int index) {
    const auto board = BoardOfPage(index);
    if (!board)
        return;
    // Simulated boards that cannot be used would otherwise look like a missing driver: the first board
    // page shown says why, once, before its check.
    if (const std::string problem = driver_.SimulatedBoardsProblem(); !problem.empty() && !unusableTold_) {
        unusableTold_ = true;
        prompts_.Show({"simulated_boards_unusable", MessageIcon::Stop, problem});
    }
    BoardPage(*board).Initialise();
}

void MainPropertySheetModel::Press(MainPropertyPgAboutButton button, ModalWindows& windows) {
    driver_.BeginCommand();
    switch (button) {
    case MainPropertyPgAboutButton::Resources:
        if (const auto content = ReadMainResources(driver_, prompts_))
            windows.ShowInformation(*content);
        break;
    }
}

std::string MainPropertySheetModel::SimulatedBoardsLine() const {
    const std::string& state = driver_.Traits().SimulatorState;
    if (std::string problem = driver_.SimulatedBoardsProblem(); !problem.empty())
        return problem;
    return state.empty() ? std::string() : FormatText(texts::SimulatedBoards, {state});
}

} // namespace ruva
