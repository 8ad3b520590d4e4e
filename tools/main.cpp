#include "Ruvacfg.h"

#include <csignal>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
#ifdef SIGXFSZ
    // A file size limit then fails the write, which is reported, instead of killing the process.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    return ruva::tool::RunRuvacfg(args, std::cout, std::cerr);
}
