#pragma once
// What the program's property sheets share: the module's resources, the program icon, the pictures of
// the pages, and Help.

#include <windows.h>

#include <functional>

namespace ruva::win32 {

// Opens the program's help page; `from` is the window that asks.
using ShowHelpFunction = std::function<void(HWND from)>;

HINSTANCE Module();
// The program icon at the system's large or small icon size.
HICON ProgramIcon(bool large);

// Draws a bitmap resource with its transparency, centred in an owner-drawn static control.
void DrawBitmap(const DRAWITEMSTRUCT& item, int bitmapId);

// How a sheet or dialog is shown: modally (the call returns when it has closed), as the program shows
// them, or modeless (the call returns its window at once; the caller passes its messages and destroys
// it once it has closed), as the tests drive them.
enum class SheetMode { Modal, Modeless };

} // namespace ruva::win32
