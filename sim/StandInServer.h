#pragma once
// The simulator's transport on Windows: it serves the stand-in driver ruva2sim.sys, which passes every
// request that a program sends to \\.\RUVA2 over its private device (driver/StandInProtocol.h). One
// request at a time, in the order the programs sent them; the driver fails those that wait too long, and
// a request whose answer comes too late is undone, as its program was told that it failed.

#include "FileLock.h"
#include "SimLog.h"
#include "Simulator.h"

#include <string>

namespace ruva::sim {

class StandInServer {
public:
    StandInServer(Simulator& simulator, bool verbose) : simulator_(simulator), verbose_(verbose) {}
    ~StandInServer();
    StandInServer(const StandInServer&) = delete;
    StandInServer& operator=(const StandInServer&) = delete;

    // Names `statePath` in the lock file that it holds while it serves (ServedStatePath), then opens the
    // driver's private device and attaches to it: from then on \\.\RUVA2 exists and its requests come
    // here. Empty on success, otherwise the reason (no driver, another simulator attached, another
    // driver on \\.\RUVA2).
    std::string Listen(const std::string& statePath);

    // The device the programs open.
    std::string DevicePath() const;

    // Serves requests until Ctrl+C, Ctrl+Break or the console closes, or the driver goes away; then
    // detaches, so that \\.\RUVA2 goes away too.
    void Run();

private:
    Simulator& simulator_;
    bool verbose_;
    void* device_ = nullptr; // HANDLE of the private device, opened for overlapped requests
    FileLock served_;        // the lock file that names the state, held while serving
};

} // namespace ruva::sim
