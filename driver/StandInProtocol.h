#pragma once
// Between the stand-in driver (ruva2sim.sys) and the simulator that serves it (ruva2-sim.exe): the
// simulator's private device and its two requests. Freestanding: the kernel code includes it too.
//
// The simulator opens SimulatorDevicePath for reading and writing (only SYSTEM and Administrators may,
// one handle at a time) and sends SimAttach once: from then on it alone serves the board device, whose
// link \\.\RUVA2 exists only while it is attached. It then sends SimServe over and over: the input
// carries the answer to the request it was handed last (none on the first call), the call stays pending
// until a program sends a request to \\.\RUVA2, and its output is that request. Blocks are little-endian
// u32 words followed by bytes:
//   handed request (SimServe's output): id, code, input length, reply capacity, then the input bytes;
//   answer (SimServe's input): id, ok (1: the request succeeded, 0: it failed), count, then count bytes
//   (never more than the request's capacity);
//   late notice (SimServe's output, LateNoticeSize bytes): the id of the answer just given, which no
//   program received (the request had failed meanwhile: it timed out or was cancelled). The call then
//   returns at once, and the simulator undoes what that request changed, so that a request whose
//   program was told it failed is never carried out.
// Closing the simulator's handle (or its process ending) detaches it: every request waiting for it fails
// and \\.\RUVA2 goes away.

#include <cstddef>
#include <cstdint>

namespace ruva::standin {

// The private device, as the simulator opens it, and the names the driver creates.
inline constexpr const char* SimulatorDevicePath = "\\\\.\\RUVA2SIM";
inline constexpr const wchar_t* BoardDeviceName = L"\\Device\\RUVA2";
// \\.\RUVA2 in the global namespace, seen from every logon session; the plain name where the system has
// no sessions.
inline constexpr const wchar_t* BoardLinkNames[] = {L"\\DosDevices\\Global\\RUVA2", L"\\DosDevices\\RUVA2"};
inline constexpr const wchar_t* SimulatorDeviceName = L"\\Device\\RUVA2SIM";
// Made while the driver starts, in the system process, whose \DosDevices is the global one.
inline constexpr const wchar_t* SimulatorLinkName = L"\\DosDevices\\RUVA2SIM";

// The service and file names of the driver.
inline constexpr const wchar_t* ServiceName = L"ruva2sim";
inline constexpr const wchar_t* DriverFileName = L"ruva2sim.sys";

// A control code: device type in bits 16-31, access in bits 14-15, function in bits 2-13, method in
// bits 0-1. The simulator's requests carry a device type of the range left to vendors, read and write
// access, and are buffered.
constexpr std::uint32_t ControlCode(std::uint32_t type, std::uint32_t function, std::uint32_t method,
                                    std::uint32_t access) {
    return type << 16 | access << 14 | function << 2 | method;
}
inline constexpr std::uint32_t SimulatorDeviceType = 0x8A52;
inline constexpr std::uint32_t SimAttach = ControlCode(SimulatorDeviceType, 0x800, 0, 3);
inline constexpr std::uint32_t SimServe = ControlCode(SimulatorDeviceType, 0x801, 0, 3);

inline constexpr std::size_t HandedHeaderSize = 16;
inline constexpr std::size_t AnswerHeaderSize = 12;
inline constexpr std::size_t LateNoticeSize = 4;
// The largest input and reply of the board's requests (WriteStoredConfig's input, GetErrorText's reply)
// fit with room to spare.
inline constexpr std::size_t MaxBlock = 1024;
inline constexpr std::size_t ServeBufferSize = HandedHeaderSize + MaxBlock;

// A board request fails once it has waited this long for the simulator's answer.
inline constexpr unsigned AnswerSeconds = 10;

constexpr std::uint32_t ReadWord(const std::uint8_t* at) {
    return std::uint32_t(at[0]) | std::uint32_t(at[1]) << 8 | std::uint32_t(at[2]) << 16 |
           std::uint32_t(at[3]) << 24;
}

constexpr void WriteWord(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

} // namespace ruva::standin
