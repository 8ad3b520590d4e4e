// ruvasetw.exe's windows driven in process by their window messages: the main sheet and the board
// properties sheet run modeless, over boards simulated in process, with recorded messages and file
// choices. What each page decides is tested with the page logic; these tests show that the Win32
// front end binds every entry of the tables by name, shows it, reads it back and passes each command on.

#include "BrdPropertySheet.h"
#include "Driver.h"
#include "InfoDialogs.h"
#include "MainPropertySheet.h"
#include "MainPropertySheetModel.h"
#include "MessageFormat.h"
#include "ModalWindows.h"
#include "RecordingPrompts.h"
#include "Resource.h"
#include "SimChannel.h"
#include "Texts.h"
#include "Win32Driving.h"
#include "WinInfoDialog.h"
#include "WinPageControls.h"
#include "WinPrompts.h"
#include "WinText.h"

#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

using namespace ruva;
using namespace ruva::test;
using win32::SheetMode;

namespace {

// The sheet's Apply button.
constexpr int ApplyButton = 0x3021;

// A click on a push button or check box, as the mouse gives it.
void Click(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    ASSERT_NE(button, nullptr) << "no control " << id;
    SendMessageW(button, BM_CLICK, 0, 0);
    Pump();
}

// The user picks the item at `position` of a list.
void Choose(HWND page, int id, int position) {
    SendMessageW(GetDlgItem(page, id), CB_SETCURSEL, static_cast<WPARAM>(position), 0);
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
    Pump();
}

void Type(HWND page, int id, std::string_view text) {
    win32::SetItemText(page, id, text);
    Pump();
}

// The control of a named field of a page's table, or of box `box` of a bit field.
int FieldId(const BrdPropertyPageModel& page, std::string_view name, std::size_t box = 0) {
    for (const FieldControl& field : page.Fields())
        if (field.Name == name)
            return win32::ControlId(name) + (field.Kind == ControlKind::Bits ? int(field.Boxes[box].Bit) : 0);
    ADD_FAILURE() << "no field " << name;
    return -1;
}

// An information dialog as the Win32 front end showed it.
struct ShownDialog {
    std::string Title;
    std::string Intro;
    std::vector<std::pair<std::string, std::string>> Fields; // label, value
};

// Opens the board properties sheet and the information dialogs modeless; a test's script drives the
// sheet, and each dialog is read and closed with OK.
struct TestWindows : ModalWindows {
    HWND Owner = nullptr;
    std::function<void(win32::BrdPropertySheet&, BrdPropertySheetModel&)> Drive;
    std::vector<ShownDialog> Dialogs;
    int HelpRequests = 0;

    bool RunBoardProperties(BrdPropertySheetModel& model) override {
        win32::BrdPropertySheet sheet(model, [this](HWND) { ++HelpRequests; });
        sheet.Show(Owner, SheetMode::Modeless);
        Pump();
        if (Drive)
            Drive(sheet, model);
        // Whatever the script left open is cancelled.
        if (PropSheet_GetCurrentPageHwnd(sheet.Window()) != nullptr) {
            PropSheet_PressButton(sheet.Window(), PSBTN_CANCEL);
            Pump();
        }
        DestroyWindow(sheet.Window());
        Pump();
        return sheet.Accepted();
    }

    void ShowInformation(const InfoDialogContent& content) override {
        HWND dialog = win32::ShowInfoDialog(Owner, content, SheetMode::Modeless);
        ShownDialog shown{win32::Text(dialog), ItemText(dialog, IDC_INTRO), {}};
        // The fields in the template's order, top to bottom: each label, then its value.
        std::string label;
        for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT)) {
            wchar_t kind[16] = {};
            GetClassNameW(child, kind, 16);
            if (lstrcmpiW(kind, L"Edit") == 0)
                shown.Fields.emplace_back(label, win32::Text(child));
            else if (GetDlgCtrlID(child) != IDC_INTRO && GetDlgCtrlID(child) != IDOK)
                label = win32::Text(child);
        }
        Dialogs.push_back(shown);
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
        EXPECT_FALSE(IsWindow(dialog)) << "OK closes the dialog";
    }
};

