#include "OMainPropertyPgAbout.h"

#include "MainSheet.h"
#include "ProgramResources.h"
#include "QtModalWindows.h"
#include "QtText.h"
#include "Texts.h"

#include "ui_OMainPropertyPgAbout.h"

namespace ruva {

OMainPropertyPgAbout::OMainPropertyPgAbout(MainSheetModel& sheet, QWidget* parent)
    : QWidget(parent), form_(std::make_unique<Ui::OMainPropertyPgAbout>()), sheet_(sheet),
      windows_(std::make_unique<QtModalWindows>(this)) {
    form_->setupUi(this);
    form_->ProductBitmap->setPixmap(ProductBitmap());
    form_->ProductLine->setText(ToQString(texts::AboutProductLine));
    form_->ProgramLine->setText(ToQString(texts::AboutProgramLine));
    form_->BoardLine->setText(ToQString(texts::AboutBoardLine));
    const std::string simulated = sheet.SimulatedBoardsLine();
    form_->SimulatedLine->setText(ToQString(simulated));
    form_->SimulatedLine->setVisible(!simulated.empty());
    connect(form_->Resources, &QPushButton::clicked, this, &OMainPropertyPgAbout::ShowResources);
}

OMainPropertyPgAbout::~OMainPropertyPgAbout() = default;

void OMainPropertyPgAbout::ShowResources() {
    sheet_.ShowResources(*windows_);
}

} // namespace ruva
