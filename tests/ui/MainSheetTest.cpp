// The main sheet and its board pages over boards held in memory: when boards are checked, which
// buttons are enabled before and after loads, how the one configuration travels between pages, and
// the commands that only show something.

#include "Driver.h"
#include "FakeBoards.h"
#include "OBrdPropertyPgGeneral.h"
#include "OBrdPropertySheet.h"
#include "OBrdResourcesDlg.h"
#include "OBrdSerialNoDlg.h"
#include "OConfigApp.h"
#include "OMainPropertyPgAbout.h"
#include "OMainPropertyPgBrd.h"
#include "OMainPropertySheet.h"
#include "OMainResourcesDlg.h"
#include "SheetDriver.h"
#include "Texts.h"
#include "ValueSets.h"

#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBrowser>

#include <map>
#include <memory>

using namespace ruva;
using namespace ruva::test;

namespace {

// Two intact boards (NumberOfBoards 2) behind an opened driver, and a sheet over them.
struct Rig {
    ScriptedChannel channel;
    FakeBoards boards;
    Driver driver{channel};
    TimelinePrompts prompts{channel};

    std::unique_ptr<OMainPropertySheet> sheet;

    Rig() { boards.Serve(channel); }
    // Opens the driver as the program does and shows a sheet over it, with nothing recorded yet.
    OMainPropertySheet& ShowSheet() {
        driver.OpenDriver(0);
        prompts.Clear();
        sheet = std::make_unique<OMainPropertySheet>(driver, prompts);
        sheet->show();
        return *sheet;
    }
    // Selects the page of `board` on the shown sheet.
    const OMainPropertyPgBrd& OpenBoardPage(int board) {
        sheet->SetActivePage(1 + board);
        return sheet->BoardPage(board);
    }
};

QPushButton* PageButton(const QWidget& page, const char* name) {
    QPushButton* button = Find<QPushButton>(page, name);
    if (button == nullptr)
        qFatal("no button %s", name);
    return button;
}

QString Name(const MainPropertyPgBrdButtonControl& button) {
    return QString::fromLatin1(button.Name.data(), static_cast<qsizetype>(button.Name.size()));
}

// The enabled state of every button of a board page, by object name.
std::map<QString, bool> Enabled(const OMainPropertyPgBrd& page) {
    std::map<QString, bool> state;
    for (const MainPropertyPgBrdButtonControl& button : MainPropertyPgBrdButtons())
        state[Name(button)] = PageButton(page, std::string(button.Name).c_str())->isEnabled();
    return state;
}

// The state the pages' rules give a board page whose board is available or not and whose
// configuration is loaded or not.
std::map<QString, bool> Expected(bool available, bool loaded) {
    std::map<QString, bool> state;
    for (const MainPropertyPgBrdButtonControl& button : MainPropertyPgBrdButtons())
        state[Name(button)] = ButtonEnabled(button.Id, available, loaded);
    return state;
}

void Press(const OMainPropertyPgBrd& page, const char* name) {
    QTest::mouseClick(PageButton(page, name), Qt::LeftButton);
}

} // namespace

class MainSheetTest : public QObject {
    Q_OBJECT

private slots:
    void captionPagesAndButtons();
    void boardIsCheckedWhenItsTabIsFirstOpened();
    void enableRulesBeforeAndAfterALoad();
    void failedFirstLoadKeepsEditingDisabled();
    void configurationLoadedOnOnePageIsSavedOnAnother();
    void editPropertiesTakesChangesOnlyOnOk();
    void fileDialogsAndTheChosenName();
    void fileSavedOnOnePageLoadsOnAPageWithoutBoard();
    void fileThatFailsToLoadChangesNothing();
    void lpuBootOnlyTellsAndDiagnosticsStaysOff();
    void boardInformationOpensTheDialogsOfThePagesBoard();
    void withoutDriverResourcesReportsTheMissingDriver();
    void programEndsWithTheSheetWithoutWriting();
    void helpOpensTheHelpPage();
    void ctrlTabMovesBetweenPagesBothWays();
};