// The main sheet, modeless, over simulated boards behind the opened driver.
struct Rig {
    SimChannel Channel;
    Driver Board{Channel};
    RecordingPrompts Prompts;
    TestWindows Windows;
    MainPropertySheetModel Model{Board, Prompts};
    int HelpRequests = 0;
    win32::MainPropertySheet Sheet{Model, Windows, [this](HWND) { ++HelpRequests; }};

    explicit Rig(sim::SimState state = sim::FreshState(2), bool driverInstalled = true)
        : Channel(std::move(state)) {
        Channel.DriverInstalled = driverInstalled;
        OpenDriverAtStart(Board);
        Sheet.Show(SheetMode::Modeless);
        Windows.Owner = Sheet.Window();
        Pump();
    }
    ~Rig() {
        DestroyWindow(Sheet.Window());
        Pump();
    }

    HWND OpenPage(int index) {
        PropSheet_SetCurSel(Sheet.Window(), nullptr, index);
        Pump();
        return Sheet.Page(index);
    }
    HWND OpenBoardPage(int board) { return OpenPage(1 + board); }
    void Press(HWND page, MainPropertyPgBrdButton button) { Click(page, ButtonId(button)); }

    // The enabled state of every button of a board page.
    static std::map<MainPropertyPgBrdButton, bool> Enabled(HWND page) {
        std::map<MainPropertyPgBrdButton, bool> state;
        for (const MainPropertyPgBrdButtonControl& button : MainPropertyPgBrdButtons())
            state[button.Id] = IsWindowEnabled(GetDlgItem(page, ButtonId(button.Id))) != FALSE;
        return state;
    }
};

std::map<MainPropertyPgBrdButton, bool> Expected(bool available, bool loaded) {
    std::map<MainPropertyPgBrdButton, bool> state;
    for (const MainPropertyPgBrdButtonControl& button : MainPropertyPgBrdButtons())
        state[button.Id] = ButtonEnabled(button.Id, available, loaded);
    return state;
}

// Every field and button of a page's tables finds the control of its kind by its name, with the table's
// text. The page's controls are found by name whatever the order of the table: values stored through
// the fields in reverse order are read back in table order.
template <typename Button>
void ExpectBoundByName(HWND page, std::span<const FieldControl> fields,
                       std::span<const PageButtonControl<Button>> buttons) {
    const auto kind = [page](int id) {
        wchar_t name[16] = {};
        GetClassNameW(GetDlgItem(page, id), name, 16);
        return Narrow(name);
    };
    for (const FieldControl& field : fields) {
        SCOPED_TRACE(std::string(field.Name));
        const int id = win32::ControlId(field.Name);
        if (field.Kind == ControlKind::Check) {
            EXPECT_EQ(ItemText(page, id), field.Label);
        } else {
            EXPECT_EQ(ItemText(page, win32::LabelId(field.Name)), field.Label);
        }
        for (const BitBox& box : field.Boxes) {
            EXPECT_EQ(kind(id + int(box.Bit)), "Button");
            EXPECT_EQ(ItemText(page, id + int(box.Bit)), box.Label);
        }
        if (field.Kind != ControlKind::Bits) {
            EXPECT_EQ(kind(id), field.Kind == ControlKind::List    ? "ComboBox"
                                : field.Kind == ControlKind::Check ? "Button"
                                                                   : "Edit");
        }
    }
    for (const PageButtonControl<Button>& button : buttons)
        EXPECT_EQ(ItemText(page, win32::ControlId(button.Name)), button.Label);

    const std::vector<FieldControl> reversed(fields.rbegin(), fields.rend());
    win32::WinPageControls inReverse(page, reversed);
    win32::WinPageControls inOrder(page, fields);
    const auto boxes = [](const FieldControl& field) -> std::size_t {
        return field.Kind == ControlKind::Check  ? 1
               : field.Kind == ControlKind::Bits ? field.Boxes.size()
                                                 : 0;
    };
    const auto edit = [](const FieldControl& field) {
        return field.Kind == ControlKind::Number || field.Kind == ControlKind::Address;
    };
    const auto state = [](std::size_t i, std::size_t box) {
        return (i + box) % 2 != 0 ? CheckState::Checked : CheckState::Unchecked;
    };
    for (std::size_t i = 0; i < reversed.size(); ++i) {
        if (reversed[i].Kind == ControlKind::List)
            inReverse.SelectItem(i, int(i % reversed[i].Values->Items.size()));
        if (edit(reversed[i]))
            inReverse.SetText(i, std::to_string(i));
        for (std::size_t box = 0; box < boxes(reversed[i]); ++box)
            inReverse.SetCheck(i, box, state(i, box));
    }
    for (std::size_t j = 0; j < fields.size(); ++j) {
        SCOPED_TRACE(std::string(fields[j].Name));
        const std::size_t i = fields.size() - 1 - j; // the same field in the reversed table
        if (fields[j].Kind == ControlKind::List) {
            EXPECT_EQ(inOrder.SelectedItem(j), int(i % fields[j].Values->Items.size()));
        }
        if (edit(fields[j])) {
            EXPECT_EQ(inOrder.Text(j), std::to_string(i));
        }
        for (std::size_t box = 0; box < boxes(fields[j]); ++box)
            EXPECT_EQ(inOrder.Check(j, box), state(i, box));
    }
}

