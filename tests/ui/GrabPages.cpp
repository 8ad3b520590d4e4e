// Saves a picture of each page of the board properties sheet, at the default font, for a look at the
// layout: ui_grab_pages <directory>.

#include "OBrdPropertySheet.h"
#include "RecordingPrompts.h"
#include "ShowSettled.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: ui_grab_pages <directory>\n");
        return 2;
    }
    ruva::BoardConfig config;
    for (auto& li : config.Image.Li) {
        ruva::SetE1Defaults(li.E1);
        ruva::SetT1Defaults(li.T1);
    }
    config.General.HdlcStartAddress = 0x8000;
    config.Image.Li[0].DefaultMode = 1;

    ruva::test::RecordingPrompts prompts;
    ruva::BrdPropertySheetModel model(config, prompts);
    ruva::OBrdPropertySheet sheet(model);
    ruva::test::ShowSettled(sheet);
    const QStringList names = {"li0-e1", "li0-t1", "li1-e1", "li1-t1", "general"};
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    for (int page = 0; page < ruva::OBrdPropertySheet::PageCount; ++page) {
        sheet.SetActivePage(page);
        QApplication::processEvents();
        const QString file = dir.filePath(QStringLiteral("brd-properties-%1.png").arg(names[page]));
        if (!sheet.grab().save(file)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
