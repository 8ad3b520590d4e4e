#include "InfoDialog.h"

#include "QtText.h"

#include <QDialog>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>

namespace ruva {

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
    // The introductory text wraps; give it room for its sentence on two lines at most.
    intro.setMinimumWidth(intro.fontMetrics().horizontalAdvance(intro.text()) / 2 + 1);
    dialog.layout()->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace ruva
