// The pages of the board properties sheet: every entry of the tables bound to its control, how each kind
// of control shows and stores its field, the checks on typed numbers, and values that the controls
// cannot show.

#include "Driver.h"
#include "OBrdPropertyPgE1.h"
#include "OBrdPropertyPgGeneral.h"
#include "OBrdPropertyPgT1.h"
#include "OBrdResourcesDlg.h"
#include "OBrdSerialNoDlg.h"
#include "OMainPropertyPgAbout.h"
#include "OMainPropertyPgBrd.h"
#include "OMainPropertySheet.h"
#include "OMainResourcesDlg.h"
#include "RecordingPrompts.h"
#include "ScriptedChannel.h"
#include "SheetDriver.h"
#include "Texts.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include <memory>

using namespace ruva;
using namespace ruva::test;

namespace {

// A shown sheet on `config`, with the given page active.
struct OpenSheet {
    RecordingPrompts prompts;
    std::unique_ptr<BrdPropertySheetModel> model;
    std::unique_ptr<OBrdPropertySheet> sheet;

    explicit OpenSheet(const BoardConfig& config, int page = 0)
        : model(std::make_unique<BrdPropertySheetModel>(config, prompts)),
          sheet(std::make_unique<OBrdPropertySheet>(*model)) {
        sheet->show();
        QApplication::setActiveWindow(sheet.get());
        sheet->SetActivePage(page);
    }
    OBrdPropertyPage& Page() const { return sheet->Page(sheet->ActivePage()); }

    // Leaves the active page (for the next one) and returns what the sheet would copy back.
    BoardConfig Leave(const BoardConfig& original) const {
        const int page = sheet->ActivePage();
        sheet->SetActivePage(page == OBrdPropertySheet::General ? 0 : page + 1);
        BoardConfig config = original;
        model->CopyBack(config);
        return config;
    }
};

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QStringList Items(const QComboBox* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->itemText(i);
    return items;
}

// Every entry of a page's tables finds a control of its kind by name, showing the table's text, and no
// widget of the form is left with an empty text: the forms' texts all come from the tables.
template <typename Button>
void ExpectBound(const QWidget& form, std::span<const FieldControl> fields, std::span<const InfoField> info,
                 std::span<const PageButtonControl<Button>> buttons) {
    // The text of the widget `name` of class `kind`, none for a list or an edit field.
    const auto text = [&form](std::string_view name, const char* kind) {
        const auto* widget = form.findChild<QWidget*>(Text(name));
        if (widget == nullptr || !widget->inherits(kind))
            return QStringLiteral("no %1 %2").arg(QLatin1String(kind), Text(name));
        if (widget->inherits("QComboBox") || widget->inherits("QLineEdit"))
            return QString();
        return widget->property(widget->inherits("QGroupBox") ? "title" : "text").toString();
    };
    const auto label = [&](std::string_view name) { return text(std::string(name) + "Label", "QLabel"); };
    for (const FieldControl& field : fields) {
        const std::string name(field.Name);
        switch (field.Kind) {
        case ControlKind::List:
            QCOMPARE(text(name, "QComboBox"), QString());
            QCOMPARE(form.findChild<QComboBox*>(Text(name))->count(), qsizetype(field.Values->Items.size()));
            QCOMPARE(label(name), Text(field.Label));
            break;
        case ControlKind::Check:
            QCOMPARE(text(name, "QCheckBox"), Text(field.Label));
            break;
        case ControlKind::Number:
        case ControlKind::Address:
            QCOMPARE(text(name, "QLineEdit"), QString());
            QCOMPARE(label(name), Text(field.Label));
            break;
        case ControlKind::Bits:
            QCOMPARE(text(name + "Label", "QGroupBox"), Text(field.Label));
            for (const BitBox& box : field.Boxes)
                QCOMPARE(text(name + "_" + std::to_string(box.Bit), "QCheckBox"), Text(box.Label));
            break;
        }
    }
    for (const InfoField& field : info) {
        QCOMPARE(text(field.Name, "QLineEdit"), QString());
        QCOMPARE(label(field.Name), Text(field.Label));
    }
    for (const PageButtonControl<Button>& button : buttons)
        QCOMPARE(text(button.Name, "QPushButton"), Text(button.Label));
    for (const QLabel* shown : form.findChildren<QLabel*>())
        QVERIFY2(shown->isHidden() || !shown->text().isEmpty() || !shown->pixmap().isNull(),
                 qPrintable(shown->objectName()));
    for (const QAbstractButton* shown : form.findChildren<QAbstractButton*>())
        QVERIFY2(!shown->text().isEmpty(), qPrintable(shown->objectName()));
}

} // namespace

