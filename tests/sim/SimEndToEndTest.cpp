// The driver layer over the real socket channel against a running ruva2-sim.

#include "Bytes.h"
#include "DeviceFrame.h"
#include "Driver.h"
#include "PosixDeviceChannel.h"
#include "RecordingPrompts.h"
#include "SimProcess.h"
#include "SimServer.h"
#include "SimulatedChannel.h"
#include "StateFile.h"
#include "Texts.h"
#include "ValueSets.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace ruva {
namespace {

using namespace bytes;
using test::SimProcess;
using ::testing::HasSubstr;
using Bytes = std::vector<std::uint8_t>;

// A client that speaks the socket protocol byte by byte, for what the driver layer never sends.
class RawClient {
public:
    explicit RawClient(const std::string& socketPath) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        connected_ = ::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
        timeval timeout{3 * sim::SimServer::FrameDeadlineSeconds, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    }
    ~RawClient() { ::close(fd_); }

    bool Connected() const { return connected_; }
    void Send(const Bytes& bytes) {
        ASSERT_EQ(::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
    }
    // The bytes of one answer frame, empty when the simulator closed the connection instead.
    Bytes Receive(std::size_t size) {
        Bytes bytes(size);
        std::size_t got = 0;
        while (got < size) {
            const ssize_t n = ::recv(fd_, bytes.data() + got, size - got, 0);
            if (n <= 0)
                return {};
            got += static_cast<std::size_t>(n);
        }
        return bytes;
    }
    // Sends without waiting; false once the socket takes no more.
    bool TrySend(const Bytes& bytes) {
        return ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT) ==
               static_cast<ssize_t>(bytes.size());
    }
    bool ClosedByPeer() {
        std::uint8_t byte;
        return ::recv(fd_, &byte, 1, 0) == 0;
    }

private:
    int fd_ = -1;
    bool connected_ = false;
};

StoredConfig FreshImage(std::uint16_t serial) {
    StoredConfig image;
    image.Version = 9;
    image.SerialNumber = serial;
    image.ClockSource = code::ClockSource::INTERNAL;
    image.Li[0].DefaultMode = code::LiMode::E1;
    image.Li[1].DefaultMode = code::LiMode::T1;
    for (LineInterfaceSettings& li : image.Li) {
        SetE1Defaults(li.E1);
        SetT1Defaults(li.T1);
    }
    return image;
}

class SimEndToEndTest : public ::testing::Test {
protected:
    // Starts a simulator on this state (a fresh one when empty) and opens the driver on it.
    void Start(const std::string& stateJson = {}, int boards = 0) {
        sim.emplace(SimProcess::Options{.StateJson = stateJson, .Boards = boards});
        ASSERT_TRUE(sim->Start()) << sim->LogText();
        ASSERT_EQ(driver.OpenDriver(0), result::Success);
    }

    StoredConfig ReadImage(std::uint16_t board, std::int32_t expected = result::Success) {
        ImageBytes bytes{};
        EXPECT_EQ(driver.ReadStoredConfig(board, bytes), expected);
        return StoredConfig::fromBytes(bytes);
    }

