#pragma once
// The error record of one parse: the first error wins and is kept as one line of text,
// "Error near line N: MESSAGE\n", together with its line and message for callers that format it
// themselves (the command-line tool prints FILE:LINE: MESSAGE).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ruva {

class ParseErrorRecord {
public:
    // The longest error text kept; a longer one is cut.
    static constexpr std::size_t MaxTextLength = 255;

    // Records the error unless one has been recorded since the last Clear().
    void ReportParseError(std::int64_t line, std::string_view message);
    void Clear() { *this = ParseErrorRecord{}; }

    bool ParseErrorRecorded() const { return recorded_; }
    // "Error near line N: MESSAGE\n"; empty when nothing was recorded.
    const std::string& ParseErrorText() const { return text_; }
    std::int64_t Line() const { return line_; }
    const std::string& Message() const { return message_; }

private:
    bool recorded_ = false;
    std::int64_t line_ = 0;
    std::string message_;
    std::string text_;
};

} // namespace ruva
