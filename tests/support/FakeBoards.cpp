#include "FakeBoards.h"

#include "Bytes.h"
#include "SimState.h"

#include <algorithm>

namespace ruva::test {

using namespace bytes;

FakeBoard IntactBoard(std::uint16_t serialNumber, std::uint32_t hdlcStartAddress) {
    // The simulator's freshly installed board, with this serial number and HDLC start address.
    const sim::SimBoard fresh = sim::FreshBoard(0);
    FakeBoard board;
    board.Serial = {0, serialNumber};
    board.Image = fresh.Image;
    board.Image.SerialNumber = serialNumber;
    board.Info = fresh.Info;
    board.Info.Reserved.fill(0xA5); // bytes that must be carried through unchanged
    board.Info.HdlcStartAddress = hdlcStartAddress;
    return board;
}

FakeBoards::FakeBoards() {
    Boards = {IntactBoard(0x1234, 0x8000), IntactBoard(0x2345, 0x9000)};
    const sim::SimState fresh = sim::FreshState(2);
    Parameters.Irq = fresh.Irq;
    Parameters.IoBaseAddress = fresh.IoBaseAddress;
    Parameters.NumberOfBoards = fresh.NumberOfBoards;
    Parameters.InfoBufferSize = fresh.InfoBufferSize;
    for (std::size_t i = 0; i < fresh.Boards.size(); ++i) {
        const sim::SimBoard& board = fresh.Boards[i];
        Parameters.HostMemoryWindowOffset[i] = board.HostMemoryWindowOffset;
        Parameters.HostMemoryWindowSize[i] = board.HostMemoryWindowSize;
        Parameters.HostIoWindowOffset[i] = board.HostIoWindowOffset;
        Parameters.HostIoWindowSize[i] = board.HostIoWindowSize;
        Parameters.DramSize[i] = board.DramSize;
    }
}

void FakeBoards::Serve(ScriptedChannel& channel) {
    channel.SetHandler([this](const RecordedRequest& request) { return Answer(request); });
}

void FakeBoards::Fault(Request code, CannedReply reply, int skip) {
    faults_.push_back({code, skip, std::move(reply)});
}

namespace {

std::vector<std::uint8_t> Bytes(std::span<const std::uint8_t> bytes) {
    return {bytes.begin(), bytes.end()};
}

} // namespace

CannedReply FakeBoards::Answer(const RecordedRequest& request) {
    const Request code = request.AsRequest();
    for (auto fault = faults_.begin(); fault != faults_.end(); ++fault) {
        if (fault->Code != code)
            continue;
        if (fault->Skip-- > 0)
            continue;
        CannedReply reply = std::move(fault->Reply);
        faults_.erase(fault);
        return reply;
    }

    switch (code) {
    case Request::OpenDriver:
        return StatusReply(1);
    case Request::GetDriverParameters:
        return StatusReply(1, Bytes(Parameters.toBytes()));
    case Request::GetErrorText:
        return FailedReply(); // no texts of its own: the program's fixed text is shown
    default:
        break;
    }

    // Identity writes carry the access code ahead of the board index.
    const bool identityWrite = code == Request::WriteSerialRecord || code == Request::WriteBoardInfo;
    const std::size_t boardAt = identityWrite ? 4 : 0;
    if (request.Input.size() < boardAt + 2)
        return StatusReply(FakeRefusedStatus);
    const std::uint16_t index = GetU16(request.Input, boardAt);
    if (index >= Boards.size() || (identityWrite && GetU32(request.Input, 0) != WriteAccessCode))
        return StatusReply(FakeRefusedStatus);
    FakeBoard& board = Boards[index];
    const std::span<const std::uint8_t> input(request.Input);

    switch (code) {
    case Request::AttachBoard:
        return StatusReply(1);
    case Request::ReadStoredConfig:
        return StatusReply(1, Bytes(board.Image.toBytes()));
    case Request::WriteStoredConfig: {
        board.Image = StoredConfig::fromBytes(input.subspan<2, StoredConfig::Size>());
        if (board.CorruptImageWrites)
            board.Image.Li[1].T1.ClearChannels ^= 1;
        return StatusReply(1);
    }
    case Request::ReadBoardInfo:
        return StatusReply(1, Bytes(board.Info.toBytes()));
    case Request::WriteBoardInfo:
        board.Info = BoardInfo::fromBytes(input.subspan<6, BoardInfo::Size>());
        return StatusReply(1);
    case Request::ReadGdsId:
        return StatusReply(1, {board.GdsId, 0});
    case Request::ReadSerialRecord:
        return StatusReply(1, Bytes(board.Serial.toBytes()));
    case Request::WriteSerialRecord:
        board.Serial = SerialRecord::fromBytes(input.subspan<6, SerialRecord::Size>());
        return StatusReply(1);
    case Request::SetClockInternal:
    case Request::SetClockLi0:
    case Request::SetClockLi1:
    case Request::SetClockExternal2M:
        board.ClockSelected = code;
        return StatusReply(1);
    default:
        return StatusReply(FakeRefusedStatus);
    }
}

void TimelinePrompts::ShowMessage(std::string_view text, MessageIcon icon) {
    shownAfter_.push_back(channel_.Requests.size());
    RecordingPrompts::ShowMessage(text, icon);
}

std::vector<std::string> TimelinePrompts::Timeline() const {
    const auto message = [this](std::size_t i) {
        static constexpr const char* IconNames[] = {"none: ", "stop: ", "warning: ", "info: "};
        return IconNames[static_cast<int>(Messages[i].Icon)] + Messages[i].Text;
    };
    std::vector<std::string> events;
    std::size_t next = 0;
    for (std::size_t r = 0; r <= channel_.Requests.size(); ++r) {
        for (; next < Messages.size() && shownAfter_[next] == r; ++next)
            events.push_back(message(next));
        if (r < channel_.Requests.size()) {
            const RequestLayout* known = FindRequest(channel_.Requests[r].Code);
            events.emplace_back(known != nullptr ? known->Name : "unknown request");
        }
    }
    return events;
}

void TimelinePrompts::Clear() {
    channel_.Requests.clear();
    Messages.clear();
    shownAfter_.clear();
}

} // namespace ruva::test
