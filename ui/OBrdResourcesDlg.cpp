#include "OBrdResourcesDlg.h"

#include "InfoDialog.h"

#include "ui_OBrdResourcesDlg.h"

namespace ruva {

OBrdResourcesDlg::OBrdResourcesDlg(const DriverParameters& parameters, int board, QWidget* parent)
    : OBrdResourcesDlg(BoardResources(parameters, board), parent) {}

OBrdResourcesDlg::OBrdResourcesDlg(const InfoDialogContent& content, QWidget* parent)
    : QDialog(parent), form_(std::make_unique<Ui::OBrdResourcesDlg>()) {
    form_->setupUi(this);
    SetUpInfoDialog(*this, *form_->Intro, content);
}

OBrdResourcesDlg::~OBrdResourcesDlg() = default;

void OBrdResourcesDlg::Open(Driver& driver, Prompts& prompts, int board, QWidget* parent) {
    if (const auto content = ReadBoardResources(driver, prompts, board))
        OBrdResourcesDlg(*content, parent).exec();
}

} // namespace ruva
