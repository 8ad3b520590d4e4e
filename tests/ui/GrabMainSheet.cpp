// Saves pictures of the main sheet's About page, a board page and the three board information
// dialogs, over two simulated boards in memory: ui_grab_main <directory>.

#include "Driver.h"
#include "FakeBoards.h"
#include "OBrdResourcesDlg.h"
#include "OBrdSerialNoDlg.h"
#include "OMainPropertyPgBrd.h"
#include "OMainPropertySheet.h"
#include "OMainResourcesDlg.h"
#include "ShowSettled.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QPushButton>

#include <cstdio>

namespace {

bool Save(QWidget& widget, const QDir& dir, const char* name) {
    ruva::test::ShowSettled(widget);
    const QString file = dir.filePath(QString::fromLatin1(name));
    if (!widget.grab().save(file)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return false;
    }
    widget.hide();
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: ui_grab_main <directory>\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));

    ruva::test::ScriptedChannel channel;
    ruva::test::FakeBoards boards;
    boards.Serve(channel);
    ruva::Driver driver(channel);
    driver.OpenDriver(0);
    ruva::test::RecordingPrompts prompts;

    ruva::OMainPropertySheet sheet(driver, prompts);
    bool ok = Save(sheet, dir, "main-general.png");
    sheet.SetActivePage(1);
    sheet.BoardPage(0).findChild<QPushButton*>(QStringLiteral("LoadFromBoard"))->click();
    ok &= Save(sheet, dir, "main-board.png");

    ruva::OMainResourcesDlg shared(*ruva::ReadMainResources(driver, prompts));
    ok &= Save(shared, dir, "main-resources.png");
    ruva::OBrdResourcesDlg board(*ruva::ReadBrdResources(driver, prompts, 0));
    ok &= Save(board, dir, "board-resources.png");
    ruva::OBrdSerialNoDlg serial(*ruva::ReadBrdSerialNo(driver, prompts, 0));
    ok &= Save(serial, dir, "board-serial-numbers.png");
    return ok ? 0 : 1;
}
