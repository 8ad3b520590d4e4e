#pragma once
// The board properties sheet and the information dialogs, opened modally over the active window when
// the page logic asks for them.

#include "ModalWindows.h"
#include "ProgramResources.h"

namespace ruva::win32 {

// How a sheet or dialog is shown: modally (the call returns when it has closed), as the program shows
// them, or modeless (the call returns its window at once; the caller passes its messages and destroys
// it once it has closed), as the tests drive them.
enum class SheetMode { Modal, Modeless };

class WinModalWindows : public ModalWindows {
public:
    explicit WinModalWindows(ShowHelpFunction help) : help_(std::move(help)) {}

    bool RunBoardProperties(BrdPropertySheetModel& sheet) override;
    void ShowInformation(const InfoDialogContent& content) override;

private:
    ShowHelpFunction help_;
};

} // namespace ruva::win32