class PropertyPagesTest : public QObject {
    Q_OBJECT

private slots:
    void everyEntryOfTheTablesFindsItsControlWithItsText();
    void labelsAndItemsAsTheProgramShowsThem();
    void lfaSensitivityMapsPositionsToCodes();
    void listsAndBitBoxesStoreTheirCodes();
    void losEntryOutOfRangeIsRefused_data();
    void losEntryOutOfRangeIsRefused();
    void firstBadFieldTakesTheFocus();
    void okWithABadFieldKeepsTheSheetOpen();
    void validNumbersAreStoredAsTyped();
    void hdlcStartAddress_data();
    void hdlcStartAddress();
    void foreignCodesAreKeptUntilChanged();
    void foreignFlagIsPartiallyCheckedUntilClicked();
    void nothingIsClipped();
};

void PropertyPagesTest::everyEntryOfTheTablesFindsItsControlWithItsText() {
    OpenSheet open(ValidConfig());
    for (int page = 0; page < OBrdPropertySheet::PageCount; ++page) {
        const BrdPropertyPageModel& model = open.model->Page(page);
        ExpectBound(open.sheet->Page(page), model.Fields(), {}, model.Buttons());
    }
    ScriptedChannel channel;
    Driver driver(channel);
    OMainPropertySheet sheet(driver, open.prompts);
    ExpectBound(sheet.AboutPage(), {}, {}, MainPropertyPgAboutButtons());
    ExpectBound(sheet.BoardPage(0), {}, {}, MainPropertyPgBrdButtons());
    const DriverParameters parameters;
    for (const InfoDialogContent& content :
         {MainResourcesContent(parameters), BrdResourcesContent(parameters, 0), BrdSerialNoContent(0, {})}) {
        std::unique_ptr<QDialog> dialog;
        if (content.Kind == InfoDialogKind::MainResources)
            dialog = std::make_unique<OMainResourcesDlg>(content);
        else if (content.Kind == InfoDialogKind::BrdResources)
            dialog = std::make_unique<OBrdResourcesDlg>(content);
        else
            dialog = std::make_unique<OBrdSerialNoDlg>(content);
        ExpectBound(*dialog, {}, content.Fields, std::span<const LiPageButtonControl>());
    }
}

void PropertyPagesTest::labelsAndItemsAsTheProgramShowsThem() {
    OpenSheet open(ValidConfig(), OBrdPropertySheet::Li0T1);
    // An access key works only through the label's buddy.
    const OBrdPropertyPage& t1 = open.Page();
    for (QLabel* label : t1.findChildren<QLabel*>()) {
        if (label->text().contains('&'))
            QVERIFY2(label->buddy(), qPrintable(label->objectName()));
    }
    QCOMPARE(Find<QLabel>(t1, "LFASensitivityLabel")->buddy(), Find<QComboBox>(t1, "LFASensitivity"));

    const OBrdPropertyPage& e1 = open.sheet->E1Page(0);
    QCOMPARE(Find<QCheckBox>(e1, "AutoResynchronization")->text(),
             QStringLiteral("Automatic Resychronization"));
    QCOMPARE(Items(Find<QComboBox>(e1, "ReceiveFrameFormat")),
             (QStringList{"Double Frame", "CRC4 Multiframe", "CRC4 Multiframe G.706"}));
    QCOMPARE(Items(Find<QComboBox>(open.sheet->GeneralPage(), "ClockSource")),
             (QStringList{"Internal", "MVIP Master Clock", "MVIP Secondary Clock", "Li0", "Li1",
                          "External_8k", "External_2M"}));
}

void PropertyPagesTest::lfaSensitivityMapsPositionsToCodes() {
    const BoardConfig original = ValidConfig(); // Li1 holds 16, Li0 holds 0
    OpenSheet open(original, OBrdPropertySheet::Li1T1);
    QComboBox* list = Find<QComboBox>(open.Page(), "LFASensitivity");
    QCOMPARE(list->currentText(), QStringLiteral("WRONG_2_OUT_OF_6"));
    Choose(list, 1);
    QCOMPARE(list->currentText(), QStringLiteral("WRONG_2_OUT_OF_5"));
    QCOMPARE(open.Leave(original).Image.Li[1].T1.LFASensitivity, std::int16_t{8});

    open.sheet->SetActivePage(OBrdPropertySheet::Li0T1);
    QCOMPARE(Find<QComboBox>(open.Page(), "LFASensitivity")->currentIndex(), 0);
}

