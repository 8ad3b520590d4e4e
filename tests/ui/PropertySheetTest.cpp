// The board properties sheet as a whole: pages, OK / Cancel / Apply, the copies that the pages keep,
// and EditProperties.

#include "OBrdPropertyPgE1.h"
#include "OBrdPropertyPgGeneral.h"
#include "OBrdPropertyPgT1.h"
#include "RecordingPrompts.h"
#include "SheetDriver.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTabBar>

using namespace ruva;
using namespace ruva::test;

class PropertySheetTest : public QObject {
    Q_OBJECT

private slots:
    void captionAndPagesInOrder();
    void okAtOnceKeepsEveryByte_data();
    void okAtOnceKeepsEveryByte();
    void okCopiesBackOnlyThePagesSettings();
    void copyFromOtherLiTakesTheLastStoredCopy();
    void copyFromOtherLiOfAPageNeverShown();
    void defaultValuesTouchOnlyTheirOwnPage();
    void applyStoresWithoutClosingAndCancelDiscards();
    void everyControlEnablesApply_data();
    void everyControlEnablesApply();
    void editPropertiesRunsModally();
    void helpButtonAsksForHelp();
    void ctrlTabMovesBetweenPagesBothWays();
    void tabBarStaysOnARefusingPage();
};

void PropertySheetTest::captionAndPagesInOrder() {
    RecordingPrompts prompts;
    BrdPropertySheetModel model(ValidConfig(), prompts);
    OBrdPropertySheet sheet(model);
    QCOMPARE(sheet.windowTitle(), QStringLiteral("Ruva-2 Properties"));
    const QStringList captions = {"Li0 (E1 mode)", "Li0 (T1 mode)", "Li1 (E1 mode)", "Li1 (T1 mode)",
                                  "General"};
    for (int i = 0; i < captions.size(); ++i)
        QCOMPARE(sheet.PageCaption(i), captions[i]);
    QCOMPARE(sheet.ActivePage(), 0);
    QCOMPARE(sheet.E1Page(1).LineInterface(), 1);
    QCOMPARE(sheet.T1Page(0).LineInterface(), 0);
    for (auto which : {QDialogButtonBox::Ok, QDialogButtonBox::Cancel, QDialogButtonBox::Help})
        QVERIFY(sheet.Button(which)->isEnabled());
    QVERIFY(!ApplyEnabled(sheet));
    // The first page shows its copy from the start.
    QCOMPARE(Find<QLineEdit>(sheet.Page(0), "LineLength")->text(), QStringLiteral("100"));
}

void PropertySheetTest::okAtOnceKeepsEveryByte_data() {
    QTest::addColumn<bool>("foreign");
    QTest::addColumn<bool>("visitAll");
    QTest::newRow("valid, first page") << false << false;
    QTest::newRow("valid, every page") << false << true;
    QTest::newRow("foreign values, first page") << true << false;
    QTest::newRow("foreign values, every page") << true << true;
}

void PropertySheetTest::okAtOnceKeepsEveryByte() {
    QFETCH(bool, foreign);
    QFETCH(bool, visitAll);
    const BoardConfig original = foreign ? ForeignConfig() : ValidConfig();
    RecordingPrompts prompts;
    BrdPropertySheetModel model(original, prompts);
    OBrdPropertySheet sheet(model);
    sheet.show();
    if (visitAll) {
        for (int page : {1, 2, 3, 4, 0, 4})
            QVERIFY(sheet.SetActivePage(page));
    }
    Click(sheet.Button(QDialogButtonBox::Ok));
    QCOMPARE(sheet.result(), int(QDialog::Accepted));
    QVERIFY(prompts.Messages.empty());

    BoardConfig config = original;
    model.CopyBack(config);
    QVERIFY(SameBytes(config, original));
}

