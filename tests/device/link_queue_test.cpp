#include "device/link_queue.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <vector>

#include "link_fixture.h"

namespace corvane::device {
namespace {

using corvane::testing::LinkedDevice;
using namespace std::chrono_literals;

// Stands in for the UI thread: delivered results wait here until the test runs them.
class Inbox {
public:
    LinkQueue::Poster Poster() {
        return [this](std::function<void()> fn) {
            std::lock_guard lock(mutex_);
            calls_.push_back(std::move(fn));
            arrived_.notify_all();
        };
    }
    // Runs what has arrived, waiting until at least `count` closures have run in all.
    bool RunUntil(std::size_t count) {
        for (;;) {
            std::function<void()> fn;
            {
                std::unique_lock lock(mutex_);
                if (ran_ >= count && calls_.empty()) return true;
                if (!arrived_.wait_for(lock, 5s, [&] { return !calls_.empty(); })) return false;
                fn = std::move(calls_.front());
                calls_.pop_front();
                ++ran_;
            }
            fn();
        }
    }

private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<std::function<void()>> calls_;
    std::size_t ran_ = 0;
};

// Holds the queue's thread inside a request until Open().
class Gate {
public:
    LinkQueue::Work Work() {
        return [this](DeviceLink&) {
            std::unique_lock lock(mutex_);
            entered_ = true;
            changed_.notify_all();
            changed_.wait(lock, [&] { return open_; });
            return kSuccess;
        };
    }
    void WaitEntered() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return entered_; });
    }
    void Open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool entered_ = false;
    bool open_ = false;
};

struct QueueTest : ::testing::Test {
    LinkedDevice d{DeviceKind::Keyboard};
    Inbox inbox;
    LinkQueue queue{d.link, inbox.Poster()};
};

TEST_F(QueueTest, RequestsRunInOrderBeforeFramesAndANewerFrameReplacesTheWaitingOne) {
    Gate gate;
    std::vector<std::string> ran;  // the queue's thread only, read after Idle
    queue.Submit("gate", gate.Work());
    gate.WaitEntered();

    queue.SubmitPreview(std::vector<std::uint8_t>(8, 0x11));
    queue.Submit("first", [&](DeviceLink&) { ran.push_back("first"); return kSuccess; });
    queue.SubmitPreview(std::vector<std::uint8_t>(8, 0x22));
    queue.Submit("second", [&](DeviceLink&) {
        ran.push_back("second");
        // No frame went out yet although both frames were queued before this request.
        return d.Device().RequestCount(Command::SendPreviewColors) == 0 ? kSuccess : kDeviceError;
    });
    EXPECT_TRUE(queue.Waiting("first"));
    EXPECT_EQ(queue.GetStats().depth, 4u);  // the gate, two requests, one frame
    gate.Open();
    ASSERT_TRUE(inbox.RunUntil(0));
    while (queue.GetStats().depth > 0) std::this_thread::sleep_for(1ms);

    EXPECT_EQ(ran, (std::vector<std::string>{"first", "second"}));
    const auto requests = d.Device().Requests();
    ASSERT_EQ(d.Device().RequestCount(Command::SendPreviewColors), 1u);
    for (const ReportPacket& r : requests) {
        if (r.CommandByte() == static_cast<std::uint8_t>(Command::SendPreviewColors)) {
            EXPECT_EQ(r.Payload()[0], 0x22);  // the newer frame
        }
    }
    const auto stats = queue.GetStats();
    EXPECT_EQ(stats.requests, 3u);
    EXPECT_EQ(stats.failures, 0u);
    EXPECT_EQ(stats.frames, 1u);
    EXPECT_EQ(stats.framesReplaced, 1u);
    EXPECT_EQ(stats.maxDepth, 4u);
}

// A sender paces itself by its frames: it learns when each one is gone, whether it was sent,
// replaced by a newer one or dropped by a stopping queue.
TEST_F(QueueTest, EveryFrameSaysWhenItIsGone) {
    std::mutex mutex;
    std::vector<std::string> gone;
    auto note = [&](std::string what) {
        return [&, what] {
            std::lock_guard lock(mutex);
            gone.push_back(what);
        };
    };
    auto goneSoFar = [&] {
        std::lock_guard lock(mutex);
        return gone;
    };
    Gate gate;
    queue.Submit("gate", gate.Work());
    gate.WaitEntered();
    queue.SubmitPreview(std::vector<std::uint8_t>(8, 0x11), note("replaced"));
    queue.SubmitPreview(std::vector<std::uint8_t>(8, 0x22), note("sent"));
    EXPECT_EQ(goneSoFar(), std::vector<std::string>{"replaced"});
    gate.Open();
    for (int i = 0; i < 5000 && goneSoFar().size() < 2; ++i) std::this_thread::sleep_for(1ms);
    EXPECT_EQ(d.Device().RequestCount(Command::SendPreviewColors), 1u);

    Gate second;
    queue.Submit("second gate", second.Work());
    second.WaitEntered();
    queue.SubmitPreview(std::vector<std::uint8_t>(8, 0x33), note("third"));
    second.Open();
    queue.Stop();
    queue.SubmitPreview(std::vector<std::uint8_t>(8, 0x44), note("refused"));
    const auto all = goneSoFar();
    // The frame behind the second gate is either sent or dropped by the stop; either way it is gone.
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[1], "sent");
    EXPECT_EQ(all[3], "refused");
}

