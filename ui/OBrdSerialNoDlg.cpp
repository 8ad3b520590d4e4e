#include "OBrdSerialNoDlg.h"

#include "QtInfoDialog.h"

#include "ui_OBrdSerialNoDlg.h"

namespace ruva {

OBrdSerialNoDlg::OBrdSerialNoDlg(const InfoDialogContent& content, QWidget* parent)
    : QDialog(parent), form_(std::make_unique<Ui::OBrdSerialNoDlg>()) {
    form_->setupUi(this);
    SetUpInfoDialog(*this, *form_->Intro, content);
}

OBrdSerialNoDlg::~OBrdSerialNoDlg() = default;

} // namespace ruva
