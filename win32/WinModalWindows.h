#pragma once
// The board properties sheet and the information dialogs, opened modally over the active window when
// the page logic asks for them.

#include "ModalWindows.h"
#include "Sheets.h"

namespace ruva::win32 {

class WinModalWindows : public ModalWindows {
public:
    explicit WinModalWindows(ShowHelpFunction help) : help_(std::move(help)) {}

    bool RunBoardProperties(BoardPropertiesModel& sheet) override;
    void ShowInformation(const InfoDialogContent& content) override;

private:
    ShowHelpFunction help_;
};

} // namespace ruva::win32
