#include "WinModalWindows.h"

#include "BoardPropertiesSheet.h"
#include "InfoDialog.h"

namespace ruva::win32 {

bool WinModalWindows::RunBoardProperties(BoardPropertiesModel& sheet) {
    BoardPropertiesSheet window(sheet, help_);
    return window.Show(GetActiveWindow());
}

void WinModalWindows::ShowInformation(const InfoDialogContent& content) {
    ShowInfoDialog(GetActiveWindow(), content);
}

} // namespace ruva::win32