    std::optional<SimProcess> sim;
    PosixDeviceChannel channel;
    Driver driver{channel};
};

TEST_F(SimEndToEndTest, FreshSimulatorReportsTheTwoInstalledBoards) {
    Start();
    Bytes reply(78, 0xEE);
    ASSERT_EQ(channel.Control(static_cast<std::uint32_t>(Request::GetDriverParameters), {}, reply), 78u);
    const DriverParameters p = DriverParameters::fromBytes(
        std::span<const std::uint8_t>(reply).subspan<4, DriverParameters::Size>());
    EXPECT_EQ(p.Irq, 10);
    EXPECT_EQ(p.IoBaseAddress, 0x300);
    EXPECT_EQ(p.NumberOfBoards, 2);
    EXPECT_EQ(p.InfoBufferSize, 0x1000u);
    EXPECT_THAT(p.HostMemoryWindowOffset, ::testing::ElementsAre(0xD0000u, 0xD8000u, 0u, 0u));
    EXPECT_THAT(p.HostMemoryWindowSize, ::testing::ElementsAre(0x8000u, 0x8000u, 0u, 0u));
    EXPECT_THAT(p.HostIoWindowOffset, ::testing::ElementsAre(0x320u, 0x340u, 0u, 0u));
    EXPECT_THAT(p.HostIoWindowSize, ::testing::ElementsAre(0x10u, 0x10u, 0u, 0u));
    EXPECT_THAT(p.DramSize, ::testing::ElementsAre(0x100000u, 0x100000u, 0u, 0u));
}

TEST_F(SimEndToEndTest, FreshBoardsAnswerEveryRead) {
    Start();
    const std::uint16_t serials[] = {0x1234, 0x2345};
    for (std::uint16_t b = 0; b < 2; ++b) {
        EXPECT_EQ(driver.AttachBoard(b, 0x300), result::Success);
        EXPECT_EQ(ReadImage(b), FreshImage(serials[b]));
        BoardInfo info;
        ASSERT_EQ(driver.ReadBoardInfo(b, info), result::Success);
        EXPECT_EQ(info.BarRevision, 0x01000000u);
        EXPECT_EQ(info.MadRevision, 0x02000000u);
        EXPECT_EQ(info.SadRevision, 0x01000300u);
        EXPECT_EQ(info.LadRevision, 0x03010000u);
        EXPECT_EQ(info.RscRevision, 0x01020304u);
        EXPECT_EQ(info.BootstrapRevision, 0xFF000000u);
        EXPECT_EQ(info.HdlcStartAddress, b == 0 ? 0x8000u : 0x9000u);
        SerialRecord record;
        ASSERT_EQ(driver.ReadSerialRecord(b, record), result::Success);
        EXPECT_EQ(record, (SerialRecord{0, serials[b]}));
        EXPECT_EQ(driver.ReadGdsId(b), RuvaGdsId);
    }
    EXPECT_EQ(driver.AttachBoard(0, 0x310), 63);
    EXPECT_THAT(driver.GetErrorText(63).value_or(""), HasSubstr("I/O base address"));
    EXPECT_THAT(driver.GetErrorText(51).value_or(""), HasSubstr("could not carry out"));
    EXPECT_EQ(driver.GetErrorText(7), std::nullopt);
    EXPECT_THAT(sim->LogText(), HasSubstr("ReadGdsId board 1: status 1"));
}

TEST_F(SimEndToEndTest, ABoardNumberNotBelowNumberOfBoardsIsRefused) {
    Start(R"({"NumberOfBoards": 1})");
    BoardInfo info;
    info.HdlcStartAddress = 0x1234;
    EXPECT_EQ(driver.AttachBoard(1, 0x300), 60);
    EXPECT_EQ(driver.WriteBoardInfo(1, info), 60);
    EXPECT_EQ(driver.SetClockLi0(1), 60);
    EXPECT_EQ(driver.ReadGdsId(1), 0);
    EXPECT_EQ(driver.ReadGdsId(0), RuvaGdsId);
    EXPECT_THAT(driver.GetErrorText(60).value_or(""), HasSubstr("board number"));
    EXPECT_EQ(sim->StateText(), R"({"NumberOfBoards": 1})"); // nothing changed, nothing written
}

TEST_F(SimEndToEndTest, WritesAndClockSelectionsSurviveARestart) {
    Start();
    StoredConfig image = FreshImage(0x2345);
    image.ClockSource = code::ClockSource::LI1;
    image.Li[0].DefaultMode = code::LiMode::T1;
    image.Li[0].T1.ClearChannels = 0xFFFFFF;
    image.Li[1].E1.TransmitLineCode = 7; // no value word: kept as the number
    BoardInfo info;
    ASSERT_EQ(driver.ReadBoardInfo(1, info), result::Success);
    info.HdlcStartAddress = 0xA000;
    info.Reserved[3] = 0x5A;

    EXPECT_EQ(driver.WriteStoredConfig(1, image.toBytes()), result::Success);
    EXPECT_EQ(driver.WriteBoardInfo(1, info), result::Success);
    EXPECT_EQ(driver.WriteSerialRecord(1, {3, 0x5555}), result::Success);
    const std::pair<std::int32_t (Driver::*)(std::uint16_t), const char*> clocks[] = {
        {&Driver::SetClockLi0, "LI0"},
        {&Driver::SetClockExternal2M, "EXTERNAL_2M"},
        {&Driver::SetClockInternal, "INTERNAL"},
        {&Driver::SetClockLi1, "LI1"},
    };
    for (const auto& [request, word] : clocks) {
        EXPECT_EQ((driver.*request)(1), result::Success);
        EXPECT_EQ(sim->State()["Boards"][1]["Clock"], word);
    }
    EXPECT_EQ(sim->State()["Boards"][0]["Clock"], "INTERNAL");

    ASSERT_TRUE(sim->Restart()) << sim->LogText();
    EXPECT_EQ(ReadImage(1), image); // the same connection reconnects to the new simulator
    BoardInfo readInfo;
    EXPECT_EQ(driver.ReadBoardInfo(1, readInfo), result::Success);
    EXPECT_EQ(readInfo, info);
    SerialRecord record;
    EXPECT_EQ(driver.ReadSerialRecord(1, record), result::Success);
    EXPECT_EQ(record, (SerialRecord{3, 0x5555}));
    EXPECT_EQ(ReadImage(0), FreshImage(0x1234));

    const auto state = sim->State();
    EXPECT_EQ(state["Boards"][1]["Clock"], "LI1");
    EXPECT_EQ(state["Boards"][1]["Image"]["ClockSource"], "LI1");
    EXPECT_EQ(state["Boards"][1]["Image"]["Li0"]["T1"]["ClearChannels"], "0xFFFFFF");
    EXPECT_EQ(state["Boards"][1]["Image"]["Li1"]["E1"]["TransmitLineCode"], 7);
    // Every store replaced the file whole; no temporary file is left beside it.
    for (const auto& entry : std::filesystem::directory_iterator(sim->Directory()))
        EXPECT_THAT(entry.path().filename().string(), ::testing::Not(::testing::StartsWith(".state.json")));
}

TEST_F(SimEndToEndTest, IdentityWritesWithAWrongAccessCodeChangeNothing) {
    Start();
    const std::string before = sim->StateText();
    RawClient client(sim->SocketPath());
    ASSERT_TRUE(client.Connected());
    for (Request request : {Request::WriteSerialRecord, Request::WriteBoardInfo}) {
        Bytes input(LayoutOf(request).InputSize, 0x11);
        PutU32(input, 0, WriteAccessCode ^ 1);
        PutU16(input, 4, 0);
        client.Send(frame::EncodeRequest(static_cast<std::uint32_t>(request), input, 4));
        const Bytes reply = client.Receive(frame::ReplyHeaderSize + 4);
        ASSERT_FALSE(reply.empty());
        EXPECT_EQ(GetU32(reply, 4), 1u);   // the request went through...
        EXPECT_EQ(GetU32(reply, 12), 61u); // ...and the board refused it
    }
    EXPECT_EQ(sim->StateText(), before);
    EXPECT_THAT(driver.GetErrorText(61).value_or(""), HasSubstr("access code"));
}

TEST_F(SimEndToEndTest, FaultsSetInTheStateFile) {
    Start(R"({
        "Boards": [
            {"Faults": {"ReadStoredConfig": {"Status": 7}, "WriteStoredConfig": {"Status": 9},
                        "ReadBoardInfo": {"Fail": true}, "ReadSerialRecord": {"Empty": true},
                        "SetClockLi0": {"Status": 12}}},
            {"GdsId": "0x71", "SerialRecord": {"RestoreCount": 5, "SerialNumber": "0xFFFF"},
             "Image": {"Version": 8}, "Faults": {"WriteStoredConfig": {"ReadBackDiffers": true}}}
        ],
        "ErrorTexts": {"51": null, "7": "Seven"},
        "Faults": {"GetDriverParameters": {"Fail": true, "Count": 1}}
    })");
    DriverParameters parameters;
    EXPECT_EQ(driver.GetDriverParameters(parameters), result::RequestFailed);
    EXPECT_EQ(driver.GetDriverParameters(parameters), result::Success);
    EXPECT_EQ(parameters.NumberOfBoards, 2);

