#include "BoardFile.h"

#include "BoardFileSystem.h"

#include <thread>

namespace ruva {

BoardFile::~BoardFile() = default;

std::string BoardFile::PathFor(const std::string& prefix, int board) {
    return prefix + "-board" + std::to_string(board) + ".lock";
}

BoardFile::Status BoardFile::Lock(const std::string& prefix, int board, std::chrono::milliseconds wait) {
    return LockPath(PathFor(prefix, board), wait);
}

BoardFile::Status BoardFile::LockPath(const std::string& path, std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    held_.reset();
    error_.clear();
    path_ = path;
    for (;;) {
        const Status status = boardfile::TryLock(path_, held_, error_);
        if (status != Status::Busy || std::chrono::steady_clock::now() >= deadline)
            return status;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

bool BoardFile::ClockUnsure() const {
    return held_ && boardfile::Marked(*held_);
}

bool BoardFile::SetClockUnsure(bool unsure) {
    return Store(unsure ? std::string_view(boardfile::MarkText) : std::string_view());
}

bool BoardFile::Store(std::string_view text) {
    return held_ && boardfile::Store(*held_, text);
}

std::string BoardFile::HeldText(const std::string& path) {
    return boardfile::HeldText(path);
}

} // namespace ruva
