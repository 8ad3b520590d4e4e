#include "InfoDialog.h"

#include "MessageFormat.h"
#include "QtText.h"

#include <QDialog>
#include <QLabel>
#include <QLayout>

namespace ruva {

void SetUpInfoDialog(QDialog& dialog, QLabel& intro, std::string_view title, std::string_view introText) {
    dialog.setWindowTitle(ToQString(title));
    intro.setText(ToQString(introText));
    // The introductory text wraps; give it room for its sentence on two lines at most.
    intro.setMinimumWidth(intro.fontMetrics().horizontalAdvance(intro.text()) / 2 + 1);
    dialog.layout()->setSizeConstraint(QLayout::SetFixedSize);
}

QString HexValue(std::uint32_t value) {
    return ToQString(FormatText("0x%1!X!", {value}));
}

QString DecimalValue(int value) {
    return ToQString(FormatText("%1!d!", {value}));
}

} // namespace ruva
