#include "lighting/effect_frames.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <thread>
#include <vector>

#include "lighting/custom_colours.h"
#include "lighting/effect_tables.h"
#include "lighting_test_util.h"

namespace corvane::lighting {
namespace {

using test::kWhite;
using test::Record;

std::set<std::size_t> LitZones(const DeviceFrame& frame, std::size_t zones) {
    std::set<std::size_t> lit;
    for (std::size_t z = 0; z < zones; ++z) {
        if (frame.Zone(z) != kBlack) lit.insert(z);
    }
    return lit;
}

// Pad columns lit in a frame, read back through the grid.
std::set<std::size_t> LitPadColumns(const DeviceFrame& frame) {
    std::set<std::size_t> columns;
    for (std::size_t c = 0; c < kPadColumns; ++c) {
        if (frame.Zone(static_cast<std::size_t>(PadGrid[kPadRows - 1][c])) != kBlack) columns.insert(c);
    }
    return columns;
}

TEST(EffectFrames, StepWrapsBothWays) {
    struct Case {
        std::uint8_t counter, direction, n, result;
    };
    const Case cases[] = {{0, 1, 192, 1}, {191, 1, 192, 0}, {0, 0, 192, 191}, {5, 0, 96, 4},
                          {200, 1, 96, 0}, {200, 0, 96, 95}, {255, 1, 128, 0}, {127, 2, 128, 0}};
    for (const auto& c : cases) {
        std::uint8_t counter = c.counter;
        EXPECT_EQ(Step(counter, c.direction, c.n), c.result);
        EXPECT_EQ(counter, c.result);
    }
}

TEST(EffectFrames, MouseRippleFadesAndReturnsAfterTheRing) {
    EffectSignals signals;
    MouseEffectState state;
    const auto mouse = Record(5, kWhite, 0);
    signals.RequestMouseRippleReset(5, 0);  // seeds slot 0
    const std::vector<int> fade = {215, 175, 135, 95, 65, 35, 25, 17, 9, 5, 1, 0};
    for (int frame = 1; frame <= 24; ++frame) {
        const auto out = MouseFrame(mouse, state, signals);
        ASSERT_EQ(out.frame.length, kMouseFrameBytes);
        const int expected = frame <= 12 ? fade[frame - 1] : (frame == 24 ? 215 : 0);
        for (const int zone : MouseColumns[0]) {
            EXPECT_EQ(out.frame.Zone(static_cast<std::size_t>(zone)).red, expected) << "frame " << frame;
        }
        EXPECT_EQ(out.frame.overlays[0].alpha, (255 * expected) >> 8);
        // The ripple moves on one column per frame.
        if (frame == 2) {
            EXPECT_EQ(out.frame.Zone(1).red, 215);
        }
    }
}

TEST(EffectFrames, MouseRippleStartsFromTheEndItsDirectionNames) {
    EffectSignals signals;
    MouseEffectState state;
    state.phase = 77;
    const auto mouse = Record(5, kWhite, 1, true);
    signals.RequestMouseRippleReset(5, 1);  // seeds slot 7
    auto out = MouseFrame(mouse, state, signals);
    EXPECT_EQ(LitZones(out.frame, kMouseZones), std::set<std::size_t>{});
    EXPECT_EQ(state.phase, 1);  // the reset cleared the phase before the step
    out = MouseFrame(mouse, state, signals);
    EXPECT_EQ(LitZones(out.frame, kMouseZones), (std::set<std::size_t>{6, 13, 17}));
    // With seven colours each trigger takes the next hue, 11 further on.
    EXPECT_EQ(signals.RippleHue(), 22);
    EXPECT_EQ(out.frame.overlays[6].colour, PackOverlayColour(RainbowTable[22]));
    out = MouseFrame(mouse, state, signals);
    EXPECT_EQ(out.frame.Zone(5).red, Scale(Scale(RainbowTable[33].red, 215), 255));
}

TEST(EffectFrames, PadRippleDecay) {
    EffectSignals signals;
    PadEffectState state;
    signals.RequestPadModeReset(5);
    const auto pad = Record(5, kWhite, 1);
    const std::vector<int> fade = {225, 195, 165, 135, 105, 85, 65, 45, 35, 25, 20, 15, 14};
    for (std::size_t frame = 0; frame < fade.size(); ++frame) {
        const auto out = PadFrame(pad, state, signals, 0);
        EXPECT_EQ(out.frame.Zone(0).green, fade[frame]) << frame;
        EXPECT_EQ(out.frame.length, kPadFrameBytes);
    }
}

TEST(EffectFrames, PadBarClimbsAndFallsWithThreeDarkFramesAtTheBottom) {
    PadEffectState state;
    const auto pad = Record(4, kWhite, 0);
    std::vector<std::size_t> expected;
    for (std::size_t n = 1; n <= 15; ++n) expected.push_back(n);
    for (int n = 14; n >= 0; --n) expected.push_back(static_cast<std::size_t>(n));
    expected.insert(expected.end(), {0, 0, 1, 2});
    for (std::size_t frame = 0; frame < expected.size(); ++frame) {
        const auto out = PadBar(pad, state);
        const auto lit = LitZones(out.frame, kPadZones);
        ASSERT_EQ(lit.size(), expected[frame]) << "frame " << frame;
        if (!lit.empty()) {
            EXPECT_EQ(*lit.rbegin(), lit.size() - 1);  // lit from zone 0 upwards
        }
        for (std::size_t z = lit.size(); z < kPadZones; ++z) {
            EXPECT_EQ(out.frame.overlays[z], (ZoneOverlay{true, 0, 0}));
        }
    }
    // The other direction lights the zones above the level.
    PadEffectState other;
    const auto out = PadBar(Record(4, kWhite, 1), other);
    EXPECT_EQ(LitZones(out.frame, kPadZones).size(), 13u);
}

TEST(EffectFrames, PadColumnFillCycle) {
    using Cols = std::set<std::size_t>;
    const std::optional<Cols> pause;
    const std::vector<std::optional<Cols>> cycle = {
        Cols{0}, Cols{0, 1}, Cols{0, 1, 2}, Cols{0, 1, 2, 3}, Cols{0, 1, 2, 3, 4},
        Cols{0, 1, 2, 3, 4, 5}, Cols{1, 2, 3, 4, 5, 6}, Cols{2, 3, 4, 5, 6}, Cols{3, 4, 5, 6},
        Cols{4, 5, 6}, Cols{5, 6}, Cols{6}, Cols{}, Cols{}, pause,
        Cols{}, Cols{}, Cols{6}, Cols{5, 6}, Cols{4, 5, 6}, Cols{3, 4, 5, 6}, Cols{2, 3, 4, 5, 6},
        Cols{1, 2, 3, 4, 5, 6}, Cols{0, 1, 2, 3, 4, 5}, Cols{0, 1, 2, 3, 4}, Cols{0, 1, 2, 3},
        Cols{0, 1, 2}, Cols{0, 1}, Cols{0}, Cols{}, pause,
        Cols{0},
    };
    PadEffectState state;
    const auto pad = Record(7, kWhite, 1, true);
    for (std::size_t frame = 0; frame < cycle.size(); ++frame) {
        const auto out = PadColumnFill(pad, state);
        if (!cycle[frame]) {
            EXPECT_EQ(out.frame.length, 0u) << frame;
            ASSERT_EQ(out.steps.Items().size(), 1u);
            EXPECT_EQ(out.steps.Items()[0], (FrameStep{StepKind::Pause, DeviceKind::Keyboard, 1000}));
            continue;
        }
        EXPECT_EQ(out.frame.length, kPadFrameBytes);
        EXPECT_EQ(LitPadColumns(out.frame), *cycle[frame]) << "frame " << frame;
    }
}

TEST(EffectFrames, PadFlashStaysLitUpToTheFirstFrameAtOrPastOneHundredMs) {
    EffectSignals signals;
    PadEffectState state;
    const auto pad = Record(8, kWhite, 1);
    EXPECT_TRUE(LitZones(PadFlash(pad, state, signals, 900).frame, kPadZones).empty());
    signals.RaiseFlash();
    const std::pair<std::uint64_t, bool> frames[] = {
        {1000, true}, {1045, true}, {1099, true}, {1100, true}, {1101, false}, {1200, false}};
    for (const auto& [now, lit] : frames) {
        const auto out = PadFlash(pad, state, signals, now);
        EXPECT_EQ(out.frame.length, kPadPaddedFrameBytes);
        EXPECT_EQ(LitZones(out.frame, kPadZones).size(), lit ? kPadZones : 0u) << now;
        EXPECT_EQ(out.frame.overlays[3].alpha, lit ? 255 : 0) << now;
    }
    // A mode change drops a flash request that was not shown yet.
    signals.RaiseFlash();
    signals.RequestPadModeReset(8);
    EXPECT_TRUE(LitZones(PadFrame(pad, state, signals, 2000).frame, kPadZones).empty());
}

TEST(EffectFrames, WaveDirectionAndRainbowColumns) {
    for (const std::uint8_t direction : {0, 1}) {
        SyncEffectState state;
        SharedLighting shared{0, 0, 1, direction, 1, 0, 0, 0};
        std::vector<std::uint8_t> starts;
        for (int frame = 0; frame < 3; ++frame) {
            const auto out = SyncFrame(shared, {true, true, true}, state);
            starts.push_back(state.phase);
            const auto& kb = out.devices[0];
            for (std::size_t c = 0; c < kKeyColumnCount; ++c) {
                for (const int key : KeyColumns[c]) {
                    if (key == kNoKey) continue;
                    const Rgb colour = RainbowTable[(state.phase + 7 * c) % 192];
                    EXPECT_EQ(kb.overlays[static_cast<std::size_t>(key)].colour, PackOverlayColour(colour));
                }
            }
            EXPECT_EQ(out.devices[2].Zone(14), RainbowTable[(state.phase + 7 * 14) % 192]);
            EXPECT_EQ(out.devices[1].Zone(17), RainbowTable[(state.phase + 7 * 6) % 192]);
        }
        const std::vector<std::uint8_t> expected =
            direction ? std::vector<std::uint8_t>{1, 2, 3} : std::vector<std::uint8_t>{191, 190, 189};
        EXPECT_EQ(starts, expected);
    }
}

TEST(EffectFrames, SingleColourWaveUsesTheWaveTable) {
    SyncEffectState state;
    const SharedLighting shared{0, 0, 1, 1, 0, 255, 255, 255};
    const auto out = SyncFrame(shared, {false, true, false}, state);  // phase 1
    // Mouse column 1 is zones 1, 8, 18: phase 11, alpha from the next step (21).
    EXPECT_EQ(out.devices[1].Zone(8).red, Scale(255, WaveTable[11]));
    EXPECT_EQ(out.devices[1].overlays[8].alpha, (255 * WaveTable[21]) >> 8);
    EXPECT_EQ(out.devices[0].length, 0u);
}

TEST(EffectFrames, KeysWithoutLedAreNeverWritten) {
    std::set<std::size_t> reachable;
    for (const auto& column : KeyColumns) {
        for (const int key : column) {
            if (key != kNoKey && LedKeyMap[static_cast<std::size_t>(key)] != kNoLed) {
                reachable.insert(static_cast<std::size_t>(LedKeyMap[static_cast<std::size_t>(key)]));
            }
        }
    }
    KeyboardEffectState kbState;
    const auto own = KeyboardFrame(Record(0, kWhite), kbState);
    EXPECT_EQ(own.frame.length, kKeyboardFrameBytes);
    EXPECT_EQ(LitZones(own.frame, kKeyboardZones), reachable);
    for (const auto& overlay : own.frame.overlays) EXPECT_FALSE(overlay.updated);

    SyncEffectState syncState;
    const auto sync = SyncFrame(SharedLighting{0, 0, 1, 1, 1, 0, 0, 0}, {true, false, false}, syncState);
    EXPECT_EQ(LitZones(sync.devices[0], kKeyboardZones), reachable);
    for (const std::size_t key : {16, 20, 62, 79, 83, 100, 104, 120, 125}) {
        EXPECT_FALSE(sync.devices[0].overlays[key].updated) << key;
    }
}

TEST(EffectFrames, KeyboardScalesWithoutTheRoundingUp) {
    KeyboardEffectState state;
    state.phase = 30;  // the next step gives rainbow index 31: (255, 255, 0)
    const auto out = KeyboardFrame(Record(1, kWhite, 1, true), state);
    const int key = KeyColumns[0][5];
    EXPECT_EQ(out.frame.Zone(static_cast<std::size_t>(LedKeyMap[static_cast<std::size_t>(key)])),
              (Rgb{254, 254, 0}));
    KeyboardEffectState other;
    EXPECT_EQ(KeyboardFrame(Record(4, kWhite), other).frame.length, 0u);  // run by the device
    EXPECT_EQ(other.phase, 0);
}

// Every frame function, for the brightness test below.
std::vector<std::pair<const char*, std::function<DeviceFrame(ActiveLightingImage)>>> AllFrames() {
    static EffectSignals signals;
    return {
        {"sync wave", [](auto r) { SyncEffectState s; auto sh = SharedFrom(r); sh[0] = 0;
                                   return SyncFrame(sh, {true, true, true}, s).devices[0]; }},
        {"sync cycle", [](auto r) { SyncEffectState s; auto sh = SharedFrom(r); sh[0] = 1;
                                    return SyncFrame(sh, {true, true, true}, s).devices[1]; }},
        {"sync breathing", [](auto r) { SyncEffectState s{60}; auto sh = SharedFrom(r); sh[0] = 2;
                                        return SyncFrame(sh, {true, true, true}, s).devices[2]; }},
        {"sync static", [](auto r) { SyncEffectState s; auto sh = SharedFrom(r); sh[0] = 3;
                                     return SyncFrame(sh, {true, true, true}, s).devices[0]; }},
        {"keyboard", [](auto r) { KeyboardEffectState s; return KeyboardFrame(r, s).frame; }},
        {"mouse wave", [](auto r) { MouseEffectState s; return MouseWave(r, s).frame; }},
        {"mouse breathing", [](auto r) { MouseEffectState s{60, 0, {}}; return MouseBreathing(r, s).frame; }},
        {"mouse static", [](auto r) { return MouseStatic(r).frame; }},
        {"mouse ripple", [](auto r) { MouseEffectState s; ResetMouseRipple(s, 1); MouseRipple(r, s, signals);
                                      return MouseRipple(r, s, signals).frame; }},
        {"pad wave", [](auto r) { PadEffectState s; return PadWave(r, s).frame; }},
        {"pad cycle", [](auto r) { PadEffectState s; return PadColourCycle(r, s).frame; }},
        {"pad breathing", [](auto r) { PadEffectState s; s.phase = 60; return PadBreathing(r, s).frame; }},
        {"pad static", [](auto r) { return PadStatic(r).frame; }},
        {"pad bar", [](auto r) { PadEffectState s; s.bar.level = 7; return PadBar(r, s).frame; }},
        {"pad ripple", [](auto r) { PadEffectState s; SeedPadRipple(s); return PadRipple(r, s, signals).frame; }},
        {"pad columns", [](auto r) { PadEffectState s; return PadColumnRainbow(r, s).frame; }},
        {"pad fill", [](auto r) { PadEffectState s; s.columnFill.count = 5; s.columnFill.filling = false;
                                  s.columnFill.mask = 0xFFFF; return PadColumnFill(r, s).frame; }},
        {"pad flash", [](auto r) { PadEffectState s; signals.RaiseFlash(); return PadFlash(r, s, signals, 5).frame; }},
    };
}

TEST(EffectFrames, BrightnessFifteenGivesADarkFrameAndInvisibleOverlays) {
    for (const bool seven : {false, true}) {
        for (const auto& [name, frameOf] : AllFrames()) {
            const auto bright = frameOf(Record(0, kWhite, 1, seven, 0));
            EXPECT_FALSE(LitZones(bright, kKeyboardZones).empty()) << name;
            const auto dark = frameOf(Record(0, kWhite, 1, seven, 15));
            EXPECT_TRUE(LitZones(dark, kKeyboardZones).empty()) << name;
            for (const auto& overlay : dark.overlays) EXPECT_EQ(overlay.alpha, 0) << name;
        }
    }
}

TEST(EffectFrames, SyncSendsAndPauses) {
    using S = FrameStep;
    const auto send = [](DeviceKind d) { return S{StepKind::Send, d, 0}; };
    const auto pause = [](unsigned ms) { return S{StepKind::Pause, DeviceKind::Keyboard, ms}; };
    struct Case {
        std::uint8_t mode;
        std::array<bool, 3> on;
        std::vector<S> steps;
    };
    const Case cases[] = {
        {0, {true, true, true}, {send(DeviceKind::Keyboard), send(DeviceKind::Mouse), send(DeviceKind::MousePad)}},
        {0, {false, false, false}, {pause(6), pause(1), pause(1)}},
        {1, {true, false, true}, {send(DeviceKind::Keyboard), pause(1), send(DeviceKind::MousePad), pause(6)}},
        {1, {false, true, false}, {pause(9), send(DeviceKind::Mouse), pause(1), pause(6)}},
        {2, {false, true, true}, {pause(8), send(DeviceKind::Mouse), send(DeviceKind::MousePad)}},
        {3, {true, false, false}, {send(DeviceKind::Keyboard), pause(1), pause(1), pause(5)}},
        {4, {true, true, true}, {}},
    };
    for (const auto& c : cases) {
        SyncEffectState state;
        const auto out = SyncFrame(SharedLighting{c.mode, 0, 1, 1, 0, 9, 9, 9}, c.on, state);
        const auto items = out.steps.Items();
        EXPECT_EQ(std::vector<S>(items.begin(), items.end()), c.steps) << int(c.mode);
        const std::array<std::size_t, 3> bytes = {378, 60, 45};
        for (std::size_t d = 0; d < 3; ++d) {
            EXPECT_EQ(out.devices[d].length, (c.on[d] && c.mode < 4) ? bytes[d] : 0u);
        }
    }
}

TEST(EffectFrames, PadFrameLengthsAndPauses) {
    EffectSignals signals;
    const std::array<std::size_t, 9> lengths = {45, 45, 60, 60, 45, 45, 45, 45, 60};
    for (std::uint8_t mode = 0; mode < 9; ++mode) {
        PadEffectState state;
        EXPECT_EQ(PadFrame(Record(mode, kWhite), state, signals, 0).frame.length, lengths[mode]) << int(mode);
    }
    PadEffectState state;
    EXPECT_EQ(PadFrame(Record(9, kWhite), state, signals, 0).frame.length, 0u);
    EXPECT_EQ(PadPauseMs(0, 2), 17u);
    EXPECT_EQ(PadPauseMs(4, 2), 17u + 120u);
    EXPECT_EQ(PadPauseMs(5, 0), 9u + 50u);
    EXPECT_EQ(PadPauseMs(7, 14), 65u + 120u);
    EXPECT_EQ(MouseExtraPauseMs(4), 50u);
    EXPECT_EQ(MouseExtraPauseMs(0), 0u);
    MouseEffectState mouseState;
    EXPECT_EQ(MouseFrame(Record(4, kWhite), mouseState, signals).frame.length, 0u);
}

TEST(EffectFrames, MouseBreathingChangesListAfterEachCycle) {
    MouseEffectState state;
    const auto mouse = Record(1, kWhite, 1, true);
    DeviceFrame last;
    for (int frame = 0; frame < 128; ++frame) last = MouseBreathing(mouse, state).frame;
    EXPECT_EQ(state.phase, 0);
    EXPECT_EQ(state.listIndex, 1);
    EXPECT_EQ(last.overlays[6].colour, PackOverlayColour(MouseColourLists[1][6]));
}

}  // namespace
}  // namespace corvane::lighting

