#pragma once
// Where a device lives on a platform without the device namespace: the device "\\.\NAME" is the Unix
// stream socket "<runtime dir>/<name in lower case>.sock". The runtime directory is $XDG_RUNTIME_DIR,
// else /tmp/ruva2-<uid>, which must then belong to the user and have mode 0700.

#include <string>
#include <string_view>

namespace ruva {

struct RuntimeDir {
    std::string Path;
    bool Fallback = false; // the /tmp directory, which has to be checked before use
};

RuntimeDir DeviceRuntimeDir();

// Empty when `path` is a directory owned by this user with mode 0700; otherwise the reason it is not.
std::string CheckPrivateDirectory(const std::string& path);

// The socket that stands for a device path such as "\\.\RUVA2".
std::string DeviceSocketPath(std::string_view devicePath);

// The lock file that a simulator holds beside its socket for as long as it serves there. It names the
// state file of the simulator's boards, on one line, so that their clients keep the boards' files
// (locks and marks, see BoardFile) beside that state, where every other path to those boards keeps
// them too.
std::string SocketLockPath(std::string_view socketPath);

// The state file that the simulator holding the lock file `lockPath` names in it: one whole line with
// an absolute path. Empty when no simulator holds it or it names none.
std::string ServedState(const std::string& lockPath);

#ifndef _WIN32
// The user's folder for state that outlives the session: $XDG_STATE_HOME, else ~/.local/state.
std::string UserStateHome();
#endif

} // namespace ruva
