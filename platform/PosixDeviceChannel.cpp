#include "PosixDeviceChannel.h"

#include "DeviceFrame.h"
#include "DevicePath.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

namespace ruva {

namespace {

using Clock = std::chrono::steady_clock;

// Gives the socket's sends and receives the time left until `deadline`; false when none is left.
bool SetTimeouts(int fd, Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::microseconds>(deadline - Clock::now());
    if (left.count() <= 0) {
        errno = EAGAIN;
        return false;
    }
    timeval timeout{};
    timeout.tv_sec = static_cast<time_t>(left.count() / 1'000'000);
    timeout.tv_usec = static_cast<suseconds_t>(left.count() % 1'000'000);
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    return true;
}

// Each call waits at most until `deadline`, so that a peer that trickles its bytes cannot stretch a
// request beyond it.
bool WriteAll(int fd, std::span<const std::uint8_t> data, Clock::time_point deadline) {
    while (!data.empty()) {
        if (!SetTimeouts(fd, deadline))
            return false;
        ssize_t n = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0)
            errno = ECONNRESET;
        if (n <= 0)
            return false;
        data = data.subspan(static_cast<std::size_t>(n));
    }
    return true;
}

bool ReadAll(int fd, std::span<std::uint8_t> data, Clock::time_point deadline) {
    while (!data.empty()) {
        if (!SetTimeouts(fd, deadline))
            return false;
        ssize_t n = ::recv(fd, data.data(), data.size(), 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0)
            errno = ECONNRESET;
        if (n <= 0)
            return false;
        data = data.subspan(static_cast<std::size_t>(n));
    }
    return true;
}

// For a simulator's boards, their state file as it names it in `lockPath`, as every way to them has;
// otherwise "<state home>/ruvasetw/ruva2", made when missing, which outlives the session as boards do.
std::string BoardFilesPrefix(const std::string& lockPath) {
    if (std::string state = ServedState(lockPath); !state.empty())
        return state;
    const std::string folder = UserStateHome() + "/ruvasetw";
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(folder).parent_path(), ignored);
    ::mkdir(folder.c_str(), 0700); // one that cannot be made shows when the lock file is opened
    return folder + "/ruva2";
}

} // namespace

PosixDeviceChannel::~PosixDeviceChannel() {
    Disconnect();
}

bool PosixDeviceChannel::Open(const std::string& devicePath) {
    Disconnect();
    socketPath_ = DeviceSocketPath(devicePath);
    fallbackDir_ = DeviceRuntimeDir().Fallback;
    return Connect(Clock::now() + std::chrono::seconds(ConnectTimeoutSeconds));
}

bool PosixDeviceChannel::Connect(std::chrono::steady_clock::time_point deadline) {
    if (socketPath_.empty())
        return false;
    // A shared /tmp directory is only trusted when it is this user's own.
    if (fallbackDir_ && !CheckPrivateDirectory(DeviceRuntimeDir().Path).empty())
        return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath_.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, socketPath_.c_str(), socketPath_.size() + 1);

    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    // A simulator that is stuck, its queue of new connections full, makes connect wait; the send
    // time limit bounds that wait (EAGAIN once it is over).
    const auto limit =
        Clock::now() + std::chrono::seconds(silent_ ? SilentTimeoutSeconds : ConnectTimeoutSeconds);
    if (!SetTimeouts(fd, std::min(deadline, limit))) {
        ::close(fd);
        return false;
    }
    int connected;
    while ((connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address)) != 0 &&
           errno == EINTR) {
    }
    if (connected != 0) {
        silent_ = errno == EAGAIN;
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void PosixDeviceChannel::Disconnect() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool PosixDeviceChannel::PeerHasClosed() const {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, 0) <= 0)
        return false;
    if (p.revents & (POLLHUP | POLLERR | POLLNVAL))
        return true;
    std::uint8_t byte;
    return ::recv(fd_, &byte, 1, MSG_PEEK | MSG_DONTWAIT) == 0;
}

std::optional<std::size_t> PosixDeviceChannel::Control(std::uint32_t code,
                                                       std::span<const std::uint8_t> input,
                                                       std::span<std::uint8_t> output) {
    if (input.size() > frame::MaxLength || output.size() > frame::MaxLength)
        return std::nullopt;
    // The device stays open for the life of the process. When the simulator was restarted since the
    // last request, connect again before sending: nothing of this request has reached anyone yet.
    // One deadline for the whole request, connecting included.
    const auto deadline =
        Clock::now() + std::chrono::seconds(silent_ ? SilentTimeoutSeconds : ReplyTimeoutSeconds);
    if (fd_ >= 0 && PeerHasClosed())
        Disconnect();
    if (fd_ < 0 && !Connect(deadline))
        return std::nullopt;

    const auto request = frame::EncodeRequest(code, input, static_cast<std::uint32_t>(output.size()));
    std::uint8_t header[frame::ReplyHeaderSize];
    frame::ReplyHeader reply;
    errno = 0;
    if (!WriteAll(fd_, request, deadline) || !ReadAll(fd_, header, deadline) ||
        frame::DecodeReplyHeader(std::span<const std::uint8_t, frame::ReplyHeaderSize>(header),
                                 static_cast<std::uint32_t>(output.size()),
                                 reply) != frame::DecodeStatus::Complete ||
        !ReadAll(fd_, output.first(reply.Count), deadline)) {
        silent_ = errno == EAGAIN || errno == EWOULDBLOCK;
        // A broken or confused connection is dropped; the next request connects afresh.
        Disconnect();
        return std::nullopt;
    }
    silent_ = false;
    if (!reply.Ok)
        return std::nullopt;
    return reply.Count;
}

std::string PosixDeviceChannel::Diagnosis() const {
    return silent_ ? "The simulator at " + socketPath_ + " does not answer." : std::string();
}

Device MakePlatformDevice(const std::string& devicePath) {
    const std::string lock = SocketLockPath(DeviceSocketPath(devicePath));
    return {std::make_unique<PosixDeviceChannel>(),
            {.FilesPrefix = [lock] { return BoardFilesPrefix(lock); },
             .Served = [lock] { return !ServedState(lock).empty(); }}};
}

} // namespace ruva