std::string TempFile(const char* name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

} // namespace

TEST(Win32MainSheet, OpensOnTheGeneralPageWithFiveTabsAndCreatesBoardPagesWhenFirstShown) {
    Rig rig;
    HWND sheet = rig.Sheet.Window();
    EXPECT_EQ(win32::Text(sheet), "Ruva-2 Properties");
    HWND tabs = PropSheet_GetTabControl(sheet);
    ASSERT_EQ(TabCtrl_GetItemCount(tabs), 5);
    for (int i = 0; i < 5; ++i) {
        wchar_t text[64] = {};
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = 64;
        TabCtrl_GetItem(tabs, i, &item);
        EXPECT_EQ(Narrow(text), MainPropertySheetModel::PageCaption(i));
    }
    EXPECT_EQ(TabCtrl_GetCurSel(tabs), 0);
    EXPECT_EQ(ItemText(rig.Sheet.Page(0), IDC_PRODUCT_LINE), texts::AboutProductLine);
    // No board is checked, and no board page made, before its tab is selected.
    EXPECT_EQ(rig.Sheet.Page(2), nullptr);
    EXPECT_FALSE(rig.Model.BoardPage(1).IsInitialised());
    HWND page = rig.OpenBoardPage(1);
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(rig.Model.BoardPage(1).IsInitialised());
    EXPECT_EQ(ItemText(page, IDC_INTRO), texts::BoardPageHelp);
    EXPECT_EQ(ItemText(page, ButtonId(MainPropertyPgBrdButton::EditProperties)), "    Edit\nP&roperties");
    // The main sheet has OK, Cancel and Help, and no Apply.
    EXPECT_NE(GetDlgItem(sheet, IDOK), nullptr);
    EXPECT_NE(GetDlgItem(sheet, IDHELP), nullptr);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(sheet, ApplyButton)));
}

TEST(Win32Binding, EveryEntryOfTheTablesFindsItsControlByNameInAnyOrder) {
    Rig rig;
    ExpectBoundByName(rig.OpenPage(0), {}, MainPropertyPgAboutButtons());
    HWND board0 = rig.OpenBoardPage(0);
    ExpectBoundByName(board0, {}, MainPropertyPgBrdButtons());
    rig.Press(board0, MainPropertyPgBrdButton::LoadFromBoard);
    int pages = 0;
    rig.Windows.Drive = [&pages](win32::BrdPropertySheet& sheet, BrdPropertySheetModel& model) {
        for (int index = 0; index < BrdPropertySheetModel::PageCount; ++index, ++pages) {
            PropSheet_SetCurSel(sheet.Window(), nullptr, index);
            Pump();
            const BrdPropertyPageModel& page = model.Page(index);
            ExpectBoundByName(sheet.Page(index), page.Fields(), page.Buttons());
        }
    };
    rig.Press(board0, MainPropertyPgBrdButton::EditProperties);
    EXPECT_EQ(pages, BrdPropertySheetModel::PageCount);
}

