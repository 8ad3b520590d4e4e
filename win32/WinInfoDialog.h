#pragma once
// The three board information dialogs: "Board Communication Parameters" (shared or of one board) and
// "Serial Numbers and Revisions", each an introduction, read-only fields and OK.

#include "InfoDialogs.h"
#include "WinModalWindows.h"

#include <windows.h>

namespace ruva::win32 {

// Modal: returns when the dialog has closed. Modeless: returns the dialog's window at once; OK or
// Cancel destroys it.
HWND ShowInfoDialog(HWND owner, const InfoDialogContent& content, SheetMode mode = SheetMode::Modal);

} // namespace ruva::win32