    // Board 0: statuses other than 1, a failed request, an empty reply.
    StoredConfig changed = FreshImage(0x1234);
    changed.ClockSource = code::ClockSource::LI0;
    EXPECT_EQ(ReadImage(0, 7), FreshImage(0x1234)); // the data comes with the status
    EXPECT_EQ(driver.WriteStoredConfig(0, changed.toBytes()), 9);
    EXPECT_EQ(ReadImage(0, 7), FreshImage(0x1234)); // not written
    EXPECT_EQ(driver.SetClockLi0(0), 12);
    EXPECT_EQ(sim->State()["Boards"][0]["Clock"], "INTERNAL");
    BoardInfo info;
    info.HdlcStartAddress = 0xDEAD;
    EXPECT_EQ(driver.ReadBoardInfo(0, info), result::RequestFailed);
    EXPECT_EQ(info.HdlcStartAddress, 0xDEADu);
    SerialRecord record;
    EXPECT_EQ(driver.ReadSerialRecord(0, record), result::RequestFailed);

    // Board 1: wrong GDS ID, blank serial record, old image version, a read-back that differs.
    EXPECT_EQ(driver.ReadGdsId(1), 0x71);
    EXPECT_EQ(driver.ReadSerialRecord(1, record), result::Success);
    EXPECT_EQ(record, (SerialRecord{5, 0xFFFF}));
    EXPECT_EQ(ReadImage(1).Version, 8);
    ImageBytes written = FreshImage(0x2345).toBytes();
    EXPECT_EQ(driver.WriteStoredConfig(1, written), result::Success);
    ImageBytes readBack{};
    EXPECT_EQ(driver.ReadStoredConfig(1, readBack), result::Success);
    EXPECT_NE(readBack, written);
    written.back() ^= 0xFF;
    EXPECT_EQ(readBack, written);

    // Error texts: one added, the built-in one for 51 taken away.
    EXPECT_EQ(driver.GetErrorText(7), "Seven");
    EXPECT_EQ(driver.GetErrorText(51), std::nullopt);
    test::RecordingPrompts prompts;
    MessageList shown{{}, test::ShowingTo(prompts)};
    ReportDriverError(driver, shown, 51);
    ASSERT_EQ(prompts.Messages.size(), 1u);
    EXPECT_EQ(prompts.Messages[0].Text, "Error #51: " + std::string(texts::DriverNotInstalled));
    // The spent fault is gone from the state file.
    EXPECT_FALSE(sim->State()["Faults"].contains("GetDriverParameters"));
}

