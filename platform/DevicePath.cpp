#include "DevicePath.h"

#include <cstdlib>

#ifndef _WIN32
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace ruva {

RuntimeDir DeviceRuntimeDir() {
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    if (xdg != nullptr && xdg[0] == '/')
        return {xdg, false};
#ifdef _WIN32
    return {".", true};
#else
    return {"/tmp/ruva2-" + std::to_string(::getuid()), true};
#endif
}

std::string CheckPrivateDirectory(const std::string& path) {
#ifdef _WIN32
    (void)path;
    return {};
#else
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return "does not exist";
    if (!S_ISDIR(st.st_mode))
        return "is not a directory";
    if (st.st_uid != ::getuid())
        return "belongs to another user";
    if ((st.st_mode & 0777) != 0700)
        return "is not private (mode must be 0700)";
    return {};
#endif
}

std::string DeviceSocketPath(std::string_view devicePath) {
    std::string_view name = devicePath;
    if (auto slash = name.find_last_of("\\/"); slash != std::string_view::npos)
        name.remove_prefix(slash + 1);
    std::string file;
    for (char c : name)
        file += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return DeviceRuntimeDir().Path + "/" + file + ".sock";
}

std::string SocketLockPath(std::string_view socketPath) {
    return std::string(socketPath) + ".lock";
}

#ifndef _WIN32
std::string UserStateHome() {
    // Relative values are to be ignored, like an unset variable.
    if (const char* stateHome = std::getenv("XDG_STATE_HOME"); stateHome != nullptr && stateHome[0] == '/')
        return stateHome;
    std::string home;
    if (const char* variable = std::getenv("HOME"); variable != nullptr && variable[0] == '/')
        home = variable;
    else if (const passwd* user = ::getpwuid(::getuid()); user != nullptr && user->pw_dir != nullptr)
        home = user->pw_dir;
    else
        home = ".";
    return home + "/.local/state";
}
#endif

} // namespace ruva
