#pragma once
// ruva2-sim --install-driver / --remove-driver on Windows: the stand-in driver ruva2sim.sys, beside
// ruva2-sim.exe, copied into the system's drivers folder and registered as a demand-start kernel
// service (and started), or all of that undone. Neither touches another driver: a service of the
// stand-in's name that is not the stand-in, or a \\.\RUVA2 that the stand-in does not serve, makes them
// refuse and change nothing.

#include <string>

namespace ruva::sim {

// Each prints what it did on standard output; a failure is the reason, for standard error.
std::string InstallDriver();
std::string RemoveDriver();

} // namespace ruva::sim
