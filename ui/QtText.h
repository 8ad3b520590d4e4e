#pragma once
// The program's texts are UTF-8 std::string_view; Qt wants QString.

#include <QString>

#include <string_view>

namespace ruva {

inline QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace ruva
