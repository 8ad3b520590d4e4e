#include "StateFile.h"

#include "StateJson.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ruva::sim {

namespace {

// A state file is a few kilobytes; anything far larger is not one.
constexpr off_t MaxStateFileSize = 1 << 20;

std::string SystemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

std::string HomeDirectory() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/')
        return home;
    if (const passwd* user = ::getpwuid(::getuid()); user != nullptr && user->pw_dir != nullptr)
        return user->pw_dir;
    return ".";
}

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

} // namespace

std::string DefaultStatePath() {
    const char* stateHome = std::getenv("XDG_STATE_HOME");
    // Relative values are to be ignored, like an unset variable.
    const std::string base =
        stateHome != nullptr && stateHome[0] == '/' ? stateHome : HomeDirectory() + "/.local/state";
    return base + "/ruva2-sim/state.json";
}

LoadedState LoadStateFile(const std::string& path) {
    LoadedState loaded;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            loaded.Missing = true;
        else
            loaded.Error = SystemError("cannot read the state file " + path);
        return loaded;
    }
    struct stat st {};
    std::string text;
    if (::fstat(fd, &st) != 0) {
        loaded.Error = SystemError("cannot read the state file " + path);
    } else if (!S_ISREG(st.st_mode)) {
        loaded.Error = "the state file " + path + " is not a regular file";
    } else if (st.st_size > MaxStateFileSize) {
        loaded.Error = "the state file " + path + " is too large to be a simulator state";
    } else {
        char buffer[8192];
        ssize_t n;
        while ((n = ::read(fd, buffer, sizeof buffer)) != 0) {
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 || text.size() > static_cast<std::size_t>(MaxStateFileSize)) {
                loaded.Error = n < 0 ? SystemError("cannot read the state file " + path)
                                     : "the state file " + path + " is too large to be a simulator state";
                break;
            }
            text.append(buffer, static_cast<std::size_t>(n));
        }
    }
    ::close(fd);
    if (!loaded.Error.empty())
        return loaded;

    ParsedState parsed = ParseState(text);
    if (!parsed.State) {
        loaded.Error = "the state file " + path + " is not a simulator state: " + parsed.Error;
        return loaded;
    }
    loaded.State = std::move(parsed.State);
    return loaded;
}

std::string SaveStateFile(const std::string& path, const SimState& state) {
    const std::filesystem::path target(path);
    const std::filesystem::path directory = target.has_parent_path() ? target.parent_path() : ".";
    std::string temporary = (directory / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return SystemError("cannot create a temporary file in " + directory.string());

    const std::string text = StateToJson(state);
    std::string error;
    if (!WriteAll(fd, text))
        error = SystemError("cannot write " + temporary);
    else if (::fsync(fd) != 0)
        error = SystemError("cannot sync " + temporary);
    if (::close(fd) != 0 && error.empty())
        error = SystemError("cannot write " + temporary);
    if (error.empty() && ::rename(temporary.c_str(), path.c_str()) != 0)
        error = SystemError("cannot replace " + path);
    if (!error.empty()) {
        ::unlink(temporary.c_str());
        return error;
    }
    // The rename itself is durable once the directory is synced.
    if (const int dir = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return {};
}

} // namespace ruva::sim
