#include "BoardFile.h"

#include "BoardFileSystem.h"

#include <map>
#include <mutex>
#include <thread>

namespace ruva {

namespace {

// The boards this process holds, by file path, so that a second holder shares the lock.
std::mutex registryMutex;
std::map<std::string, std::weak_ptr<BoardFile::Held>> registry;

constexpr std::chrono::milliseconds RetryPause{50};

} // namespace

BoardFile::~BoardFile() {
    const std::lock_guard<std::mutex> guard(registryMutex);
    held_.reset();
}

std::string BoardFile::PathFor(const std::string& prefix, int board) {
    return prefix + "-board" + std::to_string(board) + ".lock";
}

BoardFile::Status BoardFile::Lock(const std::string& prefix, int board, std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    std::unique_lock<std::mutex> guard(registryMutex);
    held_.reset();
    error_.clear();
    path_ = PathFor(prefix, board);
    for (;;) {
        if (auto shared = registry[path_].lock()) {
            held_ = std::move(shared);
            return Status::Locked;
        }
        const Status status = boardfile::TryLock(path_, held_, error_);
        if (status == Status::Locked)
            registry[path_] = held_;
        if (status != Status::Busy || std::chrono::steady_clock::now() >= deadline)
            return status;
        guard.unlock();
        std::this_thread::sleep_for(RetryPause);
        guard.lock();
    }
}

bool BoardFile::ClockUnsure() const {
    return held_ && boardfile::Marked(*held_);
}

bool BoardFile::SetClockUnsure(bool unsure) {
    return held_ && boardfile::Mark(*held_, unsure);
}

} // namespace ruva
