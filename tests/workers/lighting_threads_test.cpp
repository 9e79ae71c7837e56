#include "workers/lighting_threads.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "lighting/custom_colours.h"
#include "lighting/effect_tables.h"
#include "platform/debug_out.h"
#include "platform/tick.h"
#include "virtual/virtual_hid_bus.h"

namespace corvane::workers {
namespace {

using device::DeviceKind;
using lighting::Rgb;
using Log = std::vector<std::string>;

std::string KindName(DeviceKind kind) {
    return kind == DeviceKind::Keyboard ? "kb" : kind == DeviceKind::Mouse ? "ms" : "mp";
}

// Frames as a device would get them, and overlay batches as the window would.
class RecordingSink : public FrameSink {
public:
    explicit RecordingSink(Log& log) : log_(log) {}
    void SubmitPreview(DeviceKind kind, std::span<const std::uint8_t> colours, std::function<void()> sent) override {
        {
            std::lock_guard guard(mutex_);
            log_.push_back(KindName(kind) + std::to_string(colours.size()));
            frames.push_back({colours.begin(), colours.end()});
        }
        sent();
    }
    void ShowOverlays(DeviceKind kind, const lighting::DeviceFrame&, std::uint8_t) override {
        std::lock_guard guard(mutex_);
        ++overlayBatches[device::KindIndex(kind)];
    }
    std::vector<std::vector<std::uint8_t>> frames;
    std::array<int, 3> overlayBatches{};

private:
    Log& log_;
    std::mutex mutex_;
};

// The links, records and shared state the threads read, and a clock whose pauses only write
// themselves down; the thread stops once the log holds `limit` entries.
class LightingThreadsTest : public ::testing::Test {
protected:
    LightingThreadsTest() : bus_(std::nullopt, /*pluggedIn=*/false) {
        for (std::size_t i = 0; i < 3; ++i) {
            links_[i] = std::make_unique<device::DeviceLink>(bus_);
            in_.links[i] = links_[i].get();
            in_.states[i] = &states_[i];
        }
        in_.shared = &shared_;
        in_.signals = &signals_;
        clock_.pause = [this](WorkerContext&, unsigned ms) {
            log_.push_back("p" + std::to_string(ms));
            return log_.size() >= limit_;
        };
        clock_.nowMs = [] { return std::uint64_t{0}; };
    }

    device::DeviceLink& Link(DeviceKind kind) { return *links_[device::KindIndex(kind)]; }
    void SetRecord(DeviceKind kind, const device::ActiveLightingImage& record) {
        states_[device::KindIndex(kind)].Update([&](device::DeviceImages& i) { i.activeLighting = record; });
    }
    // Runs the thread on this one until the log is full.
    void Run(void (*body)(const LightingInputs&, FrameSink&, WorkerContext&, const LightingClock&,
                          const LightingTiming&),
             std::size_t limit) {
        limit_ = limit;
        platform::Event stop;
        WorkerContext context{stop};
        body(in_, sink_, context, clock_, {});
    }

