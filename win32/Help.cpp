#include "Help.h"

#include "MessageFormat.h"
#include "Prompts.h"
#include "Texts.h"
#include "WinText.h"

#include <shellapi.h>

namespace ruva::win32 {

std::wstring HelpPagePath() {
    std::wstring program(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, program.data(), static_cast<DWORD>(program.size()));
        if (length < program.size()) {
            program.resize(length);
            break;
        }
        program.resize(program.size() * 2);
    }
    return program.substr(0, program.find_last_of(L"\\/") + 1) + L"help\\ruvasetw.html";
}

void ShowHelpPage(HWND from, Prompts& prompts) {
    const std::wstring page = HelpPagePath();
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(from, L"open", page.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    // ShellExecute reports success with a value above 32.
    if (result <= 32)
        prompts.ShowMessage(FormatText(texts::CouldNotOpenFile, {Narrow(page)}), MessageIcon::Stop);
}

} // namespace ruva::win32
