#include "BoardFile.h"

namespace ruva {

std::string BoardFile::PathFor(const std::string& prefix, int board) {
    return prefix + "-board" + std::to_string(board) + ".lock";
}

bool BoardFile::SetClockUnsure(bool unsure) {
    return lock_.IsLocked() &&
           lock_.Store(unsure ? "clock may differ from the stored configuration\n" : "").empty();
}

} // namespace ruva
