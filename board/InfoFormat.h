#pragma once
// How board information is shown: serial numbers and component revisions.

#include <cstdint>
#include <string>

namespace ruva {

// 96 + bits 15-12, then bits 11-8 as two digits, then bits 7-0 as three digits: 0x1234 -> "9702052".
std::string FormatSerialNumber(std::uint16_t serialNumber);

// Major byte (byte 3) in decimal, then ".n" for each non-zero lower byte; "Unknown" when byte 3 is 0xFF;
// a single-character text gains ".0": 0x01000000 -> "1.0", 0x02010000 -> "2.1", 0x01020304 -> "1.2.3.4".
std::string FormatRevision(std::uint32_t revision);

} // namespace ruva
