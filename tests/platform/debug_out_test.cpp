#include "platform/debug_out.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace corvane::platform {
namespace {

TEST(DebugOut, CaptureSeesTextsInOrderWhileAlive) {
    debugOut("before");
    DebugCapture capture;
    debugOut("配置文件丢失");
    debugOut("second");
    EXPECT_EQ(capture.Lines(), (std::vector<std::string>{"配置文件丢失", "second"}));
    EXPECT_FALSE(capture.Contains("before"));
    capture.Clear();
    EXPECT_TRUE(capture.Lines().empty());
}

TEST(DebugOut, ConcurrentWritersLoseNothing) {
    DebugCapture capture;
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t) {
        writers.emplace_back([] {
            for (int i = 0; i < 200; ++i) debugOut("x");
        });
    }
    for (auto& w : writers) w.join();
    EXPECT_EQ(capture.Count("x"), 800u);
}

}  // namespace
}  // namespace corvane::platform
