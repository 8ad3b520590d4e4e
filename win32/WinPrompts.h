#pragma once
// Messages and file dialogs on Windows: message boxes titled with the program's name and the
// standard dialogs for opening and saving files, each modal over the program's active window.

#include "Prompts.h"

namespace ruva::win32 {

class WinPrompts : public Prompts {
public:
    void ShowMessage(std::string_view text, MessageIcon icon) override;
    std::optional<std::string> ChooseFileToOpen(const FileDialogOptions& options) override;
    std::optional<std::string> ChooseFileToSave(const FileDialogOptions& options) override;
};

} // namespace ruva::win32
