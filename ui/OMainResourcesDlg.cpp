#include "OMainResourcesDlg.h"

#include "InfoDialog.h"

#include "ui_OMainResourcesDlg.h"

namespace ruva {

OMainResourcesDlg::OMainResourcesDlg(const DriverParameters& parameters, QWidget* parent)
    : OMainResourcesDlg(SharedResources(parameters), parent) {}

OMainResourcesDlg::OMainResourcesDlg(const InfoDialogContent& content, QWidget* parent)
    : QDialog(parent), form_(std::make_unique<Ui::OMainResourcesDlg>()) {
    form_->setupUi(this);
    SetUpInfoDialog(*this, *form_->Intro, content);
}

OMainResourcesDlg::~OMainResourcesDlg() = default;

void OMainResourcesDlg::Open(Driver& driver, Prompts& prompts, QWidget* parent) {
    if (const auto content = ReadSharedResources(driver, prompts))
        OMainResourcesDlg(*content, parent).exec();
}

} // namespace ruva