TEST(Win32MainSheet, SystemMenuEndsWithASeparatorAndMinimizeWhichMinimisesTheSheet) {
    Rig rig;
    HWND sheet = rig.Sheet.Window();
    HMENU menu = GetSystemMenu(sheet, FALSE);
    const int count = GetMenuItemCount(menu);
    ASSERT_GE(count, 2);
    EXPECT_EQ(GetMenuState(menu, static_cast<UINT>(count - 2), MF_BYPOSITION) & MF_SEPARATOR,
              static_cast<UINT>(MF_SEPARATOR));
    EXPECT_EQ(GetMenuItemID(menu, count - 1), static_cast<UINT>(SC_MINIMIZE));
    wchar_t text[64] = {};
    GetMenuStringW(menu, static_cast<UINT>(count - 1), text, 64, MF_BYPOSITION);
    EXPECT_EQ(Narrow(text), "Min&imize");
    EXPECT_EQ(GetWindowLongW(sheet, GWL_STYLE) & WS_MINIMIZEBOX, 0) << "no minimise box";
    EXPECT_NE(SendMessageW(sheet, WM_GETICON, ICON_BIG, 0), 0) << "the program icon";

    SendMessageW(sheet, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    Pump();
    EXPECT_TRUE(IsIconic(sheet));
}

TEST(Win32MainSheet, HelpAsksForTheHelpPageAndOkEndsTheSheetWithoutWritingAnything) {
    Rig rig;
    HWND sheet = rig.Sheet.Window();
    rig.Press(rig.OpenBoardPage(0), MainPropertyPgBrdButton::LoadFromBoard);
    PropSheet_PressButton(sheet, PSBTN_HELP);
    Pump();
    HELPINFO f1{sizeof f1, HELPINFO_WINDOW, 0, nullptr, 0, {}};
    SendMessageW(rig.Sheet.Page(1), WM_HELP, 0, reinterpret_cast<LPARAM>(&f1));
    EXPECT_EQ(rig.HelpRequests, 2) << "the Help button and F1";
    const sim::SimState boards = rig.Channel.State();
    PropSheet_PressButton(sheet, PSBTN_OK);
    Pump();
    EXPECT_EQ(PropSheet_GetCurrentPageHwnd(sheet), nullptr) << "the sheet has closed";
    EXPECT_EQ(rig.Channel.State(), boards);
    EXPECT_TRUE(rig.Prompts.Messages.empty());
}

TEST(Win32Resources, TheStringTableHoldsTheNumberedTexts) {
    for (const auto& [id, text] : texts::NumberedTexts) {
        wchar_t loaded[256] = {};
        LoadStringW(GetModuleHandleW(nullptr), static_cast<UINT>(id), loaded, 256);
        EXPECT_EQ(Narrow(loaded), text);
    }
}

TEST(Win32BoardPage, EnableRulesFollowTheBoardCheckAndTheLoadedConfiguration) {
    Rig rig; // boards 0 and 1
    HWND board0 = rig.OpenBoardPage(0);
    EXPECT_EQ(Rig::Enabled(board0), Expected(true, false));
    HWND board2 = rig.OpenBoardPage(2);
    EXPECT_EQ(Rig::Enabled(board2), Expected(false, false));

    // A failed load from the board leaves everything as it was.
    rig.OpenBoardPage(0);
    rig.Press(board0, MainPropertyPgBrdButton::LoadFromFile); // cancelled: no file chosen
    EXPECT_EQ(Rig::Enabled(board0), Expected(true, false));

    rig.Press(board0, MainPropertyPgBrdButton::LoadFromBoard);
    EXPECT_TRUE(rig.Model.ConfigLoaded());
    EXPECT_EQ(Rig::Enabled(board0), Expected(true, true));
    // Other pages take the new state when they become active.
    EXPECT_EQ(Rig::Enabled(rig.OpenBoardPage(1)), Expected(true, true));
    EXPECT_EQ(Rig::Enabled(rig.OpenBoardPage(2)), Expected(false, true));

    // "LPU &BOOT" only shows its message.
    HWND board1 = rig.OpenBoardPage(1);
    rig.Prompts.Messages.clear();
    rig.Press(board1, MainPropertyPgBrdButton::LpuBoot);
    EXPECT_EQ(rig.Prompts.Messages,
              (std::vector<ShownMessage>{{std::string(texts::LpuNotSupported), MessageIcon::Information}}));
}

TEST(Win32BoardPage, WithoutTheDriverOnlyTheFileButtonsWorkAndResourcesReportsError52) {
    Rig rig(sim::FreshState(2), false);
    EXPECT_EQ(Rig::Enabled(rig.OpenBoardPage(0)), Expected(false, false));
    EXPECT_TRUE(rig.Prompts.Messages.empty()) << "nothing is said at start or on the board check";
    Click(rig.OpenPage(0), win32::ControlId("Resources"));
    EXPECT_EQ(rig.Prompts.Messages,
              (std::vector<ShownMessage>{
                  {FormatText(texts::DriverError, {52, texts::DriverNotInstalled}), MessageIcon::Stop}}));
    EXPECT_TRUE(rig.Windows.Dialogs.empty());
}

TEST(Win32BoardPage, TheFourTransfersCarryOneConfigurationFromBoard0ThroughAFileToBoard1) {
    Rig rig;
    HWND board0 = rig.OpenBoardPage(0);
    rig.Press(board0, MainPropertyPgBrdButton::LoadFromBoard);
    EXPECT_EQ(rig.Model.Config().Image, rig.Channel.State().Boards[0].Image);

    // Saved to a file, with the config file dialog's options.
    const std::string file = TempFile("ruvasetw-win32-test.cfg");
    std::filesystem::remove(file);
    rig.Prompts.SaveChoices.push_back(file);
    rig.Press(board0, MainPropertyPgBrdButton::SaveToFile);
    ASSERT_EQ(rig.Prompts.SaveDialogs.size(), 1u);
    EXPECT_EQ(rig.Prompts.SaveDialogs[0].DefaultExtension, ConfigFileDialog().DefaultExtension);
    std::stringstream text;
    text << std::ifstream(file).rdbuf();
    EXPECT_NE(text.str().find("HdlcStartAddress"), std::string::npos) << text.str();

    // Loaded from the file again, over a configuration cleared meanwhile.
    const BoardConfig fromBoard0 = rig.Model.Config();
    rig.Model.Config() = {};
    rig.Prompts.OpenChoices.push_back(file);
    rig.Prompts.Messages.clear();
    rig.Press(board0, MainPropertyPgBrdButton::LoadFromFile);
    EXPECT_TRUE(rig.Prompts.Messages.empty()) << rig.Prompts.Messages[0].Text;
    EXPECT_EQ(rig.Model.Config().General, fromBoard0.General);
    EXPECT_EQ(rig.Model.Config().Image.Li, fromBoard0.Image.Li);

    // Saved to board 1 from its page.
    HWND board1 = rig.OpenBoardPage(1);
    rig.Press(board1, MainPropertyPgBrdButton::SaveToBoard);
    EXPECT_EQ(rig.Prompts.Messages.back().Text, texts::SaveSucceeded);
    EXPECT_EQ(rig.Channel.State().Boards[1].Image.Li, fromBoard0.Image.Li);
    std::filesystem::remove(file);
}

TEST(Win32BoardProperties, OnlyOkCopiesTheEditsBackAndEveryControlEnablesApply) {
    Rig rig;
    HWND board0 = rig.OpenBoardPage(0);
    rig.Press(board0, MainPropertyPgBrdButton::LoadFromBoard);
    const BoardConfig loaded = rig.Model.Config();

    // An edit on every kind of control of Li0 (E1 mode), then Apply, then Cancel: nothing reaches the
    // configuration. The same edits with OK do.
    for (const bool ok : {false, true}) {
        rig.Windows.Drive = [ok](win32::BrdPropertySheet& sheet, BrdPropertySheetModel& model) {
            HWND page = sheet.Page(BrdPropertySheetModel::Li0E1);
            ASSERT_NE(page, nullptr);
            HWND apply = GetDlgItem(sheet.Window(), ApplyButton);
            EXPECT_FALSE(IsWindowEnabled(apply));
            const BrdPropertyPageModel& e1 = model.Page(BrdPropertySheetModel::Li0E1);
            Choose(page, FieldId(e1, "TransmitLineCode"), 0); // AMI
            EXPECT_TRUE(IsWindowEnabled(apply)) << "a list enables Apply";
            PropSheet_PressButton(sheet.Window(), PSBTN_APPLYNOW);
            Pump();
            EXPECT_FALSE(IsWindowEnabled(apply)) << "Apply clears the changed state";
            Type(page, FieldId(e1, "LOSSensitivity"), "7");
            EXPECT_TRUE(IsWindowEnabled(apply)) << "an edit field enables Apply";
            PropSheet_PressButton(sheet.Window(), PSBTN_APPLYNOW);
            Pump();
            Click(page, FieldId(e1, "SaBits", 0)); // Sa4
            EXPECT_TRUE(IsWindowEnabled(apply)) << "a check box enables Apply";

            // The T1 page's clear channels TS1 and TS24.
            PropSheet_SetCurSel(sheet.Window(), nullptr, BrdPropertySheetModel::Li0T1);
            Pump();
            HWND t1 = sheet.Page(BrdPropertySheetModel::Li0T1);
            const BrdPropertyPageModel& t1Model = model.Page(BrdPropertySheetModel::Li0T1);
            Click(t1, FieldId(t1Model, "ClearChannels", 0));
            Click(t1, FieldId(t1Model, "ClearChannels", 23));
            PropSheet_PressButton(sheet.Window(), ok ? PSBTN_OK : PSBTN_CANCEL);
            Pump();
            EXPECT_EQ(PropSheet_GetCurrentPageHwnd(sheet.Window()), nullptr) << "the sheet has closed";
        };
        rig.Press(board0, MainPropertyPgBrdButton::EditProperties);
        if (!ok) {
            EXPECT_EQ(rig.Model.Config(), loaded) << "Cancel after Apply copies nothing back";
            continue;
        }
        BoardConfig expected = loaded;
        auto& li0 = expected.Image.Li[0];
        li0.E1.TransmitLineCode = 0;
        li0.E1.LOSSensitivity = 7;
        li0.E1.SaBits = static_cast<std::uint16_t>(li0.E1.SaBits ^ 0x10);
        li0.T1.ClearChannels ^= 0x800001;
        EXPECT_EQ(rig.Model.Config(), expected);
    }
}

TEST(Win32BoardProperties, ARefusedEntryIsReportedOnceAndKeepsTheSheetOpenOnItsField) {
    Rig rig;
    HWND board0 = rig.OpenBoardPage(0);
    rig.Press(board0, MainPropertyPgBrdButton::LoadFromBoard);
    const BoardConfig loaded = rig.Model.Config();
    rig.Prompts.Messages.clear();

    rig.Windows.Drive = [&rig](win32::BrdPropertySheet& sheet, BrdPropertySheetModel& model) {
        PropSheet_SetCurSel(sheet.Window(), nullptr, BrdPropertySheetModel::Li1T1);
        Pump();
        HWND page = sheet.Page(BrdPropertySheetModel::Li1T1);
        const int lineLength = FieldId(model.Page(BrdPropertySheetModel::Li1T1), "LineLength");
        Type(page, lineLength, "ab");
        PropSheet_PressButton(sheet.Window(), PSBTN_OK);
        Pump();
        EXPECT_EQ(rig.Prompts.Messages,
                  (std::vector<ShownMessage>{{std::string(texts::EnterInteger), MessageIcon::Stop}}));
        EXPECT_EQ(PropSheet_GetCurrentPageHwnd(sheet.Window()), page) << "the sheet stays open on the page";
        EXPECT_EQ(GetFocus(), GetDlgItem(page, lineLength));
        // Another tab is refused as well.
        PropSheet_SetCurSel(sheet.Window(), nullptr, BrdPropertySheetModel::General);
        Pump();
        EXPECT_EQ(PropSheet_GetCurrentPageHwnd(sheet.Window()), page);
    };
    rig.Press(board0, MainPropertyPgBrdButton::EditProperties);
    EXPECT_EQ(rig.Model.Config(), loaded);
}

TEST(Win32BoardProperties, CopyFromOtherLiAndDefaultValuesShowTheirCopyAndTheGeneralPageReadsAnyBase) {
    Rig rig;
    HWND board0 = rig.OpenBoardPage(0);
    rig.Press(board0, MainPropertyPgBrdButton::LoadFromBoard);
    const BoardConfig loaded = rig.Model.Config();

    rig.Windows.Drive = [](win32::BrdPropertySheet& sheet, BrdPropertySheetModel& model) {
        HWND li0 = sheet.Page(BrdPropertySheetModel::Li0E1);
        const int los = FieldId(model.Page(BrdPropertySheetModel::Li0E1), "LOSRecovery");
        Type(li0, los, "7");
        PropSheet_SetCurSel(sheet.Window(), nullptr, BrdPropertySheetModel::Li1E1);
        Pump();
        HWND li1 = sheet.Page(BrdPropertySheetModel::Li1E1);
        EXPECT_EQ(ItemText(li1, win32::ControlId("CopyFromOtherLi")), "Copy From Other Li");
        Click(li1, win32::ControlId("CopyFromOtherLi"));
        EXPECT_EQ(ItemText(li1, los), "7");
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(sheet.Window(), ApplyButton)));

        PropSheet_SetCurSel(sheet.Window(), nullptr, BrdPropertySheetModel::General);
        Pump();
        HWND general = sheet.Page(BrdPropertySheetModel::General);
        const int address = FieldId(model.Page(BrdPropertySheetModel::General), "HdlcStartAddress");
        EXPECT_EQ(ItemText(general, address), "0x8000");
        Type(general, address, "0100001"); // octal
        PropSheet_PressButton(sheet.Window(), PSBTN_HELP);
        Pump();
        PropSheet_PressButton(sheet.Window(), PSBTN_OK);
        Pump();
    };
    rig.Press(board0, MainPropertyPgBrdButton::EditProperties);
    BoardConfig expected = loaded;
    expected.Image.Li[0].E1.LOSRecovery = 7;
    expected.Image.Li[1].E1 = expected.Image.Li[0].E1;
    expected.General.HdlcStartAddress = 0x8001;
    EXPECT_EQ(rig.Model.Config(), expected);
    EXPECT_EQ(rig.Windows.HelpRequests, 1);

    // Default Values on Li1 (T1 mode) changes that page alone; Cancel keeps all.
    rig.Windows.Drive = [](win32::BrdPropertySheet& sheet, BrdPropertySheetModel& model) {
        PropSheet_SetCurSel(sheet.Window(), nullptr, BrdPropertySheetModel::Li1T1);
        Pump();
        HWND page = sheet.Page(BrdPropertySheetModel::Li1T1);
        const int lineLength = FieldId(model.Page(BrdPropertySheetModel::Li1T1), "LineLength");
        Type(page, lineLength, "5");
        Click(page, win32::ControlId("DefaultValues"));
        T1Settings defaults{};
        SetT1Defaults(defaults);
        EXPECT_EQ(ItemText(page, lineLength), std::to_string(defaults.LineLength));
    };
    const BoardConfig before = rig.Model.Config();
    rig.Press(board0, MainPropertyPgBrdButton::EditProperties);
    EXPECT_EQ(rig.Model.Config(), before);
}