void PropertyPagesTest::listsAndBitBoxesStoreTheirCodes() {
    BoardConfig original = ValidConfig();
    original.Image.Li[0].E1.SaBits = 0;
    original.Image.Li[0].E1.SiBits = 0;
    OpenSheet open(original, OBrdPropertySheet::Li0E1);
    Click(Find<QCheckBox>(open.Page(), "SaBits_4"));
    Click(Find<QCheckBox>(open.Page(), "SiBits_1"));
    Choose(Find<QComboBox>(open.Page(), "TransmitFrameFormat"), 2);
    QCOMPARE(Find<QComboBox>(open.Page(), "TransmitFrameFormat")->currentText(),
             QStringLiteral("CRC4 Multiframe G.706"));
    BoardConfig config = open.Leave(original);
    QCOMPARE(config.Image.Li[0].E1.SaBits, std::uint16_t{0x10});
    QCOMPARE(config.Image.Li[0].E1.SiBits, std::uint16_t{2});
    QCOMPARE(config.Image.Li[0].E1.TransmitFrameFormat, std::int16_t{2});

    // Now on Li0 (T1 mode), whose ClearChannels start at 0.
    Click(Find<QCheckBox>(open.Page(), "ClearChannels_0"));
    Click(Find<QCheckBox>(open.Page(), "ClearChannels_23"));
    Click(Find<QCheckBox>(open.Page(), "TransmitPower"));
    config = open.Leave(original);
    QCOMPARE(config.Image.Li[0].T1.ClearChannels, std::uint32_t{0x800001});
    QCOMPARE(config.Image.Li[0].T1.TransmitPower, code::TransmitPower::HIGH);

    // Back on the page, the boxes show what was stored.
    open.sheet->SetActivePage(OBrdPropertySheet::Li0T1);
    QVERIFY(Find<QCheckBox>(open.Page(), "ClearChannels_23")->isChecked());
    QVERIFY(!Find<QCheckBox>(open.Page(), "ClearChannels_22")->isChecked());
}

void PropertyPagesTest::losEntryOutOfRangeIsRefused_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    const QString any = Text(texts::EnterInteger);
    const QString byte = Text(texts::EnterIntegerUpTo255);
    const QString word = Text(texts::EnterIntegerUpTo65535);
    QTest::newRow("300 in a LOS field") << 0 << "LOSSensitivity"
                                        << "300" << byte;
    QTest::newRow("-1 in a LOS field") << 1 << "LOSRecovery"
                                       << "-1" << byte;
    QTest::newRow("65536 as line length") << 1 << "LineLength"
                                          << "65536" << word;
    QTest::newRow("huge line length") << 0 << "LineLength"
                                      << "99999999999999999999999" << word;
    QTest::newRow("letters") << 0 << "LineLength"
                             << "abc" << any;
    QTest::newRow("nothing") << 1 << "LineLength"
                             << "" << any;
    QTest::newRow("number and letters") << 0 << "LOSRecovery"
                                        << "12a" << any;
}

void PropertyPagesTest::losEntryOutOfRangeIsRefused() {
    QFETCH(int, page);
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    const BoardConfig original = ValidConfig();
    OpenSheet open(original, page);
    QLineEdit* edit = Find<QLineEdit>(open.Page(), field.toLatin1().constData());
    TypeInto(edit, typed);
    QVERIFY(!open.sheet->SetActivePage(OBrdPropertySheet::General));

    QCOMPARE(open.sheet->ActivePage(), page);
    QCOMPARE(open.prompts.Messages.size(), std::size_t{1});
    QCOMPARE(Text(open.prompts.Messages[0].Text), message);
    QCOMPARE(QApplication::focusWidget(), edit);
    QCOMPARE(edit->selectedText(), typed);
    BoardConfig config = original;
    open.model->CopyBack(config);
    QVERIFY(SameBytes(config, original));
}

