#include "QtModalWindows.h"

#include "InfoDialogs.h"
#include "OBrdPropertySheet.h"
#include "OBrdResourcesDlg.h"
#include "OBrdSerialNoDlg.h"
#include "OMainResourcesDlg.h"

namespace ruva {

QtModalWindows::QtModalWindows(QWidget* parent, std::function<void()> showHelp)
    : parent_(parent), showHelp_(std::move(showHelp)) {}

bool QtModalWindows::RunBoardProperties(BrdPropertySheetModel& model) {
    OBrdPropertySheet sheet(model, parent_);
    if (showHelp_)
        QObject::connect(&sheet, &OBrdPropertySheet::HelpRequested, &sheet, showHelp_);
    return sheet.exec() == QDialog::Accepted;
}

void QtModalWindows::ShowInformation(const InfoDialogContent& content) {
    switch (content.Kind) {
    case InfoDialogKind::MainResources:
        OMainResourcesDlg(content, parent_).exec();
        break;
    case InfoDialogKind::BrdResources:
        OBrdResourcesDlg(content, parent_).exec();
        break;
    case InfoDialogKind::BrdSerialNo:
        OBrdSerialNoDlg(content, parent_).exec();
        break;
    }
}

} // namespace ruva