namespace corvane::lighting {
namespace {

// The pages, the mouse's event watcher and the keyboard thread reach the pad thread's effect
// state only through the signals; run them together so a race shows under the thread sanitizer.
TEST(EffectFrames, SignalsAreSafeAcrossThreads) {
    EffectSignals signals;
    constexpr int kFrames = 400;
    std::thread pad([&] {
        PadEffectState state;
        for (int i = 0; i < kFrames; ++i) {
            PadFrame(Record(i % 2 ? 5 : 8, kWhite, 1, true), state, signals, static_cast<std::uint64_t>(i) * 10);
        }
    });
    std::thread mouse([&] {
        MouseEffectState state;
        for (int i = 0; i < kFrames; ++i) MouseFrame(Record(5, kWhite, 0, true), state, signals);
    });
    for (int i = 0; i < kFrames; ++i) {
        signals.RaiseFlash();
        signals.AdvanceRippleHue(1);
        if (i % 50 == 0) {
            signals.RequestPadModeReset(5);
            signals.RequestMouseRippleReset(5, static_cast<std::uint8_t>(i % 2));
        }
    }
    pad.join();
    mouse.join();
    PadEffectState after;
    signals.RequestPadModeReset(3);
    signals.ApplyPending(after);
    EXPECT_FALSE(signals.TakeFlash());
}

}  // namespace
}  // namespace corvane::lighting