    virt::VirtualHidBus bus_;
    std::array<std::unique_ptr<device::DeviceLink>, 3> links_;
    std::array<device::DeviceState, 3> states_;
    lighting::SharedLightingCell shared_;
    lighting::EffectSignals signals_;
    LightingInputs in_;
    LightingClock clock_;
    Log log_;
    RecordingSink sink_{log_};
    std::size_t limit_ = 0;
};

device::ActiveLightingImage Record(std::uint8_t mode, std::uint8_t speed, Rgb colour = {200, 100, 50},
                                   std::uint8_t direction = 0) {
    device::ActiveLightingImage r{};
    r[lighting::kModeOffset] = mode;
    r[lighting::kSpeedOffset] = speed;
    r[lighting::kDirectionOffset] = direction;
    r[lighting::kRedOffset] = colour.red;
    r[lighting::kGreenOffset] = colour.green;
    r[lighting::kBlueOffset] = colour.blue;
    return r;
}

using Body = void (*)(const LightingInputs&, FrameSink&, WorkerContext&, const LightingClock&,
                      const LightingTiming&);

TEST_F(LightingThreadsTest, EachThreadPacesItsModesAndSendsTheirFrames) {
    struct Case {
        const char* what;
        Body body;
        DeviceKind kind;
        std::uint8_t mode, speed;
        bool connected, sync;
        Log expected;
    };
    const Case cases[] = {
        {"kb mode 0 fastest", &RunKeyboardLighting, DeviceKind::Keyboard, 0, 0, true, false,
         {"p3000", "p0", "p2", "kb378", "p0", "p2", "kb378", "p0"}},
        {"kb mode 1 slowest", &RunKeyboardLighting, DeviceKind::Keyboard, 1, 3, true, false,
         {"p3000", "p0", "p21", "kb378", "p0"}},
        {"kb device-run mode", &RunKeyboardLighting, DeviceKind::Keyboard, 5, 0, true, false,
         {"p3000", "p0", "p9", "p0", "p9"}},
        {"kb absent", &RunKeyboardLighting, DeviceKind::Keyboard, 0, 0, false, false,
         {"p3000", "p0", "p2", "p100", "p0"}},
        {"kb synchronised", &RunKeyboardLighting, DeviceKind::Keyboard, 0, 0, true, true,
         {"p3000", "p0", "p2", "p0", "p2"}},
        {"ms wave", &RunMouseLighting, DeviceKind::Mouse, 0, 0, true, false,
         {"p3000", "p0", "p50", "p50", "ms60", "p0"}},
        {"ms mode 4", &RunMouseLighting, DeviceKind::Mouse, 4, 0, true, false,
         {"p3000", "p0", "p50", "p50", "p50", "p0"}},
        {"ms ripple", &RunMouseLighting, DeviceKind::Mouse, 5, 0, true, false,
         {"p3000", "p0", "p50", "p50", "p50", "ms60", "p0"}},
        {"ms absent", &RunMouseLighting, DeviceKind::Mouse, 0, 0, false, false,
         {"p3000", "p0", "p50", "p50", "p100", "p0"}},
        {"mp wave slowest", &RunPadLighting, DeviceKind::MousePad, 0, 14, true, false,
         {"p3000", "p0", "p65", "mp45", "p0"}},
        {"mp bar", &RunPadLighting, DeviceKind::MousePad, 4, 2, true, false,
         {"p3000", "p0", "p137", "mp45", "p0"}},  // 9 + 4 x 2, then 2 x 10 + 100
        {"mp ripple", &RunPadLighting, DeviceKind::MousePad, 5, 0, true, false,
         {"p3000", "p0", "p59", "mp45", "p0"}},
        {"mp column fill", &RunPadLighting, DeviceKind::MousePad, 7, 1, true, false,
         {"p3000", "p0", "p68", "mp45", "p0"}},  // 9 + 4, then 1 x 5 + 50
        {"mp static pads its frame", &RunPadLighting, DeviceKind::MousePad, 3, 0, true, false,
         {"p3000", "p0", "p9", "mp60", "p0"}},
    };
    for (const Case& c : cases) {
        log_.clear();
        for (DeviceKind k : device::kAllDeviceKinds) Link(k).connected = false;
        Link(c.kind).connected = c.connected;
        Link(c.kind).syncLighting = c.sync;
        SetRecord(c.kind, Record(c.mode, c.speed));
        Run(c.body, c.expected.size());
        EXPECT_EQ(log_, c.expected) << c.what;
    }
}

TEST_F(LightingThreadsTest, TheSynchronisedThreadDrivesTheDevicesInSyncAndPausesForTheOthers) {
    struct Case {
        const char* what;
        std::uint8_t mode, speed;
        std::array<bool, 3> connected, sync;
        Log expected;
    };
    const Case cases[] = {
        {"wave on all", 0, 3, {true, true, true}, {true, true, true}, {"p0", "p12", "kb378", "ms60", "mp45", "p0"}},
        {"colour cycle, mouse only", 1, 0, {true, true, true}, {false, true, false},
         {"p0", "p0", "p9", "ms60", "p1", "p6"}},
        {"static, pad only", 3, 0, {false, false, true}, {true, true, true}, {"p0", "p0", "p6", "p1", "mp45", "p5"}},
        {"nobody synchronised", 0, 0, {true, true, true}, {false, false, false}, {"p0", "p0", "p50", "p0"}},
        {"no device", 0, 2, {false, false, false}, {true, true, true}, {"p0", "p1000", "p8", "p0", "p1000"}},
    };
    for (const Case& c : cases) {
        log_.clear();
        for (std::size_t i = 0; i < 3; ++i) {
            links_[i]->connected = c.connected[i];
            links_[i]->syncLighting = c.sync[i];
        }
        lighting::SharedLighting shared{};
        shared[lighting::kSharedModeOffset] = c.mode;
        shared[lighting::kSharedSpeedOffset] = c.speed;
        shared_.Store(shared);
        Run(&RunSyncLighting, c.expected.size());
        EXPECT_EQ(log_, c.expected) << c.what;
    }
}

TEST_F(LightingThreadsTest, KeyboardWaveFramesFollowTheWaveTableAndAdvanceTheRippleHue) {
    Link(DeviceKind::Keyboard).connected = true;
    const Rgb base{200, 100, 50};
    SetRecord(DeviceKind::Keyboard, Record(0, 0, base));  // full brightness, direction 0
    Run(&RunKeyboardLighting, 1 + 3 * 3);                  // start, then three cycles
    ASSERT_EQ(sink_.frames.size(), 3u);
    for (std::size_t f = 0; f < sink_.frames.size(); ++f) {
        // Direction 0 runs the wave backwards: the start phase falls by one per frame.
        const std::size_t start = lighting::kWaveSize - 1 - f;
        for (std::size_t c = 0; c < lighting::kKeyColumnCount; ++c) {
            const std::uint8_t wave = lighting::WaveTable[(start + 10 * c) % lighting::kWaveSize];
            const Rgb expected = lighting::ScaleKeyboard(lighting::ScaleKeyboard(base, 255), wave);
            for (int key : lighting::KeyColumns[c]) {
                if (key == lighting::kNoKey) continue;
                const int led = lighting::LedKeyMap[static_cast<std::size_t>(key)];
                if (led == lighting::kNoKey) continue;
                const auto* zone = &sink_.frames[f][static_cast<std::size_t>(led) * 3];
                EXPECT_EQ((Rgb{zone[0], zone[1], zone[2]}), expected) << "frame " << f << " key " << key;
            }
        }
    }
    // The keyboard's own effect leaves the pictures alone.
    EXPECT_EQ(sink_.overlayBatches[0], 0);
    EXPECT_EQ(signals_.RippleHue(), 3);
}

// Real stop events and real pauses: a stop ends each thread within one of its cycles.
TEST_F(LightingThreadsTest, EveryThreadEndsWithinOneCycleOfItsStop) {
    for (std::size_t i = 0; i < 3; ++i) {
        links_[i]->connected = true;
    }
    SetRecord(DeviceKind::Keyboard, Record(0, 3));
    SetRecord(DeviceKind::Mouse, Record(5, 0));
    SetRecord(DeviceKind::MousePad, Record(7, 14));  // the longest pad cycle: 65 + 120 ms
    lighting::SharedLighting shared{};
    shared[lighting::kSharedSpeedOffset] = 255;  // a 1020 ms pause
    shared_.Store(shared);
    links_[0]->syncLighting = true;
    const std::pair<Body, const char*> bodies[] = {
        {&RunKeyboardLighting, kKeyboardLightingExitText},
        {&RunMouseLighting, kMouseLightingExitText},
        {&RunPadLighting, kPadLightingExitText},
        {&RunSyncLighting, kSyncLightingExitText},
    };
    LightingTiming timing;
    timing.startDelayMs = 0;
    Log unused;
    RecordingSink sink(unused);
    for (const auto& [body, exitText] : bodies) {
        platform::DebugCapture capture;
        platform::Event stop;
        std::thread thread([&, body = body] {
            WorkerContext context{stop};
            body(in_, sink, context, {}, timing);
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        const std::uint64_t start = platform::TickMs();
        stop.Set();
        thread.join();
        EXPECT_LT(platform::TickMs() - start, 150u) << exitText;  // the longest pause here is 1020 ms
        EXPECT_TRUE(capture.Contains(exitText));
    }
}

// Real pauses and a device that takes 30 ms to take each frame: a frame follows the moment the
// one before left by the mode's pause, never sooner (frames overlapping their pauses) and not a
// whole pause later (the wait for the frame and the pause counted twice).
TEST_F(LightingThreadsTest, AFrameFollowsTheLastOneLeavingByThePause) {
    static constexpr std::uint64_t kSendMs = 30;
    static constexpr std::uint64_t kPauseMs = 21;  // keyboard wave at its slowest
    class SlowDevice : public FrameSink {
    public:
        explicit SlowDevice(platform::Event& stop) : stop_(stop) {}
        ~SlowDevice() override { Join(); }
        void SubmitPreview(DeviceKind, std::span<const std::uint8_t>, std::function<void()> sent) override {
            const std::size_t frame = submitted.size();
            submitted.push_back(platform::TickMs());
            if (submitted.size() == 8) stop_.Set();
            senders_.emplace_back([this, frame, sent = std::move(sent)] {
                std::this_thread::sleep_for(std::chrono::milliseconds(kSendMs));
                {
                    std::lock_guard guard(mutex_);
                    left_[frame] = platform::TickMs();
                }
                sent();
            });
        }
        void ShowOverlays(DeviceKind, const lighting::DeviceFrame&, std::uint8_t) override {}
        void Join() {
            for (auto& t : senders_) t.join();
            senders_.clear();
        }
        std::uint64_t Left(std::size_t frame) {
            std::lock_guard guard(mutex_);
            return left_[frame];
        }
        std::vector<std::uint64_t> submitted;  // the lighting thread's only

    private:
        platform::Event& stop_;
        std::vector<std::thread> senders_;
        std::mutex mutex_;
        std::map<std::size_t, std::uint64_t> left_;
    };
    Link(DeviceKind::Keyboard).connected = true;
    SetRecord(DeviceKind::Keyboard, Record(1, 3));
    LightingTiming timing;
    timing.startDelayMs = 0;
    platform::Event stop;
    SlowDevice device(stop);
    WorkerContext context{stop};
    RunKeyboardLighting(in_, device, context, {}, timing);
    device.Join();
    ASSERT_EQ(device.submitted.size(), 8u);
    std::vector<std::int64_t> gaps;  // from a frame leaving to the next frame's hand-over
    for (std::size_t i = 1; i < device.submitted.size(); ++i) {
        gaps.push_back(static_cast<std::int64_t>(device.submitted[i]) - static_cast<std::int64_t>(device.Left(i - 1)));
        // Whole milliseconds, and a frame a millisecond later than expected keeps its pause.
        EXPECT_GE(gaps.back() + 2, static_cast<std::int64_t>(kPauseMs)) << i;
    }
    std::sort(gaps.begin(), gaps.end());
    EXPECT_LT(gaps[gaps.size() / 2], static_cast<std::int64_t>(kPauseMs + kPauseMs / 2 + 5));
}

}  // namespace
}  // namespace corvane::workers
