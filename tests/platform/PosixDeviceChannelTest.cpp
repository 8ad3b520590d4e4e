// The socket channel against a small in-process server that speaks the frame protocol.

#include "PosixDeviceChannel.h"
#include "DeviceFrame.h"
#include "DevicePath.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace ruva {
namespace {

using ::testing::ElementsAre;
using Bytes = std::vector<std::uint8_t>;

// A private runtime directory, made current through XDG_RUNTIME_DIR for the test's lifetime.
class RuntimeDirGuard {
public:
    RuntimeDirGuard() {
        char pattern[] = "/tmp/ruva-channel-XXXXXX";
        path_ = ::mkdtemp(pattern);
        const char* old = std::getenv("XDG_RUNTIME_DIR");
        if (old != nullptr)
            old_ = old;
        ::setenv("XDG_RUNTIME_DIR", path_.c_str(), 1);
    }
    ~RuntimeDirGuard() {
        if (old_)
            ::setenv("XDG_RUNTIME_DIR", old_->c_str(), 1);
        else
            ::unsetenv("XDG_RUNTIME_DIR");
        std::system(("rm -rf '" + path_ + "'").c_str());
    }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    std::optional<std::string> old_;
};

// Serves each connection on its own thread; `answer` maps a request to (ok, bytes), or to nothing to
// close the connection without an answer.
class FrameServer {
public:
    using Answer = std::function<std::optional<std::pair<bool, Bytes>>(const frame::Request&)>;

