#include "OMainResourcesDlg.h"

#include "Driver.h"
#include "InfoDialog.h"
#include "Texts.h"

#include "ui_OMainResourcesDlg.h"

namespace ruva {

OMainResourcesDlg::OMainResourcesDlg(const DriverParameters& parameters, QWidget* parent)
    : QDialog(parent), form_(std::make_unique<Ui::OMainResourcesDlg>()) {
    form_->setupUi(this);
    SetUpInfoDialog(*this, *form_->Intro, texts::ResourcesTitle, texts::SharedResourcesIntro);
    form_->Irq->setText(DecimalValue(parameters.Irq));
    form_->IoBaseAddress->setText(HexValue(static_cast<std::uint16_t>(parameters.IoBaseAddress)));
    form_->NumberOfBoards->setText(DecimalValue(parameters.NumberOfBoards));
    form_->InfoBufferSize->setText(HexValue(parameters.InfoBufferSize));
}

OMainResourcesDlg::~OMainResourcesDlg() = default;

void OMainResourcesDlg::Open(Driver& driver, Prompts& prompts, QWidget* parent) {
    DriverParameters parameters;
    if (const auto status = driver.GetDriverParameters(parameters); status != result::Success) {
        ReportDriverError(driver, prompts, status);
        return;
    }
    OMainResourcesDlg(parameters, parent).exec();
}

} // namespace ruva
