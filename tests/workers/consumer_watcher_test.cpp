#include "workers/consumer_watcher.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/debug_out.h"
#include "platform/tick.h"
#include "virtual/virtual_descriptors.h"
#include "virtual/virtual_hid_bus.h"

namespace corvane::workers {
namespace {

using device::DeviceKind;

TEST(ConsumerUsageTable, EachDeviceEventHasItsMessageAndOthersNone) {
    struct Case {
        DeviceKind kind;
        std::uint16_t usage;
        std::optional<std::uint32_t> message;  // none: ignored; kNoMessage: the pad's flash
    };
    const Case cases[] = {
        {DeviceKind::Keyboard, 0x401, 0xB02}, {DeviceKind::Keyboard, 0x402, 0xB01},
        {DeviceKind::Mouse, 0x401, 0x902},    {DeviceKind::Mouse, 0x402, 0x901},
        {DeviceKind::Mouse, 0x403, kNoMessage},
        {DeviceKind::Keyboard, 0x403, std::nullopt},  // only the mouse has the flash event
        {DeviceKind::Mouse, 0x404, std::nullopt},     {DeviceKind::Keyboard, 0, std::nullopt},
        {DeviceKind::MousePad, 0x401, std::nullopt},
    };
    for (const Case& c : cases) {
        const auto row = FindConsumerUsage(c.kind, c.usage);
        ASSERT_EQ(row.has_value(), c.message.has_value()) << std::hex << c.usage;
        if (row) {
            EXPECT_EQ(row->message, *c.message) << std::hex << c.usage;
        }
    }
}

// The consumer collection's reports as a reader sees them: only a report of this collection
// read now counts; a foreign report leaves the previous event's usage unused.
TEST(ConsumerUsageOf, OnlyTheCollectionsOwnReportReadNowCounts) {
    virt::VirtualHidBus bus;
    device::HidChannel channel(bus);
    ASSERT_TRUE(channel.OpenDevice(bus.Keyboard().Path(virt::Collection::Consumer), true, false, true, false));
    const std::uint8_t id = virt::kConsumerReportId;
    struct Case {
        std::vector<std::uint8_t> report;
        std::optional<std::uint16_t> usage;
    };
    const Case cases[] = {
        {{id, 0x01, 0x04}, 0x401},
        {{device::kCommandReportId, 0x02, 0x04}, std::nullopt},  // the vendor collection's report
        {{id, 0x00, 0x00}, 0},                                   // the release
        {{id, 0x02, 0x04}, 0x402},
        {{}, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ConsumerUsageOf(c.report, channel), c.usage) << (c.report.empty() ? -1 : c.report[0]);
    }
}

class RecordingConsumerHost : public ConsumerHost {
public:
    bool SendMessage(std::uint32_t message) override {
        Add(message);
        return accept_;
    }
    void RaisePadFlash() override { Add(kNoMessage); }

    bool WaitForCount(std::size_t n, int ms = 5000) {
        std::unique_lock lock(mutex_);
        return cv_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return events_.size() >= n; });
    }
    std::vector<std::uint32_t> Events() {
        std::lock_guard lock(mutex_);
        return events_;
    }
    bool accept_ = true;

private:
    void Add(std::uint32_t message) {
        {
            std::lock_guard lock(mutex_);
            events_.push_back(message);
        }
        cv_.notify_all();
    }
    std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<std::uint32_t> events_;
};

class ConsumerWatcherTest : public ::testing::Test {
protected:
    void Start(DeviceKind kind) {
        watcher_ = std::make_unique<ConsumerWatcher>(kind, bus_, host_, timing_);
        workers_ = std::make_unique<WorkerSet>();
        const auto index = kind == DeviceKind::Keyboard ? WorkerIndex::KeyboardConsumer : WorkerIndex::MouseConsumer;
        workers_->Start(index, [this](WorkerContext& ctx) { watcher_->Run(ctx); },
                        [this] { watcher_->Interrupt(); });
    }
    // Presses until the watcher listens (the device reports to open handles only).
    void WaitListening(virt::VirtualDevice& device) {
        for (int i = 0; i < 2000 && device.RaiseConsumerEvent(0) == 0; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    ConsumerTiming timing_{1, 20, 1, 2};
    virt::VirtualHidBus bus_;
    RecordingConsumerHost host_;
    std::unique_ptr<ConsumerWatcher> watcher_;
    std::unique_ptr<WorkerSet> workers_;
};

TEST_F(ConsumerWatcherTest, DeviceButtonsBecomeMessagesInOrderAndOtherUsagesNothing) {
    Start(DeviceKind::Mouse);
    auto& mouse = bus_.Mouse();
    WaitListening(mouse);
    mouse.RaiseConsumerEvent(0x404);  // not an event of this device
    ASSERT_TRUE(mouse.PressSlotButton(2));
    ASSERT_TRUE(mouse.PressRestoreButton());
    ASSERT_TRUE(mouse.PressFlashButton());
    ASSERT_TRUE(host_.WaitForCount(3));
    workers_.reset();
    EXPECT_EQ(host_.Events(), (std::vector<std::uint32_t>{0x902, 0x901, kNoMessage}));
}

TEST_F(ConsumerWatcherTest, AnUnpluggedDeviceIsFoundAgainWhenItComesBack) {
    Start(DeviceKind::Keyboard);
    auto& keyboard = bus_.Keyboard();
    WaitListening(keyboard);
    keyboard.Unplug();
    std::this_thread::sleep_for(std::chrono::milliseconds(60));  // a few empty reads and searches
    keyboard.Plug();
    WaitListening(keyboard);
    ASSERT_TRUE(keyboard.PressRestoreButton());
    ASSERT_TRUE(host_.WaitForCount(1));
    EXPECT_EQ(host_.Events(), std::vector<std::uint32_t>{0xB01});
}

TEST_F(ConsumerWatcherTest, AStopEndsAReadAtOnceAndSaysGoodbye) {
    timing_.readTimeoutMs = 10000;  // a stop must not wait for the read's limit
    platform::DebugCapture capture;
    Start(DeviceKind::Keyboard);
    WaitListening(bus_.Keyboard());
    host_.accept_ = false;  // the window no longer takes calls
    ASSERT_TRUE(bus_.Keyboard().PressSlotButton(1));
    ASSERT_TRUE(host_.WaitForCount(1));
    const std::uint64_t start = platform::TickMs();
    EXPECT_EQ(workers_->Shutdown(10000), ShutdownOutcome::AllEnded);
    EXPECT_LT(platform::TickMs() - start, 1000u);
    EXPECT_TRUE(capture.Contains(ConsumerExitText(DeviceKind::Keyboard)));
}

}  // namespace
}  // namespace corvane::workers