void MainSheetTest::captionPagesAndButtons() {
    Rig rig;
    OMainPropertySheet& sheet = rig.ShowSheet();
    QCOMPARE(sheet.windowTitle(), QStringLiteral("Ruva-2 Properties"));
    const QStringList captions = {"General", "Board 0", "Board 1", "Board 2", "Board 3"};
    for (int i = 0; i < captions.size(); ++i)
        QCOMPARE(sheet.PageCaption(i), captions[i]);
    QCOMPARE(sheet.ActivePage(), 0);
    for (int board = 0; board < 4; ++board)
        QCOMPARE(sheet.Model().BoardPage(board).BoardNumber(), board);
    for (auto which : {QDialogButtonBox::Ok, QDialogButtonBox::Cancel, QDialogButtonBox::Help})
        QVERIFY(sheet.Button(which) != nullptr);
    QVERIFY(sheet.Button(QDialogButtonBox::Apply) == nullptr);
    QVERIFY(!sheet.windowIcon().isNull());
    // The program's only window is an ordinary one, which taskbars list, with a minimise button.
    QCOMPARE(sheet.windowType(), Qt::Window);
    QVERIFY(sheet.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!sheet.Model().ConfigLoaded());

    // The About page's button is its default one: Enter presses it.
    QVERIFY(Find<QPushButton>(sheet.AboutPage(), "Resources")->isDefault());
    const ModalWatch<OMainResourcesDlg> resources([](OMainResourcesDlg&) {});
    QTest::keyClick(&sheet, Qt::Key_Return);
    QVERIFY(resources.Driven());
}

void MainSheetTest::boardIsCheckedWhenItsTabIsFirstOpened() {
    Rig rig;
    rig.boards.Boards[1].Image.Version = 8;
    OMainPropertySheet& sheet = rig.ShowSheet();
    QVERIFY(rig.channel.Requests.empty());
    QVERIFY(rig.prompts.Messages.empty());

    sheet.SetActivePage(1);
    QVERIFY(sheet.Model().BoardPage(0).BoardAvailable());
    QVERIFY(rig.prompts.Messages.empty());
    QVERIFY(!sheet.Model().BoardPage(1).IsInitialised());

    sheet.SetActivePage(2);
    QVERIFY(sheet.Model().BoardPage(1).BoardAvailable());
    QCOMPARE(rig.prompts.Messages.size(), std::size_t{1});
    QVERIFY(rig.prompts.Messages[0].Text.find("(Version 8)") != std::string::npos);

    // Coming back neither checks again nor repeats the note.
    const std::size_t requests = rig.channel.Requests.size();
    sheet.SetActivePage(0);
    sheet.SetActivePage(2);
    sheet.SetActivePage(1);
    QCOMPARE(rig.channel.Requests.size(), requests);
    QCOMPARE(rig.prompts.Messages.size(), std::size_t{1});
}

void MainSheetTest::enableRulesBeforeAndAfterALoad() {
    Rig rig;
    OMainPropertySheet& sheet = rig.ShowSheet();

    // Before any load: nothing that needs a configuration, on pages with and without a board.
    const OMainPropertyPgBrd& board2 = rig.OpenBoardPage(2);
    QVERIFY(!rig.sheet->Model().BoardPage(2).BoardAvailable());
    QCOMPARE(Enabled(board2), Expected(false, false));
    const OMainPropertyPgBrd& board0 = rig.OpenBoardPage(0);
    QCOMPARE(Enabled(board0), Expected(true, false));

    Press(board0, "LoadFromBoard");
    QVERIFY(sheet.Model().ConfigLoaded());
    QVERIFY(rig.prompts.Messages.empty());
    QCOMPARE(Enabled(board0), Expected(true, true));

    // Other pages pick the loaded state up when they become active.
    sheet.SetActivePage(3);
    QCOMPARE(Enabled(board2), Expected(false, true));
    sheet.SetActivePage(2);
    QCOMPARE(Enabled(sheet.BoardPage(1)), Expected(true, true));
}

void MainSheetTest::failedFirstLoadKeepsEditingDisabled() {
    Rig rig;
    rig.boards.Fault(Request::ReadStoredConfig, StatusReply(7), 1); // the check's read passes
    OMainPropertySheet& sheet = rig.ShowSheet();
    sheet.SetActivePage(1);
    Press(sheet.BoardPage(0), "LoadFromBoard");
    QCOMPARE(rig.prompts.Messages.size(), std::size_t{1});
    QCOMPARE(rig.prompts.Messages[0].Icon, MessageIcon::Stop);
    QVERIFY(rig.prompts.Messages[0].Text.starts_with("Error #7: "));
    QVERIFY(!sheet.Model().ConfigLoaded());
    QCOMPARE(Enabled(sheet.BoardPage(0)), Expected(true, false));
    sheet.SetActivePage(2);
    QCOMPARE(Enabled(sheet.BoardPage(1)), Expected(true, false));
}

