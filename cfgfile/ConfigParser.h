#pragma once
// The grammar of configuration files and what each construct stores. The parser reads the lexer's
// tokens with one token of lookahead and fills one slot per board section (boards 0 to 3): the
// clock source, the HDLC start address, and for each line interface its default mode and its E1 and
// T1 settings. The first syntax error ends the parse; value errors (a number out of range, a wrong
// board or line-interface number) are recorded and the parse goes on to the end of the input.

#include "BoardConfig.h"
#include "ByteSource.h"
#include "ParseError.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace ruva {

// A board's section: the configuration it gives (the image's Version and SerialNumber stay 0).
struct ParsedBoard : BoardConfig {
    bool Present = false; // a section with this board number was parsed
};

struct ParsedConfigFile {
    static constexpr int MaxBoards = 4;
    std::array<ParsedBoard, MaxBoards> Boards{};
};

// Parses the whole input into `parsed`, which is cleared first, as is `errors`. True when the input
// is a sentence of the grammar and no error was recorded; otherwise `errors` holds the first error.
bool ParseConfigFile(ByteSource& source, ParsedConfigFile& parsed, ParseErrorRecord& errors);
bool ParseConfigText(std::string_view text, ParsedConfigFile& parsed, ParseErrorRecord& errors);

// The value of a number token's text: binary digits after the "b" of a binary number; otherwise a
// text starting with "0x" is hexadecimal, another text starting with "0" octal, any other decimal.
// Conversion stops at the first character that is not a digit of the base; values above 4294967295
// become 4294967295.
std::uint32_t ConvertNumber(int kind, std::string_view text);

} // namespace ruva