    FrameServer(const std::string& socketPath, Answer answer) : answer_(std::move(answer)) {
        listener_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
        ::unlink(socketPath.c_str());
        EXPECT_EQ(::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(::listen(listener_, 4), 0);
        thread_ = std::thread([this] { Run(); });
    }
    ~FrameServer() {
        ::shutdown(listener_, SHUT_RDWR);
        ::close(listener_);
        thread_.join();
    }
    int Connections() const { return connections_; }

private:
    void Run() {
        for (;;) {
            int fd = ::accept(listener_, nullptr, nullptr);
            if (fd < 0)
                return;
            ++connections_;
            Serve(fd);
            ::close(fd);
        }
    }

    void Serve(int fd) {
        Bytes buffer;
        std::uint8_t chunk[512];
        for (;;) {
            ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
            if (n <= 0)
                return;
            buffer.insert(buffer.end(), chunk, chunk + n);
            frame::Request request;
            std::size_t consumed = 0;
            if (frame::DecodeRequest(buffer, request, consumed) != frame::DecodeStatus::Complete)
                continue;
            auto answer = answer_(request);
            buffer.erase(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(consumed));
            if (!answer)
                return;
            const Bytes reply = frame::EncodeReply(answer->first, answer->second);
            ::send(fd, reply.data(), reply.size(), MSG_NOSIGNAL);
        }
    }

    Answer answer_;
    int listener_ = -1;
    std::thread thread_;
    std::atomic<int> connections_{0};
};

TEST(PosixDeviceChannel, DeviceNameMapsToASocketInTheRuntimeDirectory) {
    RuntimeDirGuard dir;
    EXPECT_EQ(DeviceSocketPath("\\\\.\\RUVA2"), dir.Path() + "/ruva2.sock");
    EXPECT_FALSE(DeviceRuntimeDir().Fallback);
}

// Without a simulator that names its state, the boards are the machine's: their files go where they
// outlive the session, not into the runtime directory.
TEST(PosixDeviceChannel, BoardFilesOfTheMachinesBoardsOutliveTheSession) {
    RuntimeDirGuard dir;
    ::setenv("XDG_STATE_HOME", (dir.Path() + "/state").c_str(), 1);
    FrameServer server(dir.Path() + "/ruva2.sock", [](const frame::Request&) { return std::nullopt; });
    const Device device = MakePlatformDevice("\\\\.\\RUVA2");
    ASSERT_TRUE(device.Channel->Open("\\\\.\\RUVA2"));
    EXPECT_EQ(device.Traits.FilesPrefix(), dir.Path() + "/state/ruvasetw/ruva2");
    struct stat st {};
    EXPECT_TRUE(::stat((dir.Path() + "/state/ruvasetw").c_str(), &st) == 0 && (st.st_mode & 0777) == 0700);
    ::unsetenv("XDG_STATE_HOME");
}

TEST(PosixDeviceChannel, OpenFailsWithoutAListener) {
    RuntimeDirGuard dir;
    PosixDeviceChannel channel;
    EXPECT_FALSE(channel.Open("\\\\.\\RUVA2"));
    std::uint8_t reply[4];
    EXPECT_FALSE(channel.Control(1, {}, reply));
}

TEST(PosixDeviceChannel, SendsTheRequestAndCopiesTheReply) {
    RuntimeDirGuard dir;
    frame::Request seen;
    Bytes seenInput;
    FrameServer server(dir.Path() + "/ruva2.sock", [&](const frame::Request& r) {
        seen = r;
        seenInput.assign(r.Input.begin(), r.Input.end());
        return std::make_optional(std::make_pair(true, Bytes{1, 0, 0, 0, 0x72, 0}));
    });
    PosixDeviceChannel channel;
    ASSERT_TRUE(channel.Open("\\\\.\\RUVA2"));
    const Bytes input{3, 0};
    std::uint8_t reply[6] = {};
    auto count = channel.Control(41000, input, reply);
    ASSERT_TRUE(count);
    EXPECT_EQ(*count, 6u);
    EXPECT_EQ(reply[4], 0x72);
    EXPECT_EQ(seen.Code, 41000u);
    EXPECT_EQ(seen.OutputCapacity, 6u);
    EXPECT_THAT(seenInput, ElementsAre(3, 0));
}

TEST(PosixDeviceChannel, FailedAndMalformedAnswersFailTheRequest) {
    RuntimeDirGuard dir;
    int calls = 0;
    FrameServer server(dir.Path() + "/ruva2.sock",
                       [&](const frame::Request&) -> std::optional<std::pair<bool, Bytes>> {
                           switch (++calls) {
                           case 1:
                               return std::make_pair(false, Bytes{});
                           case 2:
                               return std::make_pair(true, Bytes(8, 1)); // more than the capacity of 4
                           default:
                               return std::make_pair(true, Bytes{1, 0, 0, 0});
                           }
                       });
    PosixDeviceChannel channel;
    ASSERT_TRUE(channel.Open("\\\\.\\RUVA2"));
    std::uint8_t reply[4];
    EXPECT_FALSE(channel.Control(1, {}, reply));
    EXPECT_FALSE(channel.Control(1, {}, reply));
    // The confused connection was dropped; the next request connects afresh and succeeds.
    EXPECT_EQ(channel.Control(1, {}, reply), 4u);
    EXPECT_EQ(server.Connections(), 2);
}

TEST(PosixDeviceChannel, ReconnectsWhenTheServerClosedTheConnection) {
    RuntimeDirGuard dir;
    int calls = 0;
    FrameServer server(dir.Path() + "/ruva2.sock",
                       [&](const frame::Request&) -> std::optional<std::pair<bool, Bytes>> {
                           if (++calls == 2)
                               return std::nullopt; // close without answering
                           return std::make_pair(true, Bytes{1, 0, 0, 0});
                       });
    PosixDeviceChannel channel;
    ASSERT_TRUE(channel.Open("\\\\.\\RUVA2"));
    std::uint8_t reply[4];
    EXPECT_TRUE(channel.Control(1, {}, reply));
    EXPECT_FALSE(channel.Control(1, {}, reply)); // answered by a closed connection
    EXPECT_TRUE(channel.Control(1, {}, reply));
}

TEST(PosixDeviceChannel, AStuckServerFailsTheConnectWithinItsLimit) {
    // A listener that never accepts, its queue of new connections full: connect would wait for ever.
    RuntimeDirGuard dir;
    const std::string socketPath = dir.Path() + "/ruva2.sock";
    const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 0), 0);
    std::vector<int> queued;
    for (int i = 0; i < 16; ++i) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            ::close(fd);
            break;
        }
        queued.push_back(fd);
    }
    ASSERT_FALSE(queued.empty());

    PosixDeviceChannel channel;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(channel.Open("\\\\.\\RUVA2"));
    EXPECT_EQ(channel.Diagnosis(), "The simulator at " + socketPath + " does not answer.");
    // Once it has not answered, it is not waited for in full again.
    std::uint8_t reply[4];
    EXPECT_FALSE(channel.Control(1, {}, reply));
    EXPECT_FALSE(channel.Control(1, {}, reply));
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, std::chrono::seconds(2 * PosixDeviceChannel::ConnectTimeoutSeconds));
    for (int fd : queued)
        ::close(fd);
    ::close(listener);
}

TEST(PosixDeviceChannel, RefusesAFallbackDirectoryThatIsNotPrivate) {
    char pattern[] = "/tmp/ruva-perm-XXXXXX";
    const std::string path = ::mkdtemp(pattern);
    EXPECT_EQ(CheckPrivateDirectory(path), "");
    ::chmod(path.c_str(), 0755);
    EXPECT_NE(CheckPrivateDirectory(path), "");
    EXPECT_NE(CheckPrivateDirectory(path + "/missing"), "");
    ::rmdir(path.c_str());
}

} // namespace
} // namespace ruva
