#include "WinPrompts.h"

#include "Texts.h"
#include "WinText.h"

#include <windows.h>

#include <commdlg.h>

namespace ruva::win32 {

UINT MessageBoxStyle(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Stop:
        return MB_OK | MB_ICONSTOP;
    case MessageIcon::Warning:
        return MB_OK | MB_ICONWARNING;
    case MessageIcon::Information:
        return MB_OK | MB_ICONINFORMATION;
    case MessageIcon::None:
        break;
    }
    return MB_OK;
}

FileDialogSetup DescribeFileDialog(const FileDialogOptions& options, bool save) {
    FileDialogSetup setup;
    for (const FileFilter& filter : options.Filters) {
        setup.Filters += Widen(filter.Description);
        setup.Filters += L'\0';
        setup.Filters += Widen(filter.Pattern);
        setup.Filters += L'\0';
    }
    setup.Filters += L'\0';
    setup.DefaultExtension = Widen(options.DefaultExtension);
    setup.InitialFileName = Widen(options.InitialFileName);
    // No file dialog starts from a remembered place, and the program's current folder stays as it is.
    setup.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
    if (options.HideReadOnly)
        setup.Flags |= OFN_HIDEREADONLY;
    if (save && options.ConfirmOverwrite)
        setup.Flags |= OFN_OVERWRITEPROMPT;
    if (!save)
        setup.Flags |= OFN_FILEMUSTEXIST;
    return setup;
}

namespace {

std::optional<std::string> RunFileDialog(const FileDialogOptions& options, bool save) {
    const FileDialogSetup setup = DescribeFileDialog(options, save);
    // The dialog starts with the initial name in the buffer and leaves the chosen path there, with the
    // default extension added to a name typed without one.
    std::wstring file = setup.InitialFileName;
    file.resize(32768, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = GetActiveWindow();
    dialog.lpstrFilter = options.Filters.empty() ? nullptr : setup.Filters.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrDefExt = setup.DefaultExtension.empty() ? nullptr : setup.DefaultExtension.c_str();
    dialog.Flags = setup.Flags;
    const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    if (!chosen)
        return std::nullopt;
    // The core opens files with the standard library; the program's manifest makes UTF-8 its code page.
    return Narrow(file.c_str());
}

} // namespace

void WinPrompts::ShowMessage(std::string_view text, MessageIcon icon) {
    MessageBoxW(GetActiveWindow(), Widen(text).c_str(), Widen(texts::ProgramName).c_str(),
                MessageBoxStyle(icon));
}

std::optional<std::string> WinPrompts::ChooseFileToOpen(const FileDialogOptions& options) {
    return RunFileDialog(options, false);
}

std::optional<std::string> WinPrompts::ChooseFileToSave(const FileDialogOptions& options) {
    return RunFileDialog(options, true);
}

} // namespace ruva::win32
