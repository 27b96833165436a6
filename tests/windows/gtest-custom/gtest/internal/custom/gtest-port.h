// GoogleTest's hook for a platform's own pieces, for the cross build. GCC's win32 thread model has no std::mutex, which
// GoogleTest's Notification (used only when it starts threads of its own, which these tests never do) is built on; this
// one spins on an atomic flag instead.
#pragma once

#include <atomic>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

class Notification {
public:
    Notification() = default;
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { notified_.store(true); }
    void WaitForNotification()
    {
        while (!notified_.load()) { }
    }

private:
    std::atomic<bool> notified_{false};
};

} // namespace testing::internal
