#pragma once
// What both property sheets keep of their pages: the pages' dialogs once created, their titles, and
// the dialog procedure that ties each page to its sheet and hands its messages to the sheet.

#include "WinModalWindows.h"
#include "WinText.h"

#include <prsht.h>
#include <windows.h>

#include <array>
#include <string>
#include <utility>

namespace ruva::win32 {

// A notification's answer in a dialog procedure.
inline INT_PTR Answer(HWND page, LONG_PTR result) {
    SetWindowLongPtrW(page, DWLP_MSGRESULT, result);
    return TRUE;
}

// `Sheet` derives from this and has InitPage(index, page), OnNotify(index, page, header) and
// OnCommand(index, page, wParam); other messages a page gets go to OnPageMessage(message, lParam),
// which answers FALSE for those it leaves to the dialog. Help (the button or F1) is answered here.
template <class Sheet, int Count>
class PropertySheetPages {
public:
    HWND Window() const { return window_; }
    // A page's dialog, once the page has been created (when first shown); else null.
    HWND Page(int index) const { return pages_.at(static_cast<std::size_t>(index)); }

protected:
    // The pages are titled `Sheet::PageCaption(index)`.
    explicit PropertySheetPages(ShowHelpFunction help) : help_(std::move(help)) {
        for (int i = 0; i < Count; ++i)
            titles_[static_cast<std::size_t>(i)] = Widen(Sheet::PageCaption(i));
    }

    // The descriptions of the pages, titled and each made from template `templateOf(index)`.
    template <class TemplateOf>
    std::array<PROPSHEETPAGEW, Count> DescribePages(TemplateOf templateOf) {
        std::array<PROPSHEETPAGEW, Count> pages{};
        for (int i = 0; i < Count; ++i) {
            const auto at = static_cast<std::size_t>(i);
            bindings_[at] = {static_cast<Sheet*>(this), i};
            PROPSHEETPAGEW& page = pages[at];
            page.dwSize = sizeof page;
            page.dwFlags = PSP_USETITLE | PSP_HASHELP;
            page.hInstance = Module();
            page.pszTemplate = MAKEINTRESOURCEW(templateOf(i));
            page.pfnDlgProc = &PropertySheetPages::PageProc;
            page.pszTitle = titles_[at].c_str();
            page.lParam = reinterpret_cast<LPARAM>(&bindings_[at]);
        }
        return pages;
    }

    HWND window_ = nullptr;
    std::array<HWND, Count> pages_{};

private:
    void ShowHelp() {
        if (help_)
            help_(window_);
    }

    // What a page's dialog keeps: its sheet and its place in it.
    struct PageBinding {
        Sheet* Owner;
        int Index;
    };

    static INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_INITDIALOG) {
            auto* binding =
                reinterpret_cast<PageBinding*>(reinterpret_cast<const PROPSHEETPAGEW*>(lParam)->lParam);
            SetWindowLongPtrW(page, DWLP_USER, reinterpret_cast<LONG_PTR>(binding));
            Sheet& sheet = *binding->Owner;
            sheet.pages_[static_cast<std::size_t>(binding->Index)] = page;
            sheet.window_ = GetParent(page);
            sheet.InitPage(binding->Index, page);
            return TRUE;
        }
        auto* binding = reinterpret_cast<PageBinding*>(GetWindowLongPtrW(page, DWLP_USER));
        if (binding == nullptr)
            return FALSE;
        Sheet& sheet = *binding->Owner;
        switch (message) {
        case WM_NOTIFY: {
            const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
            if (header.code == PSN_HELP) { // the sheet's Help button
                sheet.ShowHelp();
                return TRUE;
            }
            return sheet.OnNotify(binding->Index, page, header);
        }
        case WM_COMMAND:
            return sheet.OnCommand(binding->Index, page, wParam);
        case WM_HELP: // F1
            sheet.ShowHelp();
            return TRUE;
        case WM_DESTROY:
            sheet.pages_[static_cast<std::size_t>(binding->Index)] = nullptr;
            return FALSE;
        default:
            return sheet.OnPageMessage(message, lParam);
        }
    }

    ShowHelpFunction help_;
    std::array<std::wstring, Count> titles_;
    std::array<PageBinding, Count> bindings_{};
};

} // namespace ruva::win32