void MainSheetTest::configurationLoadedOnOnePageIsSavedOnAnother() {
    Rig rig;
    StoredConfig& source = rig.boards.Boards[0].Image;
    source.ClockSource = code::ClockSource::LI1;
    source.Li[1].DefaultMode = code::LiMode::E1;
    source.Li[1].T1.LineLength = 7;
    source.Li[0].E1.SaBits = 0x05;
    rig.boards.Boards[0].Info.HdlcStartAddress = 0xA000;
    OMainPropertySheet& sheet = rig.ShowSheet();

    sheet.SetActivePage(1);
    Press(sheet.BoardPage(0), "LoadFromBoard");
    sheet.SetActivePage(2);
    rig.prompts.Clear();
    Press(sheet.BoardPage(1), "SaveToBoard");

    QCOMPARE(rig.prompts.Messages.size(), std::size_t{1});
    QCOMPARE(rig.prompts.Messages[0].Text, std::string(texts::SaveSucceeded));
    StoredConfig expected = source;
    expected.SerialNumber = 0x2345; // board 1 keeps its own serial number
    QVERIFY(rig.boards.Boards[1].Image == expected);
    QCOMPARE(rig.boards.Boards[1].Info.HdlcStartAddress, 0xA000u);
    QVERIFY(rig.boards.Boards[1].ClockSelected == Request::SetClockLi1);
    // Nothing was written to board 0.
    QCOMPARE(rig.boards.Boards[0].Image.SerialNumber, std::uint16_t{0x1234});
    QVERIFY(!rig.boards.Boards[0].ClockSelected);
}

void MainSheetTest::editPropertiesTakesChangesOnlyOnOk() {
    Rig rig;
    OMainPropertySheet& sheet = rig.ShowSheet();
    const OMainPropertyPgBrd& page = rig.OpenBoardPage(0);
    Press(page, "LoadFromBoard");
    const BoardConfig loaded = sheet.Model().Config();

    {
        const ModalWatch<OBrdPropertySheet> cancel([&](OBrdPropertySheet& properties) {
            TypeInto(Find<QLineEdit>(properties.Page(OBrdPropertySheet::Li0E1), "LOSSensitivity"), "77");
            properties.SetActivePage(OBrdPropertySheet::General);
            Click(properties.Button(QDialogButtonBox::Cancel));
        });
        Press(page, "EditProperties");
        QVERIFY(cancel.Driven());
    }
    QVERIFY(SameBytes(sheet.Model().Config(), loaded));

    {
        const ModalWatch<OBrdPropertySheet> ok([&](OBrdPropertySheet& properties) {
            TypeInto(Find<QLineEdit>(properties.Page(OBrdPropertySheet::Li0E1), "LOSSensitivity"), "77");
            Click(properties.Button(QDialogButtonBox::Ok));
        });
        Press(page, "EditProperties");
        QVERIFY(ok.Driven());
    }
    QCOMPARE(sheet.Model().Config().Image.Li[0].E1.LOSSensitivity, std::uint8_t{77});
    // Editing changes neither the loaded state nor the buttons, and nothing reaches the board.
    QCOMPARE(Enabled(page), Expected(true, true));
    QCOMPARE(rig.boards.Boards[0].Image.Li[0].E1.LOSSensitivity, loaded.Image.Li[0].E1.LOSSensitivity);
}

