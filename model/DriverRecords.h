#pragma once
// The records that cross the driver boundary, converted field by field at their offsets.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace ruva {

struct DriverParameters {
    static constexpr std::size_t Size = 74;
    static constexpr int MaxBoards = 4;

    std::int16_t Irq = 0;
    std::int16_t IoBaseAddress = 0;
    std::int16_t NumberOfBoards = 0;
    std::uint32_t InfoBufferSize = 0;
    std::array<std::uint32_t, MaxBoards> HostMemoryWindowOffset{};
    std::array<std::uint32_t, MaxBoards> HostMemoryWindowSize{};
    std::array<std::uint16_t, MaxBoards> HostIoWindowOffset{};
    std::array<std::uint16_t, MaxBoards> HostIoWindowSize{};
    std::array<std::uint32_t, MaxBoards> DramSize{};

    std::array<std::uint8_t, Size> toBytes() const;
    static DriverParameters fromBytes(std::span<const std::uint8_t, Size> bytes);
    friend bool operator==(const DriverParameters&, const DriverParameters&) = default;
};

struct BoardInfo {
    static constexpr std::size_t Size = 44;

    std::uint32_t BarRevision = 0;
    std::uint32_t MadRevision = 0;
    std::uint32_t SadRevision = 0;
    std::uint32_t LadRevision = 0;
    std::uint32_t RscRevision = 0;
    std::uint32_t BootstrapRevision = 0;
    std::array<std::uint8_t, 16> Reserved{}; // bytes 24-39: not interpreted, carried through on writes
    std::uint32_t HdlcStartAddress = 0;

    std::array<std::uint8_t, Size> toBytes() const;
    static BoardInfo fromBytes(std::span<const std::uint8_t, Size> bytes);
    friend bool operator==(const BoardInfo&, const BoardInfo&) = default;
};

struct SerialRecord {
    static constexpr std::size_t Size = 4;

    std::uint16_t RestoreCount = 0; // bits 0-15
    std::uint16_t SerialNumber = 0; // bits 16-31; 0 and 0xFFFF are blank

    static bool IsBlankNumber(std::uint16_t serialNumber) {
        return serialNumber == 0 || serialNumber == 0xFFFF;
    }
    bool IsBlank() const { return IsBlankNumber(SerialNumber); }
    std::array<std::uint8_t, Size> toBytes() const;
    static SerialRecord fromBytes(std::span<const std::uint8_t, Size> bytes);
    friend bool operator==(const SerialRecord&, const SerialRecord&) = default;
};

} // namespace ruva
