#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <cstdint>

class QWidget;

namespace corvane::shell {

// How late the UI thread's event loop runs. Two measures feed it: a heartbeat timer that should
// fire every period, running while the window can be seen (a person may click it), and the wait
// of every call other threads hand to the UI thread (devices, workers, scripts). A hidden window
// with nothing to do thus costs no wake-ups, and a stall is still seen by whoever waited for the
// loop. UI thread only.
class StallMonitor : public QObject {
public:
    static constexpr int kPeriodMs = 10;
    static constexpr std::int64_t kStallThresholdMs = 50;

    StallMonitor();

    // The heartbeat follows this widget's visibility (shown and not minimised).
    void Watch(QWidget& window);
    // A call handed to the UI thread ran this late.
    void Observe(std::int64_t lateMs);

    // The largest lateness and the number of delays later than the threshold since the start or
    // the last Reset.
    std::int64_t MaxStallMs() const { return maxStallMs_; }
    std::uint64_t StallsOverThreshold() const { return stalls_; }
    bool HeartbeatRunning() const { return timer_.isActive(); }
    void Reset();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Beat();
    void FollowVisibility();

    QTimer timer_;
    QPointer<QWidget> window_;
    std::uint64_t lastBeatMs_ = 0;
    std::int64_t maxStallMs_ = 0;
    std::uint64_t stalls_ = 0;
};

}  // namespace corvane::shell
