#pragma once
// Runs ruva2-sim for end-to-end tests: a private temporary directory holds the runtime directory (mode
// 0700) and the state file; the simulator runs in the foreground with XDG_RUNTIME_DIR pointing there,
// and this process gets the same XDG_RUNTIME_DIR, so PosixDeviceChannel (and with it Driver) talks to
// this simulator and no other. Only one SimProcess at a time per test process.
//
//     test::SimProcess sim({.StateJson = R"({"Boards": [{}, {"GdsId": "0x71"}]})"});
//     ASSERT_TRUE(sim.Start()) << sim.LogText();
//     ... Driver over MakePlatformDevice() ...
//     EXPECT_EQ(sim.State()["Boards"][1]["Clock"], "LI0");

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace ruva::test {

class SimProcess {
public:
    struct Options {
        std::string StateJson{}; // written as the state file before the first start; empty: a fresh state
        int Boards = 0;          // --boards for a fresh state; 0 leaves the default
        bool Verbose = true;     // --verbose: the log shows one line per request
    };

    explicit SimProcess(Options options);
    SimProcess() : SimProcess(Options{}) {}
    // Stops the simulator, gives XDG_RUNTIME_DIR its old value back and removes the directory.
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // Starts `ruva2-sim --foreground --state <StatePath()>` and waits until its socket answers and its
    // state file exists. False when it ended or did not answer within 10 s; LogText() then says why.
    bool Start();
    // SIGTERM, then waits for the end (SIGKILL after 10 s). The exit status, or -1 when it was not running.
    int Stop();
    bool Restart() { return Stop() >= 0 && Start(); }
    bool IsRunning() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }

    const std::string& Directory() const { return dir_; }
    const std::string& RuntimeDir() const { return runtimeDir_; }
    const std::string& StatePath() const { return statePath_; }
    std::string SocketPath() const { return runtimeDir_ + "/ruva2.sock"; }
    std::string LogText() const;

    std::string StateText() const;
    nlohmann::json State() const;
    void WriteState(const std::string& json) const;

    // Runs ruva2-sim with `arguments` to its end (killed after 10 s), in this runtime directory unless
    // `environment` says otherwise; its exit status and everything it printed.
    struct RunResult {
        int ExitStatus = -1;
        std::string Output;
    };
    RunResult Run(const std::vector<std::string>& arguments,
                  const std::vector<std::pair<std::string, std::string>>& environment = {}) const;

    static std::string Binary();

private:
    Options options_;
    std::string dir_;
    std::string runtimeDir_;
    std::string statePath_;
    std::string logPath_;
    std::optional<std::string> oldRuntimeDir_;
    pid_t pid_ = -1;
};

} // namespace ruva::test
