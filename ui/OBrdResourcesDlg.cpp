#include "OBrdResourcesDlg.h"

#include "QtInfoDialog.h"

#include "ui_OBrdResourcesDlg.h"

namespace ruva {

OBrdResourcesDlg::OBrdResourcesDlg(const InfoDialogContent& content, QWidget* parent)
    : QDialog(parent), form_(std::make_unique<Ui::OBrdResourcesDlg>()) {
    form_->setupUi(this);
    SetUpInfoDialog(*this, *form_->Intro, content);
}

OBrdResourcesDlg::~OBrdResourcesDlg() = default;

} // namespace ruva