TEST(Win32InfoDialogs, ShowTheValuesOfTheSharedLogicForTheirBoard) {
    Rig rig;
    Click(rig.OpenPage(0), win32::ControlId("Resources"));
    ASSERT_EQ(rig.Windows.Dialogs.size(), 1u);
    const ShownDialog& shared = rig.Windows.Dialogs[0];
    EXPECT_EQ(shared.Title, texts::ResourcesTitle);
    EXPECT_EQ(shared.Intro, texts::SharedResourcesIntro);
    EXPECT_EQ(shared.Fields,
              (std::vector<std::pair<std::string, std::string>>{{"Irq:", "10"},
                                                                {"Io Base Address:", "0x300"},
                                                                {"No of boards:", "2"},
                                                                {"Info Buffer Size:", "0x1000"}}));

    // Board 1's page shows board 1's entries of the per-board arrays, and its serial numbers.
    HWND board1 = rig.OpenBoardPage(1);
    rig.Press(board1, MainPropertyPgBrdButton::Resources);
    rig.Press(board1, MainPropertyPgBrdButton::SerialNo);
    ASSERT_EQ(rig.Windows.Dialogs.size(), 3u);
    const sim::SimBoard& board = rig.Channel.State().Boards[1];
    DriverParameters parameters;
    ASSERT_EQ(rig.Board.GetDriverParameters(parameters), 1);
    for (const auto& [shown, content] :
         {std::pair{rig.Windows.Dialogs[1], BrdResourcesContent(parameters, 1)},
          std::pair{rig.Windows.Dialogs[2], BrdSerialNoContent(board.Image.SerialNumber, board.Info)}}) {
        EXPECT_EQ(shown.Title, content.Title);
        EXPECT_EQ(shown.Intro, content.Intro);
        ASSERT_EQ(shown.Fields.size(), content.Fields.size());
        for (std::size_t i = 0; i < shown.Fields.size(); ++i)
            EXPECT_EQ(shown.Fields[i],
                      (std::pair{std::string(content.Fields[i].Label), content.Fields[i].Value}));
    }
    std::ostringstream dram;
    dram << "0x" << std::uppercase << std::hex << board.DramSize;
    EXPECT_EQ(rig.Windows.Dialogs[1].Fields[0].second, dram.str());
}

