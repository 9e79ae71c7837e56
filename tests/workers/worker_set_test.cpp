#include "workers/worker_set.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "platform/debug_out.h"
#include "platform/tick.h"

namespace corvane::workers {
namespace {

TEST(WorkerSet, WorkersEndOnTheirStopEventAndShutdownSaysSo) {
    platform::DebugCapture debug;
    std::atomic<int> loops{0};
    {
        WorkerSet set;
        for (std::size_t i = 0; i < kWorkerCount; ++i) {
            ASSERT_TRUE(set.Start(static_cast<WorkerIndex>(i), [&](WorkerContext& ctx) {
                while (!ctx.StopRequested(1)) ++loops;
            }));
        }
        EXPECT_FALSE(set.Start(WorkerIndex::KeyboardPresence, [](WorkerContext&) {}));
        EXPECT_EQ(set.Shutdown(10000), ShutdownOutcome::AllEnded);
        EXPECT_FALSE(set.Running(WorkerIndex::MpDengProcess));
    }
    EXPECT_TRUE(debug.Contains(kShutdownAllEndedText));
}

TEST(WorkerSet, ShutdownKeepsItsLimitWhenAWorkerNeverEnds) {
    platform::DebugCapture debug;
    auto release = std::make_shared<platform::Event>(platform::Event::Reset::Manual);
    auto finished = std::make_shared<platform::Event>(platform::Event::Reset::Manual);
    {
        WorkerSet set;
        set.Start(WorkerIndex::KeyboardPresence, [](WorkerContext& ctx) { ctx.StopRequested(-1); });
        // Ignores its stop event until the test lets it go.
        set.Start(WorkerIndex::SyncLighting, [release, finished](WorkerContext&) {
            release->Wait(-1);
            finished->Set();
        });
        const auto start = platform::TickMs();
        EXPECT_EQ(set.Shutdown(50), ShutdownOutcome::TimedOut);
        const auto took = platform::TickMs() - start;
        EXPECT_GE(took, 49u);
        EXPECT_LT(took, 2000u);
        EXPECT_TRUE(set.Running(WorkerIndex::SyncLighting));
        EXPECT_TRUE(debug.Contains(kShutdownTimedOutText));
        // Once it does end, the set is torn down cleanly.
        release->Set();
        EXPECT_TRUE(finished->Wait(5000));
    }
}

// One limit for the whole shutdown: a worker given up on is not waited for a second time when
// the set goes; it finishes on its own later, holding only its own slot.
TEST(WorkerSet, AWorkerGivenUpOnIsNotWaitedForAgain) {
    auto release = std::make_shared<platform::Event>(platform::Event::Reset::Manual);
    auto finished = std::make_shared<platform::Event>(platform::Event::Reset::Manual);
    std::uint64_t destroyMs = 0;
    {
        WorkerSet set;
        set.Start(WorkerIndex::SyncLighting, [release, finished](WorkerContext&) {
            release->Wait(-1);
            finished->Set();
        });
        EXPECT_EQ(set.Shutdown(50), ShutdownOutcome::TimedOut);
        EXPECT_TRUE(set.GaveUp());
        destroyMs = platform::TickMs();
    }
    destroyMs = platform::TickMs() - destroyMs;
    EXPECT_LT(destroyMs, 1000u);
    EXPECT_FALSE(finished->IsSet());
    release->Set();
    EXPECT_TRUE(finished->Wait(5000));
}

}  // namespace
}  // namespace corvane::workers
