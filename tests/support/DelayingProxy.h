#pragma once
// A proxy between the programs and a ruva2-sim, for end-to-end tests: it serves the device socket of a
// runtime directory of its own, passes each request frame on to the simulator's socket and each answer
// back, and holds every request that changes a board (a write or a clock selection) for a while before
// it passes it on, so that a save lasts long enough to be interrupted at chosen moments. It names the
// simulator's state file beside its socket, as the simulator does, so that the programs use the same
// board files whichever socket they reach.
//
//     test::DelayingProxy proxy(sim.SocketPath(), sim.StatePath(), std::chrono::milliseconds(300));
//     ... ruvacfg with XDG_RUNTIME_DIR=proxy.RuntimeDir() ...

#include "FileLock.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace ruva::test {

class DelayingProxy {
public:
    DelayingProxy(std::string simulatorSocket, const std::string& statePath, std::chrono::milliseconds delay);
    // Stops serving, ends every connection and removes the directory.
    ~DelayingProxy();
    DelayingProxy(const DelayingProxy&) = delete;
    DelayingProxy& operator=(const DelayingProxy&) = delete;

    const std::string& RuntimeDir() const { return dir_; }

private:
    void Accept();
    void Serve(int client);

    std::string simulatorSocket_;
    std::chrono::milliseconds delay_;
    std::string dir_;
    FileLock served_;
    int listener_ = -1;
    std::atomic<bool> stopping_{false};
    std::mutex mutex_;
    std::vector<int> clients_;
    std::vector<std::thread> threads_;
    std::thread acceptor_;
};

} // namespace ruva::test
