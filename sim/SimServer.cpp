#include "SimServer.h"

#include "ControlCodes.h"
#include "DevicePath.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace ruva::sim {

namespace {

using Clock = LogLimiter::Clock;

constexpr std::size_t ReadChunk = 8192;
// The soft descriptor limit is raised to the hard one, but not beyond this: poll's cost grows with it.
constexpr rlim_t MostDescriptors = 16384;
// How long the listening socket rests when accept runs out of descriptors.
constexpr auto AcceptRest = std::chrono::milliseconds(100);

// The descriptor limit, raised as far as allowed.
std::size_t DescriptorLimit() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return 1024;
    const rlim_t wanted = std::min(limit.rlim_max, MostDescriptors);
    if (limit.rlim_cur < wanted) {
        rlimit raised = limit;
        raised.rlim_cur = wanted;
        if (::setrlimit(RLIMIT_NOFILE, &raised) == 0)
            limit = raised;
    }
    return limit.rlim_cur == RLIM_INFINITY ? MostDescriptors : static_cast<std::size_t>(limit.rlim_cur);
}

// Written to by the signal handler, read by the poll loop.
int stopPipe[2] = {-1, -1};

void OnStopSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] auto ignored = ::write(stopPipe[1], &byte, 1);
    errno = saved;
}