TEST(Win32Prompts, MessageBoxesAndFileDialogsGetTheIconFiltersExtensionAndOverwritePrompt) {
    EXPECT_EQ(win32::MessageBoxStyle(MessageIcon::Stop), static_cast<UINT>(MB_OK | MB_ICONSTOP));
    EXPECT_EQ(win32::MessageBoxStyle(MessageIcon::Information),
              static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(win32::MessageBoxStyle(MessageIcon::Warning), static_cast<UINT>(MB_OK | MB_ICONWARNING));
    EXPECT_EQ(win32::MessageBoxStyle(MessageIcon::None), static_cast<UINT>(MB_OK));

    const FileDialogOptions options = ConfigFileDialog();
    const win32::FileDialogSetup save = win32::DescribeFileDialog(options, true);
    std::wstring filters;
    for (const FileFilter& filter : options.Filters)
        filters += Widen(filter.Description) + L'\0' + Widen(filter.Pattern) + L'\0';
    EXPECT_EQ(save.Filters, filters + L'\0');
    EXPECT_EQ(save.DefaultExtension, L"cfg");
    EXPECT_EQ(save.InitialFileName, L"*.CFG");
    EXPECT_TRUE(save.Flags & OFN_OVERWRITEPROMPT);
    EXPECT_TRUE(save.Flags & OFN_HIDEREADONLY);
    const win32::FileDialogSetup open = win32::DescribeFileDialog(options, false);
    EXPECT_FALSE(open.Flags & OFN_OVERWRITEPROMPT);
    EXPECT_TRUE(open.Flags & OFN_FILEMUSTEXIST);
}

namespace {

// Starts ruvasetw.exe with `arguments` and waits up to 30 s for its window titled `title`.
HWND StartProgram(const std::wstring& arguments, std::string_view title, PROCESS_INFORMATION& process) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring command = L"\"" + Widen(RUVASETW_PATH) + L"\"" + arguments;
    EXPECT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process));
    for (int i = 0; i < 300; ++i) {
        Sleep(100);
        for (HWND window : test::ProcessWindows(process.dwProcessId))
            if (win32::Text(window) == title)
                return window;
    }
    return nullptr;
}

