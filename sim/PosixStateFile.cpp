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

#include <algorithm>
#include <vector>

namespace ruva::sim {

namespace {

std::string SystemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

// A folder where anyone may make names and only their owners may remove them: /tmp, /var/tmp ...
bool SharedFolder(const struct stat& folder) {
    return (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
}

// The target of the link `path`; empty when it cannot be read.
std::string LinkTarget(const std::string& path) {
    std::string target(256, '\0');
    for (;;) {
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n < 0)
            return {};
        if (static_cast<std::size_t>(n) < target.size())
            return target.substr(0, static_cast<std::size_t>(n));
        target.resize(target.size() * 2);
    }
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
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    if (ec) {
        error = "cannot resolve the state file " + path + ": " + ec.message();
        return {};
    }
    // One name at a time, as the kernel follows a path, so that each link is judged where it lies. A
    // link in a shared folder that another user made (and not the folder's owner) is refused, as the
    // kernel's protected symlinks refuse it: it may lead anywhere, and the state's lock, log and boards'
    // files would be made beside whatever it names. Names not there yet are taken as they are.
    std::vector<std::string> names; // still to follow, the next one last
    const auto push = [&names](const std::string& text) {
        std::vector<std::string> parts;
        for (std::size_t start = 0; start <= text.size();) {
            const std::size_t slash = std::min(text.find('/', start), text.size());
            parts.push_back(text.substr(start, slash - start));
            start = slash + 1;
        }
        names.insert(names.end(), parts.rbegin(), parts.rend());
    };
    push(absolute.string());
    std::string resolved; // without links; empty for the root
    int links = 0;
    while (!names.empty()) {
        const std::string name = std::move(names.back());
        names.pop_back();
        if (name.empty() || name == ".")
            continue;
        if (name == "..") {
            resolved.erase(std::min(resolved.rfind('/'), resolved.size()));
            continue;
        }
        const std::string next = resolved + "/" + name;
        struct stat st {};
        if (::lstat(next.c_str(), &st) != 0 && errno != ENOENT) {
            error = SystemError("cannot resolve the state file " + path);
            return {};
        }
        if (!S_ISLNK(st.st_mode)) {
            resolved = next;
            continue;
        }
        const std::string folder = resolved.empty() ? "/" : resolved;
        struct stat shared {};
        if (::stat(folder.c_str(), &shared) == 0 && SharedFolder(shared) && st.st_uid != ::geteuid() &&
            st.st_uid != shared.st_uid) {
            error = "the state file " + path + " is refused: " + next +
                    " is a symbolic link in the shared folder " + folder + " that belongs to another user (" +
                    OwnerName(st.st_uid) + "), so it may lead to anyone's file";
            return {};
        }
        const std::string target = LinkTarget(next);
        if (target.empty() || ++links > 40) {
            errno = target.empty() ? errno : ELOOP;
            error = SystemError("cannot resolve the state file " + path);
            return {};
        }
        if (target.starts_with('/'))
            resolved.clear();
        push(target);
    }
    return resolved.empty() ? "/" : resolved;
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
