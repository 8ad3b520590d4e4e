#pragma once
// Reading a configuration file for a command, with its failures as one line on the error stream
// (the file "-" is the standard input, named "(standard input)" in messages unless --file-name names it):
//   FILE:LINE: MESSAGE            the file's first error
//   FILE: cannot open: REASON
//   (standard input): cannot read: REASON
//   FILE: no settings for board N

#include "BoardConfig.h"
#include "ConfigLoader.h"

#include <istream>
#include <optional>
#include <ostream>
#include <string>

namespace CLI {
class App;
}

namespace ruva::tool {

inline constexpr const char* StandardInput = "-";

// A FILE argument: a file's name, or "-" for the standard input. Messages name it by the name the
// caller gave (--file-name: the name it knows the text by, e.g. the file on another machine that it
// passes on), else by its path, the standard input as "(standard input)".
struct InputFile {
    std::string Path;
    std::optional<std::string> GivenName;

    // The name of the file in messages.
    std::string Name() const {
        return GivenName ? *GivenName : Path == StandardInput ? "(standard input)" : Path;
    }
};

// The FILE argument of a command and its --file-name option.
void AddFileArgument(CLI::App& command, InputFile& file);

// Parses the file, or `in` for "-", into `parsed`; `in` is read in blocks, as a file is, never held
// whole. A read error is CannotOpen, with its reason. `digest`, when given, receives the bytes read;
// `byteOrderMark`, whether they start with a UTF-8 byte-order mark.
LoadResult ReadConfigInput(const InputFile& file, std::istream& in, ParsedConfigFile& parsed,
                           Sha256* digest = nullptr, bool* byteOrderMark = nullptr);

// Parses the file and, with a board, takes that board's section into `config` as the board page
// would. False after printing the failure (an error in line 1 of a file that starts with a UTF-8
// byte-order mark names the mark).
bool LoadFileForCommand(const InputFile& file, std::istream& in, std::optional<int> board,
                        BoardConfig& config, std::ostream& err);

// The one-line text of a failed load.
std::string DescribeLoadFailure(const LoadResult& result, const InputFile& file, int board);

} // namespace ruva::tool
