#include "ValueSets.h"

#include <algorithm>

namespace ruva {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

const ValueItem* ValueSet::Find(int code) const {
    for (const ValueItem& item : Items)
        if (item.Code == code)
            return &item;
    return nullptr;
}

std::optional<std::string_view> ValueSet::WordFor(int code) const {
    if (const ValueItem* item = Find(code))
        return item->Word;
    return std::nullopt;
}

std::optional<std::int16_t> ValueSet::CodeFor(std::string_view word) const {
    for (const ValueItem& item : Items)
        if (EqualsIgnoringCase(item.Word, word))
            return item.Code;
    return std::nullopt;
}

int ValueSet::PositionOf(int code) const {
    for (std::size_t i = 0; i < Items.size(); ++i)
        if (Items[i].Code == code)
            return static_cast<int>(i);
    return -1;
}

} // namespace ruva
