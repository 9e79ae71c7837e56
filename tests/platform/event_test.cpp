#include "platform/event.h"
#include "platform/tick.h"

#include <gtest/gtest.h>

#include <thread>

namespace corvane::platform {
namespace {

TEST(Event, ManualResetStaysSignalledUntilReset) {
    Event e(Event::Reset::Manual);
    EXPECT_FALSE(e.Wait(0));
    e.Set();
    EXPECT_TRUE(e.Wait(0));
    EXPECT_TRUE(e.Wait(0));
    e.ResetEvent();
    EXPECT_FALSE(e.Wait(0));
}

TEST(Event, AutoResetReleasesOneWait) {
    Event e(Event::Reset::Auto);
    e.Set();
    EXPECT_TRUE(e.Wait(0));
    EXPECT_FALSE(e.Wait(0));
}

TEST(Event, WaitTimesOutThenWakesOnSetFromAnotherThread) {
    Event e(Event::Reset::Manual);
    const auto start = TickMs();
    EXPECT_FALSE(e.Wait(20));
    EXPECT_GE(TickMs() - start, 19u);

    std::thread setter([&] { e.Set(); });
    EXPECT_TRUE(e.Wait(kInfinite));
    setter.join();
}

}  // namespace
}  // namespace corvane::platform
