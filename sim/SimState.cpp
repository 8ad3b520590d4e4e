#include "SimState.h"

#include "ValueSets.h"

namespace ruva::sim {

const std::map<std::uint32_t, std::string>& BuiltinErrorTexts() {
    static const std::map<std::uint32_t, std::string> texts{
        {status::RequestFailed, "The Ruva-2 driver could not carry out the request."},
        {status::NoSuchBoard, "No Ruva-2 board is installed with this board number."},
        {status::WrongAccessCode, "Access denied: the request does not carry the right access code."},
        {status::WrongInputLength, "The input block of the request does not have the length the request "
                                   "takes."},
        {status::WrongIoBaseAddress, "The board does not answer at this I/O base address."},
        {status::StoreFailed, "The board could not store the data."},
    };
    return texts;
}

bool IsBoardRequest(Request request) {
    return request != Request::OpenDriver && request != Request::GetDriverParameters &&
           request != Request::GetErrorText;
}

SimBoard* SimState::Board(std::uint16_t index) {
    if (static_cast<int>(index) >= NumberOfBoards || index >= Boards.size())
        return nullptr;
    return &Boards[index];
}

SimBoard FreshBoard(int index) {
    const auto i = static_cast<std::uint32_t>(index);
    SimBoard board;
    board.HostMemoryWindowOffset = 0xD0000 + 0x8000 * i;
    board.HostMemoryWindowSize = 0x8000;
    board.HostIoWindowOffset = static_cast<std::uint16_t>(0x320 + 0x20 * i);
    board.HostIoWindowSize = 0x10;
    board.DramSize = 0x100000;
    board.GdsId = RuvaGdsId;
    board.Serial = {0, static_cast<std::uint16_t>(0x1234 + 0x1111 * i)};

    StoredConfig& image = board.Image;
    image.Version = StoredConfig::CurrentVersion;
    image.SerialNumber = board.Serial.SerialNumber;
    image.ClockSource = code::ClockSource::INTERNAL;
    image.Li[0].DefaultMode = code::LiMode::E1;
    image.Li[1].DefaultMode = code::LiMode::T1;
    for (LineInterfaceSettings& li : image.Li) {
        SetE1Defaults(li.E1);
        SetT1Defaults(li.T1);
    }

    board.Info.BarRevision = 0x01000000;       // 1.0.0.0
    board.Info.MadRevision = 0x02000000;       // 2.0.0.0
    board.Info.SadRevision = 0x01000300;       // 1.0.3.0
    board.Info.LadRevision = 0x03010000;       // 3.1.0.0
    board.Info.RscRevision = 0x01020304;       // 1.2.3.4
    board.Info.BootstrapRevision = 0xFF000000; // unavailable
    board.Info.HdlcStartAddress = 0x8000 + 0x1000 * i;
    board.Clock = code::ClockSource::INTERNAL;
    return board;
}

SimState FreshState(int boards) {
    SimState state;
    state.Irq = 10;
    state.IoBaseAddress = 0x300;
    state.InfoBufferSize = 0x1000;
    for (int i = 0; i < boards && i < SimState::MaxBoards; ++i)
        state.Boards.push_back(FreshBoard(i));
    state.NumberOfBoards = static_cast<std::int16_t>(state.Boards.size());
    return state;
}

} // namespace ruva::sim
