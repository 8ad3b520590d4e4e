#pragma once
// Reading a configuration file for a command, with its failures as one line on the error stream
// (the file "-" is the standard input, named "(standard input)" in messages):
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

namespace ruva::tool {

inline constexpr const char* StandardInput = "-";

// The name of a FILE argument in messages.
std::string InputName(const std::string& path);

// Parses the file, or `in` for "-", into `parsed`; `in` is read in blocks, as a file is, never held
// whole. A read error of the standard input is CannotOpen, with its reason. `digest`, when given,
// receives the bytes read.
LoadResult ReadConfigInput(const std::string& path, std::istream& in, ParsedConfigFile& parsed,
                           Sha256* digest = nullptr);

// Parses the file and, with a board, takes that board's section into `config` as the board page
// would. False after printing the failure.
bool LoadFileForCommand(const std::string& path, std::istream& in, std::optional<int> board,
                        BoardConfig& config, std::ostream& err);

// The one-line text of a failed load.
std::string DescribeLoadFailure(const LoadResult& result, const std::string& path, int board);

} // namespace ruva::tool
