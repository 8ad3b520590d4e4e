#include "OConfigApp.h"

#include "AuditTrail.h"
#include "DeviceChoice.h"
#include "Driver.h"
#include "MainPropertySheetModel.h"
#include "MessageFormat.h"
#include "OMainPropertySheet.h"
#include "ProgramResources.h"
#include "QtPrompts.h"
#include "QtText.h"
#include "Texts.h"

#include <QEventLoop>

#include <iostream>
#include <string>
#include <vector>

namespace ruva {

void RunMainSheet(Driver& driver, Prompts& prompts, AuditTrail* audit) {
    OpenDriverAtStart(driver);
    OMainPropertySheet sheet(driver, prompts, audit);
    // The sheet is shown as an ordinary window, not a modal one: window managers give a modal window
    // the dialog's treatment, and nothing else of the program could be blocked by it anyway.
    QEventLoop loop;
    QObject::connect(&sheet, &QDialog::finished, &loop, &QEventLoop::quit);
    sheet.show();
    loop.exec();
}

OConfigApp::OConfigApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(ToQString(texts::ProgramName));
    setApplicationVersion(ToQString(texts::ProgramRevision));
    setDesktopFileName(QStringLiteral("ruvasetw"));
    setWindowIcon(ProgramIcon());
}

OConfigApp::~OConfigApp() = default;

int OConfigApp::InitInstance() {
    std::vector<std::string> args;
    for (const QString& arg : arguments().mid(1))
        args.push_back(arg.toLocal8Bit().toStdString());
    // Qt has taken its own options by now.
    if (const auto unknown = sim::FindUnknownArgument(args)) {
        std::cerr << "ruvasetw: " << FormatText(texts::UnknownOption, {*unknown}) << '\n';
        return sim::ExitUnknownOption;
    }
    device_ = sim::MakeDevice(sim::FindSimulatorOption(args));
    driver_ = std::make_unique<Driver>(*device_.Channel, device_.Traits);
    prompts_ = std::make_unique<QtPrompts>();
    const std::unique_ptr<AuditLog> log = MakeSystemAuditLog("ruvasetw");
    AuditTrail audit(*log, "ruvasetw");
    RunMainSheet(*driver_, *prompts_, &audit);
    return 0;
}

} // namespace ruva
