#pragma once
// The modal windows that a front end opens when the page logic asks: the board properties sheet and
// the information dialogs. Messages and file dialogs go through Prompts.

namespace ruva {

class BrdPropertySheetModel;
struct InfoDialogContent;

class ModalWindows {
public:
    virtual ~ModalWindows() = default;

    // Shows the board properties sheet on `sheet` modally; true when it ended with OK.
    virtual bool RunBoardProperties(BrdPropertySheetModel& sheet) = 0;
    // Shows the information dialog of `content.Kind` with the content's fields, modally.
    virtual void ShowInformation(const InfoDialogContent& content) = 0;
};

} // namespace ruva
