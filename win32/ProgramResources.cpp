#include "ProgramResources.h"

#include "MessageFormat.h"
#include "Prompts.h"
#include "Resource.h"
#include "Texts.h"
#include "WinText.h"

#include <shellapi.h>

#include <algorithm>
#include <map>

namespace ruva::win32 {

namespace {

// A bitmap resource as a DIB section with its colours multiplied by its alpha, as AlphaBlend takes it.
HBITMAP LoadPremultiplied(int id) {
    auto* bitmap = static_cast<HBITMAP>(
        LoadImageW(Module(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    DIBSECTION dib{};
    if (bitmap == nullptr || GetObjectW(bitmap, sizeof dib, &dib) != sizeof dib ||
        dib.dsBm.bmBitsPixel != 32 || dib.dsBm.bmBits == nullptr)
        return bitmap;
    auto* pixel = static_cast<BYTE*>(dib.dsBm.bmBits);
    const auto count =
        static_cast<std::size_t>(dib.dsBm.bmWidth) * static_cast<std::size_t>(dib.dsBm.bmHeight);
    for (std::size_t i = 0; i < count; ++i, pixel += 4) {
        const unsigned alpha = pixel[3];
        for (int c = 0; c < 3; ++c)
            pixel[c] = static_cast<BYTE>((pixel[c] * alpha + 127) / 255);
    }
    return bitmap;
}

} // namespace

HINSTANCE Module() {
    return GetModuleHandleW(nullptr);
}

HICON ProgramIcon(bool large) {
    const int size = GetSystemMetrics(large ? SM_CXICON : SM_CXSMICON);
    return static_cast<HICON>(
        LoadImageW(Module(), MAKEINTRESOURCEW(IDI_PROGRAM), IMAGE_ICON, size, size, LR_SHARED));
}

void DrawBitmap(const DRAWITEMSTRUCT& item, int bitmapId) {
    // Loaded once for the run of the program, like the icon.
    static std::map<int, HBITMAP> bitmaps;
    HBITMAP& bitmap = bitmaps[bitmapId];
    if (bitmap == nullptr)
        bitmap = LoadPremultiplied(bitmapId);
    BITMAP size{};
    if (bitmap == nullptr || GetObjectW(bitmap, sizeof size, &size) == 0)
        return;
    const RECT& box = item.rcItem;
    // The picture at its own size where it fits, else as large as the control takes it, keeping its
    // proportions: smaller where the control is smaller, larger on screens of more dots per inch, where
    // the control has grown with the dialog's font.
    int width = size.bmWidth;
    int height = size.bmHeight;
    const int boxWidth = box.right - box.left;
    const int boxHeight = box.bottom - box.top;
    const double scale = std::min(double(boxWidth) / width, double(boxHeight) / height);
    if (scale < 1 || scale >= 1.25) {
        width = static_cast<int>(width * scale);
        height = static_cast<int>(height * scale);
    }
    HDC source = CreateCompatibleDC(item.hDC);
    HGDIOBJ old = SelectObject(source, bitmap);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    GdiAlphaBlend(item.hDC, box.left + (boxWidth - width) / 2, box.top + (boxHeight - height) / 2, width,
                  height, source, 0, 0, size.bmWidth, size.bmHeight, blend);
    SelectObject(source, old);
    DeleteDC(source);
}

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
    // ShellExecute reports success with a value above 32.
    const auto open = [from](const std::wstring& file, const wchar_t* parameters) {
        return reinterpret_cast<INT_PTR>(
            ShellExecuteW(from, L"open", file.c_str(), parameters, nullptr, SW_SHOWNORMAL));
    };
    const INT_PTR result = open(page, nullptr);
    if (result > 32)
        return;
    if (GetFileAttributesW(page.c_str()) == INVALID_FILE_ATTRIBUTES) {
        prompts.ShowMessage(FormatText(texts::CouldNotOpenFile, {Narrow(page)}), MessageIcon::Stop);
        return;
    }
    // The page is there, but no program for web pages is registered, or the registered one is gone. The
    // HTML Help viewer in the Windows folder of every Windows since XP shows a web page without one.
    const bool noProgram = result == SE_ERR_NOASSOC || result == SE_ERR_ASSOCINCOMPLETE ||
                           result == SE_ERR_FNF || result == SE_ERR_PNF;
    if (noProgram) {
        wchar_t windows[MAX_PATH] = {};
        const UINT length = GetSystemWindowsDirectoryW(windows, MAX_PATH);
        if (length > 0 && length < MAX_PATH &&
            open(std::wstring(windows) + L"\\hh.exe", (L"\"" + page + L"\"").c_str()) > 32)
            return;
    }
    prompts.ShowMessage(
        FormatText(noProgram ? texts::NoProgramForHelpPage : texts::CouldNotOpenFile, {Narrow(page)}),
        MessageIcon::Stop);
}

} // namespace ruva::win32
