#include "DriverRecords.h"

#include "Bytes.h"

namespace ruva {

namespace {

using namespace bytes;

// Each record names its fields with their offsets once; `field(member, offset)` is called for every
// field, so that the same walk writes the bytes and reads them back.
template <typename Field>
constexpr void Walk(DriverParameters& p, Field&& field) {
    field(p.Irq, 0);
    field(p.IoBaseAddress, 2);
    field(p.NumberOfBoards, 4);
    field(p.InfoBufferSize, 6);
    for (std::size_t i = 0; i < DriverParameters::MaxBoards; ++i) {
        field(p.HostMemoryWindowOffset[i], 10 + 4 * i);
        field(p.HostMemoryWindowSize[i], 26 + 4 * i);
        field(p.HostIoWindowOffset[i], 42 + 2 * i);
        field(p.HostIoWindowSize[i], 50 + 2 * i);
        field(p.DramSize[i], 58 + 4 * i);
    }
}

template <typename Field>
constexpr void Walk(BoardInfo& info, Field&& field) {
    field(info.BarRevision, 0);
    field(info.MadRevision, 4);
    field(info.SadRevision, 8);
    field(info.LadRevision, 12);
    field(info.RscRevision, 16);
    field(info.BootstrapRevision, 20);
    for (std::size_t i = 0; i < info.Reserved.size(); ++i)
        field(info.Reserved[i], 24 + i);
    field(info.HdlcStartAddress, 40);
}

template <typename Field>
constexpr void Walk(SerialRecord& record, Field&& field) {
    field(record.RestoreCount, 0);
    field(record.SerialNumber, 2);
}

// Every field lies inside the record's bytes: the reads and writes below stay in bounds.
template <typename Record>
constexpr bool FieldsFit() {
    Record record{};
    bool fit = true;
    Walk(record,
         [&](const auto& member, std::size_t at) { fit = fit && at + sizeof member <= Record::Size; });
    return fit;
}
static_assert(FieldsFit<DriverParameters>() && FieldsFit<BoardInfo>() && FieldsFit<SerialRecord>());

template <typename Record>
std::array<std::uint8_t, Record::Size> ToBytes(const Record& record) {
    return WalkToBytes<Record::Size>(record, [](Record& r, auto field) { Walk(r, field); });
}

template <typename Record>
Record FromBytes(std::span<const std::uint8_t, Record::Size> b) {
    Record record;
    WalkFromBytes(b, record, [](Record& r, auto field) { Walk(r, field); });
    return record;
}

} // namespace

std::array<std::uint8_t, DriverParameters::Size> DriverParameters::toBytes() const {
    return ToBytes(*this);
}

DriverParameters DriverParameters::fromBytes(std::span<const std::uint8_t, Size> b) {
    return FromBytes<DriverParameters>(b);
}

std::array<std::uint8_t, BoardInfo::Size> BoardInfo::toBytes() const {
    return ToBytes(*this);
}

BoardInfo BoardInfo::fromBytes(std::span<const std::uint8_t, Size> b) {
    return FromBytes<BoardInfo>(b);
}

std::array<std::uint8_t, SerialRecord::Size> SerialRecord::toBytes() const {
    return ToBytes(*this);
}

SerialRecord SerialRecord::fromBytes(std::span<const std::uint8_t, Size> b) {
    return FromBytes<SerialRecord>(b);
}

} // namespace ruva
