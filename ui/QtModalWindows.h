#pragma once
// The modal windows of the Qt program that the page logic opens: the board properties sheet and the
// three information dialogs, centred on a page.

#include "ModalWindows.h"

#include <QPointer>
#include <QWidget>

#include <functional>

namespace ruva {

class QtModalWindows : public ModalWindows {
public:
    // Windows open over `parent`; `showHelp` runs when the user asks for help in the properties sheet.
    explicit QtModalWindows(QWidget* parent, std::function<void()> showHelp = {});

    bool RunBoardProperties(BrdPropertySheetModel& sheet) override;
    void ShowInformation(const InfoDialogContent& content) override;

private:
    QPointer<QWidget> parent_;
    std::function<void()> showHelp_;
};

} // namespace ruva
