#include "FileReplace.h"
#include "Ruvacfg.h"
#include "TerminationHold.h"

#include <csignal>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#ifdef _WIN32
#include "Utf16.h"
#include "Utf16Console.h"

#include <windows.h>

#include <cstdio>
#include <fcntl.h>
#include <io.h>

// Windows hands the arguments over in UTF-16; they go on as UTF-8, the names the rest of the program
// takes, whatever the system's code page.
int wmain(int argc, wchar_t** argv) {
    // Before any file is opened (see FileReplace.h).
    ruva::filereplace::NoteInheritedDescriptors();
    // A configuration file read from the standard input ("-") arrives byte for byte, as from a file.
    _setmode(_fileno(stdin), _O_BINARY);
    // A board transfer is finished, or rolled back, before Ctrl+C ends the program.
    ruva::HoldTerminationDuringTransfers();
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(ruva::Narrow(argv[i]));
    const ruva::tool::Utf16Console out(std::cout, STD_OUTPUT_HANDLE), err(std::cerr, STD_ERROR_HANDLE);
    const ruva::tool::ResultOutput result(std::cout);
    const std::unique_ptr<ruva::AuditLog> log = ruva::MakeSystemAuditLog("ruvacfg");
    return ruva::tool::RunRuvacfg(args, std::cin, std::cout, std::cerr, {}, log.get(), ruva::EndProcessAfter);
}
#else
int main(int argc, char** argv) {
    // Before any file is opened: only what the caller gave counts as the program's standard input,
    // output and /dev/fd/N, never a device or lock file that takes a closed one's number.
    ruva::filereplace::NoteInheritedDescriptors();
#ifdef SIGXFSZ
    // A file size limit then fails the write, which is reported, instead of killing the process.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    // A board transfer is finished, or rolled back, before SIGINT or SIGTERM ends the program.
    ruva::HoldTerminationDuringTransfers();
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const ruva::tool::ResultOutput result(std::cout);
    const std::unique_ptr<ruva::AuditLog> log = ruva::MakeSystemAuditLog("ruvacfg");
    return ruva::tool::RunRuvacfg(args, std::cin, std::cout, std::cerr, {}, log.get(), ruva::EndProcessAfter);
}
#endif
