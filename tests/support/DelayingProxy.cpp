#include "DelayingProxy.h"

#include "ControlCodes.h"
#include "DeviceFrame.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace ruva::test {

namespace {

sockaddr_un Address(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    return address;
}

bool ReadAll(int fd, std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::recv(fd, data, size, 0);
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

std::uint32_t Word(const std::uint8_t* bytes) {
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

} // namespace

DelayingProxy::DelayingProxy(std::string simulatorSocket, const std::string& statePath,
                             std::chrono::milliseconds delay)
    : simulatorSocket_(std::move(simulatorSocket)), delay_(delay) {
    std::string pattern = (std::filesystem::temp_directory_path() / "ruva-proxy-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("no directory for the proxy");
    dir_ = pattern;
    const std::string socket = dir_ + "/ruva2.sock";
    if (served_.Lock(socket + ".lock", {}) != FileLock::Status::Locked ||
        !served_.Store(statePath + "\n").empty())
        throw std::runtime_error("the proxy cannot name the simulator's state");
    listener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_un address = Address(socket);
    if (::bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 8) != 0)
        throw std::runtime_error("the proxy cannot listen at " + socket);
    acceptor_ = std::thread([this] { Accept(); });
}

DelayingProxy::~DelayingProxy() {
    stopping_ = true;
    acceptor_.join();
    ::close(listener_);
    {
        std::lock_guard lock(mutex_);
        for (const int fd : clients_)
            ::shutdown(fd, SHUT_RDWR);
    }
    for (std::thread& thread : threads_)
        thread.join();
    served_.Unlock();
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

void DelayingProxy::Accept() {
    while (!stopping_) {
        pollfd ready{listener_, POLLIN, 0};
        if (::poll(&ready, 1, 50) <= 0)
            continue;
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        std::lock_guard lock(mutex_);
        clients_.push_back(client);
        threads_.emplace_back([this, client] { Serve(client); });
    }
}

void DelayingProxy::Serve(int client) {
    const int simulator = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_un address = Address(simulatorSocket_);
    if (::connect(simulator, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        std::vector<std::uint8_t> frame(frame::RequestHeaderSize);
        while (ReadAll(client, frame.data(), frame::RequestHeaderSize)) {
            const std::uint32_t code = Word(&frame[4]), length = Word(&frame[8]);
            if (length > frame::MaxLength)
                break;
            frame.resize(frame::RequestHeaderSize + length);
            if (!ReadAll(client, frame.data() + frame::RequestHeaderSize, length))
                break;
            if (ChangesBoard(static_cast<Request>(code)))
                std::this_thread::sleep_for(delay_);
            std::uint8_t header[frame::ReplyHeaderSize];
            if (!WriteAll(simulator, frame.data(), frame.size()) ||
                !ReadAll(simulator, header, sizeof header))
                break;
            std::vector<std::uint8_t> reply(header, header + sizeof header);
            reply.resize(sizeof header + std::min<std::uint32_t>(Word(&header[8]), frame::MaxLength));
            if (!ReadAll(simulator, reply.data() + sizeof header, reply.size() - sizeof header) ||
                !WriteAll(client, reply.data(), reply.size()))
                break;
            frame.resize(frame::RequestHeaderSize);
        }
    }
    ::close(simulator);
    std::lock_guard lock(mutex_);
    std::erase(clients_, client);
    ::close(client);
}

} // namespace ruva::test
