#pragma once
// What the simulator knows about its virtual boards: the driver's shared resources, per board its
// resources, identity data, stored image and clock selection, and the faults to inject per request.

#include "BoardConfig.h"
#include "ControlCodes.h"
#include "DriverRecords.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ruva::sim {

// Statuses the simulator answers besides 1, and the request failure the driver layer reports as 51.
namespace status {
inline constexpr std::uint32_t Success = 1;
inline constexpr std::uint32_t RequestFailed = 51;
inline constexpr std::uint32_t NoSuchBoard = 60;
inline constexpr std::uint32_t WrongAccessCode = 61;
inline constexpr std::uint32_t WrongInputLength = 62;
inline constexpr std::uint32_t WrongIoBaseAddress = 63;
inline constexpr std::uint32_t StoreFailed = 64;
} // namespace status

// The texts GetErrorText answers when the state names none of its own.
const std::map<std::uint32_t, std::string>& BuiltinErrorTexts();

// Replaces the normal answer of one request. Exactly one of Fail, Empty, Status, ReadBackDiffers and
// Short is set.
struct Fault {
    bool Fail = false;  // the request itself fails
    bool Empty = false; // the request succeeds with no bytes
    std::optional<std::uint32_t> Status =
        std::nullopt;             // this status word instead of 1; a write is not carried out
    bool ReadBackDiffers = false; // WriteStoredConfig: the board keeps the image with its last byte
                                  // inverted, so reading it back differs from what was written
    std::optional<std::uint32_t> Short =
        std::nullopt; // the request is carried out, but its reply is cut to this many bytes
    std::optional<std::uint32_t> After =
        std::nullopt; // how many more requests pass unharmed before it applies; empty for none
    std::optional<std::uint32_t> Count =
        std::nullopt; // how many more requests it applies to; empty for every one

    friend bool operator==(const Fault&, const Fault&) = default;
};

using FaultMap = std::map<Request, Fault>;

// The requests that name a board, and so take their faults from the board's entry.
bool IsBoardRequest(Request request);

struct SimBoard {
    std::uint32_t HostMemoryWindowOffset = 0;
    std::uint32_t HostMemoryWindowSize = 0;
    std::uint16_t HostIoWindowOffset = 0;
    std::uint16_t HostIoWindowSize = 0;
    std::uint32_t DramSize = 0;
    std::uint8_t GdsId = RuvaGdsId;
    SerialRecord Serial;
    StoredConfig Image;
    BoardInfo Info;
    std::int16_t Clock = 0; // clock source code selected by the last clock request
    FaultMap Faults;

    friend bool operator==(const SimBoard&, const SimBoard&) = default;
};

struct SimState {
    static constexpr int MaxBoards = DriverParameters::MaxBoards;

    std::int16_t Irq = 0;
    std::int16_t IoBaseAddress = 0;
    std::int16_t NumberOfBoards = 0; // as the driver reports it; may differ from Boards.size()
    std::uint32_t InfoBufferSize = 0;
    std::vector<SimBoard> Boards; // at most MaxBoards
    // Texts for error numbers, over the built-in ones; an empty entry means no text for that number.
    std::map<std::uint32_t, std::optional<std::string>> ErrorTexts;
    FaultMap Faults; // faults of the requests that name no board

    // The board a request may address: below NumberOfBoards and present in Boards.
    SimBoard* Board(std::uint16_t index);

    friend bool operator==(const SimState&, const SimState&) = default;
};

// Board `index` (0-3) as a freshly installed board: resources, serial number and HDLC address follow
// one pattern per board index, the image holds the default settings at version 9.
SimBoard FreshBoard(int index);

// A fresh state with `boards` boards (1-4): IRQ 10, I/O base 0x300, information buffer 0x1000.
SimState FreshState(int boards = 2);

} // namespace ruva::sim
