#include "shell/stall_monitor.h"

#include <algorithm>

#include "platform/tick.h"

namespace corvane::shell {

StallMonitor::StallMonitor() {
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { Beat(); });
    lastBeatMs_ = platform::TickMs();
    timer_.start(kPeriodMs);
}

void StallMonitor::Reset() {
    maxStallMs_ = 0;
    stalls_ = 0;
    lastBeatMs_ = platform::TickMs();
}

void StallMonitor::Beat() {
    const std::uint64_t now = platform::TickMs();
    const auto late = static_cast<std::int64_t>(now - lastBeatMs_) - kPeriodMs;
    lastBeatMs_ = now;
    maxStallMs_ = std::max(maxStallMs_, late);
    if (late > kStallThresholdMs) ++stalls_;
}

}  // namespace corvane::shell
