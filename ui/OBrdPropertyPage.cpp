#include "OBrdPropertyPage.h"

#include "QtText.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>

namespace ruva {

namespace {

Qt::CheckState ToQt(CheckState state) {
    switch (state) {
    case CheckState::Checked:
        return Qt::Checked;
    case CheckState::Unchecked:
        return Qt::Unchecked;
    case CheckState::Indeterminate:
        break;
    }
    return Qt::PartiallyChecked;
}

CheckState FromQt(Qt::CheckState state) {
    switch (state) {
    case Qt::Checked:
        return CheckState::Checked;
    case Qt::Unchecked:
        return CheckState::Unchecked;
    case Qt::PartiallyChecked:
        break;
    }
    return CheckState::Indeterminate;
}

template <typename Widget>
Widget* Named(const QWidget& page, std::string_view name, std::string_view suffix = {}) {
    auto* widget = page.findChild<Widget*>(ToQString(name) + ToQString(suffix));
    Q_ASSERT(widget);
    return widget;
}

// Widens a push button so that its text has about a line's height of room on either side.
void GiveTextRoom(QAbstractButton& button) {
    const QFontMetrics metrics = button.fontMetrics();
    const int room =
        metrics.horizontalAdvance(QString(button.text()).remove(QLatin1Char('&'))) + 2 * metrics.height();
    button.setMinimumWidth(std::max(button.sizeHint().width(), room));
}

} // namespace

OBrdPropertyPage::OBrdPropertyPage(BrdPropertyPageModel& model, QWidget* parent)
    : QWidget(parent), model_(model) {}

void OBrdPropertyPage::BindControls() {
    for (const FieldControl& field : model_.Fields()) {
        Control control;
        switch (field.Kind) {
        case ControlKind::List:
            control.List = Named<QComboBox>(*this, field.Name);
            control.List->clear();
            for (const ValueItem& item : field.Values->Items)
                control.List->addItem(ToQString(item.Label));
            Named<QLabel>(*this, field.Name, "Label")->setText(ToQString(field.Label));
            break;
        case ControlKind::Check:
            control.Check = Named<QCheckBox>(*this, field.Name);
            control.Check->setText(ToQString(field.Label));
            break;
        case ControlKind::Number:
        case ControlKind::Address:
            control.Edit = Named<QLineEdit>(*this, field.Name);
            Named<QLabel>(*this, field.Name, "Label")->setText(ToQString(field.Label));
            break;
        case ControlKind::Bits:
            Named<QGroupBox>(*this, field.Name, "Label")->setTitle(ToQString(field.Label));
            for (const BitBox& box : field.Boxes) {
                QCheckBox* check = Named<QCheckBox>(*this, field.Name, "_" + std::to_string(box.Bit));
                check->setText(ToQString(box.Label));
                control.Boxes.push_back(check);
            }
            break;
        }
        controls_.push_back(std::move(control));
    }

    for (const LiPageButtonControl& button : model_.Buttons()) {
        QAbstractButton* widget = Named<QAbstractButton>(*this, button.Name);
        widget->setText(ToQString(button.Label));
        GiveTextRoom(*widget);
        connect(widget, &QAbstractButton::clicked, this, [this, id = button.Id] { emit ButtonPressed(id); });
    }

    for (QComboBox* list : findChildren<QComboBox*>())
        connect(list, &QComboBox::activated, this, &OBrdPropertyPage::Changed);
    for (QLineEdit* edit : findChildren<QLineEdit*>())
        connect(edit, &QLineEdit::textEdited, this, &OBrdPropertyPage::Changed);
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        const Control& control = controls_[i];
        const std::size_t boxes = control.Check ? 1 : control.Boxes.size();
        for (std::size_t box = 0; box < boxes; ++box) {
            // What a click makes of the box is the page logic's rule, applied to the state the box had
            // when it was pressed, over whatever Qt made of it.
            QCheckBox* check = control.Check ? control.Check : control.Boxes[box];
            connect(check, &QCheckBox::pressed, this, [this, i, box] { pressedState_ = Check(i, box); });
            connect(check, &QCheckBox::clicked, this, [this, i, box] {
                SetCheck(i, box, ClickedState(pressedState_));
                emit Changed();
            });
        }
    }
}

void OBrdPropertyPage::SelectItem(std::size_t field, int position) {
    At(field).List->setCurrentIndex(position);
}

int OBrdPropertyPage::SelectedItem(std::size_t field) const {
    return At(field).List->currentIndex();
}

void OBrdPropertyPage::SetCheck(std::size_t field, std::size_t box, CheckState state) {
    const Control& control = At(field);
    QCheckBox* check = control.Check ? control.Check : control.Boxes.at(box);
    check->setTristate(state == CheckState::Indeterminate);
    check->setCheckState(ToQt(state));
}

CheckState OBrdPropertyPage::Check(std::size_t field, std::size_t box) const {
    const Control& control = At(field);
    return FromQt((control.Check ? control.Check : control.Boxes.at(box))->checkState());
}

void OBrdPropertyPage::SetText(std::size_t field, std::string_view text) {
    At(field).Edit->setText(ToQString(text));
}

std::string OBrdPropertyPage::Text(std::size_t field) const {
    return At(field).Edit->text().toStdString();
}

void OBrdPropertyPage::FocusEntry(std::size_t field) {
    At(field).Edit->setFocus(Qt::OtherFocusReason);
    At(field).Edit->selectAll();
}

} // namespace ruva
