#pragma once
// File data on an output stream: the bytes of a configuration file, whose lines already end in CR LF.

#include <ostream>
#include <string_view>

namespace ruva::tool {

// Writes `bytes` to `out` as they are. On Windows the standard output is in text mode, which would
// turn each LF into CR LF for a file or a pipe (CR CR LF in a configuration file): it is in binary mode
// while the bytes are written to it. A console gets them as text either way (Utf16Console).
void PrintFileBytes(std::ostream& out, std::string_view bytes);

} // namespace ruva::tool
