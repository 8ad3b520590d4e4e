#pragma once
// A configuration as ruvacfg prints it: an aligned listing for people, or one JSON object for scripts.
// Both walk the model's field tables, so every E1 and T1 field appears under its file key.

#include "BoardConfig.h"
#include "ConfigDifferences.h"

#include <nlohmann/json.hpp>

#include <ostream>
#include <string>
#include <vector>

namespace ruva::tool {

// Prints one JSON object, indented, and a line end. Bytes that are not UTF-8 (in a file name, a
// driver's text) are printed as U+FFFD, so the output is always valid JSON.
void PrintJson(std::ostream& out, const nlohmann::ordered_json& json);

// {"board": N, "General": {...}, "Li": [{"E1": {...}, "T1": {...}}, ...], "Image": "<hex>"}, keys in
// file order. Enumerated fields give their value word, or their number when no word fits.
nlohmann::ordered_json ConfigToJson(const BoardConfig& config, int board);

// The listing: General first, then every E1 and T1 field with the values of Li0 and Li1 side by side,
// numbers in the file's formats.
std::string ConfigListing(const BoardConfig& config, int board);

} // namespace ruva::tool
