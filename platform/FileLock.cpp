#include "FileLock.h"

#include <thread>

namespace ruva {

FileLock::Status FileLock::Lock(const std::string& path, std::chrono::milliseconds wait, Options options) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    held_.reset();
    path_ = path;
    for (;;) {
        failure_ = Failure::None;
        error_.clear();
        owner_.clear();
        const Status status = TryLock(options);
        if (status != Status::Busy || std::chrono::steady_clock::now() >= deadline)
            return status;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

} // namespace ruva
