#pragma once
// Field tables of the E1 and T1 blocks, in the order the configuration file lists them (which is also
// the order of the stored layout). Each entry names the field as the file's key, gives its value set
// (enumerated fields) or its numeric range, and reads or writes the field of a block. The writer, the
// parser, the command-line tool and comparisons walk these tables instead of naming fields one by one.

#include "BoardConfig.h"
#include "ValueSets.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace ruva {

// How a numeric field is written in a configuration file.
enum class NumberStyle {
    Hex,     // 0x%X
    Decimal, // %d
    Hex24,   // 0x%.6lX
};

template <typename Block>
struct FieldInfo {
    std::string_view Key;               // file key and field name, e.g. "TransmitLineCode"
    const ValueSet* Values;             // value set of an enumerated field; nullptr for a number
    unsigned Width;                     // stored width in bits: 8, 16 or 32
    std::uint32_t Max;                  // numbers: largest value a file may give
    NumberStyle Style;                  // numbers: how the writer prints the value
    std::string_view RangeMessage;      // numbers: parse error when a file value exceeds Max
    std::string_view UnexpectedMessage; // enumerated: writer message for a code outside the set
    // The field's value: enumerated fields as their signed 16-bit code, numbers as the unsigned value
    // of their width.
    std::int64_t (*Get)(const Block&);
    // Stores a value, cut to the field's width.
    void (*Set)(Block&, std::int64_t);

    bool IsEnumerated() const { return Values != nullptr; }
};

using E1Field = FieldInfo<E1Settings>;
using T1Field = FieldInfo<T1Settings>;

std::span<const E1Field> E1Fields();
std::span<const T1Field> T1Fields();

// A number as the writer prints it: "0x1F", "128" or "0x000012".
std::string FormatFieldNumber(NumberStyle style, std::uint32_t value);

// Finds a field by its key, compared without regard to case; nullptr when there is none.
const E1Field* FindE1Field(std::string_view key);
const T1Field* FindT1Field(std::string_view key);

} // namespace ruva
