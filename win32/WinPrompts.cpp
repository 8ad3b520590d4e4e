#include "WinPrompts.h"

#include "Texts.h"
#include "WinText.h"

#include <windows.h>

#include <commdlg.h>

namespace ruva::win32 {

namespace {

UINT IconStyle(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Stop:
        return MB_ICONSTOP;
    case MessageIcon::Warning:
        return MB_ICONWARNING;
    case MessageIcon::Information:
        return MB_ICONINFORMATION;
    case MessageIcon::None:
        break;
    }
    return 0;
}

// The filter list of the file dialogs: description and pattern of each filter, each ended by a null
// character, and the list ended by one more.
std::wstring FilterList(const FileDialogOptions& options) {
    std::wstring list;
    for (const FileFilter& filter : options.Filters) {
        list += Widen(filter.Description);
        list += L'\0';
        list += Widen(filter.Pattern);
        list += L'\0';
    }
    list += L'\0';
    return list;
}

std::optional<std::string> RunFileDialog(const FileDialogOptions& options, bool save) {
    const std::wstring filters = FilterList(options);
    const std::wstring extension = Widen(options.DefaultExtension);
    std::wstring file(32768, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = GetActiveWindow();
    dialog.lpstrFilter = options.Filters.empty() ? nullptr : filters.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    // No file dialog starts from a remembered place, and the program's current folder stays as it is.
    dialog.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
    if (options.HideReadOnly)
        dialog.Flags |= OFN_HIDEREADONLY;
    if (save && options.ConfirmOverwrite)
        dialog.Flags |= OFN_OVERWRITEPROMPT;
    if (!save)
        dialog.Flags |= OFN_FILEMUSTEXIST;
    const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    if (!chosen)
        return std::nullopt;
    // The core opens files with the standard library; the program's manifest makes UTF-8 its code page.
    return Narrow(file.c_str());
}

} // namespace

void WinPrompts::ShowMessage(std::string_view text, MessageIcon icon) {
    MessageBoxW(GetActiveWindow(), Widen(text).c_str(), Widen(texts::ProgramName).c_str(),
                MB_OK | IconStyle(icon));
}

std::optional<std::string> WinPrompts::ChooseFileToOpen(const FileDialogOptions& options) {
    return RunFileDialog(options, false);
}

std::optional<std::string> WinPrompts::ChooseFileToSave(const FileDialogOptions& options) {
    return RunFileDialog(options, true);
}

} // namespace ruva::win32
