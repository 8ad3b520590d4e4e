#include "SimProcess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace ruva::test {

namespace {

using namespace std::chrono_literals;
constexpr auto Patience = 10s;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool SocketAnswers(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool answers =
        fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0)
        ::close(fd);
    return answers;
}

int ExitStatusOf(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Waits for the process to end, killing it when it takes longer than `patience`.
int WaitFor(pid_t pid, std::chrono::milliseconds patience) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    int status = 0;
    while (true) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid)
            return ExitStatusOf(status);
        if (done < 0 && errno != EINTR)
            return -1;
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return ExitStatusOf(status);
        }
        std::this_thread::sleep_for(5ms);
    }
}

// Starts the simulator with stdin from /dev/null and stdout and stderr appended to `outputPath`.
pid_t Spawn(const std::vector<std::string>& arguments, char** environment, const std::string& outputPath) {
    const std::string binary = SimProcess::Binary();
    std::vector<char*> argv{const_cast<char*>(binary.c_str())};
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputPath.c_str(),
                                     O_WRONLY | O_CREAT | O_APPEND, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t pid = -1;
    const int error = ::posix_spawn(&pid, binary.c_str(), &actions, nullptr, argv.data(), environment);
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? pid : -1;
}

} // namespace

std::string SimProcess::Binary() {
    return RUVA_SIM_BINARY;
}

SimProcess::SimProcess(Options options) : options_(std::move(options)) {
    // Socket paths are short (sun_path), so a long TMPDIR gives way to /tmp.
    std::string base = "/tmp";
    if (const char* tmp = std::getenv("TMPDIR"); tmp != nullptr && tmp[0] == '/' && std::strlen(tmp) < 60)
        base = tmp;
    std::string pattern = base + "/ruva2-sim-test-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("SimProcess: cannot create a directory under " + base);
    dir_ = pattern;
    runtimeDir_ = dir_ + "/run";
    statePath_ = dir_ + "/state.json";
    logPath_ = dir_ + "/sim.log";
    if (::mkdir(runtimeDir_.c_str(), 0700) != 0 || ::chmod(runtimeDir_.c_str(), 0700) != 0)
        throw std::runtime_error("SimProcess: cannot create " + runtimeDir_);

    if (const char* old = std::getenv("XDG_RUNTIME_DIR"))
        oldRuntimeDir_ = old;
    ::setenv("XDG_RUNTIME_DIR", runtimeDir_.c_str(), 1);
    if (!options_.StateJson.empty())
        WriteState(options_.StateJson);
}

SimProcess::~SimProcess() {
    Stop();
    if (oldRuntimeDir_)
        ::setenv("XDG_RUNTIME_DIR", oldRuntimeDir_->c_str(), 1);
    else
        ::unsetenv("XDG_RUNTIME_DIR");
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

bool SimProcess::Start() {
    if (IsRunning())
        return true;
    std::vector<std::string> arguments{"--foreground", "--state", statePath_};
    if (options_.Boards != 0)
        arguments.insert(arguments.end(), {"--boards", std::to_string(options_.Boards)});
    if (options_.Verbose)
        arguments.push_back("--verbose");
    pid_ = Spawn(arguments, environ, logPath_);
    if (pid_ < 0)
        return false;

    const auto deadline = std::chrono::steady_clock::now() + Patience;
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1; // it ended: the log says why
            return false;
        }
        // A fresh state file is stored once the socket is listening; wait for both, so State() can
        // be read as soon as Start() returns.
        if (SocketAnswers(SocketPath()) && std::filesystem::exists(statePath_))
            return true;
        std::this_thread::sleep_for(5ms);
    }
    Stop();
    return false;
}

int SimProcess::Stop() {
    if (!IsRunning())
        return -1;
    ::kill(pid_, SIGTERM);
    const int status = WaitFor(pid_, Patience);
    pid_ = -1;
    return status;
}

std::string SimProcess::LogText() const {
    return ReadFile(logPath_);
}

std::string SimProcess::StateText() const {
    return ReadFile(statePath_);
}

nlohmann::json SimProcess::State() const {
    return nlohmann::json::parse(StateText(), nullptr, false);
}

void SimProcess::WriteState(const std::string& json) const {
    std::ofstream(statePath_, std::ios::binary | std::ios::trunc) << json;
}

SimProcess::RunResult
SimProcess::Run(const std::vector<std::string>& arguments,
                const std::vector<std::pair<std::string, std::string>>& environment) const {
    std::vector<std::string> variables;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string variable = *e;
        const std::string name = variable.substr(0, variable.find('='));
        bool replaced = false;
        for (const auto& [n, v] : environment)
            replaced = replaced || n == name;
        if (!replaced)
            variables.push_back(variable);
    }
    for (const auto& [name, value] : environment)
        variables.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& v : variables)
        envp.push_back(v.data());
    envp.push_back(nullptr);

    static int runs = 0;
    const std::string outputPath = dir_ + "/run-" + std::to_string(++runs) + ".out";
    RunResult result;
    const pid_t pid = Spawn(arguments, envp.data(), outputPath);
    if (pid < 0)
        return result;
    result.ExitStatus = WaitFor(pid, Patience);
    result.Output = ReadFile(outputPath);
    return result;
}

} // namespace ruva::test
