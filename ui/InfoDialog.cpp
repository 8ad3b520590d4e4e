#include "InfoDialog.h"

#include "MessageFormat.h"
#include "QtText.h"

#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLayout>
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

void SetUpInfoDialog(QDialog& dialog, QLabel& intro, std::string_view title, std::string_view introText) {
    dialog.setWindowTitle(ToQString(title));
    intro.setText(ToQString(introText));
    // The introductory text spans the dialog: two even lines at most, and wide enough for the title.
    const QMargins margins = dialog.layout()->contentsMargins();
    intro.setMinimumWidth(
        std::max(WrapWidth(intro.fontMetrics(), intro.text(), 2),
                 TitleBarWidth(dialog, dialog.windowTitle()) - margins.left() - margins.right()));
    dialog.layout()->setSizeConstraint(QLayout::SetFixedSize);
}

QString HexValue(std::uint32_t value) {
    return ToQString(FormatText("0x%1!X!", {value}));
}

QString DecimalValue(int value) {
    return ToQString(FormatText("%1!d!", {value}));
}

} // namespace ruva
