#include "OMainResourcesDlg.h"

#include "QtInfoDialog.h"

#include "ui_OMainResourcesDlg.h"

namespace ruva {

OMainResourcesDlg::OMainResourcesDlg(const InfoDialogContent& content, QWidget* parent)
    : QDialog(parent), form_(std::make_unique<Ui::OMainResourcesDlg>()) {
    form_->setupUi(this);
    SetUpInfoDialog(*this, *form_->Intro, content);
}

OMainResourcesDlg::~OMainResourcesDlg() = default;

} // namespace ruva
