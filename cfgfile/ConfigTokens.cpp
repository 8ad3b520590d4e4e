#include "ConfigTokens.h"

#include "KeywordIndex.h"

#include <cstring>

namespace ruva {

namespace {

constexpr bool CodesFollowTableOrder() {
    for (std::size_t i = 0; i < KeywordTable.size(); ++i)
        if (KeywordTable[i].Code != token::FirstKeyword + static_cast<int>(i))
            return false;
    return KeywordTable.back().Code == token::LastKeyword;
}
static_assert(CodesFollowTableOrder(), "keyword codes are consecutive in table order");

} // namespace

int FindKeyword(std::string_view lowerText) {
    if (lowerText.empty() || lowerText.size() > detail::LongestKeyword)
        return 0;
    char padded[detail::KeywordReadWidth] = {};
    std::memcpy(padded, lowerText.data(), lowerText.size());
    return detail::LookupKeyword(padded, lowerText.size());
}

} // namespace ruva
