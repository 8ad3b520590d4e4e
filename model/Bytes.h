#pragma once
// Little-endian field access at explicit offsets, for every record that crosses the driver boundary
// or is stored on a board. Records are converted field by field, never by copying a C++ struct.

#include <cstddef>
#include <cstdint>
#include <span>

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

inline void PutU8(std::span<std::uint8_t> b, std::size_t offset, std::uint8_t value) {
    b[offset] = value;
}

inline void PutU16(std::span<std::uint8_t> b, std::size_t offset, std::uint16_t value) {
    PutField(b, offset, 16, value);
}

inline void PutI16(std::span<std::uint8_t> b, std::size_t offset, std::int16_t value) {
    PutU16(b, offset, static_cast<std::uint16_t>(value));
}

inline void PutU32(std::span<std::uint8_t> b, std::size_t offset, std::uint32_t value) {
    PutField(b, offset, 32, value);
}

inline std::uint8_t GetU8(std::span<const std::uint8_t> b, std::size_t offset) {
    return b[offset];
}

inline std::uint16_t GetU16(std::span<const std::uint8_t> b, std::size_t offset) {
    return static_cast<std::uint16_t>(GetField(b, offset, 16));
}

inline std::int16_t GetI16(std::span<const std::uint8_t> b, std::size_t offset) {
    return static_cast<std::int16_t>(GetU16(b, offset));
}

inline std::uint32_t GetU32(std::span<const std::uint8_t> b, std::size_t offset) {
    return GetField(b, offset, 32);
}

} // namespace ruva::bytes
