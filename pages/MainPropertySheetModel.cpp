#include "MainSheet.h"

#include "Driver.h"
#include "InfoDialogs.h"
#include "ModalWindows.h"
#include "Texts.h"

namespace ruva {

void OpenDriverAtStart(Driver& driver) {
    driver.OpenDriver(0);
}

MainSheetModel::MainSheetModel(Driver& driver, Prompts& prompts) : driver_(driver), prompts_(prompts) {
    for (int board = 0; board < BoardPageCount; ++board)
        boardPages_[static_cast<std::size_t>(board)] =
            std::make_unique<BoardPageModel>(board, config_, configLoaded_, driver, prompts);
}

std::string_view MainSheetModel::Caption() {
    return texts::SheetCaption;
}

std::string MainSheetModel::PageCaption(int index) {
    if (index < 1)
        return std::string(texts::GeneralPageCaption);
    return BoardPageTitle(index - 1);
}

BoardPageModel& MainSheetModel::BoardPage(int board) const {
    return *boardPages_.at(static_cast<std::size_t>(board));
}

void MainSheetModel::Activate(int index) {
    if (index >= 1 && index < PageCount)
        BoardPage(index - 1).Initialise();
}

void MainSheetModel::ShowResources(ModalWindows& windows) {
    if (const auto content = ReadSharedResources(driver_, prompts_))
        windows.ShowInformation(*content);
}

} // namespace ruva
