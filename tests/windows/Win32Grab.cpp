// win32_grab <folder>: shows ruvasetw.exe's windows over two boards simulated in process and writes
// each as Wine draws it, frame included, to <folder>/<name>.bmp: the main sheet's About page and the
// page of board 0 after a load from the board, the five pages of the board properties sheet, and the
// three information dialogs. scripts/screenshots-windows turns them into the pictures of
// docs/screenshots/windows.

#include "BrdPropertySheet.h"
#include "Driver.h"
#include "MainPropertySheet.h"
#include "MainPropertySheetModel.h"
#include "ModalWindows.h"
#include "RecordingPrompts.h"
#include "SimChannel.h"
#include "Win32Driving.h"
#include "WinInfoDialog.h"

#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

using namespace ruva;
using namespace ruva::test;
using win32::SheetMode;

namespace {

std::string folder;
int failures = 0;

// The window's pixels as the screen shows them, as the rows of a 24-bit bottom-up bitmap.
std::vector<char> ScreenPixels(const RECT& box, BITMAPINFOHEADER& header) {
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height; // bottom-up, as bitmap files hold their rows
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    BITMAPINFO info{};
    info.bmiHeader = header;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, box.left, box.top, SRCCOPY);
    GdiFlush();
    const std::size_t rowSize = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    const auto* first = static_cast<const char*>(bits);
    std::vector<char> pixels(first, first + rowSize * static_cast<std::size_t>(height));
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// Lets the window draw itself completely (until two looks at the screen agree), then writes it as a
// bitmap file.
void Grab(HWND window, const std::string& name) {
    SetForegroundWindow(window);
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT box{};
    GetWindowRect(window, &box);
    BITMAPINFOHEADER header{};
    std::vector<char> pixels;
    for (int look = 0; look < 50; ++look) {
        Pump();
        Sleep(100);
        std::vector<char> again = ScreenPixels(box, header);
        const bool settled = again == pixels;
        pixels = std::move(again);
        if (settled && look >= 2)
            break;
    }
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    std::ofstream out(folder + "/" + name + ".bmp", std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    if (!out) {
        std::fprintf(stderr, "cannot write %s/%s.bmp\n", folder.c_str(), name.c_str());
        ++failures;
    }
}

// The board properties sheet and the information dialogs, modeless, each grabbed and closed.
struct GrabWindows : ModalWindows {
    HWND Owner = nullptr;

    bool RunBoardProperties(BrdPropertySheetModel& model) override {
        win32::BrdPropertySheet sheet(model, {});
        sheet.Show(Owner, SheetMode::Modeless);
        Pump();
        static const char* const names[] = {"brd-properties-li0-e1", "brd-properties-li0-t1",
                                            "brd-properties-li1-e1", "brd-properties-li1-t1",
                                            "brd-properties-general"};
        for (int page = 0; page < BrdPropertySheetModel::PageCount; ++page) {
            PropSheet_SetCurSel(sheet.Window(), nullptr, page);
            Pump();
            Grab(sheet.Window(), names[page]);
        }
        PropSheet_PressButton(sheet.Window(), PSBTN_CANCEL);
        Pump();
        DestroyWindow(sheet.Window());
        Pump();
        return false;
    }

    void ShowInformation(const InfoDialogContent& content) override {
        HWND dialog = win32::ShowInfoDialog(Owner, content, SheetMode::Modeless);
        Pump();
        switch (content.Kind) {
        case InfoDialogKind::MainResources:
            Grab(dialog, "main-resources");
            break;
        case InfoDialogKind::BrdResources:
            Grab(dialog, "board-resources");
            break;
        case InfoDialogKind::BrdSerialNo:
            Grab(dialog, "board-serial-numbers");
            break;
        }
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
        Pump();
    }
};

void Press(HWND page, int id) {
    SendMessageW(GetDlgItem(page, id), BM_CLICK, 0, 0);
    Pump();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: win32_grab <folder>\n");
        return 2;
    }
    folder = argv[1];

    SimChannel channel(sim::FreshState(2));
    Driver driver(channel);
    OpenDriverAtStart(driver);
    RecordingPrompts prompts;
    GrabWindows windows;
    MainPropertySheetModel model(driver, prompts);
    win32::MainPropertySheet sheet(model, windows, {});
    sheet.Show(SheetMode::Modeless);
    windows.Owner = sheet.Window();
    // Away from the screen's corner, so that nothing is cut off at its edges.
    SetWindowPos(sheet.Window(), nullptr, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    Pump();

    Grab(sheet.Window(), "main-general");
    Press(sheet.Page(0), win32::ControlId("Resources"));

    PropSheet_SetCurSel(sheet.Window(), nullptr, 1);
    Pump();
    HWND board0 = sheet.Page(1);
    Press(board0, ButtonId(MainPropertyPgBrdButton::LoadFromBoard));
    Grab(sheet.Window(), "main-board");
    Press(board0, ButtonId(MainPropertyPgBrdButton::Resources));
    Press(board0, ButtonId(MainPropertyPgBrdButton::SerialNo));
    Press(board0, ButtonId(MainPropertyPgBrdButton::EditProperties));

    DestroyWindow(sheet.Window());
    Pump();
    for (const ShownMessage& message : prompts.Messages)
        std::fprintf(stderr, "unexpected message: %s\n", message.Text.c_str());
    return failures == 0 && prompts.Messages.empty() ? 0 : 1;
}
