#pragma once
// Help: the program's help page, installed beside the program as help\ruvasetw.html, opened with the
// program that Windows has for web pages.

#include <windows.h>

#include <string>

namespace ruva {
class Prompts;
}

namespace ruva::win32 {

// The help page's path, beside the running program.
std::wstring HelpPagePath();
// Opens it; a page that cannot be opened is reported through `prompts`.
void ShowHelpPage(HWND from, Prompts& prompts);

} // namespace ruva::win32
