#include "InfoFormat.h"

#include "MessageFormat.h"
#include "Texts.h"

namespace ruva {

std::string FormatSerialNumber(std::uint16_t serialNumber) {
    const unsigned a = 96u + ((serialNumber >> 12) & 0xFu);
    const unsigned b = (serialNumber >> 8) & 0xFu;
    const unsigned c = serialNumber & 0xFFu;
    return FormatText("%1!.2u!%2!.2u!%3!.3u!", {a, b, c});
}

std::string FormatRevision(std::uint32_t revision) {
    const unsigned major = (revision >> 24) & 0xFFu;
    if (major == 0xFF)
        return std::string(texts::RevisionUnknown);
    std::string text = std::to_string(major);
    for (int shift = 16; shift >= 0; shift -= 8) {
        const unsigned part = (revision >> shift) & 0xFFu;
        if (part != 0)
            text += "." + std::to_string(part);
    }
    if (text.size() == 1)
        text += ".0";
    return text;
}

} // namespace ruva
