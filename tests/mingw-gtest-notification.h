// GoogleTest's Notification for the win32 thread model of MinGW-w64, which
// has no std::mutex or std::condition_variable. Forced into every file that
// builds against GoogleTest for MinGW (see mingw-gtest.cmake). The tests run on
// one thread; Notification only serves GoogleTest's own thread helper.
#pragma once

#include <atomic>

extern "C" __declspec(dllimport) void __stdcall Sleep(unsigned long milliseconds);

namespace testing::internal {

class Notification {
public:
    Notification() = default;
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;
    void Notify() { notified_.store(true); }
    void WaitForNotification() {
        while (!notified_.load()) Sleep(1);
    }

private:
    std::atomic<bool> notified_{false};
};

}  // namespace testing::internal
