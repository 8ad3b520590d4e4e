// The audit log on Windows: the Application event log, source "RuvasetW" (which the installer
// registers, naming the programs' message table), one event ID per kind of record and the record's
// parts as the event's insertion strings, in the order of RuvaEvents.mc. Each string is one line of
// the event's text, as AuditLineText has it (the changes one a line), so that no name can forge a line
// of its own. ReportEventW hands the event to the local event log service and returns: it is called
// once a record, never tried again nor waited for, so a log that does not take a record never holds
// the save.

#include "AuditLog.h"

#include "Utf16.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "RuvaEvents.h"

#include <array>

namespace ruva {

namespace {

constexpr const wchar_t* EventSource = L"RuvasetW";

DWORD EventId(AuditKind kind) {
    switch (kind) {
    case AuditKind::Written:
        return RUVA_EVENT_WRITTEN;
    case AuditKind::Repaired:
        return RUVA_EVENT_REPAIRED;
    case AuditKind::Failed:
        return RUVA_EVENT_FAILED;
    case AuditKind::RolledBack:
        return RUVA_EVENT_ROLLED_BACK;
    case AuditKind::Begun:
        return RUVA_EVENT_BEGUN;
    }
    return RUVA_EVENT_WRITTEN;
}

WORD EventType(AuditKind kind) {
    switch (kind) {
    case AuditKind::Failed:
        return EVENTLOG_ERROR_TYPE;
    case AuditKind::RolledBack:
        return EVENTLOG_WARNING_TYPE;
    case AuditKind::Written:
    case AuditKind::Repaired:
    case AuditKind::Begun:
        break;
    }
    return EVENTLOG_INFORMATION_TYPE;
}

class EventLog final : public AuditLog {
public:
    ~EventLog() override {
        if (source_ != nullptr)
            ::DeregisterEventSource(source_);
    }

    std::optional<std::string> Append(const AuditRecord& r) override {
        if (source_ == nullptr)
            source_ = ::RegisterEventSourceW(nullptr, EventSource);
        if (source_ == nullptr)
            return "the event log cannot be opened: " + SystemErrorText(::GetLastError());
        std::string changes;
        for (const std::string& change : r.Changes)
            changes += (changes.empty() ? "" : "\r\n") + AuditLineText(change);
        const auto line = [](std::string_view text) { return Widen(AuditLineText(text)); };
        const std::array<std::wstring, 12> strings = {
            Widen(std::to_string(r.Board)),
            Widen(r.SerialNumber ? AuditSerialText(r) : "unknown"),
            r.Simulated ? L", simulated" : L"",
            line(r.User),
            line(r.Host),
            line(r.Program),
            line(r.Time),
            r.File ? Widen("\"" + AuditLineText(r.File->Name, true) + "\" (SHA-256 " +
                           AuditLineText(r.File->Sha256) + ")")
                   : L"none",
            line(r.Source),
            changes.empty() ? L"none" : Widen(changes),
            line(r.Outcome),
            r.DriverError ? Widen("Error #" + std::to_string(r.DriverError->Number) + ": " +
                                  AuditLineText(r.DriverError->Text))
                          : L"none"};
        std::array<const wchar_t*, strings.size()> pointers{};
        for (std::size_t i = 0; i < strings.size(); ++i)
            pointers[i] = strings[i].c_str();
        if (!::ReportEventW(source_, EventType(r.Kind), 0, EventId(r.Kind), nullptr,
                            static_cast<WORD>(pointers.size()), 0, pointers.data(), nullptr))
            return "the event log did not take the record: " + SystemErrorText(::GetLastError());
        return std::nullopt;
    }

private:
    HANDLE source_ = nullptr;
};

} // namespace

std::unique_ptr<AuditLog> MakeSystemAuditLog(std::string_view) {
    return std::make_unique<EventLog>();
}

std::string CurrentUserName() {
    wchar_t name[257] = {};
    DWORD size = 257;
    return ::GetUserNameW(name, &size) ? Narrow(name) : std::string();
}

std::string CurrentHostName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return ::GetComputerNameW(name, &size) ? Narrow(name) : std::string();
}

} // namespace ruva