void PropertyPagesTest::firstBadFieldTakesTheFocus() {
    OpenSheet open(ValidConfig(), OBrdPropertySheet::Li0T1);
    TypeInto(Find<QLineEdit>(open.Page(), "LineLength"), "x");
    TypeInto(Find<QLineEdit>(open.Page(), "LOSRecovery"), "256");
    QVERIFY(!open.sheet->Apply());
    QCOMPARE(open.prompts.Messages.size(), std::size_t{1});
    QCOMPARE(Text(open.prompts.Messages[0].Text), Text(texts::EnterIntegerUpTo255));
    QCOMPARE(QApplication::focusWidget(), Find<QLineEdit>(open.Page(), "LOSRecovery"));
    QVERIFY(ApplyEnabled(*open.sheet));
}

void PropertyPagesTest::okWithABadFieldKeepsTheSheetOpen() {
    OpenSheet open(ValidConfig(), OBrdPropertySheet::Li1E1);
    TypeInto(Find<QLineEdit>(open.Page(), "LineLength"), "");
    Click(open.sheet->Button(QDialogButtonBox::Ok));
    QVERIFY(open.sheet->isVisible());
    QCOMPARE(open.prompts.Messages,
             (std::vector<ShownMessage>{{"Please enter an integer.", MessageIcon::Stop}}));

    TypeInto(Find<QLineEdit>(open.Page(), "LineLength"), " 0 ");
    Click(open.sheet->Button(QDialogButtonBox::Ok));
    QVERIFY(!open.sheet->isVisible());
    QCOMPARE(open.sheet->result(), int(QDialog::Accepted));
    QCOMPARE(open.sheet->E1Page(1).Settings().LineLength, std::uint16_t{0});
}

void PropertyPagesTest::validNumbersAreStoredAsTyped() {
    const BoardConfig original = ValidConfig();
    OpenSheet open(original, OBrdPropertySheet::Li0E1);
    TypeInto(Find<QLineEdit>(open.Page(), "LOSSensitivity"), "255");
    TypeInto(Find<QLineEdit>(open.Page(), "LOSRecovery"), "+0");
    TypeInto(Find<QLineEdit>(open.Page(), "LineLength"), "  65535");
    const BoardConfig config = open.Leave(original);
    QVERIFY(open.prompts.Messages.empty());
    QCOMPARE(config.Image.Li[0].E1.LOSSensitivity, std::uint8_t{255});
    QCOMPARE(config.Image.Li[0].E1.LOSRecovery, std::uint8_t{0});
    QCOMPARE(config.Image.Li[0].E1.LineLength, std::uint16_t{65535});

    open.sheet->SetActivePage(OBrdPropertySheet::Li0E1);
    QCOMPARE(Find<QLineEdit>(open.Page(), "LineLength")->text(), QStringLiteral("65535"));
}

void PropertyPagesTest::hdlcStartAddress_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<qint64>("stored"); // -1: refused
    QTest::newRow("hexadecimal") << "0x8000" << qint64{0x8000};
    QTest::newRow("decimal") << "32768" << qint64{0x8000};
    QTest::newRow("octal") << "0100000" << qint64{0x8000};
    QTest::newRow("letters") << "address" << qint64{-1};
    QTest::newRow("beyond 32 bits") << "0x100000000" << qint64{-1};
}

void PropertyPagesTest::hdlcStartAddress() {
    QFETCH(QString, typed);
    QFETCH(qint64, stored);
    const BoardConfig original = ValidConfig();
    OpenSheet open(original, OBrdPropertySheet::General);
    QLineEdit* edit = Find<QLineEdit>(open.Page(), "HdlcStartAddress");
    QCOMPARE(edit->text(), QStringLiteral("0x9000"));
    TypeInto(edit, typed);
    const BoardConfig config = open.Leave(original);
    if (stored < 0) {
        QCOMPARE(open.sheet->ActivePage(), int(OBrdPropertySheet::General));
        QCOMPARE(open.prompts.Messages.size(), std::size_t{1});
        QCOMPARE(Text(open.prompts.Messages[0].Text), Text(texts::EnterInteger));
        QCOMPARE(QApplication::focusWidget(), edit);
        QCOMPARE(config.General.HdlcStartAddress, original.General.HdlcStartAddress);
        return;
    }
    QCOMPARE(config.General.HdlcStartAddress, static_cast<std::uint32_t>(stored));
    // A new sheet on the result shows the address in hexadecimal.
    OpenSheet again(config, OBrdPropertySheet::General);
    QCOMPARE(Find<QLineEdit>(again.Page(), "HdlcStartAddress")->text(),
             QStringLiteral("0x%1").arg(stored, 0, 16).toUpper().replace("0X", "0x"));
}

