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

// Replaces the file at `path` (for a link, the file it points to) as a whole with the state (see
// AtomicFile), so the file holds either the old or the new state whatever happens. Refuses a state too
// large to be read back. Empty on success, otherwise the reason.
std::string SaveStateFile(const std::string& path, const SimState& state);

// Keeps a second simulator off a state file for the life of the process: a lock file beside the state,
// and a lock on the state file itself, so that a link to it under another name is refused too.
class StateLock {
public:
    StateLock() = default;
    ~StateLock();
    StateLock(const StateLock&) = delete;
    StateLock& operator=(const StateLock&) = delete;

    // Empty once both are held, otherwise the reason. The lock file is created with mode 0600 and never
    // through a symbolic link.
    std::string Acquire(const std::string& statePath, const std::string& lockPath);
    // Moves the lock to the file now at the state path, after it was replaced.
    void Follow();

private:
    bool LockStateItself();

    std::string statePath_;
    int lockFd_ = -1;
    int stateFd_ = -1;
};

} // namespace ruva::sim
