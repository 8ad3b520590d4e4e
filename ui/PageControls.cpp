#include "PageControls.h"

#include "NumberText.h"
#include "Prompts.h"
#include "QtText.h"
#include "Texts.h"
#include "ValueSets.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLineEdit>

#include <algorithm>

namespace ruva {

void FillList(QComboBox& list, const ValueSet& values) {
    list.clear();
    for (const ValueItem& item : values.Items)
        list.addItem(ToQString(item.Label));
}

void ShowCode(QComboBox& list, const ValueSet& values, int code) {
    list.setCurrentIndex(values.PositionOf(code));
}

std::optional<std::int16_t> SelectedCode(const QComboBox& list, const ValueSet& values) {
    const int position = list.currentIndex();
    if (position < 0 || static_cast<std::size_t>(position) >= values.Items.size())
        return std::nullopt;
    return values.Items[static_cast<std::size_t>(position)].Code;
}

void ShowFlag(QCheckBox& box, int value) {
    const bool valid = value == 0 || value == 1;
    box.setTristate(!valid);
    box.setCheckState(!valid ? Qt::PartiallyChecked : value == 1 ? Qt::Checked : Qt::Unchecked);
}

std::optional<std::int16_t> FlagValue(const QCheckBox& box) {
    switch (box.checkState()) {
    case Qt::Checked:
        return std::int16_t{1};
    case Qt::Unchecked:
        return std::int16_t{0};
    case Qt::PartiallyChecked:
        break;
    }
    return std::nullopt;
}

BitBoxes::BitBoxes(const QWidget& page, std::string_view field) {
    const QString prefix = ToQString(field) + '_';
    for (QCheckBox* box : page.findChildren<QCheckBox*>()) {
        if (!box->objectName().startsWith(prefix))
            continue;
        bool ok = false;
        const unsigned bit = box->objectName().mid(prefix.size()).toUInt(&ok);
        if (ok && bit < 32)
            boxes_.emplace_back(box, bit);
    }
}

void BitBoxes::Show(std::uint32_t value) const {
    for (const auto& [box, bit] : boxes_)
        box->setChecked((value >> bit) & 1U);
}

std::uint32_t BitBoxes::Value(std::uint32_t old) const {
    std::uint32_t value = old;
    for (const auto& [box, bit] : boxes_) {
        const std::uint32_t mask = std::uint32_t{1} << bit;
        value = box->isChecked() ? (value | mask) : (value & ~mask);
    }
    return value;
}

void RefuseEntry(QLineEdit& edit, std::string_view message, Prompts& prompts) {
    prompts.ShowMessage(message, MessageIcon::Stop);
    edit.setFocus(Qt::OtherFocusReason);
    edit.selectAll();
}

std::optional<std::uint32_t> ReadNumber(QLineEdit& edit, std::uint32_t max, Prompts& prompts) {
    const auto number = ParseWholeNumber(edit.text().toStdString());
    if (!number) {
        RefuseEntry(edit, texts::EnterInteger, prompts);
        return std::nullopt;
    }
    if (*number < 0 || *number > static_cast<std::int64_t>(max)) {
        RefuseEntry(edit,
                    max == 255     ? texts::EnterIntegerUpTo255
                    : max == 65535 ? texts::EnterIntegerUpTo65535
                                   : texts::EnterInteger,
                    prompts);
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(*number);
}

void GiveTextRoom(QAbstractButton& button) {
    const QFontMetrics metrics = button.fontMetrics();
    const int room =
        metrics.horizontalAdvance(QString(button.text()).remove(QLatin1Char('&'))) + 2 * metrics.height();
    button.setMinimumWidth(std::max(button.sizeHint().width(), room));
}

} // namespace ruva
