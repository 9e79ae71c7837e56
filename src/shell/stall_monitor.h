#pragma once

#include <QObject>
#include <QTimer>

#include <cstdint>

namespace corvane::shell {

// How late the UI thread's event loop runs: a heartbeat timer that should fire every period;
// the lateness of each beat is a stall of the window. UI thread only.
class StallMonitor : public QObject {
public:
    static constexpr int kPeriodMs = 10;
    static constexpr std::int64_t kStallThresholdMs = 50;

    StallMonitor();

    // The largest lateness and the number of beats later than the threshold since the start or
    // the last Reset.
    std::int64_t MaxStallMs() const { return maxStallMs_; }
    std::uint64_t StallsOverThreshold() const { return stalls_; }
    void Reset();

private:
    void Beat();

    QTimer timer_;
    std::uint64_t lastBeatMs_ = 0;
    std::int64_t maxStallMs_ = 0;
    std::uint64_t stalls_ = 0;
};

}  // namespace corvane::shell