void MainSheetTest::fileDialogsAndTheChosenName() {
    Rig rig;
    OMainPropertySheet& sheet = rig.ShowSheet();
    const OMainPropertyPgBrd& page = rig.OpenBoardPage(0);

    // A cancelled dialog changes nothing, not even the file name.
    Press(page, "LoadFromFile");
    QCOMPARE(rig.prompts.OpenDialogs.size(), std::size_t{1});
    const FileDialogOptions& options = rig.prompts.OpenDialogs[0];
    QCOMPARE(options.DefaultExtension, std::string("cfg"));
    QCOMPARE(options.Filters.size(), std::size_t{2});
    QCOMPARE(options.Filters[0].Description, std::string("Config Files (*.cfg)"));
    QCOMPARE(options.Filters[1].Description, std::string("All Files (*)"));
    QVERIFY(options.HideReadOnly);
    QVERIFY(sheet.Model().BoardPage(0).ConfigFileName().empty());
    QVERIFY(!sheet.Model().ConfigLoaded());

    Press(page, "LoadFromBoard");
    const QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("board0.cfg")).toStdString();
    rig.prompts.SaveChoices.push_back(path);
    Press(page, "SaveToFile");
    QVERIFY(rig.prompts.SaveDialogs.at(0).ConfirmOverwrite);
    QCOMPARE(rig.prompts.SaveDialogs.at(0).DefaultExtension, std::string("cfg"));
    QCOMPARE(sheet.Model().BoardPage(0).ConfigFileName(), path);
    QVERIFY(QFileInfo::exists(QString::fromStdString(path)));
    Press(page, "SaveToFile");
    QCOMPARE(sheet.Model().BoardPage(0).ConfigFileName(), path);
    QVERIFY(rig.prompts.Messages.empty());
}

void MainSheetTest::fileSavedOnOnePageLoadsOnAPageWithoutBoard() {
    const QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("board2.cfg")).toStdString();
    BoardConfig saved;
    {
        Rig rig;
        rig.boards.Boards[0].Image.Li[1].T1.LineLength = 7;
        rig.boards.Boards[0].Info.HdlcStartAddress = 0xA000;
        OMainPropertySheet& sheet = rig.ShowSheet();
        sheet.SetActivePage(1);
        Press(sheet.BoardPage(0), "LoadFromBoard");
        sheet.SetActivePage(3);
        rig.prompts.SaveChoices.push_back(path);
        Press(sheet.BoardPage(2), "SaveToFile");
        QVERIFY(rig.prompts.Messages.empty());
        saved = sheet.Model().Config();
    }

    Rig rig;
    OMainPropertySheet& sheet = rig.ShowSheet();
    const OMainPropertyPgBrd& page = rig.OpenBoardPage(2);
    rig.prompts.OpenChoices.push_back(path);
    Press(page, "LoadFromFile");
    QVERIFY(rig.prompts.Messages.empty());
    QVERIFY(sheet.Model().ConfigLoaded());
    QCOMPARE(Enabled(page), Expected(false, true));
    QVERIFY(sheet.Model().Config().General == saved.General);
    for (std::size_t li = 0; li < 2; ++li) {
        QVERIFY(sheet.Model().Config().Image.Li[li].E1 == saved.Image.Li[li].E1);
        QVERIFY(sheet.Model().Config().Image.Li[li].T1 == saved.Image.Li[li].T1);
    }
    QCOMPARE(sheet.Model().Config().General.HdlcStartAddress, 0xA000u);
    // A board page that has a board may save what the file held.
    sheet.SetActivePage(2);
    QCOMPARE(Enabled(sheet.BoardPage(1)), Expected(true, true));
}

