// ruvasetw: the configuration program for the Ruva-2 boards.

#include "FileReplace.h"
#include "OConfigApp.h"

#include <csignal>

int main(int argc, char** argv) {
    // Before any file is opened: a save to /dev/fd/N goes only to a file that the caller gave.
    ruva::filereplace::NoteInheritedDescriptors();
#ifdef SIGXFSZ
    // A file size limit then fails the save, which is reported, instead of killing the program.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    ruva::OConfigApp app(argc, argv);
    return app.InitInstance();
}
