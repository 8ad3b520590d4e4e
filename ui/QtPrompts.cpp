#include "QtPrompts.h"

#include "QtText.h"
#include "Texts.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

namespace ruva {

namespace {

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Stop:
        return QMessageBox::Critical;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// A name filter as Qt reads it: "Config Files (*.cfg)". Several patterns may be separated by ';'.
QString NameFilter(const FileFilter& filter) {
    const QString patterns = ToQString(filter.Pattern).replace(QLatin1Char(';'), QLatin1Char(' '));
    const QString description = ToQString(filter.Description);
    if (description.endsWith(QStringLiteral("(%1)").arg(patterns)))
        return description;
    return QStringLiteral("%1 (%2)").arg(description, patterns);
}

} // namespace

QtPrompts::QtPrompts(QWidget* parent) : parent_(parent) {}

QWidget* QtPrompts::Parent() const {
    return parent_ ? parent_.data() : QApplication::activeWindow();
}

void QtPrompts::ShowMessage(std::string_view text, MessageIcon icon) {
    QMessageBox box(ToQtIcon(icon), ToQString(texts::ProgramName), ToQString(text), QMessageBox::Ok,
                    Parent());
    box.exec();
}

void ConfigureFileDialog(QFileDialog& dialog, const FileDialogOptions& options, bool save) {
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(ToQString(options.DefaultExtension));
    QStringList filters;
    for (const FileFilter& filter : options.Filters)
        filters << NameFilter(filter);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    if (!options.InitialFileName.empty())
        dialog.selectFile(ToQString(options.InitialFileName));
    // Qt's dialogs offer no "open as read-only" choice, so HideReadOnly needs nothing here.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(save && options.ConfirmOverwrite));
}

std::optional<std::string> QtPrompts::RunFileDialog(const FileDialogOptions& options, bool save) {
    QFileDialog dialog(Parent());
    ConfigureFileDialog(dialog, options, save);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    // The core opens files with the standard library, which takes paths in the local 8-bit encoding.
    return QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
}

std::optional<std::string> QtPrompts::ChooseFileToOpen(const FileDialogOptions& options) {
    return RunFileDialog(options, false);
}

std::optional<std::string> QtPrompts::ChooseFileToSave(const FileDialogOptions& options) {
    return RunFileDialog(options, true);
}

} // namespace ruva