TEST_F(SimEndToEndTest, AStateFileItCannotReadIsRefusedAndLeftAlone) {
    const std::string documents[] = {R"({"Boards": [{"GdsId": 114,}]})", R"({"Boards": [{"GdsID": 114}]})"};
    const char* reasons[] = {"not valid JSON", "Boards[0]: unknown key \"GdsID\""};
    for (int i = 0; i < 2; ++i) {
        SimProcess process({.StateJson = documents[i]});
        EXPECT_FALSE(process.Start());
        EXPECT_THAT(process.LogText(), HasSubstr(reasons[i]));
        EXPECT_THAT(process.LogText(), HasSubstr("left as it is"));
        EXPECT_EQ(process.StateText(), documents[i]);
        EXPECT_FALSE(std::filesystem::exists(process.SocketPath()));
    }
    SimProcess process;
    const auto run = process.Run({"--foreground", "--state", process.Directory()});
    EXPECT_EQ(run.ExitStatus, 1);
    EXPECT_THAT(run.Output, HasSubstr("is not a regular file"));
}

TEST_F(SimEndToEndTest, MalformedFramesCloseOnlyTheirOwnConnection) {
    Start();
    Bytes oversized = frame::EncodeRequest(static_cast<std::uint32_t>(Request::ReadGdsId), Bytes{0, 0}, 6);
    PutU32(oversized, 8, 4097);
    Bytes wrongMagic = frame::EncodeRequest(static_cast<std::uint32_t>(Request::ReadGdsId), Bytes{0, 0}, 6);
    wrongMagic[3] = '3';
    const Bytes garbage = {'G', 'E', 'T', ' ', '/', ' ', 'H', 'T', 'T', 'P', '/', '1', '.', '1', '\r', '\n'};
    for (const Bytes& bad : {oversized, wrongMagic, garbage}) {
        RawClient client(sim->SocketPath());
        client.Send(bad);
        EXPECT_TRUE(client.ClosedByPeer());
        // The driver's own connection, open all along, is still served.
        EXPECT_EQ(driver.ReadGdsId(1), RuvaGdsId);
    }
    {
        // A short frame: the client gives up halfway through the header.
        RawClient client(sim->SocketPath());
        client.Send(Bytes(oversized.begin(), oversized.begin() + 9));
    }
    PosixDeviceChannel nextChannel;
    Driver next(nextChannel);
    EXPECT_EQ(next.OpenDriver(0), result::Success);
    EXPECT_EQ(next.ReadGdsId(0), RuvaGdsId);
    EXPECT_TRUE(sim->IsRunning());
    EXPECT_THAT(sim->LogText(), HasSubstr("closed a connection that sent not a request frame"));
}

TEST_F(SimEndToEndTest, ClientsAtOnceAreAllServed) {
    Start();
    // One client stops halfway through a frame; the others are served meanwhile.
    RawClient slow(sim->SocketPath());
    const Bytes request =
        frame::EncodeRequest(static_cast<std::uint32_t>(Request::ReadSerialRecord), Bytes{1, 0}, 8);
    slow.Send(Bytes(request.begin(), request.begin() + 17));

    std::vector<std::unique_ptr<PosixDeviceChannel>> channels;
    std::vector<std::unique_ptr<Driver>> drivers;
    for (int i = 0; i < 3; ++i) {
        channels.push_back(std::make_unique<PosixDeviceChannel>());
        drivers.push_back(std::make_unique<Driver>(*channels.back()));
        ASSERT_EQ(drivers.back()->OpenDriver(0), result::Success);
    }
    std::vector<std::thread> threads;
    std::atomic<int> wrong{0};
    for (int i = 0; i < 3; ++i)
        threads.emplace_back([&, i] {
            for (int round = 0; round < 50; ++round) {
                const auto board = static_cast<std::uint16_t>((i + round) % 2);
                SerialRecord record;
                if (drivers[static_cast<std::size_t>(i)]->ReadSerialRecord(board, record) != 1 ||
                    record.SerialNumber != (board == 0 ? 0x1234 : 0x2345))
                    ++wrong;
            }
        });
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(wrong, 0);

    slow.Send(Bytes(request.begin() + 17, request.end()));
    const Bytes reply = slow.Receive(frame::ReplyHeaderSize + 8);
    ASSERT_FALSE(reply.empty());
    EXPECT_EQ(GetU16(reply, 18), 0x2345);
}

// CPU time (user and system) the process has used, in clock ticks.
long CpuTicks(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    const std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    long ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i)
        if (i == 14 || i == 15)
            ticks += std::stol(field);
    return ticks;
}

