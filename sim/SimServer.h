#pragma once
// The simulator's socket: the stand-in for the driver's device, served with a poll loop, one request at
// a time, to any number of clients that come and go.
//
// Connection rules, so that no client can lock the others out:
// - as many clients at once as the descriptor limit allows, less a margin for the simulator's own files
//   (the soft limit is raised to the hard one at start); clients beyond that are closed at once;
// - a connection that leaves a request frame incomplete, or does not take its answers, for
//   FrameDeadlineSeconds is closed; an idle connection between requests may stay open;
// - every client is served without blocking, one read at a time, so a slow one delays nobody;
// - when accept runs out of descriptors, the listening socket rests for a moment instead of spinning;
// - repeated log lines (refusals, closed connections) are logged once a second with a count.

#include "SimLog.h"
#include "Simulator.h"
#include "StateFile.h"

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace ruva::sim {

// Logs a line at once unless one of the same kind was logged in the last second; those are counted and
// reported together when the second is over.
class LogLimiter {
public:
    using Clock = std::chrono::steady_clock;

    void Note(const std::string& kind, std::string_view line, Clock::time_point now);
    // Logs the counts of the kinds whose second is over. The time of the next report to make, if any.
    std::optional<Clock::time_point> Flush(Clock::time_point now);

private:
    struct Entry {
        Clock::time_point Logged;
        std::size_t Suppressed = 0;
        std::string Line;
    };
    std::map<std::string, Entry> entries_;
};

class SimServer {
public:
    // How long a connection may leave a frame incomplete or its answers untaken.
    static constexpr int FrameDeadlineSeconds = 5;
    // Once this many bytes of answers wait for a client, no more of its requests are served (nor read)
    // until it takes them: what a client that sends without reading costs stays bounded.
    static constexpr std::size_t MaxUntakenAnswers = 8192;
    // Descriptors kept free for the simulator's own files (state, log, lock, temporary files).
    static constexpr std::size_t DescriptorMargin = 16;

    SimServer(Simulator& simulator, bool verbose) : simulator_(simulator), verbose_(verbose) {}
    ~SimServer();
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    // Checks the runtime directory (creating the /tmp one when it is missing), takes the socket's lock
    // (ruva2.sock.lock beside it, held for the simulator's life; refused while another simulator holds
    // it) and writes into it `statePath`, the resolved state file, where the clients keep the boards'
    // files (see SocketLockPath), replaces a socket file left behind, and listens with mode 0600. Empty
    // on success, otherwise the reason.
    std::string Listen(const std::string& statePath);

    const std::string& SocketPath() const { return socketPath_; }

    // The most clients served at once (set by Listen from the descriptor limit).
    std::size_t MaxClients() const { return maxClients_; }

    // Serves clients until SIGINT, SIGTERM or SIGHUP arrives; then closes every connection and removes
    // the socket.
    void Run();

private:
    void RemoveSocket();

    Simulator& simulator_;
    bool verbose_;
    std::string socketPath_;
    FileLock socketLock_;
    int listenFd_ = -1;
    dev_t socketDevice_ = 0;
    ino_t socketInode_ = 0;
    std::size_t maxClients_ = 0;
};

} // namespace ruva::sim
