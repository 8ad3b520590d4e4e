// The three board information dialogs in Qt: their texts, labels and value formats as the page logic
// gives them, and their look.

#include "OBrdResourcesDlg.h"
#include "OBrdSerialNoDlg.h"
#include "OMainResourcesDlg.h"
#include "SheetDriver.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include <memory>

using namespace ruva;
using namespace ruva::test;

namespace {

// The dialog's fields from top to bottom as "label=value"; every field must be read-only.
QStringList Fields(const QDialog& dialog) {
    const auto* grid = dialog.findChild<QGridLayout*>(QStringLiteral("FieldsLayout"));
    QStringList fields;
    for (int row = 0; row < grid->rowCount(); ++row) {
        const auto* label = qobject_cast<QLabel*>(grid->itemAtPosition(row, 0)->widget());
        const auto* value = qobject_cast<QLineEdit*>(grid->itemAtPosition(row, 1)->widget());
        if (!value->isReadOnly())
            return {QStringLiteral("field %1 can be edited").arg(value->objectName())};
        fields << label->text() + QLatin1Char('=') + value->text();
    }
    return fields;
}

QString Intro(const QDialog& dialog) {
    return dialog.findChild<QLabel*>(QStringLiteral("Intro"))->text();
}

bool OkIsDefault(const QDialog& dialog) {
    const auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("Ok"));
    return ok->isDefault() && ok->text() == QStringLiteral("OK") &&
           dialog.findChildren<QPushButton*>().size() == 1;
}

DriverParameters TwoBoardParameters() {
    DriverParameters parameters;
    parameters.Irq = 10;
    parameters.IoBaseAddress = 768;
    parameters.NumberOfBoards = 1;
    parameters.InfoBufferSize = 4096;
    parameters.DramSize = {0x100000, 0x200000};
    parameters.HostMemoryWindowOffset = {0xD0000, 0xD8000};
    parameters.HostMemoryWindowSize = {0x8000, 0x4000};
    parameters.HostIoWindowOffset = {0x320, 0xFFF0};
    parameters.HostIoWindowSize = {0x10, 0};
    return parameters;
}

} // namespace

class InfoDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void sharedParameters();
    void boardParametersTakeTheBoardsOwnEntries();
    void serialNumbersAndRevisionsInScreenOrder();
    void titleAndIntroductionHaveRoom();
};

void InfoDialogsTest::sharedParameters() {
    DriverParameters parameters = TwoBoardParameters();
    OMainResourcesDlg dialog(MainResourcesContent(parameters));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Board Communication Parameters"));
    QCOMPARE(Intro(dialog),
             QStringLiteral("These parameters are shared by all installed Ruva-2 boards in this PC."));
    QCOMPARE(Fields(dialog), (QStringList{"Irq:=10", "Io Base Address:=0x300", "No of boards:=1",
                                          "Info Buffer Size:=0x1000"}));
    QVERIFY(OkIsDefault(dialog));

    // The I/O base address is shown unsigned; no boards at all shows 0.
    parameters.IoBaseAddress = static_cast<std::int16_t>(0xFF00);
    parameters.NumberOfBoards = 0;
    OMainResourcesDlg other(MainResourcesContent(parameters));
    QCOMPARE(Fields(other)[1], QStringLiteral("Io Base Address:=0xFF00"));
    QCOMPARE(Fields(other)[2], QStringLiteral("No of boards:=0"));
}

void InfoDialogsTest::boardParametersTakeTheBoardsOwnEntries() {
    OBrdResourcesDlg dialog(BrdResourcesContent(TwoBoardParameters(), 1));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Board Communication Parameters"));
    QCOMPARE(Intro(dialog),
             QStringLiteral("These parameters are board-specific, and are not shared with other "
                            "installed Ruva-2 boards in this PC."));
    QCOMPARE(Fields(dialog), (QStringList{"Board DRAM Size:=0x200000", "Host Memory Window Offset:=0xD8000",
                                          "Host Memory Window Size:=0x4000", "Host IO Window Offset:=0xFFF0",
                                          "Host IO Window Size:=0x0"}));
    QVERIFY(OkIsDefault(dialog));
}

void InfoDialogsTest::serialNumbersAndRevisionsInScreenOrder() {
    BoardInfo info;
    info.BarRevision = 0x01000000;
    info.MadRevision = 0x02000000;
    info.SadRevision = 0x01000300;
    info.LadRevision = 0x03010000;
    info.RscRevision = 0x01020304;
    info.BootstrapRevision = 0xFF000000;
    OBrdSerialNoDlg dialog(BrdSerialNoContent(0x1234, info));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Serial Numbers and Revisions"));
    QCOMPARE(Intro(dialog),
             QStringLiteral("Revisions and serial numbers for various components on the Ruva-2 board."));
    QCOMPARE(Fields(dialog), (QStringList{"Board Serial No=9702052", "BAR Revision=1.0", "LAD Revision=3.1",
                                          "SAD Revision=1.3", "MAD Revision=2.0", "RSC Revision=1.2.3.4",
                                          "Bootstrap Revision=Unknown"}));
    QVERIFY(OkIsDefault(dialog));
}

void InfoDialogsTest::titleAndIntroductionHaveRoom() {
    const DriverParameters parameters = TwoBoardParameters();
    std::vector<std::unique_ptr<QDialog>> dialogs;
    dialogs.push_back(std::make_unique<OMainResourcesDlg>(MainResourcesContent(parameters)));
    dialogs.push_back(std::make_unique<OBrdResourcesDlg>(BrdResourcesContent(parameters, 0)));
    dialogs.push_back(std::make_unique<OBrdSerialNoDlg>(BrdSerialNoContent(0x1234, BoardInfo{})));
    for (const auto& dialog : dialogs) {
        dialog->show();
        QApplication::processEvents();
        const QString title = dialog->windowTitle();
        // The title, bold, beside an icon and a few buttons of a title bar.
        QFont bold = dialog->font();
        bold.setBold(true);
        const int bar = dialog->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, dialog.get());
        QVERIFY2(dialog->width() >= QFontMetrics(bold).horizontalAdvance(title) + 4 * bar, qPrintable(title));
        // The introductory text on two lines at most, as wide as the dialog shows it.
        const auto* intro = dialog->findChild<QLabel*>(QStringLiteral("Intro"));
        const QFontMetrics metrics = intro->fontMetrics();
        const QRect text = metrics.boundingRect(QRect(0, 0, intro->contentsRect().width(), 1 << 20),
                                                Qt::TextWordWrap, intro->text());
        QVERIFY2(text.height() <= 2 * metrics.lineSpacing(), qPrintable(title));
        QVERIFY2(intro->height() >= text.height(), qPrintable(title));
    }
}

QTEST_MAIN(InfoDialogsTest)
#include "InfoDialogsTest.moc"
