#pragma once
// Little-endian field access at explicit offsets, for every record that crosses the driver boundary
// or is stored on a board. Records are converted field by field, never by copying a C++ struct.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <type_traits>

namespace ruva::bytes {

// An unsigned field of `width` bits (8, 16 or 32).
inline void PutField(std::span<std::uint8_t> b, std::size_t offset, unsigned width, std::uint32_t value) {
    for (std::size_t i = 0; i < width / 8; ++i)
        b[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

inline std::uint32_t GetField(std::span<const std::uint8_t> b, std::size_t offset, unsigned width) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < width / 8; ++i)
        value |= static_cast<std::uint32_t>(b[offset + i]) << (8 * i);
    return value;
}

inline void PutU16(std::span<std::uint8_t> b, std::size_t offset, std::uint16_t value) {
    PutField(b, offset, 16, value);
}

inline void PutU32(std::span<std::uint8_t> b, std::size_t offset, std::uint32_t value) {
    PutField(b, offset, 32, value);
}

inline std::uint16_t GetU16(std::span<const std::uint8_t> b, std::size_t offset) {
    return static_cast<std::uint16_t>(GetField(b, offset, 16));
}

inline std::uint32_t GetU32(std::span<const std::uint8_t> b, std::size_t offset) {
    return GetField(b, offset, 32);
}

// A record converted by naming each of its integer fields with its offset once: `walk(record, field)`
// calls field(member, offset) for every field, to write the bytes and to read them back.
template <std::size_t Size, typename Record, typename Walk>
std::array<std::uint8_t, Size> WalkToBytes(Record record, Walk walk) {
    std::array<std::uint8_t, Size> b{};
    walk(record, [&](auto member, std::size_t at) {
        PutField(b, at, sizeof member * 8, static_cast<std::uint32_t>(member));
    });
    return b;
}

template <typename Record, typename Walk>
void WalkFromBytes(std::span<const std::uint8_t> b, Record& record, Walk walk) {
    walk(record, [&](auto& member, std::size_t at) {
        member = static_cast<std::remove_reference_t<decltype(member)>>(GetField(b, at, sizeof member * 8));
    });
}

} // namespace ruva::bytes
