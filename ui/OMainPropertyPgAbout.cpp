#include "OMainPropertyPgAbout.h"

#include "MainPropertySheetModel.h"
#include "ProgramResources.h"
#include "QtModalWindows.h"
#include "QtText.h"
#include "Texts.h"

#include "ui_OMainPropertyPgAbout.h"

namespace ruva {

OMainPropertyPgAbout::OMainPropertyPgAbout(MainPropertySheetModel& sheet, QWidget* parent)
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
    for (const MainPropertyPgAboutButtonControl& button : MainPropertyPgAboutButtons()) {
        auto* widget = findChild<QPushButton*>(ToQString(button.Name));
        Q_ASSERT(widget);
        widget->setText(ToQString(button.Label));
        connect(widget, &QPushButton::clicked, this, [this, id = button.Id] { sheet_.Press(id, *windows_); });
    }
}

OMainPropertyPgAbout::~OMainPropertyPgAbout() = default;

} // namespace ruva
