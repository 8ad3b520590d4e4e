#include "SimLog.h"

#include <cstdio>
#include <ctime>

namespace ruva::sim {

void Log(std::string_view line) {
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    ::localtime_s(&local, &now);
#else
    ::localtime_r(&now, &local);
#endif
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    std::fprintf(stderr, "%s ruva2-sim: %.*s\n", stamp, static_cast<int>(line.size()), line.data());
    std::fflush(stderr);
}

} // namespace ruva::sim
