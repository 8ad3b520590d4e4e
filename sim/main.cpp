// ruva2-sim: stands in for the Ruva-2 board driver on a machine without one. The same simulator on
// every platform, with the platform's transport: the Unix socket, or on Windows the stand-in driver
// ruva2sim.sys (StandInServer.h, the detaching and driver installing in Win32SimMain.cpp).

#include "ForeignFile.h"
#include "StateFile.h"

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#ifdef _WIN32
#include "DriverInstall.h"
#include "StandInServer.h"
#include "Win32SimMain.h"
#else
#include "SimServer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace ruva::sim;

namespace {

constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;

struct Options {
    std::string StatePath;
    int Boards = 0; // 0: not given
    bool Foreground = false;
    bool Verbose = false;
    bool Help = false;
    bool InstallDriver = false; // Windows only
    bool RemoveDriver = false;
};

#ifdef _WIN32
using Server = StandInServer;
constexpr const char* TransportHelp =
    "Stands in for the Ruva-2 board driver: answers the requests that programs send to \\\\.\\RUVA2\n"
    "through the stand-in driver ruva2sim.sys for up to four virtual boards, and keeps their state in a\n"
    "JSON file that is rewritten after every change.\n";
#else
using Server = SimServer;
constexpr const char* TransportHelp =
    "Stands in for the Ruva-2 board driver: answers the driver's requests on the socket ruva2.sock in\n"
    "the user's runtime directory ($XDG_RUNTIME_DIR, else /tmp/ruva2-<uid>) for up to four virtual\n"
    "boards, and keeps their state in a JSON file that is rewritten after every change.\n";
#endif

void PrintHelp() {
    std::printf("Usage: ruva2-sim [--state FILE] [--boards N] [--foreground] [--verbose]\n"
#ifdef _WIN32
                "       ruva2-sim --install-driver | --remove-driver\n"
#endif
                "\n%s\n",
                TransportHelp);
    std::printf(
        "  --state FILE   the state file (default: %s)\n"
        "  --boards N     the number of boards, 1 to 4, of a fresh state when FILE does not exist yet\n"
        "                 (default 2)\n"
        "  --foreground   stay in the foreground and log to standard error; without it the simulator\n"
#ifdef _WIN32
        "                 detaches once the device answers and logs to a .log file beside the state file\n"
#else
        "                 detaches once the socket answers and logs to a .log file beside the state file\n"
#endif
        "  --verbose      log one line per request: request name, board, result\n"
#ifdef _WIN32
        "  --install-driver  copy ruva2sim.sys (beside ruva2-sim.exe) into the drivers folder, register\n"
        "                 it as a kernel service started on demand, and start it (as an administrator)\n"
        "  --remove-driver   stop the stand-in driver and remove it (as an administrator)\n"
#endif
        "  --help         show this help\n"
        "\n"
#ifdef _WIN32
        "It stops on Ctrl+C or Ctrl+Break; a detached one is ended with taskkill. \\\\.\\RUVA2 exists\n"
        "only while a simulator serves it.\n",
#else
        "It stops on SIGINT, SIGTERM or SIGHUP and removes its socket.\n",
#endif
        DefaultStatePath().c_str());
}

int UsageError(const std::string& message) {
    std::fprintf(stderr, "ruva2-sim: %s\nTry 'ruva2-sim --help'.\n", message.c_str());
    return ExitUsage;
}

// Fills `options`; a usage error message when the arguments are not understood.
std::string ParseArguments(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        std::string_view value;
        bool hasValue = false;
        if (auto equals = arg.find('='); arg.starts_with("--") && equals != std::string_view::npos) {
            value = arg.substr(equals + 1);
            arg = arg.substr(0, equals);
            hasValue = true;
        }
        auto takeValue = [&]() -> bool {
            if (hasValue)
                return true;
            if (i + 1 >= argc)
                return false;
            value = argv[++i];
            return true;
        };
        if (arg == "--help" || arg == "-h") {
            options.Help = true;
        } else if ((arg == "--foreground" || arg == "--verbose") && !hasValue) {
            (arg == "--foreground" ? options.Foreground : options.Verbose) = true;
#ifdef _WIN32
        } else if ((arg == "--install-driver" || arg == "--remove-driver") && !hasValue) {
            (arg == "--install-driver" ? options.InstallDriver : options.RemoveDriver) = true;
#endif
        } else if (arg == "--state") {
            if (!takeValue() || value.empty())
                return "--state needs a file name";
            options.StatePath = value;
        } else if (arg == "--boards") {
            int boards = 0;
            if (!takeValue())
                return "--boards needs a number from 1 to 4";
            auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), boards);
            if (error != std::errc() || end != value.data() + value.size() || boards < 1 || boards > 4)
                return "--boards needs a number from 1 to 4, not '" + std::string(value) + "'";
            options.Boards = boards;
        } else {
            return "unknown argument '" + std::string(argv[i]) + "'";
        }
    }
    return {};
}

std::string Summary(const SimState& state, const Server& server, const std::string& statePath) {
#ifdef _WIN32
    const std::string transport = "device " + server.DevicePath();
#else
    const std::string transport = "socket " + server.SocketPath();
#endif
    return transport + "; state " + statePath + "; NumberOfBoards " + std::to_string(state.NumberOfBoards);
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "ruva2-sim: %s\n", message.c_str());
    return ExitFailure;
}

