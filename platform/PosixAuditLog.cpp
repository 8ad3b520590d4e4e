// The audit log on Linux: the journal's own socket, where the journal runs, so that each part of a
// record is a field of its own (RUVA_BOARD, RUVA_FILE_SHA256, one RUVA_CHANGE per change ...); else
// the syslog socket /dev/log (rsyslog, or the journal behind it), which stores the one-line summary.
// Facility user: the records are the program's own messages, not authentication (authpriv, readable
// by root only) nor a site's choice (local0-7); the identifier is the program's name, so a filter on
// it finds them wherever the site sends user messages.
//
// A record is appended inside the board hold, so a log that stops reading must never hold the save:
// both protocols are written here on non-blocking sockets (syslog(3) would wait for ever on a full
// /dev/log), and all the sends of one record share a deadline of SendBudget (a quarter of a second).
// A log that has not taken the record by then is given up for this record.

#include "AuditLog.h"
#include "ForeignFile.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <syslog.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <thread>

namespace ruva {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds SendBudget{250};

// Where the logs listen. The variables are for tests only, which point the programs at logs of their
// own; they are not meant for use otherwise.
std::string SocketPath(const char* variable, const char* path) {
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0' ? value : path;
}

// One journal field: "NAME=value\n"; a value with a line end as "NAME\n", its length (64 bits,
// little-endian), the value and "\n". Values the user or the system chose are cut to AuditValueLimit;
// the journal's own fields and the record's numbers, kinds and digests stay whole.
void Field(std::string& out, std::string_view name, std::string_view value, bool cut = false) {
    const std::string text = cut ? AuditCut(value) : std::string(value);
    out += name;
    if (text.find('\n') == std::string::npos) {
        out += '=';
    } else {
        out += '\n';
        for (int i = 0; i < 8; ++i)
            out += static_cast<char>((static_cast<std::uint64_t>(text.size()) >> (8 * i)) & 0xFF);
    }
    out += text;
    out += '\n';
}

// One id per kind, so that `journalctl MESSAGE_ID=...` lists the records of that kind.
std::string_view MessageId(AuditKind kind) {
    switch (kind) {
    case AuditKind::Written:
        return "6f3c1a52d8e44b0f9a7e2c5b41d09e71";
    case AuditKind::Repaired:
        return "0b8d4e6f2a9c47d1b3e5f7a9c1d3e5f7";
    case AuditKind::Failed:
        return "c47e9a1b3d5f4e2a8c6b0d2f4a6c8e0b";
    case AuditKind::RolledBack:
        return "5e2d8b4a6c0f41e3a7b9d1f3e5a7c9b1";
    case AuditKind::Begun:
        return "9a41c7e25b3d4f86a0e2c4b6d8f1a3c5";
    }
    return {};
}

int Priority(AuditKind kind) {
    switch (kind) {
    case AuditKind::Failed:
        return LOG_ERR;
    case AuditKind::RolledBack:
        return LOG_WARNING;
    case AuditKind::Written:
    case AuditKind::Repaired:
    case AuditKind::Begun:
        break;
    }
    return LOG_NOTICE;
}

// Whether `fd` can be written to before `deadline`.
bool WaitWritable(int fd, Clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return false;
        pollfd p{fd, POLLOUT, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left));
        if (ready != 0 && !(ready < 0 && errno == EINTR))
            return ready > 0;
    }
}

