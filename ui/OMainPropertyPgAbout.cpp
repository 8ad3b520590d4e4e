#include "OMainPropertyPgAbout.h"

#include "OMainResourcesDlg.h"
#include "ProgramResources.h"
#include "QtText.h"
#include "Texts.h"

#include "ui_OMainPropertyPgAbout.h"

namespace ruva {

OMainPropertyPgAbout::OMainPropertyPgAbout(Driver& driver, Prompts& prompts, QWidget* parent)
    : QWidget(parent), form_(std::make_unique<Ui::OMainPropertyPgAbout>()), driver_(driver),
      prompts_(prompts) {
    form_->setupUi(this);
    form_->ProductBitmap->setPixmap(ProductBitmap());
    form_->ProductLine->setText(ToQString(texts::AboutProductLine));
    form_->ProgramLine->setText(ToQString(texts::AboutProgramLine));
    form_->BoardLine->setText(ToQString(texts::AboutBoardLine));
    connect(form_->Resources, &QPushButton::clicked, this, &OMainPropertyPgAbout::ShowResources);
}

OMainPropertyPgAbout::~OMainPropertyPgAbout() = default;

void OMainPropertyPgAbout::ShowResources() {
    OMainResourcesDlg::Open(driver_, prompts_, this);
}

} // namespace ruva
