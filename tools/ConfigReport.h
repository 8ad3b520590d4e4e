#pragma once
// A configuration as ruvacfg prints it: an aligned listing for people, or one JSON object for scripts.
// Both walk the model's field tables, so every E1 and T1 field appears under its file key.

#include "BoardConfig.h"

#include <nlohmann/json.hpp>

#include <string>

namespace ruva::tool {

// {"board": N, "General": {...}, "Li": [{"E1": {...}, "T1": {...}}, ...], "Image": "<hex>"}, keys in
// file order. Enumerated fields give their value word, or their number when no word fits.
nlohmann::ordered_json ConfigToJson(const BoardConfig& config, int board);

// The listing: General first, then every E1 and T1 field with the values of Li0 and Li1 side by side,
// numbers in the file's formats.
std::string ConfigListing(const BoardConfig& config, int board);

} // namespace ruva::tool