void PropertyPagesTest::foreignCodesAreKeptUntilChanged() {
    const BoardConfig original = ForeignConfig();
    OpenSheet open(original, OBrdPropertySheet::Li1T1);
    QComboBox* lfa = Find<QComboBox>(open.Page(), "LFASensitivity");
    QCOMPARE(lfa->currentIndex(), -1);
    QCOMPARE(Find<QComboBox>(open.Page(), "SignalingMode")->currentIndex(), -1);
    Choose(lfa, 2);
    Click(Find<QCheckBox>(open.Page(), "ClearChannels_1"));
    BoardConfig config = open.Leave(original);
    QCOMPARE(config.Image.Li[1].T1.LFASensitivity, std::int16_t{16});
    QCOMPARE(config.Image.Li[1].T1.SignalingMode, std::int16_t{3});
    // Bits 24-31 have no box and stay as they were.
    QCOMPARE(config.Image.Li[1].T1.ClearChannels, std::uint32_t{0xA5000003});

    // Now on General: no item for the clock source or either default mode.
    for (const char* name : {"ClockSource", "Li0DefaultMode", "Li1DefaultMode"})
        QCOMPARE(Find<QComboBox>(open.Page(), name)->currentIndex(), -1);
    Choose(Find<QComboBox>(open.Page(), "Li1DefaultMode"), 0);
    config = open.Leave(original);
    QCOMPARE(config.Image.ClockSource, std::int16_t{9});
    QCOMPARE(config.Image.Li[0].DefaultMode, std::int16_t{5});
    QCOMPARE(config.Image.Li[1].DefaultMode, code::LiMode::T1);
}

void PropertyPagesTest::foreignFlagIsPartiallyCheckedUntilClicked() {
    const BoardConfig original = ForeignConfig();
    OpenSheet open(original, OBrdPropertySheet::Li0E1);
    QCheckBox* resync = Find<QCheckBox>(open.Page(), "AutoResynchronization");
    QCheckBox* power = Find<QCheckBox>(open.Page(), "TransmitPower");
    QCOMPARE(resync->checkState(), Qt::PartiallyChecked);
    QCOMPARE(power->checkState(), Qt::PartiallyChecked);
    QCOMPARE(Find<QCheckBox>(open.Page(), "ReceiveEqualizer")->checkState(), Qt::Checked);

    // A click gives a plain value; further clicks toggle between the two without the third state.
    Click(resync);
    Click(resync);
    QCOMPARE(resync->checkState(), Qt::Unchecked);
    Click(resync);
    Click(resync);
    Click(Find<QCheckBox>(open.Page(), "SaBits_0"));
    const BoardConfig config = open.Leave(original);
    QCOMPARE(config.Image.Li[0].E1.AutoResynchronization, std::int16_t{0});
    QCOMPARE(config.Image.Li[0].E1.TransmitPower, std::int16_t{0x100});
    QCOMPARE(config.Image.Li[0].E1.SaBits, std::uint16_t{0xFFE1});
    QCOMPARE(config.Image.Li[0].E1.SiBits, std::uint16_t{0x8001});
}

void PropertyPagesTest::nothingIsClipped() {
    OpenSheet open(ValidConfig());
    for (int page = 0; page < OBrdPropertySheet::PageCount; ++page) {
        QVERIFY(open.sheet->SetActivePage(page));
        QApplication::processEvents();
        for (QWidget* widget : open.Page().findChildren<QWidget*>()) {
            if (!qobject_cast<QLabel*>(widget) && !qobject_cast<QAbstractButton*>(widget) &&
                !qobject_cast<QComboBox*>(widget))
                continue;
            const QString where = QStringLiteral("page %1, %2").arg(page).arg(widget->objectName());
            QVERIFY2(widget->width() >= widget->sizeHint().width(), qPrintable(where));
            QVERIFY2(widget->height() >= widget->minimumSizeHint().height(), qPrintable(where));
            const QRect inPage(widget->mapTo(&open.Page(), QPoint(0, 0)), widget->size());
            QVERIFY2(open.Page().rect().contains(inPage), qPrintable(where));
            // A push button leaves its text room on either side.
            if (auto* button = qobject_cast<QPushButton*>(widget)) {
                const QFontMetrics metrics = button->fontMetrics();
                const int text = metrics.horizontalAdvance(button->text().remove(QLatin1Char('&')));
                QVERIFY2(button->width() - text >= 4 * metrics.averageCharWidth(), qPrintable(where));
            }
        }
    }
}

QTEST_MAIN(PropertyPagesTest)
#include "PropertyPagesTest.moc"