// Waits for the program's end and returns its exit status; ends it when it does not end.
DWORD ExitStatus(PROCESS_INFORMATION& process) {
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 20000), WAIT_OBJECT_0);
    DWORD status = 1;
    GetExitCodeProcess(process.hProcess, &status);
    if (WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return status;
}

} // namespace

TEST(Win32Program, RunsTheMainSheetAsItsOnlyWindowWithoutTheDriverAndEndsWithIt) {
    PROCESS_INFORMATION process{};
    HWND sheet = StartProgram(L"", MainPropertySheetModel::Caption(), process);
    ASSERT_NE(sheet, nullptr) << "no \"Ruva-2 Properties\" window";
    HWND tabs = FindWindowExW(sheet, nullptr, WC_TABCONTROLW, nullptr);
    EXPECT_EQ(TabCtrl_GetItemCount(tabs), 5);
    EXPECT_EQ(GetWindow(sheet, GW_OWNER), nullptr) << "a top-level window of its own";

    SendMessageW(sheet, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(IsIconic(sheet));
    // The close box ends the sheet, and with it the program.
    PostMessageW(sheet, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(ExitStatus(process), 0u);
}

TEST(Win32Program, RefusesAnArgumentItDoesNotTakeWithTheUsageBeforeItsSheet) {
    PROCESS_INFORMATION process{};
    if (HWND box = StartProgram(L" --simulater", texts::ProgramName, process)) {
        EXPECT_EQ(ItemText(box, 0xFFFF), FormatText(texts::UnknownOption, {"--simulater"})); // the box's text
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    } else {
        ADD_FAILURE() << "no message box";
    }
    EXPECT_EQ(ExitStatus(process), 2u);
}
