// GoogleTest's customisation header for the Windows builds, found before its own: the compilers' win32
// thread model has no std::mutex or std::condition_variable, which GoogleTest's Notification takes.
// Notification only serves GoogleTest's threads; this one polls.
#ifndef RUVA_GTEST_CUSTOM_PORT_H
#define RUVA_GTEST_CUSTOM_PORT_H

#include <atomic>
#include <chrono>
#include <thread>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

class Notification {
public:
    Notification() = default;
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;
    void Notify() { notified_ = true; }
    void WaitForNotification() {
        while (!notified_)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

private:
    std::atomic<bool> notified_{false};
};

} // namespace testing::internal

#endif
