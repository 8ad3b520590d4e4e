#include "OBrdSerialNoDlg.h"

#include "InfoDialog.h"

#include "ui_OBrdSerialNoDlg.h"

namespace ruva {

OBrdSerialNoDlg::OBrdSerialNoDlg(std::uint16_t serialNumber, const BoardInfo& info, QWidget* parent)
    : OBrdSerialNoDlg(SerialNumbers(serialNumber, info), parent) {}

OBrdSerialNoDlg::OBrdSerialNoDlg(const InfoDialogContent& content, QWidget* parent)
    : QDialog(parent), form_(std::make_unique<Ui::OBrdSerialNoDlg>()) {
    form_->setupUi(this);
    SetUpInfoDialog(*this, *form_->Intro, content);
}

OBrdSerialNoDlg::~OBrdSerialNoDlg() = default;

void OBrdSerialNoDlg::Open(Driver& driver, Prompts& prompts, int board, QWidget* parent) {
    if (const auto content = ReadSerialNumbers(driver, prompts, board))
        OBrdSerialNoDlg(*content, parent).exec();
}

} // namespace ruva
