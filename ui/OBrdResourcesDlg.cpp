#include "OBrdResourcesDlg.h"

#include "Driver.h"
#include "InfoDialog.h"
#include "Texts.h"

#include "ui_OBrdResourcesDlg.h"

namespace ruva {

OBrdResourcesDlg::OBrdResourcesDlg(const DriverParameters& parameters, int board, QWidget* parent)
    : QDialog(parent), form_(std::make_unique<Ui::OBrdResourcesDlg>()) {
    form_->setupUi(this);
    SetUpInfoDialog(*this, *form_->Intro, texts::ResourcesTitle, texts::BoardResourcesIntro);
    const auto b = static_cast<std::size_t>(board);
    form_->DramSize->setText(HexValue(parameters.DramSize.at(b)));
    form_->HostMemoryWindowOffset->setText(HexValue(parameters.HostMemoryWindowOffset.at(b)));
    form_->HostMemoryWindowSize->setText(HexValue(parameters.HostMemoryWindowSize.at(b)));
    form_->HostIoWindowOffset->setText(HexValue(parameters.HostIoWindowOffset.at(b)));
    form_->HostIoWindowSize->setText(HexValue(parameters.HostIoWindowSize.at(b)));
}

OBrdResourcesDlg::~OBrdResourcesDlg() = default;

void OBrdResourcesDlg::Open(Driver& driver, Prompts& prompts, int board, QWidget* parent) {
    DriverParameters parameters;
    if (const auto status = driver.GetDriverParameters(parameters); status != result::Success) {
        ReportDriverError(driver, prompts, status);
        return;
    }
    OBrdResourcesDlg(parameters, board, parent).exec();
}

} // namespace ruva