void MainSheetTest::fileThatFailsToLoadChangesNothing() {
    const QTemporaryDir dir;
    const std::string board0 = dir.filePath(QStringLiteral("board0.cfg")).toStdString();
    const std::string broken = dir.filePath(QStringLiteral("broken.cfg")).toStdString();
    const std::string missing = dir.filePath(QStringLiteral("missing.cfg")).toStdString();
    Rig rig;
    OMainPropertySheet& sheet = rig.ShowSheet();
    const OMainPropertyPgBrd& page = rig.OpenBoardPage(0);
    Press(page, "LoadFromBoard");
    rig.prompts.SaveChoices.push_back(board0);
    Press(page, "SaveToFile");

    // The same file with a SaBits value out of range on its first E1 block.
    QFile original(QString::fromStdString(board0));
    QVERIFY(original.open(QIODevice::ReadOnly));
    QByteArray text = original.readAll();
    const qsizetype at = text.indexOf("= 0x1F");
    QVERIFY(at > 0);
    text.replace(at, 6, "= 0x20");
    const int line = int(text.left(at).count('\n')) + 1;
    QFile file(QString::fromStdString(broken));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.close();

    // A page whose board is 2 takes nothing from a file written for board 0.
    sheet.SetActivePage(2);
    const BoardConfig before = sheet.Model().Config();
    const OMainPropertyPgBrd& other = sheet.BoardPage(1);
    rig.prompts.Clear();
    rig.prompts.OpenChoices = {broken, missing, board0};
    Press(other, "LoadFromFile");
    Press(other, "LoadFromFile");
    Press(other, "LoadFromFile");
    QCOMPARE(rig.prompts.Messages.size(), std::size_t{3});
    QCOMPARE(rig.prompts.Messages[0].Text,
             "Error near line " + std::to_string(line) +
                 ": SaBits value must be in the range 0x00 - 0x1F\n (in Configuration File " + broken + ")");
    QCOMPARE(rig.prompts.Messages[0].Icon, MessageIcon::Stop);
    QCOMPARE(rig.prompts.Messages[1].Text, "Could not open file " + missing);
    QCOMPARE(rig.prompts.Messages[1].Icon, MessageIcon::None);
    QCOMPARE(rig.prompts.Messages[2].Icon, MessageIcon::Stop);
    QCOMPARE(sheet.Model().BoardPage(1).ConfigFileName(), board0);
    QVERIFY(SameBytes(sheet.Model().Config(), before));
}

void MainSheetTest::lpuBootOnlyTellsAndDiagnosticsStaysOff() {
    Rig rig;
    OMainPropertySheet& sheet = rig.ShowSheet();
    sheet.SetActivePage(1);
    rig.prompts.Clear();
    Press(sheet.BoardPage(0), "LpuBoot");
    QCOMPARE(rig.prompts.Timeline(),
             std::vector<std::string>{"info: " + std::string(texts::LpuNotSupported)});
    QVERIFY(!sheet.Model().ConfigLoaded());
    QVERIFY(!PageButton(sheet.BoardPage(0), "Diagnostics")->isEnabled());
}

void MainSheetTest::boardInformationOpensTheDialogsOfThePagesBoard() {
    Rig rig;
    rig.ShowSheet();
    const OMainPropertyPgBrd& page = rig.OpenBoardPage(1);
    const FakeBoard& board = rig.boards.Boards[1];
    QString dram;
    QString serialNo;
    {
        const ModalWatch<OBrdResourcesDlg> watch(
            [&](OBrdResourcesDlg& dialog) { dram = Find<QLineEdit>(dialog, "DramSize")->text(); });
        Press(page, "Resources");
    }
    {
        const ModalWatch<OBrdSerialNoDlg> watch(
            [&](OBrdSerialNoDlg& dialog) { serialNo = Find<QLineEdit>(dialog, "SerialNumber")->text(); });
        Press(page, "SerialNo");
    }
    QCOMPARE(dram, QString::fromStdString(BrdResourcesContent(rig.boards.Parameters, 1).Fields[0].Value));
    QCOMPARE(serialNo, QString::fromStdString(
                           BrdSerialNoContent(board.Image.SerialNumber, board.Info).Fields[0].Value));
    QVERIFY(rig.prompts.Messages.empty());
}

void MainSheetTest::withoutDriverResourcesReportsTheMissingDriver() {
    Rig rig;
    rig.channel.OpenSucceeds = false;
    OMainPropertySheet& sheet = rig.ShowSheet();

    {
        const ModalWatch<OMainResourcesDlg> dialog([](OMainResourcesDlg&) {});
        QTest::mouseClick(Find<QPushButton>(sheet.AboutPage(), "Resources"), Qt::LeftButton);
        QVERIFY(!dialog.Driven());
    }
    QCOMPARE(rig.prompts.Messages.size(), std::size_t{1});
    QCOMPARE(rig.prompts.Messages[0].Text,
             "Error #52: Failed to open the Ruva-2 driver. The driver is not properly installed. Board "
             "configuration options are disabled.");
    QCOMPARE(rig.prompts.Messages[0].Icon, MessageIcon::Stop);

    // Every board page keeps its board buttons off; loading from a file stays possible.
    for (int board = 0; board < 4; ++board) {
        sheet.SetActivePage(1 + board);
        QCOMPARE(Enabled(sheet.BoardPage(board)), Expected(false, false));
    }
    QCOMPARE(rig.prompts.Messages.size(), std::size_t{1});
}