void PropertySheetTest::okCopiesBackOnlyThePagesSettings() {
    const BoardConfig original = ValidConfig();
    RecordingPrompts prompts;
    BrdPropertySheetModel model(original, prompts);
    OBrdPropertySheet sheet(model);
    sheet.show();
    sheet.SetActivePage(OBrdPropertySheet::Li1T1);
    TypeInto(Find<QLineEdit>(sheet.Page(OBrdPropertySheet::Li1T1), "LineLength"), "7");
    sheet.SetActivePage(OBrdPropertySheet::General);
    Choose(Find<QComboBox>(sheet.GeneralPage(), "Li1DefaultMode"), 1);
    Click(sheet.Button(QDialogButtonBox::Ok));

    BoardConfig config = original;
    model.CopyBack(config);
    BoardConfig expected = original;
    expected.Image.Li[1].T1.LineLength = 7;
    expected.Image.Li[1].DefaultMode = 1;
    QVERIFY(SameBytes(config, expected));
}

void PropertySheetTest::copyFromOtherLiTakesTheLastStoredCopy() {
    const BoardConfig original = ValidConfig();
    BoardConfig config = original;
    RecordingPrompts prompts;
    bool driven = false;
    const bool ok = RunEditProperties(config, prompts, [&](OBrdPropertySheet& sheet) {
        TypeInto(Find<QLineEdit>(sheet.Page(OBrdPropertySheet::Li0E1), "LOSSensitivity"), "77");
        Choose(Find<QComboBox>(sheet.Page(OBrdPropertySheet::Li0E1), "AisDetection"), 0);

        QVERIFY(sheet.SetActivePage(OBrdPropertySheet::Li1E1));
        OBrdPropertyPage& li1 = sheet.Page(OBrdPropertySheet::Li1E1);
        QCOMPARE(Find<QLineEdit>(li1, "LOSSensitivity")->text(), QStringLiteral("50"));
        Click(Find<QPushButton>(li1, "CopyFromOtherLi"));
        QCOMPARE(Find<QLineEdit>(li1, "LOSSensitivity")->text(), QStringLiteral("77"));
        QCOMPARE(Find<QComboBox>(li1, "AisDetection")->currentText(), QStringLiteral("ETS300233"));
        QCOMPARE(Find<QComboBox>(li1, "TransmitFrameFormat")->currentText(), QStringLiteral("Double Frame"));
        QVERIFY(ApplyEnabled(sheet));
        driven = true;
        Click(sheet.Button(QDialogButtonBox::Cancel));
    });
    QVERIFY(driven);
    QVERIFY(!ok);
    QVERIFY(SameBytes(config, original));
}

void PropertySheetTest::copyFromOtherLiOfAPageNeverShown() {
    const BoardConfig original = ValidConfig();
    RecordingPrompts prompts;
    BrdPropertySheetModel model(original, prompts);
    OBrdPropertySheet sheet(model);
    sheet.show();
    QVERIFY(sheet.SetActivePage(OBrdPropertySheet::Li0T1));
    Click(Find<QPushButton>(sheet.Page(OBrdPropertySheet::Li0T1), "CopyFromOtherLi"));
    Click(sheet.Button(QDialogButtonBox::Ok));

    BoardConfig config = original;
    model.CopyBack(config);
    QCOMPARE(config.Image.Li[0].T1, original.Image.Li[1].T1);
    QCOMPARE(config.Image.Li[1].T1, original.Image.Li[1].T1);
    QCOMPARE(config.Image.Li[0].E1, original.Image.Li[0].E1);
}

void PropertySheetTest::defaultValuesTouchOnlyTheirOwnPage() {
    BoardConfig original = ForeignConfig();
    RecordingPrompts prompts;
    BrdPropertySheetModel model(original, prompts);
    OBrdPropertySheet sheet(model);
    sheet.show();
    QVERIFY(sheet.SetActivePage(OBrdPropertySheet::Li1E1));
    Click(Find<QPushButton>(sheet.Page(OBrdPropertySheet::Li1E1), "DefaultValues"));
    QVERIFY(ApplyEnabled(sheet));
    QCOMPARE(Find<QComboBox>(sheet.Page(OBrdPropertySheet::Li1E1), "TransmitLineCode")->currentText(),
             QStringLiteral("HDB3"));
    QVERIFY(sheet.SetActivePage(OBrdPropertySheet::Li1T1));
    Click(sheet.Button(QDialogButtonBox::Ok));

    BoardConfig config = original;
    model.CopyBack(config);
    BoardConfig expected = original;
    SetE1Defaults(expected.Image.Li[1].E1);
    QVERIFY(SameBytes(config, expected));
}

