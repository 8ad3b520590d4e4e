// The audit log on Linux: the journal's own socket, where the journal runs, so that each part of a
// record is a field of its own (RUVA_BOARD, RUVA_FILE_SHA256, one RUVA_CHANGE per change ...); else
// syslog(3), whose daemon (rsyslog, or the journal behind /dev/log) stores the one-line summary.
// Facility user: the records are the program's own messages, not authentication (authpriv, readable
// by root only) nor a site's choice (local0-7); the identifier is the program's name, so a filter on
// it finds them wherever the site sends user messages.

#include "AuditLog.h"

#include <pwd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <syslog.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace ruva {

namespace {

constexpr const char* JournalSocket = "/run/systemd/journal/socket";
constexpr const char* SyslogSocket = "/dev/log"; // where syslog(3) sends

// One journal field: "NAME=value\n"; a value with a line end as "NAME\n", its length (64 bits,
// little-endian), the value and "\n".
void Field(std::string& out, std::string_view name, std::string_view value) {
    out += name;
    if (value.find('\n') == std::string_view::npos) {
        out += '=';
    } else {
        out += '\n';
        for (int i = 0; i < 8; ++i)
            out += static_cast<char>((static_cast<std::uint64_t>(value.size()) >> (8 * i)) & 0xFF);
    }
    out += value;
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

sockaddr_un Address(const char* path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path, sizeof address.sun_path - 1);
    return address;
}

class SystemLog final : public AuditLog {
public:
    explicit SystemLog(std::string_view program) : program_(program) {}
    ~SystemLog() override {
        if (opened_)
            closelog();
    }

    std::optional<std::string> Append(const AuditRecord& record) override {
        const std::string message = AuditSummary(record);
        if (ToJournal(record, message))
            return std::nullopt;
        // syslog(3) tells no failure: whether its socket takes messages is asked first. A system that
        // keeps no log at all (no journal, nothing at /dev/log) loses the record as it loses every
        // program's syslog(3) messages; a log that is there but refuses it is a failure.
        if (const int error = SyslogUnreachable(); error == ENOENT)
            return std::nullopt;
        else if (error != 0)
            return std::string("the system log at ") + SyslogSocket +
                   " does not answer: " + std::strerror(error);
        if (!opened_) {
            openlog(program_.c_str(), LOG_PID, LOG_USER);
            opened_ = true;
        }
        syslog(LOG_USER | Priority(record.Kind), "%s", message.c_str());
        return std::nullopt;
    }

private:
    bool ToJournal(const AuditRecord& r, const std::string& message) const {
        std::string datagram;
        Field(datagram, "MESSAGE", message);
        Field(datagram, "MESSAGE_ID", MessageId(r.Kind));
        Field(datagram, "PRIORITY", std::to_string(Priority(r.Kind)));
        Field(datagram, "SYSLOG_FACILITY", std::to_string(LOG_USER >> 3));
        Field(datagram, "SYSLOG_IDENTIFIER", program_);
        Field(datagram, "RUVA_TIME", r.Time);
        Field(datagram, "RUVA_USER", r.User);
        Field(datagram, "RUVA_HOST", r.Host);
        Field(datagram, "RUVA_PROGRAM", r.Program);
        Field(datagram, "RUVA_BOARD", std::to_string(r.Board));
        if (r.SerialNumber) {
            Field(datagram, "RUVA_SERIAL_NUMBER", std::to_string(*r.SerialNumber));
            Field(datagram, "RUVA_SERIAL_NO", r.SerialNo);
        }
        Field(datagram, "RUVA_SIMULATED", r.Simulated ? "1" : "0");
        if (r.File) {
            Field(datagram, "RUVA_FILE", r.File->Name);
            Field(datagram, "RUVA_FILE_SHA256", r.File->Sha256);
        }
        Field(datagram, "RUVA_SOURCE", r.Source);
        Field(datagram, "RUVA_KIND", AuditKindName(r.Kind));
        for (const std::string& change : r.Changes)
            Field(datagram, "RUVA_CHANGE", change);
        Field(datagram, "RUVA_OUTCOME", r.Outcome);
        if (r.DriverError) {
            Field(datagram, "RUVA_DRIVER_ERROR", std::to_string(r.DriverError->Number));
            Field(datagram, "RUVA_DRIVER_ERROR_TEXT", r.DriverError->Text);
        }
        const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return false;
        const sockaddr_un address = Address(JournalSocket);
        const bool sent = ::sendto(fd, datagram.data(), datagram.size(), MSG_NOSIGNAL,
                                   reinterpret_cast<const sockaddr*>(&address),
                                   sizeof address) == static_cast<ssize_t>(datagram.size());
        ::close(fd);
        return sent;
    }

    // 0 when a datagram or stream socket at /dev/log accepts a connection, else the error.
    static int SyslogUnreachable() {
        const sockaddr_un address = Address(SyslogSocket);
        int error = 0;
        for (const int type : {SOCK_DGRAM, SOCK_STREAM}) {
            const int fd = ::socket(AF_UNIX, type | SOCK_CLOEXEC, 0);
            if (fd < 0)
                return errno;
            const bool connected =
                ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
            error = connected ? 0 : errno;
            ::close(fd);
            if (error != EPROTOTYPE)
                return error;
        }
        return error;
    }

    std::string program_; // kept: openlog keeps a pointer to it
    bool opened_ = false;
};

} // namespace

std::unique_ptr<AuditLog> MakeSystemAuditLog(std::string_view program) {
    return std::make_unique<SystemLog>(program);
}

std::string CurrentUserName() {
    std::string name;
    if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_name != nullptr)
        name = entry->pw_name;
    else
        name = "uid " + std::to_string(::getuid());
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