void MainSheetTest::programEndsWithTheSheetWithoutWriting() {
    for (auto button : {QDialogButtonBox::Ok, QDialogButtonBox::Cancel}) {
        Rig rig;
        const ModalWatch<OMainPropertySheet> watch([&](OMainPropertySheet& sheet) {
            // An ordinary window: nothing of the program is modal while the sheet alone is open.
            QCOMPARE(QApplication::activeModalWidget(), nullptr);
            sheet.SetActivePage(1);
            Press(sheet.BoardPage(0), "LoadFromBoard");
            {
                const ModalWatch<OBrdPropertySheet> edit([](OBrdPropertySheet& properties) {
                    TypeInto(Find<QLineEdit>(properties.Page(0), "LOSSensitivity"), "77");
                    Click(properties.Button(QDialogButtonBox::Ok));
                });
                Press(sheet.BoardPage(0), "EditProperties");
            }
            QCOMPARE(sheet.Model().Config().Image.Li[0].E1.LOSSensitivity, std::uint8_t{77});
            QTest::mouseClick(sheet.Button(button), Qt::LeftButton);
        });
        RunMainSheet(rig.driver, rig.prompts);
        QVERIFY(watch.Driven());
        // The driver was opened once, and nothing was written.
        QCOMPARE(rig.channel.RequestsWith(Request::OpenDriver).size(), std::size_t{1});
        QVERIFY(rig.channel.RequestsWith(Request::WriteStoredConfig).empty());
        QVERIFY(rig.channel.RequestsWith(Request::WriteBoardInfo).empty());
        QVERIFY(rig.prompts.Messages.empty());
    }
}

void MainSheetTest::helpOpensTheHelpPage() {
    Rig rig;
    OMainPropertySheet& sheet = rig.ShowSheet();
    QTest::mouseClick(sheet.Button(QDialogButtonBox::Help), Qt::LeftButton);
    auto* help = sheet.findChild<QDialog*>(QStringLiteral("HelpWindow"));
    QVERIFY(help != nullptr);
    QVERIFY(help->isVisible());
    QVERIFY(help->findChild<QTextBrowser*>()->toPlainText().contains(QStringLiteral("Save -->")));
    // Asking again brings the same window forward.
    QTest::keyClick(&sheet, Qt::Key_F1);
    QCOMPARE(sheet.findChildren<QDialog*>(QStringLiteral("HelpWindow")).size(), 1);

    // The board properties sheet opens its own, as a child window that its modality does not block.
    sheet.SetActivePage(1);
    Press(sheet.BoardPage(0), "LoadFromBoard");
    bool beside = false;
    const ModalWatch<OBrdPropertySheet> edit([&](OBrdPropertySheet& properties) {
        Click(properties.Button(QDialogButtonBox::Help));
        const auto* own = properties.findChild<QDialog*>(QStringLiteral("HelpWindow"));
        beside = own != nullptr && own->isVisible() && own->parentWidget() == &properties;
    });
    Press(sheet.BoardPage(0), "EditProperties");
    QVERIFY(edit.Driven());
    QVERIFY(beside);
    help->close();
}

void MainSheetTest::ctrlTabMovesBetweenPagesBothWays() {
    Rig rig;
    OMainPropertySheet& sheet = rig.ShowSheet();
    QApplication::setActiveWindow(&sheet);
    QVERIFY(QTest::qWaitForWindowActive(&sheet));
    // From inside a page and from the buttons below the pages alike.
    for (QWidget* focus : {static_cast<QWidget*>(Find<QPushButton>(sheet.AboutPage(), "Resources")),
                           static_cast<QWidget*>(sheet.Button(QDialogButtonBox::Ok))}) {
        for (const auto& [key, modifiers] : BackwardPageKeys()) {
            sheet.SetActivePage(0);
            focus->setFocus();
            PressKey(sheet, Qt::Key_Tab, Qt::ControlModifier);
            QCOMPARE(sheet.ActivePage(), 1);
            PressKey(sheet, key, modifiers);
            QCOMPARE(sheet.ActivePage(), 0);
            PressKey(sheet, key, modifiers);
            QCOMPARE(sheet.ActivePage(), OMainPropertySheet::PageCount - 1);
        }
    }
}

QTEST_MAIN(MainSheetTest)
#include "MainSheetTest.moc"
