#include "shell/stall_monitor.h"

#include <QEvent>
#include <QWidget>

#include <algorithm>

#include "platform/tick.h"

namespace corvane::shell {

StallMonitor::StallMonitor() {
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { Beat(); });
}

void StallMonitor::Watch(QWidget& window) {
    if (window_) window_->removeEventFilter(this);
    window_ = &window;
    window_->installEventFilter(this);
    FollowVisibility();
}

bool StallMonitor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_) {
        switch (event->type()) {
            case QEvent::Show:
            case QEvent::Hide:
            case QEvent::WindowStateChange: FollowVisibility(); break;
            default: break;
        }
    }
    return false;
}

void StallMonitor::FollowVisibility() {
    const bool seen = window_ && window_->isVisible() && !window_->isMinimized();
    if (seen == timer_.isActive()) return;
    if (seen) {
        lastBeatMs_ = platform::TickMs();
        timer_.start(kPeriodMs);
    } else {
        timer_.stop();
    }
}

void StallMonitor::Reset() {
    maxStallMs_ = 0;
    stalls_ = 0;
    lastBeatMs_ = platform::TickMs();
}

void StallMonitor::Observe(std::int64_t lateMs) {
    maxStallMs_ = std::max(maxStallMs_, lateMs);
    if (lateMs > kStallThresholdMs) ++stalls_;
}

void StallMonitor::Beat() {
    const std::uint64_t now = platform::TickMs();
    const auto late = static_cast<std::int64_t>(now - lastBeatMs_) - kPeriodMs;
    lastBeatMs_ = now;
    Observe(late);
}

}  // namespace corvane::shell