TEST_F(QueueTest, ResultsArriveInRequestOrderAndFailuresAreCounted) {
    const int results[] = {kSuccess, kNoAnswer, kDeviceBusy, kSuccess, kWriteFailed};
    std::vector<std::pair<int, int>> delivered;  // (request number, result); the inbox's thread
    for (int i = 0; i < 5; ++i) {
        queue.Submit("r" + std::to_string(i), [r = results[i]](DeviceLink&) { return r; },
                     [&delivered, i](int result) { delivered.emplace_back(i, result); });
    }
    ASSERT_TRUE(inbox.RunUntil(5));
    EXPECT_TRUE(queue.Idle());
    ASSERT_EQ(delivered.size(), 5u);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(delivered[i], std::make_pair(i, results[i]));
    const auto stats = queue.GetStats();
    EXPECT_EQ(stats.failures, 3u);
    EXPECT_EQ(stats.lastFailure, "r4: -1");
    queue.ResetStats();
    EXPECT_EQ(queue.GetStats().failures, 0u);
    EXPECT_EQ(queue.GetStats().requests, 0u);
}

TEST_F(QueueTest, ARequestHoldsTheLinkLockFromStartToEnd) {
    // Another thread (the presence watcher) that holds the lock keeps the request waiting...
    std::unique_lock held(d.link.Lock());
    bool lockedInside = false;
    bool started = false;
    queue.Submit("probe", [&](DeviceLink& link) {
        started = true;
        // ...and while it runs nobody else gets the lock.
        lockedInside = !std::async(std::launch::async, [&] {
                            const bool got = link.Lock().try_lock();
                            if (got) link.Lock().unlock();
                            return got;
                        }).get();
        return kSuccess;
    }, [](int) {});
    std::this_thread::sleep_for(20ms);
    EXPECT_FALSE(queue.Idle());
    held.unlock();
    ASSERT_TRUE(inbox.RunUntil(1));
    EXPECT_TRUE(started);
    EXPECT_TRUE(lockedInside);
}

TEST_F(QueueTest, StopDropsWaitingRequestsAndUndeliveredResults) {
    Gate gate;
    bool laterRan = false;
    int delivered = 0;
    queue.Submit("gate", gate.Work(), [&](int) { ++delivered; });
    gate.WaitEntered();
    queue.Submit("later", [&](DeviceLink&) { laterRan = true; return kSuccess; }, [&](int) { ++delivered; });
    auto stopped = std::async(std::launch::async, [&] { queue.Stop(); });
    // Stop waits for the running request, not for the waiting one.
    EXPECT_EQ(stopped.wait_for(30ms), std::future_status::timeout);
    gate.Open();
    stopped.get();
    queue.Submit("after stop", [&](DeviceLink&) { laterRan = true; return kSuccess; });
    ASSERT_TRUE(inbox.RunUntil(0));
    EXPECT_FALSE(laterRan);
    EXPECT_EQ(delivered, 0);
    EXPECT_TRUE(queue.Idle());
}

// Before the program's end aborts the link's transfers, an upload under way may end; other
// requests are not waited for.
TEST_F(QueueTest, AwaitUnbrokenWaitsOnlyForAnUnbrokenRequestAndOnlyUntilTheLimit) {
    EXPECT_TRUE(queue.AwaitUnbroken(0));
    Gate plain;
    queue.Submit("plain", plain.Work());
    plain.WaitEntered();
    EXPECT_TRUE(queue.AwaitUnbroken(0));
    plain.Open();

    Gate upload;
    queue.SubmitUnbroken("upload", upload.Work());
    upload.WaitEntered();
    EXPECT_FALSE(queue.AwaitUnbroken(20));
    auto awaited = std::async(std::launch::async, [&] { return queue.AwaitUnbroken(5000); });
    EXPECT_EQ(awaited.wait_for(30ms), std::future_status::timeout);
    upload.Open();
    EXPECT_TRUE(awaited.get());
}

}  // namespace
}  // namespace corvane::device
