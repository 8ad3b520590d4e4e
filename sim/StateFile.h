#pragma once
// The state file on disk: found, read and checked at start, and replaced atomically after every change.

#include "SimState.h"

#include <optional>
#include <string>

namespace ruva::sim {

// $XDG_STATE_HOME/ruva2-sim/state.json, else ~/.local/state/ruva2-sim/state.json.
std::string DefaultStatePath();

struct LoadedState {
    bool Missing = false;          // no file yet: the caller starts from a fresh state
    std::optional<SimState> State; // the state, when the file was read and is sound
    std::string Error;             // why the file is refused (neither Missing nor State)
};

LoadedState LoadStateFile(const std::string& path);

// Writes the state to a temporary file beside `path`, syncs it and renames it over `path`, so the file
// holds either the old or the new state whatever happens. Empty on success, otherwise the reason.
std::string SaveStateFile(const std::string& path, const SimState& state);

} // namespace ruva::sim
