#include "DriverRecords.h"

#include "Bytes.h"

#include <algorithm>

namespace ruva {

using namespace bytes;

std::array<std::uint8_t, DriverParameters::Size> DriverParameters::toBytes() const {
    std::array<std::uint8_t, Size> b{};
    PutI16(b, 0, Irq);
    PutI16(b, 2, IoBaseAddress);
    PutI16(b, 4, NumberOfBoards);
    PutU32(b, 6, InfoBufferSize);
    for (std::size_t i = 0; i < MaxBoards; ++i) {
        PutU32(b, 10 + 4 * i, HostMemoryWindowOffset[i]);
        PutU32(b, 26 + 4 * i, HostMemoryWindowSize[i]);
        PutU16(b, 42 + 2 * i, HostIoWindowOffset[i]);
        PutU16(b, 50 + 2 * i, HostIoWindowSize[i]);
        PutU32(b, 58 + 4 * i, DramSize[i]);
    }
    return b;
}

DriverParameters DriverParameters::fromBytes(std::span<const std::uint8_t, Size> b) {
    DriverParameters p;
    p.Irq = GetI16(b, 0);
    p.IoBaseAddress = GetI16(b, 2);
    p.NumberOfBoards = GetI16(b, 4);
    p.InfoBufferSize = GetU32(b, 6);
    for (std::size_t i = 0; i < MaxBoards; ++i) {
        p.HostMemoryWindowOffset[i] = GetU32(b, 10 + 4 * i);
        p.HostMemoryWindowSize[i] = GetU32(b, 26 + 4 * i);
        p.HostIoWindowOffset[i] = GetU16(b, 42 + 2 * i);
        p.HostIoWindowSize[i] = GetU16(b, 50 + 2 * i);
        p.DramSize[i] = GetU32(b, 58 + 4 * i);
    }
    return p;
}

std::array<std::uint8_t, BoardInfo::Size> BoardInfo::toBytes() const {
    std::array<std::uint8_t, Size> b{};
    PutU32(b, 0, BarRevision);
    PutU32(b, 4, MadRevision);
    PutU32(b, 8, SadRevision);
    PutU32(b, 12, LadRevision);
    PutU32(b, 16, RscRevision);
    PutU32(b, 20, BootstrapRevision);
    std::copy(Reserved.begin(), Reserved.end(), b.begin() + 24);
    PutU32(b, 40, HdlcStartAddress);
    return b;
}

BoardInfo BoardInfo::fromBytes(std::span<const std::uint8_t, Size> b) {
    BoardInfo info;
    info.BarRevision = GetU32(b, 0);
    info.MadRevision = GetU32(b, 4);
    info.SadRevision = GetU32(b, 8);
    info.LadRevision = GetU32(b, 12);
    info.RscRevision = GetU32(b, 16);
    info.BootstrapRevision = GetU32(b, 20);
    std::copy(b.begin() + 24, b.begin() + 40, info.Reserved.begin());
    info.HdlcStartAddress = GetU32(b, 40);
    return info;
}

std::array<std::uint8_t, SerialRecord::Size> SerialRecord::toBytes() const {
    std::array<std::uint8_t, Size> b{};
    PutU16(b, 0, RestoreCount);
    PutU16(b, 2, SerialNumber);
    return b;
}

SerialRecord SerialRecord::fromBytes(std::span<const std::uint8_t, Size> b) {
    return SerialRecord{GetU16(b, 0), GetU16(b, 2)};
}

} // namespace ruva