std::size_t CountOf(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

TEST_F(SimEndToEndTest, SilentAndHalfFinishedClientsLockNobodyOut) {
    Start();
    const Bytes request =
        frame::EncodeRequest(static_cast<std::uint32_t>(Request::ReadGdsId), Bytes{0, 0}, 6);
    // Clients that hang up at once hold no place.
    for (int i = 0; i < 200; ++i)
        RawClient(sim->SocketPath());
    std::vector<std::unique_ptr<RawClient>> silent;
    for (int i = 0; i < 80; ++i) {
        silent.push_back(std::make_unique<RawClient>(sim->SocketPath()));
        ASSERT_TRUE(silent.back()->Connected());
    }
    RawClient halfway(sim->SocketPath());
    halfway.Send(Bytes(request.begin(), request.begin() + 9));
    RawClient notReading(sim->SocketPath());
    // Requests until the answers fill every buffer on the way back and the simulator takes no more.
    for (int refused = 0, i = 0; refused < 20 && i < 1'000'000; ++i) {
        if (notReading.TrySend(request)) {
            refused = 0;
        } else {
            ++refused;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    for (int i = 0; i < 20; ++i)
        ASSERT_EQ(driver.ReadGdsId(0), RuvaGdsId) << i;
    // The half frame and the untaken answers are closed after their deadline, the silent ones stay.
    EXPECT_TRUE(halfway.ClosedByPeer());
    EXPECT_EQ(driver.ReadGdsId(1), RuvaGdsId);
    for (auto& client : silent) {
        client->Send(request);
        ASSERT_EQ(client->Receive(frame::ReplyHeaderSize + 6).size(), frame::ReplyHeaderSize + 6);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1500)); // past the answers' deadline too
    EXPECT_THAT(sim->LogText(), HasSubstr("left a request incomplete for"));
    EXPECT_THAT(sim->LogText(), HasSubstr("did not take its answer for"));
}

TEST_F(SimEndToEndTest, OutOfDescriptorsTheSimulatorRestsAndLogsBriefly) {
    sim.emplace(SimProcess::Options{.Verbose = false});
    ASSERT_TRUE(sim->Start()) << sim->LogText();
    // Leave the simulator two descriptors to spare.
    std::size_t open = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/" + std::to_string(sim->Pid()) + "/fd"))
        ++open;
    rlimit previous{};
    ASSERT_EQ(::prlimit(sim->Pid(), RLIMIT_NOFILE, nullptr, &previous), 0);
    rlimit tight = previous;
    tight.rlim_cur = open + 2;
    ASSERT_EQ(::prlimit(sim->Pid(), RLIMIT_NOFILE, &tight, nullptr), 0);

    std::vector<std::unique_ptr<RawClient>> clients;
    for (int i = 0; i < 20; ++i)
        clients.push_back(std::make_unique<RawClient>(sim->SocketPath()));
    const long before = CpuTicks(sim->Pid());
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    const long used = CpuTicks(sim->Pid()) - before;
    EXPECT_LT(used, sysconf(_SC_CLK_TCK)) << "ticks in 2.5 s"; // a busy loop takes all 2.5 s
    const std::string log = sim->LogText();
    EXPECT_GE(CountOf(log, "cannot accept a client for now"), 1u);
    EXPECT_LE(CountOf(log, "cannot accept a client for now"), 8u) << log;

    // With descriptors again, the waiting clients are served.
    ASSERT_EQ(::prlimit(sim->Pid(), RLIMIT_NOFILE, &previous, nullptr), 0);
    const Bytes request =
        frame::EncodeRequest(static_cast<std::uint32_t>(Request::ReadGdsId), Bytes{0, 0}, 6);
    clients.back()->Send(request);
    EXPECT_EQ(clients.back()->Receive(frame::ReplyHeaderSize + 6).size(), frame::ReplyHeaderSize + 6);
}

// The memory the process holds, in KiB.
long ResidentKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmRSS:"))
            return std::stol(line.substr(6));
    return 0;
}

TEST_F(SimEndToEndTest, ClientsThatDoNotTakeTheirAnswersHoldLittleMemory) {
#ifdef RUVA_SANITIZE
    GTEST_SKIP() << "the sanitizer's allocator keeps freed memory for a while";
#endif
    Start();
    // 8 KiB of requests each, whose answers are 26 times as large.
    const Bytes request =
        frame::EncodeRequest(static_cast<std::uint32_t>(Request::GetErrorText), Bytes{51, 0, 0, 0}, 520);
    Bytes requests;
    while (requests.size() + request.size() <= 8192)
        requests.insert(requests.end(), request.begin(), request.end());
    const long before = ResidentKiB(sim->Pid());
    std::vector<std::unique_ptr<RawClient>> clients;
    for (int i = 0; i < 200; ++i) {
        clients.push_back(std::make_unique<RawClient>(sim->SocketPath()));
        clients.back()->Send(requests);
    }
    for (auto& client : clients) // served: their answers have begun
        ASSERT_EQ(client->Receive(frame::ReplyHeaderSize).size(), frame::ReplyHeaderSize);
    EXPECT_LT(ResidentKiB(sim->Pid()) - before, 200 * 64);
}

TEST_F(SimEndToEndTest, TheStateServedIsTheNewestWritten) {
    // A simulator that starts while another still holds the state waits for it, then reads the state.
    SimProcess process;
    process.WriteState(R"({"Boards": [{}, {}]})");
    auto lock = std::make_unique<sim::StateLock>();
    ASSERT_EQ(lock->Acquire(process.StatePath(), process.Directory() + "/state.lock"), "");
    std::thread start([&] { EXPECT_TRUE(process.Start()) << process.LogText(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    process.WriteState(R"({"Boards": [{"Clock": "LI1"}, {}]})");
    lock.reset();
    start.join();
    ASSERT_EQ(driver.OpenDriver(0), result::Success);
    EXPECT_EQ(driver.SetClockLi0(1), result::Success);
    EXPECT_EQ(process.State()["Boards"][0]["Clock"], "LI1");
}

TEST_F(SimEndToEndTest, TheLockGoesByTheStateFileNotItsName) {
    Start();
    const std::string dir = sim->Directory();
    std::filesystem::create_symlink(sim->StatePath(), dir + "/link.json");
    const std::string secondDir = dir + "/run2";
    ASSERT_EQ(::mkdir(secondDir.c_str(), 0700), 0);
    // A hard link is refused outright, as no state of the simulator's own.
    for (const auto& [name, refusal] : {std::pair{"/link.json", "another simulator keeps its state in"},
                                        std::pair{"/hard.json", "it has more than one hard link"}}) {
        if (name == std::string("/hard.json"))
            std::filesystem::create_hard_link(sim->StatePath(), dir + name);
        const auto run = sim->Run({"--foreground", "--state", dir + name}, {{"XDG_RUNTIME_DIR", secondDir}});
        EXPECT_EQ(run.ExitStatus, 1) << name;
        EXPECT_THAT(run.Output, HasSubstr(refusal)) << name;
    }
    EXPECT_EQ(driver.SetClockLi0(0), result::Success);
    EXPECT_EQ(sim->State()["Boards"][0]["Clock"], "LI0");
    // Nor are boards simulated in process on it, after a short wait.
    sim::SimulatedChannel inProcess(dir + "/link.json");
    EXPECT_FALSE(inProcess.Open(DriverDevicePath));
    EXPECT_THAT(inProcess.Diagnosis(), HasSubstr("another simulator keeps its state in"));

    // Started through the link, a change replaces the file the link points to, not the link.
    std::filesystem::remove(dir + "/hard.json");
    ASSERT_EQ(sim->Stop(), 0);
    const auto run = sim->Run({"--state", dir + "/link.json"});
    ASSERT_EQ(run.ExitStatus, 0) << run.Output;
    const auto at = run.Output.find("process ");
    ASSERT_NE(at, std::string::npos) << run.Output;
    const pid_t pid = std::stoi(run.Output.substr(at + 8));
    EXPECT_EQ(driver.SetClockLi1(0), result::Success);
    EXPECT_TRUE(std::filesystem::is_symlink(dir + "/link.json"));
    EXPECT_EQ(sim->State()["Boards"][0]["Clock"], "LI1");
    ASSERT_EQ(::kill(pid, SIGTERM), 0);
    for (int i = 0; i < 1000 && std::filesystem::exists(sim->SocketPath()); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

TEST_F(SimEndToEndTest, PlantedLinksAndFifosAreNotFollowed) {
    SimProcess process;
    const std::string dir = process.Directory();
    const std::string elsewhere = dir + "/elsewhere";
    // The lock and the log beside the state are never opened through a link.
    std::filesystem::create_symlink(elsewhere, dir + "/state.lock");
    auto run = process.Run({"--foreground", "--state", process.StatePath()});
    EXPECT_EQ(run.ExitStatus, 1);
    EXPECT_THAT(run.Output, HasSubstr("cannot create the lock file"));
    std::filesystem::remove(dir + "/state.lock");
    std::filesystem::create_symlink(elsewhere, dir + "/state.log");
    run = process.Run({"--state", process.StatePath()});
    EXPECT_EQ(run.ExitStatus, 1);
    EXPECT_THAT(run.Output, HasSubstr("cannot open the log file"));
    EXPECT_FALSE(std::filesystem::exists(elsewhere));
    struct stat st {};
    ASSERT_EQ(::stat((dir + "/state.lock").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // A state path that is not a regular file is refused at once, not waited on.
    const std::string fifo = dir + "/fifo.json";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    run = process.Run({"--foreground", "--state", fifo});
    EXPECT_EQ(run.ExitStatus, 1);
    EXPECT_THAT(run.Output, HasSubstr("is not a regular file"));
}

TEST_F(SimEndToEndTest, ALogThatNobodyReadsNeverStopsTheSimulator) {
    // Standard error a pipe that is never read: far more lines (one a request) than it holds.
    sim.emplace();
    const std::string log = sim->Directory() + "/sim.log";
    ASSERT_EQ(::mkfifo(log.c_str(), 0600), 0);
    const int reader = ::open(log.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_TRUE(sim->Start());
    ASSERT_EQ(driver.OpenDriver(0), result::Success);
    std::uint8_t id = 0;
    for (int i = 0; i < 3000; ++i)
        ASSERT_EQ(driver.ReadGdsId(0, id), result::Success) << "request " << i;
    // Read again, the log says what it dropped.
    std::string text(1 << 16, '\0');
    while (::read(reader, text.data(), text.size()) > 0) {
    }
    ASSERT_EQ(driver.ReadGdsId(0, id), result::Success);
    text.resize(static_cast<std::size_t>(std::max<ssize_t>(::read(reader, text.data(), text.size()), 0)));
    EXPECT_THAT(text, HasSubstr(" log lines before this one were dropped: "));
    ::close(reader);
}

TEST_F(SimEndToEndTest, AFileSizeLimitFailsTheChangeWithStatus64) {
    Start();
    const std::string before = sim->StateText();
    rlimit limit{};
    ASSERT_EQ(::prlimit(sim->Pid(), RLIMIT_FSIZE, nullptr, &limit), 0);
    limit.rlim_cur = 1024;
    ASSERT_EQ(::prlimit(sim->Pid(), RLIMIT_FSIZE, &limit, nullptr), 0);
    EXPECT_EQ(driver.SetClockLi0(0), 64);
    EXPECT_TRUE(sim->IsRunning());
    EXPECT_EQ(driver.ReadGdsId(0), RuvaGdsId);
    EXPECT_EQ(sim->StateText(), before);
    std::vector<std::string> entries;
    for (const auto& entry : std::filesystem::directory_iterator(sim->Directory()))
        entries.push_back(entry.path().filename().string());
    std::sort(entries.begin(), entries.end());
    EXPECT_THAT(entries, ::testing::ElementsAre("run", "sim.log", "state.json", "state.lock"));
}

TEST_F(SimEndToEndTest, AStateItWritesIsOneItReadsBack) {
    // Error texts written as tightly as JSON allows: the simulator's own layout would need more than
    // the largest state file, so the state is refused at start rather than after the first change.
    std::string tight = R"({"ErrorTexts":{)";
    for (int number = 0; tight.size() < 1'000'000; ++number)
        tight += (number ? ",\"" : "\"") + std::to_string(number) + "\":\"\"";
    tight += "}}";
    SimProcess process({.StateJson = tight});
    EXPECT_FALSE(process.Start());
    EXPECT_THAT(process.LogText(), HasSubstr("too large to be a simulator state: written back"));
    EXPECT_EQ(process.StateText(), tight);

    // Many texts that fit: changed, stopped and started again.
    std::string many = R"({"ErrorTexts":{)";
    for (int number = 0; number < 20'000; ++number)
        many += (number ? ",\"" : "\"") + std::to_string(number + 1000) + "\":\"text " +
                std::to_string(number) + "\"";
    many += "}}";
    Start(many);
    EXPECT_EQ(driver.SetClockLi0(1), result::Success);
    ASSERT_TRUE(sim->Restart()) << sim->LogText();
    EXPECT_EQ(driver.GetErrorText(20'999).value_or(""), "text 19999");
    EXPECT_EQ(sim->State()["Boards"][1]["Clock"], "LI0");
}

TEST_F(SimEndToEndTest, WithoutASimulatorTheDeviceIsNotPresent) {
    SimProcess notStarted; // a private runtime directory with no socket in it
    EXPECT_EQ(driver.OpenDriver(0), result::OpenFailed);
    DriverParameters parameters;
    EXPECT_EQ(driver.GetDriverParameters(parameters), result::NotOpen);
    EXPECT_EQ(driver.AttachBoard(0, 0x300), result::NotOpen);
    EXPECT_EQ(driver.WriteStoredConfig(0, ImageBytes{}), result::NotOpen);
    EXPECT_EQ(driver.ReadGdsId(0), result::NotOpen);
    EXPECT_EQ(driver.GetErrorText(52), std::nullopt);
}

TEST_F(SimEndToEndTest, RefusesToStartBesideAnotherSimulatorOrInAnOpenDirectory) {
    Start();
    const std::string other = sim->Directory() + "/other.json";
    auto run = sim->Run({"--foreground", "--state", other});
    EXPECT_EQ(run.ExitStatus, 1);
    EXPECT_THAT(run.Output, HasSubstr("a simulator already runs on " + sim->SocketPath()));
    EXPECT_FALSE(std::filesystem::exists(other));

    // Another runtime directory, the same state file.
    const std::string secondDir = sim->Directory() + "/run2";
    ASSERT_EQ(::mkdir(secondDir.c_str(), 0700), 0);
    run = sim->Run({"--foreground", "--state", sim->StatePath()}, {{"XDG_RUNTIME_DIR", secondDir}});
    EXPECT_EQ(run.ExitStatus, 1);
    EXPECT_THAT(run.Output, HasSubstr("another simulator keeps its state in"));

    ASSERT_EQ(::chmod(secondDir.c_str(), 0755), 0);
    run = sim->Run({"--foreground", "--state", other}, {{"XDG_RUNTIME_DIR", secondDir}});
    EXPECT_EQ(run.ExitStatus, 1);
    EXPECT_THAT(run.Output, HasSubstr("is not private"));

    // Something other than a socket where the socket goes is not the simulator's to remove.
    ASSERT_EQ(::chmod(secondDir.c_str(), 0700), 0);
    std::ofstream(secondDir + "/ruva2.sock") << "keep";
    run = sim->Run({"--foreground", "--state", other}, {{"XDG_RUNTIME_DIR", secondDir}});
    EXPECT_EQ(run.ExitStatus, 1);
    EXPECT_THAT(run.Output, HasSubstr("exists and is not a socket"));
    EXPECT_TRUE(std::filesystem::is_regular_file(secondDir + "/ruva2.sock"));
    EXPECT_EQ(driver.ReadGdsId(0), RuvaGdsId);
}

TEST_F(SimEndToEndTest, BesideAStuckSimulatorANewOneNeitherHangsNorTakesItsSocket) {
    Start();
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &limit);
    ASSERT_EQ(::kill(sim->Pid(), SIGSTOP), 0);
    // Its queue of new connections full: a connect to it would wait for ever.
    sockaddr_un address{AF_UNIX, {}};
    std::strncpy(address.sun_path, sim->SocketPath().c_str(), sizeof address.sun_path - 1);
    std::vector<int> queued;
    for (int fd; (fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0)) >= 0;
         queued.push_back(fd)) {
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            ::close(fd);
            break;
        }
    }
    const bool full = errno == EAGAIN;
    const auto run = sim->Run({"--foreground", "--state", sim->Directory() + "/other.json"});
    for (int fd : queued)
        ::close(fd);
    ::kill(sim->Pid(), SIGCONT);
    if (!full)
        GTEST_SKIP() << "too few descriptors to fill the simulator's queue";
    EXPECT_EQ(run.ExitStatus, 1);
    EXPECT_THAT(run.Output, HasSubstr("a simulator already runs on " + sim->SocketPath()));
    EXPECT_EQ(driver.ReadGdsId(0), RuvaGdsId);
}

TEST_F(SimEndToEndTest, StopsCleanlyAndReplacesAStaleSocket) {
    Start();
    EXPECT_EQ(sim->Stop(), 0);
    EXPECT_FALSE(std::filesystem::exists(sim->SocketPath()));

    ASSERT_TRUE(sim->Start());
    ::kill(sim->Pid(), SIGINT);
    EXPECT_EQ(sim->Stop(), 0);
    EXPECT_FALSE(std::filesystem::exists(sim->SocketPath()));

    // A simulator that was killed leaves its socket behind; the next one replaces it.
    ASSERT_TRUE(sim->Start());
    ::kill(sim->Pid(), SIGKILL);
    sim->Stop();
    ASSERT_TRUE(std::filesystem::is_socket(sim->SocketPath()));
    ASSERT_TRUE(sim->Start()) << sim->LogText();
    EXPECT_EQ(driver.ReadGdsId(1), RuvaGdsId);
    EXPECT_EQ(std::filesystem::status(sim->SocketPath()).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST_F(SimEndToEndTest, DetachesOnceTheSocketAnswers) {
    SimProcess process;
    const auto run = process.Run({"--state", process.StatePath(), "--boards", "3", "--verbose"});
    ASSERT_EQ(run.ExitStatus, 0) << run.Output;
    // Straight on, without waiting: the socket already answers.
    ASSERT_EQ(driver.OpenDriver(0), result::Success);
    DriverParameters parameters;
    EXPECT_EQ(driver.GetDriverParameters(parameters), result::Success);
    EXPECT_EQ(parameters.NumberOfBoards, 3);
    EXPECT_EQ(parameters.HostMemoryWindowOffset[2], 0xE0000u);

    const auto at = run.Output.find("process ");
    ASSERT_NE(at, std::string::npos) << run.Output;
    const pid_t pid = std::stoi(run.Output.substr(at + 8));
    ASSERT_EQ(::kill(pid, SIGTERM), 0);
    for (int i = 0; i < 1000 && std::filesystem::exists(process.SocketPath()); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_FALSE(std::filesystem::exists(process.SocketPath()));
    std::ifstream log(process.Directory() + "/state.log");
    const std::string logText((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    EXPECT_THAT(logText, HasSubstr("GetDriverParameters: status 1"));
    EXPECT_THAT(logText, HasSubstr("stopped"));
}

TEST_F(SimEndToEndTest, CommandLine) {
    SimProcess process;
    auto run = process.Run({"--help"});
    EXPECT_EQ(run.ExitStatus, 0);
    EXPECT_THAT(run.Output, HasSubstr("Usage: ruva2-sim"));
    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--boards", "5"},
                                                {"--boards"},
                                                {"--state"},
                                                {"--foreground=yes"},
                                                {"--bogus"}}) {
        run = process.Run(bad);
        EXPECT_EQ(run.ExitStatus, 2) << bad[0];
        EXPECT_THAT(run.Output, HasSubstr("ruva2-sim --help"));
    }
    EXPECT_FALSE(std::filesystem::exists(process.StatePath()));
}

} // namespace
} // namespace ruva
