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
    }
    EXPECT_TRUE(finished->IsSet());
}

}  // namespace
}  // namespace corvane::workers
