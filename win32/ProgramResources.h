#pragma once
// The program's resources: the module that holds them, the program icon, the pictures of the pages, and
// the help page, installed beside the program as help\ruvasetw.html and opened with the program that
// Windows has for web pages.

#include <windows.h>

#include <functional>
#include <string>

namespace ruva {
class Prompts;
}

namespace ruva::win32 {

// Opens the program's help page; `from` is the window that asks.
using ShowHelpFunction = std::function<void(HWND from)>;

HINSTANCE Module();
// The program icon at the system's large or small icon size.
HICON ProgramIcon(bool large);

// Draws a bitmap resource with its transparency, centred in an owner-drawn static control.
void DrawBitmap(const DRAWITEMSTRUCT& item, int bitmapId);

// The help page's path, beside the running program.
std::wstring HelpPagePath();
// Opens it with the program registered for web pages, or without one in the HTML Help viewer; a page that
// cannot be opened is reported through `prompts`, saying when no program for web pages is the cause.
void ShowHelpPage(HWND from, Prompts& prompts);

} // namespace ruva::win32
