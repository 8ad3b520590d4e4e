#include "SimLog.h"

#include "AuditLog.h"

#include <cstdio>
#include <ctime>
#include <string>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace ruva::sim {

namespace {

// What a pipe takes whole or not at all.
constexpr std::size_t PieceLimit = 4096;

#ifdef _WIN32
// Whether standard error took `text` whole. A pipe is switched to not waiting, where the system lets
// it (Windows does for its pipes; Wine not for a pipe of the host's), so that a write that does not fit
// is refused at once; a file or console takes the line as it comes.
bool WriteOut(const std::string& text) {
    const HANDLE out = ::GetStdHandle(STD_ERROR_HANDLE);
    if (out == nullptr || out == INVALID_HANDLE_VALUE)
        return false;
    static bool switched = false;
    if (!switched && ::GetFileType(out) == FILE_TYPE_PIPE) {
        DWORD mode = PIPE_READMODE_BYTE | PIPE_NOWAIT;
        ::SetNamedPipeHandleState(out, &mode, nullptr, nullptr);
    }
    switched = true;
    DWORD written = 0;
    return ::WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}
#else
// Whether standard error took `text` whole. A regular file never waits for a reader; a socket is sent
// to without waiting; a pipe or terminal is written through a non-blocking descriptor of its own
// (never by changing standard error's, which others may share), where a pipe takes a piece of
// PieceLimit bytes whole or not at all.
bool WriteOut(const std::string& text) {
    struct stat st {};
    if (::fstat(STDERR_FILENO, &st) != 0)
        return false;
    const auto whole = [&](ssize_t n) { return n == static_cast<ssize_t>(text.size()); };
    if (S_ISREG(st.st_mode))
        return whole(::write(STDERR_FILENO, text.data(), text.size()));
    if (S_ISSOCK(st.st_mode))
        return whole(::send(STDERR_FILENO, text.data(), text.size(), MSG_DONTWAIT | MSG_NOSIGNAL));
    const int fd = ::open("/proc/self/fd/2", O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd >= 0) {
        const bool taken = whole(::write(fd, text.data(), text.size()));
        ::close(fd);
        return taken;
    }
    // Without /proc: only when there is room now.
    pollfd p{STDERR_FILENO, POLLOUT, 0};
    return ::poll(&p, 1, 0) == 1 && p.revents == POLLOUT &&
           whole(::write(STDERR_FILENO, text.data(), text.size()));
}
#endif

std::string Stamped(std::string_view line) {
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    ::localtime_s(&local, &now);
#else
    ::localtime_r(&now, &local);
#endif
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    return std::string(stamp) + " ruva2-sim: " + std::string(line) + "\n";
}

} // namespace

void Log(std::string_view line) {
    static unsigned long dropped = 0; // the simulator serves, and logs, on one thread
    std::string text;
    if (dropped > 0)
        text = Stamped(std::to_string(dropped) + " log lines before this one were dropped: the log did not "
                                                 "take them at once");
    text += Stamped(AuditCut(line, PieceLimit - text.size() - 64));
    if (WriteOut(text))
        dropped = 0;
    else
        ++dropped;
}

} // namespace ruva::sim
