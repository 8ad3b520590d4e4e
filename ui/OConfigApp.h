#pragma once
// The program: opens the board driver once and runs the main property sheet as its only window. The
// program ends when the sheet closes, whichever way; nothing is saved and nothing is asked.

#include "DeviceChannel.h"

#include <QApplication>

#include <memory>

namespace ruva {

class AuditTrail;
class Driver;
class Prompts;
class QtPrompts;

// The program's start over any driver and prompts: OpenDriver(0), whose result only decides what the
// driver answers later, then the main sheet, as the
// program's only window, until it closes.
void RunMainSheet(Driver& driver, Prompts& prompts, AuditTrail* audit = nullptr);

class OConfigApp : public QApplication {
public:
    // Qt takes its own options (-platform and the like) from the command line; the program's only one
    // is --simulator [FILE] (see DeviceChoice.h).
    OConfigApp(int& argc, char** argv);
    ~OConfigApp() override;

    // Runs the program over the board driver (or the simulated boards asked for) and Qt's message boxes
    // and file dialogs; the exit status of the process. An argument the program does not take ends it
    // at once, with the usage on the standard error and exit status 2.
    int InitInstance();

private:
    Device device_;
    std::unique_ptr<Driver> driver_;
    std::unique_ptr<QtPrompts> prompts_;
};

} // namespace ruva
