#pragma once
// Prompts for the Qt program: message boxes titled with the program's name and the platform's file
// dialogs.

#include "Prompts.h"

#include <QPointer>
#include <QWidget>

class QFileDialog;

namespace ruva {

class QtPrompts : public Prompts {
public:
    // Message boxes and dialogs are centred on `parent`; without one, on the active window.
    explicit QtPrompts(QWidget* parent = nullptr);

    void ShowMessage(std::string_view text, MessageIcon icon) override;
    std::optional<std::string> ChooseFileToOpen(const FileDialogOptions& options) override;
    std::optional<std::string> ChooseFileToSave(const FileDialogOptions& options) override;

private:
    QWidget* Parent() const;
    std::optional<std::string> RunFileDialog(const FileDialogOptions& options, bool save);

    QPointer<QWidget> parent_;
};

// Sets up a file dialog for opening (save = false) or saving: default suffix, name filters in the
// order given, and for saving the overwrite confirmation that the options ask for.
void ConfigureFileDialog(QFileDialog& dialog, const FileDialogOptions& options, bool save);

} // namespace ruva
