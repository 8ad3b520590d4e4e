// The program from end to end against ruva2-sim: it loads the configuration of board 0, the user edits
// it in the board properties, saves it on board 1's page, and the simulator keeps the edit; the audit
// trail has the write.

#include "DeviceChannel.h"
#include "Driver.h"
#include "OBrdPropertyPgGeneral.h"
#include "OConfigApp.h"
#include "OMainPropertyPgBrd.h"
#include "OMainPropertySheet.h"
#include "RecordingAuditLog.h"
#include "RecordingPrompts.h"
#include "SheetDriver.h"
#include "SimProcess.h"
#include "Texts.h"

#include <QPushButton>

using namespace ruva;
using namespace ruva::test;

class ProgramSimTest : public QObject {
    Q_OBJECT

private slots:
    void editLoadedFromBoard0IsSavedOnBoard1();
};

void ProgramSimTest::editLoadedFromBoard0IsSavedOnBoard1() {
    SimProcess sim;
    QVERIFY2(sim.Start(), sim.LogText().c_str());

    const Device device = MakePlatformDevice(DriverDevicePath);
    Driver driver(*device.Channel, device.Traits);
    RecordingPrompts prompts;
    const ModalWatch<OMainPropertySheet> program([&](OMainPropertySheet& sheet) {
        sheet.SetActivePage(1);
        QTest::mouseClick(Find<QPushButton>(sheet.BoardPage(0), "LoadFromBoard"), Qt::LeftButton);
        QVERIFY(sheet.Model().ConfigLoaded());
        {
            const ModalWatch<OBrdPropertySheet> edit([](OBrdPropertySheet& properties) {
                QVERIFY(properties.SetActivePage(OBrdPropertySheet::Li1T1));
                TypeInto(Find<QLineEdit>(properties.Page(OBrdPropertySheet::Li1T1), "LineLength"), "7");
                QVERIFY(properties.SetActivePage(OBrdPropertySheet::General));
                Choose(Find<QComboBox>(properties.GeneralPage(), "ClockSource"), 4);
                TypeInto(Find<QLineEdit>(properties.GeneralPage(), "HdlcStartAddress"), "0xA000");
                Click(properties.Button(QDialogButtonBox::Ok));
            });
            QTest::mouseClick(Find<QPushButton>(sheet.BoardPage(0), "EditProperties"), Qt::LeftButton);
            QVERIFY(edit.Driven());
        }
        sheet.SetActivePage(2);
        QTest::mouseClick(Find<QPushButton>(sheet.BoardPage(1), "SaveToBoard"), Qt::LeftButton);
        QTest::mouseClick(sheet.Button(QDialogButtonBox::Ok), Qt::LeftButton);
    });
    RecordingAuditLog log;
    AuditTrail audit(log, "ruvasetw", "alice", "pc1");
    RunMainSheet(driver, prompts, &audit);
    QVERIFY(program.Driven());

    QCOMPARE(prompts.Messages.size(), std::size_t{1});
    QCOMPARE(prompts.Messages[0].Text, std::string(texts::SaveSucceeded));

    const nlohmann::json after = sim.State();
    const nlohmann::json& board1 = after["Boards"][1];
    QCOMPARE(board1["Image"]["Li1"]["T1"]["LineLength"].get<int>(), 7);
    QCOMPARE(board1["Image"]["ClockSource"].get<std::string>(), std::string("LI1"));
    QCOMPARE(board1["Clock"].get<std::string>(), std::string("LI1"));
    QCOMPARE(board1["BoardInfo"]["HdlcStartAddress"].get<std::string>(), std::string("0xA000"));
    QCOMPARE(board1["Image"]["SerialNumber"].get<std::string>(), std::string("0x2345"));
    // Board 0 kept what it had.
    const nlohmann::json& board0 = after["Boards"][0];
    QCOMPARE(board0["Image"]["Li1"]["T1"]["LineLength"].get<int>(), 100);
    QCOMPARE(board0["Image"]["ClockSource"].get<std::string>(), std::string("INTERNAL"));
    QCOMPARE(board0["BoardInfo"]["HdlcStartAddress"].get<std::string>(), std::string("0x8000"));

    // That the save has begun, then its outcome: board 1, from board 0's configuration edited in the
    // program, each value it changed.
    QCOMPARE(log.Records.size(), std::size_t{2});
    const AuditRecord& record = log.Records[1];
    QCOMPARE(record.Board, 1);
    QCOMPARE(record.Kind, AuditKind::Written);
    QCOMPARE(record.Program + " " + record.Source, std::string("ruvasetw edited in the program"));
    QVERIFY(!record.File);
    QCOMPARE(record.Changes, (std::vector<std::string>{"HdlcStartAddress: 0x9000 → 0xA000",
                                                       "ClockSource: INTERNAL → LI1", "Li1.T1.LineLength: 100 → 7"}));
}

QTEST_MAIN(ProgramSimTest)
#include "ProgramSimTest.moc"
