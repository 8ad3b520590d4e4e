#include "QtInfoDialog.h"

#include "QtText.h"
#include "Texts.h"

#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

#include <algorithm>

namespace ruva {

namespace {

// The narrowest width at which `text` wraps into at most `lines` lines: lines of about equal length,
// without a word left alone on the last one.
int WrapWidth(const QFontMetrics& metrics, const QString& text, int lines) {
    const auto fits = [&](int width) {
        const QRect bounds = metrics.boundingRect(QRect(0, 0, width, 1 << 20), Qt::TextWordWrap, text);
        return bounds.width() <= width && bounds.height() <= lines * metrics.lineSpacing();
    };
    int low = 1;
    int high = metrics.horizontalAdvance(text) + 1;
    while (low < high) {
        const int middle = (low + high) / 2;
        if (fits(middle))
            high = middle;
        else
            low = middle + 1;
    }
    return high;
}

// The width a window needs for `title` in a title bar: the title, in bold as title bars often show
// it, beside the window manager's icon and up to three buttons, each about one and a half times as
// wide as the bar is high.
int TitleBarWidth(const QWidget& window, const QString& title) {
    QFont font = window.font();
    font.setBold(true);
    const int bar = window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window);
    return QFontMetrics(font).horizontalAdvance(title) + 6 * bar;
}

} // namespace

void SetUpInfoDialog(QDialog& dialog, QLabel& intro, const InfoDialogContent& content) {
    dialog.setWindowTitle(ToQString(content.Title));
    intro.setText(ToQString(content.Intro));
    for (const InfoField& field : content.Fields) {
        auto* label = dialog.findChild<QLabel*>(ToQString(field.Name) + QStringLiteral("Label"));
        auto* value = dialog.findChild<QLineEdit*>(ToQString(field.Name));
        Q_ASSERT(label && value);
        label->setText(ToQString(field.Label));
        value->setText(ToQString(field.Value));
    }
    dialog.findChild<QPushButton*>(QStringLiteral("Ok"))->setText(ToQString(texts::InfoDialogButton));
    // The introductory text spans the dialog: two even lines at most, and wide enough for the title.
    const QMargins margins = dialog.layout()->contentsMargins();
    intro.setMinimumWidth(
        std::max(WrapWidth(intro.fontMetrics(), intro.text(), 2),
                 TitleBarWidth(dialog, dialog.windowTitle()) - margins.left() - margins.right()));
    dialog.layout()->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace ruva
