#pragma once
// Messages and file dialogs on Windows: message boxes titled with the program's name and the
// standard dialogs for opening and saving files, each modal over the program's active window.

#include "Prompts.h"

#include <windows.h>

#include <string>

namespace ruva::win32 {

// The style of a message box: one OK button and the icon.
UINT MessageBoxStyle(MessageIcon icon);

// What the standard file dialog is given: the filter list (description and pattern of each filter,
// each ended by a null character, and one more at the end), the default extension, the name that its
// file name buffer starts with and the flags.
struct FileDialogSetup {
    std::wstring Filters;
    std::wstring DefaultExtension;
    std::wstring InitialFileName;
    DWORD Flags = 0;
};
FileDialogSetup DescribeFileDialog(const FileDialogOptions& options, bool save);

class WinPrompts : public Prompts {
public:
    void ShowMessage(std::string_view text, MessageIcon icon) override;
    std::optional<std::string> ChooseFileToOpen(const FileDialogOptions& options) override;
    std::optional<std::string> ChooseFileToSave(const FileDialogOptions& options) override;
};

} // namespace ruva::win32