void PropertySheetTest::applyStoresWithoutClosingAndCancelDiscards() {
    const BoardConfig original = ValidConfig();
    BoardConfig config = original;
    RecordingPrompts prompts;
    bool driven = false;
    const bool ok = RunEditProperties(config, prompts, [&](OBrdPropertySheet& sheet) {
        TypeInto(Find<QLineEdit>(sheet.Page(0), "LOSRecovery"), "9");
        QVERIFY(ApplyEnabled(sheet));
        Click(sheet.Button(QDialogButtonBox::Apply));
        QVERIFY(!ApplyEnabled(sheet));
        QVERIFY(sheet.isVisible());
        QCOMPARE(sheet.E1Page(0).Settings().LOSRecovery, std::uint8_t{9});
        driven = true;
        // The close box ends the sheet as Cancel does.
        sheet.close();
    });
    QVERIFY(driven);
    QVERIFY(!ok);
    QVERIFY(SameBytes(config, original));
}

void PropertySheetTest::everyControlEnablesApply_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("name");
    auto row = [](int page, const char* name) {
        QTest::addRow("%d %s", page, name) << page << QString::fromLatin1(name);
    };
    for (const char* name : {"TransmitLineCode",
                             "ReceiveLineCode",
                             "TransmitFrameFormat",
                             "ReceiveFrameFormat",
                             "AisDetection",
                             "LOSSensitivity",
                             "LOSRecovery",
                             "LineLength",
                             "ExtendedHDB3ErrorDetection",
                             "AutomaticRegainMultiframe",
                             "AutoResynchronization",
                             "AutomaticRemoteAlarm",
                             "ReceiveEqualizer",
                             "TransmitPower",
                             "SaBits_4",
                             "SaBits_0",
                             "SiBits_1",
                             "SiBits_0",
                             "CopyFromOtherLi",
                             "DefaultValues"})
        row(OBrdPropertySheet::Li1E1, name);
    for (const char* name : {"TransmitLineCode",
                             "ReceiveLineCode",
                             "FrameFormat",
                             "TransmitRemoteAlarmFormat",
                             "ReceiveRemoteAlarmFormat",
                             "LFASensitivity",
                             "SignalingMode",
                             "LOSSensitivity",
                             "LOSRecovery",
                             "LineLength",
                             "EnableCRC6",
                             "AutoResynchronization",
                             "AutomaticRemoteAlarm",
                             "ReceiveEqualizer",
                             "TransmitPower",
                             "ClearChannels_0",
                             "ClearChannels_12",
                             "ClearChannels_23",
                             "CopyFromOtherLi",
                             "DefaultValues"})
        row(OBrdPropertySheet::Li0T1, name);
    for (const char* name : {"ClockSource", "HdlcStartAddress", "Li0DefaultMode", "Li1DefaultMode"})
        row(OBrdPropertySheet::General, name);
}

void PropertySheetTest::everyControlEnablesApply() {
    QFETCH(int, page);
    QFETCH(QString, name);
    RecordingPrompts prompts;
    BrdPropertySheetModel model(ValidConfig(), prompts);
    OBrdPropertySheet sheet(model);
    sheet.show();
    QVERIFY(sheet.SetActivePage(page));
    QVERIFY(!ApplyEnabled(sheet));
    QWidget* control = sheet.Page(page).findChild<QWidget*>(name);
    QVERIFY(control);
    if (auto* list = qobject_cast<QComboBox*>(control))
        Choose(list, list->currentIndex() == 0 ? 1 : 0);
    else if (auto* edit = qobject_cast<QLineEdit*>(control))
        QTest::keyClicks(edit, "1");
    else if (auto* button = qobject_cast<QAbstractButton*>(control))
        Click(button);
    QVERIFY(ApplyEnabled(sheet));
}

void PropertySheetTest::editPropertiesRunsModally() {
    const BoardConfig original = ValidConfig();
    BoardConfig config = original;
    RecordingPrompts prompts;
    const bool ok = RunEditProperties(config, prompts, [](OBrdPropertySheet& sheet) {
        Click(Find<QCheckBox>(sheet.Page(0), "TransmitPower"));
        Click(sheet.Button(QDialogButtonBox::Ok));
    });
    QVERIFY(ok);
    BoardConfig expected = original;
    expected.Image.Li[0].E1.TransmitPower = 1;
    QVERIFY(SameBytes(config, expected));
}

