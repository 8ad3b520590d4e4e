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

} // namespace ruva
