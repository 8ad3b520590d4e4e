// The state file's platform part on POSIX systems.

#include "StateFile.h"

#include "DevicePath.h"
#include "ForeignFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace ruva::sim {

namespace {

std::string SystemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

} // namespace

std::string DefaultStatePath() {
    return UserStateHome() + "/ruva2-sim/state.json";
}

std::string CreateStateFolder(const std::string& statePath) {
    const std::filesystem::path folder = std::filesystem::path(statePath).parent_path();
    std::error_code ec;
    if (!std::filesystem::create_directories(folder, ec) && ec)
        return "cannot create " + folder.string() + ": " + ec.message();
    return {};
}

std::string ResolveStatePath(const std::string& path, std::string& error) {
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    if (ec) {
        error = "cannot resolve the state file " + path + ": " + ec.message();
        return {};
    }
    // Through a link, the file it points to is the state.
    if (std::filesystem::path resolved = std::filesystem::canonical(absolute, ec); !ec)
        absolute = std::move(resolved);
    return absolute.string();
}

std::string ReadStateText(const std::string& path, std::size_t limit, std::string& text, bool& missing) {
    // Without blocking: opening a FIFO would otherwise wait for a writer for ever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        missing = errno == ENOENT;
        return missing ? std::string() : SystemError("cannot read the state file " + path);
    }
    std::string error;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        error = SystemError("cannot read the state file " + path);
    } else if (!S_ISREG(st.st_mode)) {
        error = "the state file " + path + " is not a regular file";
    } else if (const std::string foreign = ForeignFileReason(fd); !foreign.empty()) {
        // Each change replaces the file, which would part its other names from the boards.
        error = "the state file " + path + " is refused: " + foreign;
    } else {
        char buffer[8192];
        ssize_t n;
        while (text.size() <= limit && (n = ::read(fd, buffer, sizeof buffer)) != 0) {
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                error = SystemError("cannot read the state file " + path);
                break;
            }
            text.append(buffer, static_cast<std::size_t>(n));
        }
    }
    ::close(fd);
    return error;
}

} // namespace ruva::sim
