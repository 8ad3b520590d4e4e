#include "DevicePath.h"

#include "FileLock.h"

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

std::string ServedState(const std::string& lockPath) {
    // Held by its simulator, so that what it names is no leftover of one that has ended. On Windows the
    // file lies in the folder that every user shares: only one that no other user can have written is
    // followed, so that no user chooses where an administrator's programs make files.
#ifdef _WIN32
    std::string text = FileLock::TrustedText(lockPath);
#else
    std::string text = FileLock::HeldText(lockPath);
#endif
    // One whole line: a name with a line end in it is not taken for a shorter one.
    if (text.empty() || text.find('\n') != text.size() - 1)
        return {};
    text.pop_back();
#ifdef _WIN32
    // A drive's full path or a network path.
    const bool absolute = (text.size() > 2 && text[1] == ':' && (text[2] == '\\' || text[2] == '/')) ||
                          text.starts_with("\\\\");
#else
    const bool absolute = text.starts_with('/');
#endif
    return absolute ? text : std::string();
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
