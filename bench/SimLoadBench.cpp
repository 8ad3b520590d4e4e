// Load test of ruva2-sim: 1, 10 and 100 clients at once, each with its own connection, send requests
// back to back for a few seconds; reports the requests answered per second and the latency of one
// request (median and 99th percentile). Reads change nothing; changes (clock selections) rewrite the
// state file each time, so they measure the file system as much as the simulator.
//
//     bench_sim_load [SECONDS]      (default 3 per run)
//
// The simulator runs in a private temporary directory, started and stopped by this program.

#include "Driver.h"
#include "PosixDeviceChannel.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct RunResult {
    double PerSecond = 0;
    double MedianMicroseconds = 0;
    double P99Microseconds = 0;
    std::size_t Failed = 0;
};

// `clients` threads, each with its own driver connection, send requests for `seconds`.
RunResult Load(int clients, double seconds, bool changes) {
    std::vector<std::vector<float>> latencies(static_cast<std::size_t>(clients));
    std::atomic<std::size_t> failed{0};
    std::atomic<bool> go{false};
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c)
        threads.emplace_back([&, c] {
            ruva::PosixDeviceChannel channel;
            ruva::Driver driver(channel);
            const bool open = driver.OpenDriver(0) == 1;
            ++ready;
            while (!go)
                std::this_thread::yield();
            if (!open) {
                ++failed;
                return;
            }
            auto& mine = latencies[static_cast<std::size_t>(c)];
            const auto end = Clock::now() + std::chrono::duration<double>(seconds);
            const auto board = static_cast<std::uint16_t>(c % 2);
            for (int i = 0;; ++i) {
                const auto start = Clock::now();
                if (start >= end)
                    break;
                bool ok;
                if (changes) {
                    ok = (i % 2 ? driver.SetClockInternal(board) : driver.SetClockLi0(board)) == 1;
                } else {
                    ruva::SerialRecord record;
                    ok = driver.ReadSerialRecord(board, record) == 1;
                }
                if (!ok)
                    ++failed;
                mine.push_back(std::chrono::duration<float, std::micro>(Clock::now() - start).count());
            }
        });
    while (ready < clients)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const auto start = Clock::now();
    go = true;
    for (std::thread& t : threads)
        t.join();
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();

    std::vector<float> all;
    for (const auto& l : latencies)
        all.insert(all.end(), l.begin(), l.end());
    RunResult result;
    result.Failed = failed;
    if (all.empty())
        return result;
    std::sort(all.begin(), all.end());
    result.PerSecond = static_cast<double>(all.size()) / elapsed;
    result.MedianMicroseconds = all[all.size() / 2];
    result.P99Microseconds = all[std::min(all.size() - 1, all.size() * 99 / 100)];
    return result;
}

} // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
    if (!(seconds > 0)) {
        std::fprintf(stderr, "usage: bench_sim_load [SECONDS]\n");
        return 2;
    }
    char pattern[] = "/tmp/ruva-load-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        std::perror("bench_sim_load: cannot create a temporary folder");
        return 1;
    }
    const std::string dir = pattern;
    const std::string runtime = dir + "/run";
    std::filesystem::create_directory(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);

    const std::string state = dir + "/state.json";
    const std::string log = dir + "/sim.log";
    std::vector<char*> args{const_cast<char*>(RUVA_SIM_BINARY), const_cast<char*>("--foreground"),
                            const_cast<char*>("--state"), const_cast<char*>(state.c_str()), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, RUVA_SIM_BINARY, &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        std::fprintf(stderr, "bench_sim_load: cannot start %s\n", RUVA_SIM_BINARY);
        return 1;
    }
    bool answering = false;
    for (int i = 0; i < 1000 && !answering; ++i) {
        ruva::PosixDeviceChannel probe;
        answering = probe.Open("\\\\.\\RUVA2") && std::filesystem::exists(state);
        if (!answering)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }

    int status = 0;
    if (!answering) {
        std::fprintf(stderr, "bench_sim_load: the simulator did not start; see %s\n", log.c_str());
        status = 1;
    } else {
        std::printf("ruva2-sim under load, %.1f s per run\n\n", seconds);
        std::printf("| requests | clients | requests/s | median | p99 | failed |\n");
        std::printf("|---|---:|---:|---:|---:|---:|\n");
        for (const bool changes : {false, true})
            for (const int clients : {1, 10, 100}) {
                const RunResult r = Load(clients, seconds, changes);
                std::printf("| %s | %d | %.0f | %.0f us | %.0f us | %zu |\n",
                            changes ? "changes (clock)" : "reads (serial record)", clients, r.PerSecond,
                            r.MedianMicroseconds, r.P99Microseconds, r.Failed);
                std::fflush(stdout);
                if (r.Failed != 0)
                    status = 1;
            }
    }
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
    return status;
}
