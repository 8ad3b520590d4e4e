#include "OBrdSerialNoDlg.h"

#include "BoardConfig.h"
#include "Driver.h"
#include "InfoDialog.h"
#include "InfoFormat.h"
#include "QtText.h"
#include "Texts.h"

#include "ui_OBrdSerialNoDlg.h"

namespace ruva {

OBrdSerialNoDlg::OBrdSerialNoDlg(std::uint16_t serialNumber, const BoardInfo& info, QWidget* parent)
    : QDialog(parent), form_(std::make_unique<Ui::OBrdSerialNoDlg>()) {
    form_->setupUi(this);
    SetUpInfoDialog(*this, *form_->Intro, texts::SerialNoTitle, texts::SerialNoIntro);
    form_->SerialNumber->setText(ToQString(FormatSerialNumber(serialNumber)));
    form_->BarRevision->setText(ToQString(FormatRevision(info.BarRevision)));
    form_->LadRevision->setText(ToQString(FormatRevision(info.LadRevision)));
    form_->SadRevision->setText(ToQString(FormatRevision(info.SadRevision)));
    form_->MadRevision->setText(ToQString(FormatRevision(info.MadRevision)));
    form_->RscRevision->setText(ToQString(FormatRevision(info.RscRevision)));
    form_->BootstrapRevision->setText(ToQString(FormatRevision(info.BootstrapRevision)));
}

OBrdSerialNoDlg::~OBrdSerialNoDlg() = default;

void OBrdSerialNoDlg::Open(Driver& driver, Prompts& prompts, int board, QWidget* parent) {
    const auto b = static_cast<std::uint16_t>(board);
    BoardInfo info;
    if (const auto status = driver.ReadBoardInfo(b, info); status != result::Success) {
        ReportDriverError(driver, prompts, status);
        return;
    }
    ImageBytes bytes{};
    if (const auto status = driver.ReadStoredConfig(b, bytes); status != result::Success) {
        ReportDriverError(driver, prompts, status);
        return;
    }
    OBrdSerialNoDlg(StoredConfig::fromBytes(bytes).SerialNumber, info, parent).exec();
}

} // namespace ruva
