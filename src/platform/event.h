#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace corvane::platform {

// A signalled/non-signalled flag that threads can wait on, with the two reset disciplines
// the workers rely on: a manual-reset event stays signalled until Reset(); an auto-reset
// event releases exactly one waiter and returns to non-signalled.
class Event {
public:
    enum class Reset { Manual, Auto };

    explicit Event(Reset mode = Reset::Manual, bool initiallySignalled = false);
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void ResetEvent();

    // Waits up to timeoutMs (negative: forever). True when the event was signalled.
    bool Wait(int timeoutMs = -1);
    bool IsSet() const;

private:
    const Reset mode_;
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    bool signalled_;
};

inline constexpr int kInfinite = -1;

}  // namespace corvane::platform
