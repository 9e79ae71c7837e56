#include "platform/tick.h"

#include <chrono>
#include <thread>

namespace corvane::platform {

std::uint64_t TickMs() {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SleepMs(int ms) {
    if (ms <= 0) {
        std::this_thread::yield();
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace corvane::platform
