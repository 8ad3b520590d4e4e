#include "WinModalWindows.h"

#include "BrdPropertySheet.h"
#include "WinInfoDialog.h"

namespace ruva::win32 {

bool WinModalWindows::RunBoardProperties(BrdPropertySheetModel& sheet) {
    BrdPropertySheet window(sheet, help_);
    return window.Show(GetActiveWindow());
}

void WinModalWindows::ShowInformation(const InfoDialogContent& content) {
    ShowInfoDialog(GetActiveWindow(), content);
}

} // namespace ruva::win32