#ifndef _WIN32
// Moves the simulator into the background. The calling process exits here: with 0 once the child
// runs (the socket already answers), with 1 when it could not start. Returns in the child only.
void Detach(const std::string& logPath, const std::string& summary) {
    // Never through a link planted beside the state, and never a FIFO that would block.
    const int log =
        ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (log < 0)
        std::_Exit(Fail("cannot open the log file " + logPath + ": " + std::strerror(errno)));
    struct stat st {};
    if (::fstat(log, &st) != 0 || !S_ISREG(st.st_mode))
        std::_Exit(Fail("the log file " + logPath + " is not a regular file"));
    if (const std::string foreign = ruva::ForeignFileReason(log); !foreign.empty())
        std::_Exit(Fail("the log file " + logPath + " is refused: " + foreign));
    int ready[2];
    if (::pipe2(ready, O_CLOEXEC) != 0)
        std::_Exit(Fail(std::string("cannot create a pipe: ") + std::strerror(errno)));
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0)
        std::_Exit(Fail(std::string("cannot detach: ") + std::strerror(errno)));
    if (pid > 0) {
        ::close(ready[1]);
        char byte = 0;
        ssize_t n;
        while ((n = ::read(ready[0], &byte, 1)) < 0 && errno == EINTR) {
        }
        if (n != 1)
            std::_Exit(Fail("the simulator did not start; see " + logPath));
        std::printf("ruva2-sim: running as process %d; %s; log %s\n", static_cast<int>(pid), summary.c_str(),
                    logPath.c_str());
        std::fflush(stdout);
        std::_Exit(0);
    }
    ::close(ready[0]);
    ::setsid();
    const int null = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (null >= 0) {
        ::dup2(null, STDIN_FILENO);
        ::close(null);
    }
    ::dup2(log, STDOUT_FILENO);
    ::dup2(log, STDERR_FILENO);
    ::close(log);
    [[maybe_unused]] auto ignored = ::chdir("/");
    const char byte = 1;
    ignored = ::write(ready[1], &byte, 1);
    ::close(ready[1]);
}
#endif

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (std::string error = ParseArguments(argc, argv, options); !error.empty())
        return UsageError(error);
    if (options.Help) {
        PrintHelp();
        return 0;
    }
#ifdef _WIN32
    if (options.InstallDriver || options.RemoveDriver) {
        if (options.InstallDriver && options.RemoveDriver)
            return UsageError("--install-driver and --remove-driver exclude each other");
        const std::string error = options.InstallDriver ? InstallDriver() : RemoveDriver();
        return error.empty() ? 0 : Fail(error);
    }
#endif

#ifdef SIGXFSZ
    // A file size limit then fails the state's write (status 64) instead of killing the simulator.
    std::signal(SIGXFSZ, SIG_IGN);
#endif

    const bool defaultPath = options.StatePath.empty();
    std::string error;
    const std::string path = ResolveStatePath(defaultPath ? DefaultStatePath() : options.StatePath, error);
    if (path.empty())
        return Fail(error);
    // Nothing is made (folder, lock, log) for a state that cannot serve.
    constexpr const char* LeftAsItIs =
        "\nThe file was left as it is; correct it, or move it away to start afresh.";
    if (error = CheckStateUsable(path); !error.empty())
        return Fail(error + LeftAsItIs);
    if (defaultPath && !(error = CreateStateFolder(path)).empty())
        return Fail(error);
#ifdef _WIN32
    if (!options.Foreground)
        return RunDetached(argc, argv, BesideState(path, ".log"));
#endif

    // The lock first: the state read after it is the newest one written, never one that a simulator
    // still shutting down changes after it was read.
    StateLock lock;
    if (error = lock.Acquire(path, BesideState(path, ".lock")); !error.empty())
        return Fail(error);
    LoadedState loaded = LoadStateFile(path);
    // A state that cannot be written would fail every change: refused as one that cannot be read.
    if (loaded.State)
        loaded.Error = CheckStateWritable(path);
    if (!loaded.Missing && (!loaded.State || !loaded.Error.empty()))
        return Fail(loaded.Error + LeftAsItIs);
    if (loaded.State && options.Boards != 0)
        std::fprintf(stderr,
                     "ruva2-sim: --boards applies to a fresh state only; %s already holds %zu boards\n",
                     path.c_str(), loaded.State->Boards.size());
    SimState state =
        loaded.State ? std::move(*loaded.State) : FreshState(options.Boards != 0 ? options.Boards : 2);

    Simulator simulator(state, [path, &lock](const SimState& s) {
        std::string error = SaveStateFile(path, s);
        if (error.empty())
            lock.Follow();
        return error;
    });
    Server server(simulator, options.Verbose);
    if (error = server.Listen(path); !error.empty())
        return Fail(error);
    if (loaded.Missing) {
        if (error = SaveStateFile(path, state); !error.empty())
            return Fail("cannot store a fresh state: " + error);
        lock.Follow();
    }

    const std::string summary = Summary(state, server, path);
#ifdef _WIN32
    SignalReady();
#else
    if (!options.Foreground)
        Detach(BesideState(path, ".log"), summary);
#endif
    Log("started; " + summary);
    server.Run();
    Log("stopped");
    return 0;
}
