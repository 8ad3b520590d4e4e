#pragma once
// Token codes of the configuration file language and its keywords.
//
// A token is a code: 0 is the end of the input, 1-255 a single character coded by itself ('=' is 61,
// '{' 123, '}' 125), from 257 on a keyword, and above the keywords the operators, strings, identifiers and
// numbers. The keywords are the words of the file's structure, then, made from the catalogue of settings,
// every setting's key and every value word, each once whatever its case.

#include "Fields.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <span>
#include <string_view>

namespace ruva {

namespace token {
inline constexpr int END_OF_INPUT = 0;

// The words of the file's structure, the first keywords, in the order of StructureWords.
enum Structure : int {
    BOARD = 257,
    LI,
    MODE,
    IOBASEADDRESS,
    HOSTMEMORYWINDOWOFFSET,
    HOSTMEMORYWINDOWSIZE,
    HOSTIOWINDOWOFFSET,
    HOSTIOWINDOWSIZE,
};
inline constexpr std::string_view StructureWords[] = {"board",
                                                      "li",
                                                      "mode",
                                                      "IoBaseAddress",
                                                      "HostMemoryWindowOffset",
                                                      "HostMemoryWindowSize",
                                                      "HostIoWindowOffset",
                                                      "HostIoWindowSize"};
inline constexpr int FirstKeyword = BOARD;
} // namespace token

namespace detail {

// The keywords in code order: the structure words, then the keys and value words of the general, E1
// and T1 settings in catalogue order, each word once.
struct KeywordList {
    std::array<std::string_view, 256> Words{};
    std::size_t Count = 0;

    constexpr void Add(std::string_view word) {
        if (std::none_of(Words.begin(), Words.begin() + static_cast<std::ptrdiff_t>(Count),
                         [word](std::string_view w) { return EqualsIgnoringCase(w, word); }))
            Words[Count++] = word;
    }
    template <typename Block>
    constexpr void AddSettings(std::span<const FieldInfo<Block>> fields) {
        for (const FieldInfo<Block>& field : fields) {
            Add(field.Key);
            if (field.Values)
                for (const ValueItem& item : field.Values->Items)
                    Add(item.Word);
        }
    }
};

consteval KeywordList CollectKeywords() {
    KeywordList list;
    for (std::string_view word : token::StructureWords)
        list.Add(word);
    list.AddSettings(GeneralFields());
    list.AddSettings(E1Fields());
    list.AddSettings(T1Fields());
    return list;
}

} // namespace detail

// The text of each keyword (its code less token::FirstKeyword), as the catalogue spells it.
inline constexpr auto KeywordTexts = [] {
    constexpr detail::KeywordList list = detail::CollectKeywords();
    std::array<std::string_view, list.Count> texts{};
    std::copy_n(list.Words.begin(), list.Count, texts.begin());
    return texts;
}();

static_assert(std::ranges::equal(token::StructureWords,
                                 std::span(KeywordTexts).first(std::size(token::StructureWords))) &&
                  token::HOSTIOWINDOWSIZE - token::FirstKeyword + 1 == std::ssize(token::StructureWords),
              "the structure words come first, in the order of their codes");

namespace token {
inline constexpr int LastKeyword = FirstKeyword + static_cast<int>(KeywordTexts.size()) - 1;

inline constexpr int LESS_EQUAL = LastKeyword + 1;   // <=
inline constexpr int GREATER_EQUAL = LESS_EQUAL + 1; // >=
inline constexpr int EQUAL_EQUAL = LESS_EQUAL + 2;   // ==
inline constexpr int NOT_EQUAL = LESS_EQUAL + 3;     // !=
inline constexpr int STRING = LESS_EQUAL + 4;
inline constexpr int IDENTIFIER = LESS_EQUAL + 5;
inline constexpr int BINARY_NUMBER = LESS_EQUAL + 6;
inline constexpr int DECIMAL_NUMBER = LESS_EQUAL + 7;
inline constexpr int HEX_NUMBER = LESS_EQUAL + 8;

inline constexpr bool IsKeyword(int code) {
    return code >= FirstKeyword && code <= LastKeyword;
}
inline constexpr bool IsNumber(int code) {
    return code == BINARY_NUMBER || code == DECIMAL_NUMBER || code == HEX_NUMBER;
}

// The code of a word of the structure or the catalogue. Made at compile time, as the parser's are, a word
// that is no keyword does not compile.
constexpr int Keyword(std::string_view word) {
    for (std::size_t i = 0; i < KeywordTexts.size(); ++i)
        if (EqualsIgnoringCase(KeywordTexts[i], word))
            return FirstKeyword + static_cast<int>(i);
    throw "not a keyword of the configuration file";
}
} // namespace token

} // namespace ruva
