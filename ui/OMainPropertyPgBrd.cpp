#include "OMainPropertyPgBrd.h"

#include "ProgramResources.h"
#include "QtModalWindows.h"
#include "QtText.h"
#include "Texts.h"

#include "ui_OMainPropertyPgBrd.h"

#include <QApplication>
#include <QPushButton>

namespace ruva {

namespace {

QPushButton* Button(const QWidget& page, const MainPropertyPgBrdButtonControl& button) {
    auto* widget = page.findChild<QPushButton*>(ToQString(button.Name));
    Q_ASSERT(widget);
    return widget;
}

} // namespace

OMainPropertyPgBrd::OMainPropertyPgBrd(MainPropertyPgBrdModel& model, QWidget* parent)
    : QWidget(parent), form_(std::make_unique<Ui::OMainPropertyPgBrd>()), model_(model),
      // Help asked for in the board properties sheet opens beside that sheet, which stays modal.
      windows_(std::make_unique<QtModalWindows>(this, [] { ShowHelp(QApplication::activeModalWidget()); })) {
    form_->setupUi(this);
    form_->ProductBitmap->setPixmap(ProductBitmap());
    form_->FileIcon->setPixmap(FileIcon());
    form_->BoardIcon->setPixmap(BoardIcon());
    form_->BoardPageText->setText(ToQString(texts::BoardPageHelp));
    form_->FileLabel->setText(ToQString(texts::BoardPageFileLabel));
    form_->BoardLabel->setText(ToQString(texts::BoardPageBoardLabel));

    for (const MainPropertyPgBrdButtonControl& button : MainPropertyPgBrdButtons()) {
        QPushButton* widget = Button(*this, button);
        widget->setText(ToQString(button.Label));
        connect(widget, &QPushButton::clicked, this, [this, id = button.Id] { Press(id); });
    }
    ShowEnabled();
}

OMainPropertyPgBrd::~OMainPropertyPgBrd() = default;

void OMainPropertyPgBrd::OnSetActive() {
    ShowEnabled();
}

void OMainPropertyPgBrd::Press(MainPropertyPgBrdButton button) {
    model_.Press(button, *windows_);
    ShowEnabled();
    update();
}

void OMainPropertyPgBrd::ShowEnabled() {
    for (const MainPropertyPgBrdButtonControl& button : MainPropertyPgBrdButtons())
        Button(*this, button)->setEnabled(model_.IsEnabled(button.Id));
}

} // namespace ruva
