#pragma once
// The audit log of the tests: keeps every record it takes, or refuses each with Problem.

#include "AuditLog.h"

#include <vector>

namespace ruva::test {

class RecordingAuditLog final : public AuditLog {
public:
    std::optional<std::string> Append(const AuditRecord& record) override {
        if (Problem)
            return Problem;
        Records.push_back(record);
        return std::nullopt;
    }
    std::vector<AuditRecord> Records;
    std::optional<std::string> Problem;
};

} // namespace ruva::test
