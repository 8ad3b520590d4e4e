// GoogleTest's customisation header in the Windows builds, found before its own: GoogleTest's own
// Notification takes std::mutex, which the compilers' win32 thread model lacks. Only GoogleTest's own
// threads wait for one; this one polls.
#pragma once
#include <atomic>
#include <chrono>
#include <thread>
#define GTEST_HAS_NOTIFICATION_ 1
namespace testing::internal {
struct Notification {
    void Notify() { notified = true; }
    void WaitForNotification() {
        while (!notified)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::atomic<bool> notified{false};
};
} // namespace testing::internal