void PropertySheetTest::helpButtonAsksForHelp() {
    RecordingPrompts prompts;
    BrdPropertySheetModel model(ValidConfig(), prompts);
    OBrdPropertySheet sheet(model);
    sheet.show();
    QApplication::setActiveWindow(&sheet);
    QVERIFY(QTest::qWaitForWindowActive(&sheet));
    int asked = 0;
    connect(&sheet, &OBrdPropertySheet::HelpRequested, [&] { ++asked; });
    Click(sheet.Button(QDialogButtonBox::Help));
    QTest::keyClick(&sheet, Qt::Key_F1);
    QCOMPARE(asked, 2);
    QVERIFY(sheet.isVisible());
}

void PropertySheetTest::ctrlTabMovesBetweenPagesBothWays() {
    RecordingPrompts prompts;
    BrdPropertySheetModel model(ValidConfig(), prompts);
    OBrdPropertySheet sheet(model);
    sheet.show();
    QApplication::setActiveWindow(&sheet);
    QVERIFY(QTest::qWaitForWindowActive(&sheet));
    for (const auto& [key, modifiers] : BackwardPageKeys()) {
        PressKey(sheet, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(sheet.ActivePage(), 1);
        PressKey(sheet, key, modifiers);
        QCOMPARE(sheet.ActivePage(), 0);
        PressKey(sheet, key, modifiers);
        QCOMPARE(sheet.ActivePage(), int(OBrdPropertySheet::General));
        PressKey(sheet, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(sheet.ActivePage(), 0);
    }
}

namespace {

// Notes, with each message, which tab the sheet's tab bar shows at that moment.
class TabWatchingPrompts : public RecordingPrompts {
public:
    QTabBar* Tabs = nullptr;
    std::vector<int> TabShown;

    void ShowMessage(std::string_view text, MessageIcon icon) override {
        RecordingPrompts::ShowMessage(text, icon);
        TabShown.push_back(Tabs->currentIndex());
    }
};

} // namespace

void PropertySheetTest::tabBarStaysOnARefusingPage() {
    TabWatchingPrompts prompts;
    BrdPropertySheetModel model(ValidConfig(), prompts);
    OBrdPropertySheet sheet(model);
    sheet.show();
    QApplication::setActiveWindow(&sheet);
    QVERIFY(QTest::qWaitForWindowActive(&sheet));
    prompts.Tabs = sheet.findChild<QTabBar*>();
    QLineEdit* los = Find<QLineEdit>(sheet.Page(0), "LOSSensitivity");
    TypeInto(los, "300");

    // A click on another tab, the arrow keys on the tab bar and Ctrl+Shift+Tab: each is refused before
    // the bar moves, while the message shows and after it.
    QTest::mouseClick(prompts.Tabs, Qt::LeftButton, {},
                      prompts.Tabs->tabRect(OBrdPropertySheet::Li1E1).center());
    prompts.Tabs->setFocus();
    QTest::keyClick(prompts.Tabs, Qt::Key_Right);
    PressKey(sheet, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(prompts.Messages.size(), std::size_t{3});
    QCOMPARE(prompts.TabShown, (std::vector<int>{0, 0, 0}));
    QCOMPARE(prompts.Tabs->currentIndex(), 0);
    QCOMPARE(sheet.ActivePage(), 0);
    QCOMPARE(QApplication::focusWidget(), los);

    // A valid entry lets the page go: bar and page move together.
    TypeInto(los, "30");
    QTest::mouseClick(prompts.Tabs, Qt::LeftButton, {},
                      prompts.Tabs->tabRect(OBrdPropertySheet::Li1E1).center());
    QCOMPARE(prompts.Tabs->currentIndex(), int(OBrdPropertySheet::Li1E1));
    QCOMPARE(sheet.ActivePage(), int(OBrdPropertySheet::Li1E1));
    QCOMPARE(prompts.Messages.size(), std::size_t{3});
}

QTEST_MAIN(PropertySheetTest)
#include "PropertySheetTest.moc"
