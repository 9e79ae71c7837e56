// The UI stall monitor: its heartbeat runs only while the window can be seen, and a call handed
// to the UI thread that had to wait counts as a stall whether or not the window is shown.

#include <QWidget>

#include <thread>

#include "platform/tick.h"
#include "qt_fixture.h"
#include "widgets/call_queue.h"
#include "shell/stall_monitor.h"

namespace corvane::testing {
namespace {

using shell::StallMonitor;

TEST(StallMonitor, HeartbeatOnlyWhileSeenAndWaitingCallsCountAlways) {
    QtEnvironment::App();
    QWidget window;
    StallMonitor monitor;
    monitor.Watch(window);
    EXPECT_FALSE(monitor.HeartbeatRunning());
    window.show();
    EXPECT_TRUE(monitor.HeartbeatRunning());
    window.setWindowState(Qt::WindowMinimized);
    EXPECT_FALSE(monitor.HeartbeatRunning());
    window.setWindowState(Qt::WindowNoState);
    EXPECT_TRUE(monitor.HeartbeatRunning());
    window.hide();
    EXPECT_FALSE(monitor.HeartbeatRunning());

    // Hidden: a call posted by another thread while the UI thread is busy is seen late.
    widgets::CallQueue calls;
    calls.SetLatencyObserver([&](std::int64_t lateMs) { monitor.Observe(lateMs); });
    bool ran = false;
    std::thread([&] { calls.Post([&] { ran = true; }); }).join();
    platform::SleepMs(2 * static_cast<int>(StallMonitor::kStallThresholdMs));
    calls.Drain();
    EXPECT_TRUE(ran);
    EXPECT_GE(monitor.MaxStallMs(), 2 * StallMonitor::kStallThresholdMs - 5);
    EXPECT_EQ(monitor.StallsOverThreshold(), 1u);
    monitor.Reset();
    EXPECT_EQ(monitor.MaxStallMs(), 0);
    EXPECT_EQ(monitor.StallsOverThreshold(), 0u);
}

}  // namespace
}  // namespace corvane::testing