// A socket's outcome: 0 once the log took the whole message, else the error; ETIMEDOUT when it did
// not take it before the deadline.
int Send(const std::string& path, int type, std::string_view message, Clock::time_point deadline) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return ENAMETOOLONG;
    std::memcpy(address.sun_path, path.data(), path.size());
    const int fd = ::socket(AF_UNIX, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return errno;
    int error = 0;
    // Connected, a datagram socket waits for room in the log's own queue, and a stream socket's connect
    // fails at once (EAGAIN) while the log's backlog is full: tried again until the deadline.
    while (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        error = errno;
        if (error != EAGAIN && error != EINTR)
            break;
        if (Clock::now() >= deadline) {
            error = ETIMEDOUT;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        error = 0;
    }
    for (std::size_t sent = 0; error == 0 && sent < message.size();) {
        const ssize_t n =
            ::send(fd, message.data() + sent, message.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n >= 0)
            sent += static_cast<std::size_t>(n);
        else if (errno == EAGAIN)
            error = WaitWritable(fd, deadline) ? 0 : ETIMEDOUT;
        else if (errno != EINTR)
            error = errno;
    }
    ::close(fd);
    return error;
}

// Why a log did not take the record, as the warning says it.
std::string Problem(std::string_view log, const std::string& path, int error) {
    return std::string(log) + " at " + path + " does not answer: " +
           (error == ETIMEDOUT ? "it took no record within a quarter of a second" : std::strerror(error));
}

class SystemLog final : public AuditLog {
public:
    explicit SystemLog(std::string_view program) : program_(program) {}

    std::optional<std::string> Append(const AuditRecord& record) override {
        const Clock::time_point deadline = Clock::now() + SendBudget;
        const std::string message = AuditSummary(record);
        const std::string journal = SocketPath("RUVA_TEST_JOURNAL_SOCKET", "/run/systemd/journal/socket");
        const int toJournal = Send(journal, SOCK_DGRAM, JournalDatagram(record, message), deadline);
        if (toJournal == 0)
            return std::nullopt;
        const std::string syslog = SocketPath("RUVA_TEST_SYSLOG_SOCKET", "/dev/log");
        std::string line = SyslogLine(record, message);
        int toSyslog = Send(syslog, SOCK_DGRAM, line, deadline);
        if (toSyslog == EPROTOTYPE) { // a stream socket, whose messages end with a NUL
            line += '\0';
            toSyslog = Send(syslog, SOCK_STREAM, line, deadline);
        }
        if (toSyslog == 0)
            return std::nullopt;
        // A system that keeps no log at all (no journal, nothing at /dev/log) loses the record as it
        // loses every program's syslog messages; a log that is there but does not take it is named.
        const bool noJournal = toJournal == ENOENT, noSyslog = toSyslog == ENOENT;
        if (noJournal && noSyslog)
            return std::nullopt;
        if (noSyslog)
            return Problem("the journal", journal, toJournal);
        std::string problem = Problem("the system log", syslog, toSyslog);
        if (!noJournal)
            problem = Problem("the journal", journal, toJournal) + "; " + problem;
        return problem;
    }

private:
    std::string JournalDatagram(const AuditRecord& r, const std::string& message) const {
        std::string datagram;
        Field(datagram, "MESSAGE", message);
        Field(datagram, "MESSAGE_ID", MessageId(r.Kind));
        Field(datagram, "PRIORITY", std::to_string(Priority(r.Kind)));
        Field(datagram, "SYSLOG_FACILITY", std::to_string(LOG_USER >> 3));
        Field(datagram, "SYSLOG_IDENTIFIER", program_);
        Field(datagram, "RUVA_TIME", r.Time);
        Field(datagram, "RUVA_USER", r.User, true);
        Field(datagram, "RUVA_HOST", r.Host, true);
        Field(datagram, "RUVA_PROGRAM", r.Program, true);
        Field(datagram, "RUVA_BOARD", std::to_string(r.Board));
        if (r.SerialNumber) {
            Field(datagram, "RUVA_SERIAL_NUMBER", std::to_string(*r.SerialNumber));
            Field(datagram, "RUVA_SERIAL_NO", r.SerialNo);
        }
        Field(datagram, "RUVA_SIMULATED", r.Simulated ? "1" : "0");
        if (r.File) {
            Field(datagram, "RUVA_FILE", r.File->Name, true);
            Field(datagram, "RUVA_FILE_SHA256", r.File->Sha256);
        }
        Field(datagram, "RUVA_SOURCE", r.Source, true);
        Field(datagram, "RUVA_KIND", AuditKindName(r.Kind));
        for (const std::string& change : r.Changes)
            Field(datagram, "RUVA_CHANGE", change, true);
        Field(datagram, "RUVA_OUTCOME", r.Outcome, true);
        if (r.DriverError) {
            Field(datagram, "RUVA_DRIVER_ERROR", std::to_string(r.DriverError->Number));
            Field(datagram, "RUVA_DRIVER_ERROR_TEXT", r.DriverError->Text, true);
        }
        return datagram;
    }

    // The syslog protocol's line, as syslog(3) writes it: "<13>May  2 12:41:07 ruvacfg[4242]: ...",
    // the time local, the month's name in English whatever the locale.
    std::string SyslogLine(const AuditRecord& r, const std::string& message) const {
        static constexpr const char* Months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        ::localtime_r(&now, &local);
        char stamp[32];
        std::snprintf(stamp, sizeof stamp, "%s %2d %02d:%02d:%02d", Months[local.tm_mon % 12], local.tm_mday,
                      local.tm_hour, local.tm_min, local.tm_sec);
        return "<" + std::to_string(LOG_USER | Priority(r.Kind)) + ">" + stamp + " " + program_ + "[" +
               std::to_string(::getpid()) + "]: " + message;
    }

    std::string program_;
};

} // namespace

std::unique_ptr<AuditLog> MakeSystemAuditLog(std::string_view program) {
    return std::make_unique<SystemLog>(program);
}

std::string CurrentUserName() {
    std::string name = OwnerName(::getuid());
    // Run through sudo (Ansible's become), root acts for the user who asked.
    if (const char* sudo = std::getenv("SUDO_USER"); ::getuid() == 0 && sudo != nullptr && *sudo != '\0')
        name += std::string(" (sudo from ") + sudo + ")";
    return name;
}

std::string CurrentHostName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return {};
    return name;
}

} // namespace ruva
