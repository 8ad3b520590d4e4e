// ruvasetw.exe: the configuration program for the Ruva-2 boards, on the Windows user-interface services.

#include "DeviceChoice.h"
#include "AuditTrail.h"
#include "Driver.h"
#include "MainPropertySheet.h"
#include "MainPropertySheetModel.h"
#include "MessageFormat.h"
#include "ProgramResources.h"
#include "Texts.h"
#include "Utf16.h"
#include "WinModalWindows.h"
#include "WinPrompts.h"

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    using namespace ruva;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);

    std::vector<std::string> args;
    int count = 0;
    if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i)
            args.push_back(Narrow(wide[i]));
        LocalFree(wide);
    }
    win32::WinPrompts prompts;
    if (const auto unknown = sim::FindUnknownArgument(args)) {
        prompts.ShowMessage(FormatText(texts::UnknownOption, {*unknown}), MessageIcon::Stop);
        return sim::ExitUnknownOption;
    }

    // The driver (or the simulated boards that --simulator asks for) is opened once; without it the
    // program runs all the same, with the board buttons disabled.
    const Device device = sim::MakeDevice(sim::FindSimulatorOption(args));
    Driver driver(*device.Channel, device.Traits);
    OpenDriverAtStart(driver);

    const auto help = [&prompts](HWND from) { win32::ShowHelpPage(from, prompts); };
    win32::WinModalWindows windows(help);
    const std::unique_ptr<AuditLog> log = MakeSystemAuditLog("ruvasetw");
    AuditTrail audit(*log, "ruvasetw");
    MainPropertySheetModel model(driver, prompts, &audit);
    win32::MainPropertySheet sheet(model, windows, help);
    // Nothing is saved and nothing is asked when the sheet closes: the program ends with it.
    sheet.Show();
    return 0;
}
