#pragma once
// The simulator's socket: the stand-in for the driver's device, served with a poll loop, one request at
// a time, to any number of clients that come and go.

#include "Simulator.h"

#include <string>
#include <string_view>
#include <sys/types.h>

namespace ruva::sim {

// Writes one time-stamped line to standard error (the log file once the simulator has detached).
void Log(std::string_view line);

class SimServer {
public:
    SimServer(Simulator& simulator, bool verbose) : simulator_(simulator), verbose_(verbose) {}
    ~SimServer();
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    // Checks the runtime directory (creating the /tmp one when it is missing), refuses to start when a
    // simulator already answers on the socket, replaces a stale socket file, and listens with mode 0600.
    // Empty on success, otherwise the reason.
    std::string Listen();

    const std::string& SocketPath() const { return socketPath_; }

    // Serves clients until SIGINT, SIGTERM or SIGHUP arrives; then closes every connection and removes
    // the socket.
    void Run();

private:
    void RemoveSocket();

    Simulator& simulator_;
    bool verbose_;
    std::string socketPath_;
    int listenFd_ = -1;
    dev_t socketDevice_ = 0;
    ino_t socketInode_ = 0;
};

} // namespace ruva::sim
