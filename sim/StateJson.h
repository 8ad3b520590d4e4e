#pragma once
// The simulator's state as a JSON document, readable and editable by hand: addresses in hex, revisions
// as dotted bytes, the stored image by field name with the configuration file's keys and value words.

#include "SimState.h"

#include <optional>
#include <string>
#include <string_view>

namespace ruva::sim {

// The whole state, every field spelled out, ending with a newline.
std::string StateToJson(const SimState& state);

struct ParsedState {
    std::optional<SimState> State;
    std::string Error; // where and what, when State is empty
};

// Reads a state document. Fields it leaves out keep the values of a fresh state (a board missing a
// field takes that of the fresh board with its index); unknown keys and values out of range are errors.
ParsedState ParseState(std::string_view text);

} // namespace ruva::sim
