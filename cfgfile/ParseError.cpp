#include "ParseError.h"

#include "MessageFormat.h"
#include "Texts.h"

namespace ruva {

void ParseErrorRecord::ReportParseError(std::int64_t line, std::string_view message) {
    if (recorded_)
        return;
    recorded_ = true;
    line_ = line;
    message_ = message;
    text_ = FormatText(texts::ParseErrorLine, {line, message});
    if (text_.size() > MaxTextLength)
        text_.resize(MaxTextLength);
}

} // namespace ruva
