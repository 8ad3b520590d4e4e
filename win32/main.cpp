// ruvasetw.exe: the configuration program for the Ruva-2 boards, on the Windows user-interface services.

#include "Driver.h"
#include "MainPropertySheet.h"
#include "MainPropertySheetModel.h"
#include "ProgramResources.h"
#include "WinModalWindows.h"
#include "WinPrompts.h"

#include <windows.h>

#include <commctrl.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    using namespace ruva;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);

    // The driver is opened once; without it the program runs all the same, with the board buttons
    // disabled.
    const auto channel = MakePlatformDeviceChannel();
    Driver driver(*channel);
    OpenDriverAtStart(driver);

    win32::WinPrompts prompts;
    const auto help = [&prompts](HWND from) { win32::ShowHelpPage(from, prompts); };
    win32::WinModalWindows windows(help);
    MainPropertySheetModel model(driver, prompts);
    win32::MainPropertySheet sheet(model, windows, help);
    // Nothing is saved and nothing is asked when the sheet closes: the program ends with it.
    sheet.Show();
    return 0;
}
