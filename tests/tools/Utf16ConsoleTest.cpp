#include "Utf16Console.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

namespace ruva::tool {
namespace {

TEST(Utf16WriterTest, HandsOnWholeCharactersAndReplacesWhatIsNoUtf8) {
    const std::pair<std::vector<std::string>, std::wstring> cases[] = {
        {{"Pr\xC3", "\xBC", "fung-\xC3\xA4.cfg\n"}, L"Pr\u00FCfung-\u00E4.cfg\n"},
        {{"\xF0\x9F", "\x98", "\x80!"}, L"\U0001F600!"},
        {{"\xE2\x82\xAC", "\xE2\x82"}, L"\u20AC\uFFFD"}, // cut off at the end
        // bytes that start nothing, a sequence broken off, an overlong form, a surrogate, past U+10FFFF
        {{"a\xFF", "b\xC3(\xC0\xAF", "\xED\xA0\x80\xF4\x90\x80\x80"},
         L"a\uFFFDb\uFFFD(" + std::wstring(9, L'\uFFFD')},
    };
    for (const auto& [pieces, expected] : cases) {
        std::wstring got;
        {
            Utf16Writer writer([&got](std::wstring_view text) { return got += text, true; });
            std::ostream stream(&writer);
            for (const std::string& piece : pieces)
                stream << piece << std::flush; // each piece a write of its own
        }
        EXPECT_EQ(got, expected);
    }
}

} // namespace
} // namespace ruva::tool
