#pragma once
// The board driver's control requests: codes, input block lengths and reply capacities. The driver
// layer, the simulator, the Windows stand-in driver and the tests all take them from here, so it needs
// nothing but the freestanding headers: the kernel code includes it too.

#include <cstddef>
#include <cstdint>

namespace ruva {

// The device that the driver answers on.
inline constexpr const char* DriverDevicePath = "\\\\.\\RUVA2";

// Heads the input of the two requests that change a board's identity data.
inline constexpr std::uint32_t WriteAccessCode = 0x5A17C2E9;

// The GDS ID a Ruva-2 board answers with.
inline constexpr std::uint8_t RuvaGdsId = 0x72;

enum class Request : std::uint32_t {
    OpenDriver = 34848,          // 0x8820
    AttachBoard = 34833,         // 0x8811
    ReadStoredConfig = 34852,    // 0x8824
    GetDriverParameters = 34857, // 0x8829
    GetErrorText = 34872,        // 0x8838
    WriteStoredConfig = 34873,   // 0x8839
    ReadBoardInfo = 34980,       // 0x88A4
    WriteSerialRecord = 40000,   // 0x9C40
    WriteBoardInfo = 40001,      // 0x9C41
    ReadGdsId = 41000,           // 0xA028
    ReadSerialRecord = 41001,    // 0xA029
    SetClockInternal = 41002,    // 0xA02A
    SetClockLi0 = 41003,         // 0xA02B
    SetClockLi1 = 41004,         // 0xA02C
    SetClockExternal2M = 41005,  // 0xA02D
};

struct RequestLayout {
    Request Code;
    const char* Name;
    std::size_t InputSize;
    std::size_t ReplySize;
};

inline constexpr RequestLayout RequestLayouts[]{
    {Request::OpenDriver, "OpenDriver", 4, 4},
    {Request::AttachBoard, "AttachBoard", 4, 4},
    {Request::ReadStoredConfig, "ReadStoredConfig", 2, 138},
    {Request::GetDriverParameters, "GetDriverParameters", 0, 78},
    {Request::GetErrorText, "GetErrorText", 4, 520},
    {Request::WriteStoredConfig, "WriteStoredConfig", 136, 4},
    {Request::ReadBoardInfo, "ReadBoardInfo", 2, 48},
    {Request::WriteSerialRecord, "WriteSerialRecord", 10, 4},
    {Request::WriteBoardInfo, "WriteBoardInfo", 50, 4},
    {Request::ReadGdsId, "ReadGdsId", 2, 6},
    {Request::ReadSerialRecord, "ReadSerialRecord", 2, 8},
    {Request::SetClockInternal, "SetClockInternal", 2, 4},
    {Request::SetClockLi0, "SetClockLi0", 2, 4},
    {Request::SetClockLi1, "SetClockLi1", 2, 4},
    {Request::SetClockExternal2M, "SetClockExternal2M", 2, 4},
};

// The layout of a request code, or nullptr for a code the driver does not know.
constexpr const RequestLayout* FindRequest(std::uint32_t code) {
    for (const RequestLayout& layout : RequestLayouts)
        if (static_cast<std::uint32_t>(layout.Code) == code)
            return &layout;
    return nullptr;
}

constexpr const RequestLayout& LayoutOf(Request request) {
    return *FindRequest(static_cast<std::uint32_t>(request));
}

// Requests that change a board: the writes and the clock selections.
constexpr bool ChangesBoard(Request request) {
    switch (request) {
    case Request::WriteStoredConfig:
    case Request::WriteBoardInfo:
    case Request::WriteSerialRecord:
    case Request::SetClockInternal:
    case Request::SetClockLi0:
    case Request::SetClockLi1:
    case Request::SetClockExternal2M:
        return true;
    default:
        return false;
    }
}

} // namespace ruva
