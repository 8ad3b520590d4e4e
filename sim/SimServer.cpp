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

// What every connection is served with.
struct Serving {
    Simulator& Boards;
    const OutcomeObserver& Observe;
    LogLimiter& Log;
    std::size_t MaxUntakenAnswers;
};

// One client: the bytes of its requests not served yet and of its answers not taken yet, and since when
// it has left a frame incomplete or an answer untaken. Its descriptor is closed by whoever drops it.
class Connection {
public:
    static constexpr auto Deadline = std::chrono::seconds(SimServer::FrameDeadlineSeconds);

    explicit Connection(int fd) : fd_(fd) {}
    int Fd() const { return fd_; }
    // What poll is to wait for: answers to be taken first, else requests.
    short Events() const { return static_cast<short>((out_.empty() ? POLLIN : POLLOUT) | POLLRDHUP); }
    std::optional<Clock::time_point> Due() const {
        return waitingSince_ ? std::optional(*waitingSince_ + Deadline) : std::nullopt;
    }

    // Handles what poll reported for it at `now`; false when the connection is to be closed.
    bool Handle(short revents, Clock::time_point now, const Serving& serving) {
        if (revents == 0)
            return !Expired(now, serving.Log);
        if (revents & (POLLERR | POLLNVAL))
            return false;
        if (!out_.empty()) {
            // Answers first: until they are taken, no more requests are served or read.
            if (!(revents & POLLOUT) || !Flush())
                return false; // hung up without taking its answer
            if (!out_.empty())
                return true;
            waitingSince_ = in_.empty() ? std::nullopt : std::optional(now);
            return Serve(now, serving);
        }
        std::uint8_t buffer[ReadChunk];
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
            return true;
        if (n <= 0)
            return false; // hung up (or broken)
        in_.insert(in_.end(), buffer, buffer + n);
        return Serve(now, serving);
    }

private:
    bool Expired(Clock::time_point now, LogLimiter& log) const {
        if (!waitingSince_ || now - *waitingSince_ < Deadline)
            return false;
        const std::string seconds = std::to_string(SimServer::FrameDeadlineSeconds) + " s";
        log.Note(out_.empty() ? "incomplete" : "untaken",
                 out_.empty() ? "closed a connection that left a request incomplete for " + seconds
                              : "closed a connection that did not take its answer for " + seconds,
                 now);
        return true;
    }

    // Serves the frames it has sent, as far as its untaken answers allow, and sends the answers; false
    // when it is broken or sent a malformed frame.
    bool Serve(Clock::time_point now, const Serving& serving) {
        const std::size_t received = in_.size();
        std::string reason;
        bool sound = true;
        bool flushed = true;
        std::size_t left = 0;
        do {
            left = in_.size();
            sound =
                ServeFrames(serving.Boards, in_, out_, reason, serving.Observe, serving.MaxUntakenAnswers);
            flushed = Flush();
        } while (sound && flushed && out_.empty() && in_.size() < left);
        if (!sound)
            serving.Log.Note("malformed " + reason, "closed a connection that sent " + reason, now);
        if (!flushed || !sound)
            return false;
        // The deadline runs from the first byte of an incomplete frame, however slowly the rest trickles
        // in, or from an answer the client does not take.
        const bool served = in_.size() < received;
        if (in_.empty() && out_.empty())
            waitingSince_.reset();
        else if (served || !waitingSince_)
            waitingSince_ = now;
        return true;
    }

    // Sends what it has to send without blocking. False when the connection is broken.
    bool Flush() {
        while (!out_.empty()) {
            const ssize_t n = ::send(fd_, out_.data(), out_.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return true;
            if (n <= 0)
                return false;
            out_.erase(out_.begin(), out_.begin() + n);
        }
        return true;
    }

    int fd_;
    std::vector<std::uint8_t> in_;
    std::vector<std::uint8_t> out_;
    std::optional<Clock::time_point> waitingSince_;
};

// Takes the clients waiting to be accepted, turning away those beyond the most served at once; when
// the descriptors run out, accepting rests for a while.
void AcceptClients(int listenFd, std::size_t maxClients, std::vector<Connection>& clients, LogLimiter& log,
                   Clock::time_point now, Clock::time_point& restingUntil) {
    int fd;
    while ((fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK)) >= 0) {
        if (clients.size() >= maxClients) {
            log.Note("refused",
                     "turned a client away: already serving " + std::to_string(maxClients) +
                         " clients at once",
                     now);
            ::close(fd);
            continue;
        }
        clients.emplace_back(fd);
    }
    if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
        log.Note("accept", SystemError("cannot accept a client for now"), now);
        restingUntil = now + AcceptRest;
    }
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
    const OutcomeObserver observe = [&](const Outcome& outcome) {
        if (verbose_)
            Log(outcome.Summary);
        if (!outcome.PersistError.empty())
            log.Note("persist",
                     "the state could not be stored, the change was undone: " + outcome.PersistError,
                     Clock::now());
    };
    const Serving serving{simulator_, observe, log, MaxUntakenAnswers};

    bool stop = false;
    while (!stop) {
        // Sleep until something happens or the next deadline, rest or log report is due.
        std::optional<Clock::time_point> wake = log.Flush(now);
        auto wakeBy = [&](std::optional<Clock::time_point> when) {
            if (when && (!wake || *when < *wake))
                wake = when;
        };
        const bool acceptResting = now < acceptRestingUntil;
        if (acceptResting)
            wakeBy(acceptRestingUntil);
        fds.clear();
        fds.push_back({stopPipe[0], POLLIN, 0});
        fds.push_back({listenFd_, static_cast<short>(acceptResting ? 0 : POLLIN), 0});
        for (const Connection& c : clients) {
            fds.push_back({c.Fd(), c.Events(), 0});
            wakeBy(c.Due());
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
            if (!clients[i].Handle(fds[i + 2].revents, now, serving)) {
                ::close(clients[i].Fd());
                clients.erase(clients.begin() + static_cast<std::ptrdiff_t>(i));
            }
        }
        if (fds[1].revents & POLLIN)
            AcceptClients(listenFd_, maxClients_, clients, log, now, acceptRestingUntil);
    }
    log.Flush(Clock::time_point::max());
    for (const Connection& c : clients)
        ::close(c.Fd());
    RemoveSocket();
}

} // namespace ruva::sim
