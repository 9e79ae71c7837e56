#include "platform/event.h"

namespace corvane::platform {

Event::Event(Reset mode, bool initiallySignalled) : mode_(mode), signalled_(initiallySignalled) {}

void Event::Set() {
    {
        std::lock_guard lock(mutex_);
        signalled_ = true;
    }
    if (mode_ == Reset::Manual) {
        cv_.notify_all();
    } else {
        cv_.notify_one();
    }
}

void Event::ResetEvent() {
    std::lock_guard lock(mutex_);
    signalled_ = false;
}

bool Event::Wait(int timeoutMs) {
    std::unique_lock lock(mutex_);
    auto ready = [this] { return signalled_; };
    bool got;
    if (timeoutMs < 0) {
        cv_.wait(lock, ready);
        got = true;
    } else if (timeoutMs == 0) {
        got = ready();  // a look, not a wait: no clock read and no futex call
    } else {
        got = cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
    }
    if (got && mode_ == Reset::Auto) signalled_ = false;
    return got;
}

bool Event::IsSet() const {
    std::lock_guard lock(mutex_);
    return signalled_;
}

}  // namespace corvane::platform
