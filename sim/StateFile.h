#pragma once
// The state file on disk: found, read and checked, replaced atomically after every change, and locked so
// that only one simulator works on it at a time: ruva2-sim for its whole life, the boards simulated in
// process for each request. So the state a simulator serves is always the newest one written.

#include "FileLock.h"
#include "SimState.h"

#include <chrono>
#include <optional>
#include <string>

namespace ruva::sim {

// $XDG_STATE_HOME/ruva2-sim/state.json, else ~/.local/state/ruva2-sim/state.json; on Windows
// <the user's application data folder>\RuvasetW\simulated-boards.json.
std::string DefaultStatePath();

// Creates the folder of `statePath` when it is missing (on Windows its last level only). Empty on
// success, otherwise the reason.
std::string CreateStateFolder(const std::string& statePath);

// `path` made absolute and, for a symbolic link, the file it points to: the state, beside which its lock
// and log go. Empty with `error` set when the path cannot be resolved, or when it leads through a link
// that may have been planted (on POSIX systems: a link in a sticky folder that anyone may write to,
// made by another user than this process's and the folder's owner). Creates nothing.
std::string ResolveStatePath(const std::string& path, std::string& error);

// A file beside the state, named after it: state.json -> state.lock.
std::string BesideState(const std::string& statePath, const char* extension);

struct LoadedState {
    bool Missing = false;          // no file yet: the caller starts from a fresh state
    std::optional<SimState> State; // the state, when the file was read and is sound
    std::string Error;             // why the file is refused (neither Missing nor State)
};

LoadedState LoadStateFile(const std::string& path);

// Whether the state at `path` can serve, checked before anything is made for it (its folder, its lock):
// a missing one, or one that is sound and could be replaced now. Empty when it can, otherwise the
// reason. Creates nothing.
std::string CheckStateUsable(const std::string& path);

// Whether the state at `path` could be replaced now (the file and its folder writable), without
// changing anything. Empty when it could, otherwise the reason.
std::string CheckStateWritable(const std::string& path);

// Replaces the file at `path` (for a link, the file it points to) as a whole with the state (see
// AtomicFile), so the file holds either the old or the new state whatever happens. Refuses a state too
// large to be read back. Empty on success, otherwise the reason.
std::string SaveStateFile(const std::string& path, const SimState& state);

// How long a simulator waits for another process to let go of a lock: a simulator that serves a
// request in process or is shutting down does so well within it; a running ruva2-sim never does.
inline constexpr std::chrono::milliseconds LockPatience{2000};

// Locks the file at `path` (see FileLock), waiting LockPatience. Empty once held; otherwise the reason,
// which is `busy` when another process held the lock all the while.
std::string LockFile(FileLock& lock, const std::string& path, const std::string& busy);

// Keeps every other simulator off a state file while it is held: a lock on a file beside the state and,
// where the system has such locks (not on Windows), one on the state file itself, so that a link to it
// under another name is kept off too.
class StateLock {
public:
    // Empty once both are held, otherwise the reason.
    std::string Acquire(const std::string& statePath, const std::string& lockPath);
    // Moves the lock to the file now at the state path, after it was replaced.
    void Follow();

private:
    FileLock lockFile_;
    FileLock state_;
    std::string statePath_;
};

// The platform's part of LoadStateFile: the file's bytes, at most `limit` + 1 of them. Sets `missing`
// when there is no file; otherwise an empty text on success or the reason it cannot be read (also for
// something that is not a regular file).
std::string ReadStateText(const std::string& path, std::size_t limit, std::string& text, bool& missing);

} // namespace ruva::sim
