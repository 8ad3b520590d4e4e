#pragma once
// The catalogue of the E1 and T1 blocks' settings, in the order the configuration file lists them (which
// is also the order of the stored layout). Each entry describes its setting once: the block's member, its
// width in the stored layout (its offset follows from the order), the file key, the value set
// (enumerated settings) or the numeric range with its messages, how the writer prints a number, and the
// control, label and row on the block's page, and the default value. The byte image, the writer, the parser,
// the pages, the command-line tool and comparisons walk these tables instead of naming settings one by one; a
// setting is added here.

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

// The kind of control that shows a setting on its page.
enum class ControlKind { List, Check, Number, Address, Bits };

// One check box of a bit field.
struct BitBox {
    unsigned Bit;
    std::string_view Label; // the box's text
};

// Where and how a setting shows on its page.
struct PagePlace {
    int Row;                       // position on the page, from 0
    ControlKind Kind;              // List shows the value set; Check one of two codes
    std::string_view Label;        // the label's text, the check box's text, or the bit group's title
    std::string_view Refusal;      // Number: the message for a typed number above the range
    std::span<const BitBox> Boxes; // Bits: the boxes, in the order the page shows them
    std::uint32_t Min = 0;         // Address: the smallest value accepted
};

template <typename Block>
struct FieldInfo {
    std::string_view Key;               // file key and field name, e.g. "TransmitLineCode"
    const ValueSet* Values;             // value set of an enumerated field; nullptr for a number
    unsigned Width;                     // stored width in bits: 8, 16 or 32
    unsigned Offset;                    // stored byte offset in the block, after the fields before it
    std::uint32_t Max;                  // numbers: largest value a file may give
    NumberStyle Style;                  // numbers: how the writer prints the value
    std::string_view RangeMessage;      // numbers: parse error when a file value exceeds Max
    std::string_view UnexpectedMessage; // enumerated: writer message for a code outside the set
    PagePlace Page;
    std::int64_t Default; // the value that Default Values and a new configuration give
    // The field's value: enumerated fields as their signed 16-bit code, numbers as the unsigned value
    // of their width.
    std::int64_t (*Get)(const Block&);
    // Stores a value, cut to the field's width.
    void (*Set)(Block&, std::int64_t);

    bool IsEnumerated() const { return Values != nullptr; }
};

using E1Field = FieldInfo<E1Settings>;
using T1Field = FieldInfo<T1Settings>;
// A setting of the General page: the clock source and the default modes, which the image holds in its
// header (StoredConfig), and the HDLC start address. The key is the page's name for it.
using GeneralField = FieldInfo<BoardConfig>;

std::span<const E1Field> E1Fields();
std::span<const T1Field> T1Fields();
std::span<const GeneralField> GeneralFields();

// The file keys of the general settings, which the file, comparisons, listings and records print each in
// a place of its own: the board's section (clock source, HDLC start address) and each line interface's
// (default mode).
namespace keys {
inline constexpr std::string_view ClockSource = "ClockSource";
inline constexpr std::string_view HdlcStartAddress = "HdlcStartAddress";
inline constexpr std::string_view DefaultMode = "DefaultMode";
} // namespace keys

// A number as the writer prints it: "0x1F", "128" or "0x000012".
std::string FormatFieldNumber(NumberStyle style, std::uint32_t value);

// Finds a field by its key, compared without regard to case; nullptr when there is none.
const E1Field* FindE1Field(std::string_view key);
const T1Field* FindT1Field(std::string_view key);

} // namespace ruva