std::string InstallStopSignals() {
    if (stopPipe[0] < 0 && ::pipe2(stopPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return std::string("cannot create a pipe: ") + std::strerror(errno);
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signal, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    return {};
}

std::string SystemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

bool MakeAddress(const std::string& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

struct Connection {
    int Fd = -1;
    std::vector<std::uint8_t> In;
    std::vector<std::uint8_t> Out;
    // Since when it has left a frame incomplete or an answer untaken; unset while idle.
    std::optional<Clock::time_point> WaitingSince;
};

// Sends what the connection has to send without blocking. False when the connection is broken.
bool Flush(Connection& connection) {
    while (!connection.Out.empty()) {
        const ssize_t n =
            ::send(connection.Fd, connection.Out.data(), connection.Out.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return true;
        if (n <= 0)
            return false;
        connection.Out.erase(connection.Out.begin(), connection.Out.begin() + n);
    }
    return true;
}

} // namespace

void LogLimiter::Note(const std::string& kind, std::string_view line, Clock::time_point now) {
    auto [it, added] = entries_.try_emplace(kind);
    Entry& entry = it->second;
    if (added || now - entry.Logged >= std::chrono::seconds(1)) {
        if (entry.Suppressed > 0)
            Log(entry.Line + " (" + std::to_string(entry.Suppressed) + " times more in the last second)");
        Log(line);
        entry = {now, 0, std::string(line)};
    } else {
        ++entry.Suppressed;
        entry.Line = line;
    }
}

std::optional<Clock::time_point> LogLimiter::Flush(Clock::time_point now) {
    std::optional<Clock::time_point> next;
    for (auto it = entries_.begin(); it != entries_.end();) {
        Entry& entry = it->second;
        const Clock::time_point due = entry.Logged + std::chrono::seconds(1);
        if (now < due) {
            if (entry.Suppressed > 0 && (!next || due < *next))
                next = due;
            ++it;
            continue;
        }
        if (entry.Suppressed > 0)
            Log(entry.Line + " (" + std::to_string(entry.Suppressed) + " times more in the last second)");
        it = entries_.erase(it);
    }
    return next;
}

SimServer::~SimServer() {
    RemoveSocket();
}

std::string SimServer::Listen(const std::string& statePath) {
    if (std::string error = InstallStopSignals(); !error.empty())
        return error;

    const RuntimeDir dir = DeviceRuntimeDir();
    if (dir.Fallback && ::mkdir(dir.Path.c_str(), 0700) != 0 && errno != EEXIST)
        return SystemError("cannot create the runtime directory " + dir.Path);
    if (std::string problem = CheckPrivateDirectory(dir.Path); !problem.empty())
        return "the runtime directory " + dir.Path + " " + problem;

    socketPath_ = DeviceSocketPath(DriverDevicePath);
    sockaddr_un address;
    if (!MakeAddress(socketPath_, address))
        return "the socket path " + socketPath_ + " is too long";

    // Whoever holds the socket's lock runs on it, stuck or not; only without a holder may a socket file
    // left there be replaced. No connect decides it: one to a stuck simulator would wait for ever.
    const std::string lockPath = SocketLockPath(socketPath_);
    if (std::string error = LockFile(socketLock_, lockPath, "a simulator already runs on " + socketPath_);
        !error.empty())
        return error;
    // Named before anyone can connect, so that every client finds it.
    if (std::string error = socketLock_.Store(statePath + "\n"); !error.empty())
        return "cannot write " + lockPath + ": " + error;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return SystemError("cannot create a socket");
    struct stat st {};
    if (::lstat(socketPath_.c_str(), &st) == 0) {
        if (!S_ISSOCK(st.st_mode)) {
            ::close(fd);
            return socketPath_ + " exists and is not a socket; remove it first";
        }
        // Left by a simulator that ended without cleaning up, unless something that takes no lock
        // listens there (asked without waiting).
        const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        const bool listening = probe >= 0 && (::connect(probe, reinterpret_cast<const sockaddr*>(&address),
                                                        sizeof address) == 0 ||
                                              errno == EAGAIN);
        if (probe >= 0)
            ::close(probe);
        if (listening) {
            ::close(fd);
            return "a simulator already answers on " + socketPath_;
        }
        ::unlink(socketPath_.c_str());
    }

    // The socket is created with mode 0600 from the start, not made private afterwards.
    const mode_t oldMask = ::umask(0177);
    const int bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    const int bindErrno = errno;
    ::umask(oldMask);
    if (bound != 0) {
        ::close(fd);
        errno = bindErrno;
        return SystemError("cannot listen on " + socketPath_);
    }
    if (::listen(fd, SOMAXCONN) != 0 || ::stat(socketPath_.c_str(), &st) != 0) {
        const std::string error = SystemError("cannot listen on " + socketPath_);
        ::unlink(socketPath_.c_str());
        ::close(fd);
        return error;
    }
    listenFd_ = fd;
    socketDevice_ = st.st_dev;
    socketInode_ = st.st_ino;
    const std::size_t limit = DescriptorLimit();
    maxClients_ = limit > 2 * DescriptorMargin ? limit - DescriptorMargin : DescriptorMargin;
    return {};
}

void SimServer::RemoveSocket() {
    if (listenFd_ < 0)
        return;
    ::close(listenFd_);
    listenFd_ = -1;
    // Only our own socket: never one that replaced it meanwhile.
    struct stat st {};
    if (::lstat(socketPath_.c_str(), &st) == 0 && st.st_dev == socketDevice_ && st.st_ino == socketInode_)
        ::unlink(socketPath_.c_str());
    socketLock_.Unlock();
}

void SimServer::Run() {
    std::vector<Connection> clients;
    std::vector<pollfd> fds;
    LogLimiter log;
    Clock::time_point now = Clock::now();
    Clock::time_point acceptRestingUntil = Clock::time_point::min(); // accept is not tried before
    auto close = [&](std::size_t i) {
        ::close(clients[i].Fd);
        clients.erase(clients.begin() + static_cast<std::ptrdiff_t>(i));
    };
    const OutcomeObserver observe = [&](const Outcome& outcome) {
        if (verbose_)
            Log(outcome.Summary);
        if (!outcome.PersistError.empty())
            log.Note("persist",
                     "the state could not be stored, the change was undone: " + outcome.PersistError,
                     Clock::now());
    };
    const auto deadline = std::chrono::seconds(FrameDeadlineSeconds);
    // Serves the frames client i has sent, as far as its untaken answers allow, and sends the answers;
    // closes the connection when it is broken or sent a malformed frame.
    auto serve = [&](std::size_t i) {
        Connection& c = clients[i];
        const std::size_t received = c.In.size();
        std::string reason;
        bool sound = true;
        bool flushed = true;
        std::size_t left = 0;
        do {
            left = c.In.size();
            sound = ServeFrames(simulator_, c.In, c.Out, reason, observe, MaxUntakenAnswers);
            flushed = Flush(c);
        } while (sound && flushed && c.Out.empty() && c.In.size() < left);
        if (!flushed || !sound) {
            if (!sound)
                log.Note("malformed " + reason, "closed a connection that sent " + reason, now);
            close(i);
            return;
        }
        // The deadline runs from the first byte of an incomplete frame, however slowly the rest trickles
        // in, or from an answer the client does not take.
        const bool served = c.In.size() < received;
        if (c.In.empty() && c.Out.empty())
            c.WaitingSince.reset();
        else if (served || !c.WaitingSince)
            c.WaitingSince = now;
    };

    bool stop = false;
    while (!stop) {
        // Sleep until something happens or the next deadline, rest or log report is due.
        std::optional<Clock::time_point> wake = log.Flush(now);
        auto wakeBy = [&](Clock::time_point when) {
            if (!wake || when < *wake)
                wake = when;
        };
        const bool acceptResting = now < acceptRestingUntil;
        if (acceptResting)
            wakeBy(acceptRestingUntil);
        fds.clear();
        fds.push_back({stopPipe[0], POLLIN, 0});
        fds.push_back({listenFd_, static_cast<short>(acceptResting ? 0 : POLLIN), 0});
        for (const Connection& c : clients) {
            fds.push_back(
                {c.Fd, static_cast<short>(c.Out.empty() ? POLLIN | POLLRDHUP : POLLOUT | POLLRDHUP), 0});
            if (c.WaitingSince)
                wakeBy(*c.WaitingSince + deadline);
        }
        int timeout = -1;
        if (wake) {
            const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*wake - now).count();
            timeout = static_cast<int>(std::clamp<decltype(wait)>(wait, 0, 60'000));
        }
        const int ready = ::poll(fds.data(), fds.size(), timeout);
        now = Clock::now();
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            Log(SystemError("poll failed"));
            break;
        }
        if (fds[0].revents != 0)
            stop = true;

        // Clients are handled in the order of the poll array; those accepted below wait for the next round.
        for (std::size_t i = clients.size(); i-- > 0;) {
            Connection& c = clients[i];
            const short revents = fds[i + 2].revents;
            if (revents == 0) {
                if (c.WaitingSince && now - *c.WaitingSince >= deadline) {
                    log.Note(c.Out.empty() ? "incomplete" : "untaken",
                             c.Out.empty() ? "closed a connection that left a request incomplete for " +
                                                 std::to_string(FrameDeadlineSeconds) + " s"
                                           : "closed a connection that did not take its answer for " +
                                                 std::to_string(FrameDeadlineSeconds) + " s",
                             now);
                    close(i);
                }
                continue;
            }
            if (revents & (POLLERR | POLLNVAL)) {
                close(i);
                continue;
            }
            if (!c.Out.empty()) {
                // Answers first: until they are taken, no more requests are served or read.
                if (!(revents & POLLOUT) || !Flush(c)) {
                    close(i); // hung up without taking its answer
                    continue;
                }
                if (c.Out.empty()) {
                    c.WaitingSince = c.In.empty() ? std::nullopt : std::optional(now);
                    serve(i);
                }
                continue;
            }
            std::uint8_t buffer[ReadChunk];
            const ssize_t n = ::recv(c.Fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
                continue;
            if (n <= 0) {
                close(i); // hung up (or broken)
                continue;
            }
            c.In.insert(c.In.end(), buffer, buffer + n);
            serve(i);
        }

        if (fds[1].revents & POLLIN) {
            int fd;
            while ((fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK)) >= 0) {
                if (clients.size() >= maxClients_) {
                    log.Note("refused",
                             "turned a client away: already serving " + std::to_string(maxClients_) +
                                 " clients at once",
                             now);
                    ::close(fd);
                    continue;
                }
                clients.push_back({fd, {}, {}, std::nullopt});
            }
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                log.Note("accept", SystemError("cannot accept a client for now"), now);
                acceptRestingUntil = now + AcceptRest;
            }
        }
    }
    log.Flush(Clock::time_point::max());
    for (const Connection& c : clients)
        ::close(c.Fd);
    RemoveSocket();
}

} // namespace ruva::sim
