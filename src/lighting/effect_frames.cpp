#include "lighting/effect_frames.h"

#include <algorithm>

#include "lighting/custom_colours.h"
#include "lighting/effect_tables.h"

namespace corvane::lighting {
namespace {

constexpr std::uint8_t kFull = 255;
constexpr std::uint8_t kRainbowStride = 7;
constexpr std::uint8_t kWaveStride = 10;
constexpr std::uint8_t kColumnFillStride = 20;
constexpr std::uint8_t kRippleHueStride = 11;
constexpr std::uint8_t kFlashHueStride = 14;
constexpr std::uint8_t kBreathingHueOffset = 50;
constexpr std::uint8_t kBreathingCycles = 3;
constexpr std::uint64_t kFlashLitMs = 99;  // lit while no more than this has passed
constexpr unsigned kColumnFillPauseMs = 1000;
constexpr int kBarTop = 15;
constexpr int kBarBottom = -1;
constexpr int kColumnFillFrames = 15;
constexpr std::size_t kMouseRippleSeedHigh = 7;
constexpr std::size_t kMouseRippleSeedLow = 0;
constexpr std::size_t kPadRippleSeed = 0;

constexpr std::size_t kKeyboard = device::KindIndex(DeviceKind::Keyboard);
constexpr std::size_t kMouse = device::KindIndex(DeviceKind::Mouse);
constexpr std::size_t kPad = device::KindIndex(DeviceKind::MousePad);

constexpr std::uint8_t kRainbowCycle8 = static_cast<std::uint8_t>(kRainbowCycle);
constexpr std::uint8_t kWaveSize8 = static_cast<std::uint8_t>(kWaveSize);
constexpr std::uint8_t kPulseSize8 = static_cast<std::uint8_t>(kPulseSize);

// p + add, wrapped at n (p < n).
std::uint8_t Advance(std::uint8_t p, std::uint8_t add, std::uint8_t n) {
    const int next = p + add;
    return static_cast<std::uint8_t>(next >= n ? next - n : next);
}

std::uint8_t Attenuate(std::uint8_t b, std::uint8_t f) { return static_cast<std::uint8_t>((b * f) >> 8); }

struct Look {
    std::uint8_t factor;  // BrightnessFactor of the record
    Rgb base;
    bool seven;
    std::uint8_t direction;
};
Look LookOf(const ActiveLightingImage& r) {
    return Look{BrightnessFactor(Brightness(r)), ColourOf(r), SevenColour(r), Direction(r)};
}

// Colour, frame colour and alpha of a zone.
void Light(DeviceFrame& frame, std::size_t zone, Rgb colour, Rgb scaled, std::uint8_t alpha) {
    frame.SetOverlay(zone, colour, alpha);
    frame.SetZone(zone, scaled);
}
void Dark(DeviceFrame& frame, std::size_t zone) { Light(frame, zone, kBlack, kBlack, 0); }

void LightKeyColumn(DeviceFrame& frame, std::size_t column, Rgb colour, Rgb scaled, std::uint8_t alpha,
                    bool overlays) {
    for (const int key : KeyColumns[column]) {
        if (key == kNoKey) continue;
        if (overlays) frame.SetOverlay(static_cast<std::size_t>(key), colour, alpha);
        const int position = LedKeyMap[static_cast<std::size_t>(key)];
        if (position != kNoLed) frame.SetZone(static_cast<std::size_t>(position), scaled);
    }
}

void LightMouseColumn(DeviceFrame& frame, std::size_t column, Rgb colour, Rgb scaled, std::uint8_t alpha) {
    for (const int zone : MouseColumns[column]) Light(frame, static_cast<std::size_t>(zone), colour, scaled, alpha);
}

void LightPadColumn(DeviceFrame& frame, std::size_t column, Rgb colour, Rgb scaled, std::uint8_t alpha) {
    for (const auto& row : PadGrid) {
        if (row[column] != kNoZone) Light(frame, static_cast<std::size_t>(row[column]), colour, scaled, alpha);
    }
}

void LightAll(DeviceFrame& frame, std::size_t zones, Rgb colour, Rgb scaled, std::uint8_t alpha) {
    for (std::size_t z = 0; z < zones; ++z) Light(frame, z, colour, scaled, alpha);
}

EffectFrame Sent(DeviceFrame frame, DeviceKind device, std::size_t length) {
    EffectFrame out{std::move(frame), {}};
    out.frame.length = length;
    out.steps.Send(device);
    return out;
}

// ---- synchronised effects ----

constexpr std::array<std::size_t, 3> kZonesOf = {kKeyboardZones, kMouseZones, kPadZones};
constexpr std::array<std::size_t, 3> kBytesOf = {kKeyboardFrameBytes, kMouseFrameBytes, kPadFrameBytes};
constexpr std::array<DeviceKind, 3> kKinds = {DeviceKind::Keyboard, DeviceKind::Mouse, DeviceKind::MousePad};

// Devices that are on send their frame; for each one that is off the thread pauses instead.
void Finish(SyncFrameResult& out, const std::array<bool, 3>& on, std::array<unsigned, 3> offPauses) {
    for (std::size_t d = 0; d < kKinds.size(); ++d) {
        if (on[d]) {
            out.devices[d].length = kBytesOf[d];
            out.steps.Send(kKinds[d]);
        } else {
            out.steps.Pause(offPauses[d]);
        }
    }
}

void SyncColumn(SyncFrameResult& out, const std::array<bool, 3>& on, std::size_t column, Rgb colour,
                Rgb scaled, std::uint8_t alpha) {
    if (on[kKeyboard]) LightKeyColumn(out.devices[kKeyboard], column, colour, scaled, alpha, true);
    if (on[kMouse] && column < kMouseColumnCount) {
        LightMouseColumn(out.devices[kMouse], column, colour, scaled, alpha);
    }
    if (on[kPad] && column < kPadZones) Light(out.devices[kPad], column, colour, scaled, alpha);
}

void SyncAll(SyncFrameResult& out, const std::array<bool, 3>& on, Rgb colour, Rgb scaled, std::uint8_t alpha) {
    for (std::size_t d = 0; d < kKinds.size(); ++d) {
        if (on[d]) LightAll(out.devices[d], kZonesOf[d], colour, scaled, alpha);
    }
}

// ---- ripples ----

template <std::size_t R, std::size_t Z>
void TriggerRipple(RippleState<R, Z>& ripple, std::size_t slots, bool seven, EffectSignals& signals) {
    for (std::size_t i = 0; i < slots; ++i) {
        if (ripple.ring[i] == 0) continue;
        ripple.intensity[i] = kFull;
        if (seven) ripple.hue[i] = signals.AdvanceRippleHue(kRippleHueStride);
    }
}

template <std::size_t R>
void RotateRing(std::array<std::uint8_t, R>& ring, std::uint8_t direction) {
    if (direction == 0) {
        std::rotate(ring.rbegin(), ring.rbegin() + 1, ring.rend());  // last slot -> slot 0
    } else {
        std::rotate(ring.begin(), ring.begin() + 1, ring.end());  // slot 0 -> last slot
    }
}

struct DecayStep {
    int from;  // applies at this intensity or above
    int minus;
};
std::uint8_t Decay(std::uint8_t value, const std::array<DecayStep, 5>& steps) {
    for (const auto& step : steps) {
        if (value >= step.from) return static_cast<std::uint8_t>(std::max(0, value - step.minus));
    }
    return value;
}
constexpr std::array<DecayStep, 5> kMouseDecay = {{{128, 40}, {64, 30}, {32, 10}, {17, 8}, {1, 4}}};
constexpr std::array<DecayStep, 5> kPadDecay = {{{128, 30}, {64, 20}, {32, 10}, {17, 5}, {1, 1}}};


}  // namespace

void DeviceFrame::SetZone(std::size_t zone, Rgb colour) {
    const std::size_t at = zone * kZoneBytes;
    if (at + kZoneBytes > bytes.size()) return;
    bytes[at] = colour.red;
    bytes[at + 1] = colour.green;
    bytes[at + 2] = colour.blue;
}

Rgb DeviceFrame::Zone(std::size_t zone) const {
    const std::size_t at = zone * kZoneBytes;
    if (at + kZoneBytes > bytes.size()) return kBlack;
    return Rgb{bytes[at], bytes[at + 1], bytes[at + 2]};
}

void DeviceFrame::SetOverlay(std::size_t index, Rgb colour, std::uint8_t alpha) {
    if (index < overlays.size()) overlays[index] = ZoneOverlay{true, PackOverlayColour(colour), alpha};
}

std::uint8_t Step(std::uint8_t& counter, std::uint8_t direction, std::uint8_t n) {
    std::uint8_t next = static_cast<std::uint8_t>(direction != 0 ? counter + 1 : counter - 1);
    if (next >= n) next = direction != 0 ? 0 : static_cast<std::uint8_t>(n - 1);
    counter = next;
    return next;
}

std::optional<std::size_t> MouseRippleSeed(std::uint8_t mode, std::uint8_t direction) {
    if (mode != kMouseRippleMode) return std::nullopt;
    return direction != 0 ? kMouseRippleSeedHigh : kMouseRippleSeedLow;
}

void ResetMouseRipple(MouseEffectState& state, std::optional<std::size_t> seedSlot) {
    state.phase = 0;
    state.ripple = {};
    if (seedSlot && *seedSlot < state.ripple.ring.size()) state.ripple.ring[*seedSlot] = 1;
}

void ResetPadRipple(PadEffectState& state) { state.ripple = {}; }

void SeedPadRipple(PadEffectState& state) { state.ripple.ring[kPadRippleSeed] = 1; }

std::uint8_t EffectSignals::AdvanceRippleHue(std::uint8_t by) {
    return static_cast<std::uint8_t>(rippleHue_.fetch_add(by) + by);
}

void EffectSignals::RequestMouseRippleReset(std::uint8_t mode, std::uint8_t direction) {
    const auto seed = MouseRippleSeed(mode, direction);
    mouseReset_.store(seed ? static_cast<int>(*seed) : kClearOnly);
}

void EffectSignals::RequestPadModeReset(std::uint8_t mode) {
    flash_.store(false);
    padReset_.store(static_cast<std::uint8_t>(kPadClear | (mode == kPadRippleMode ? kPadSeed : 0)));
}

void EffectSignals::RequestPadPageShown(std::uint8_t mode) {
    if (mode == kPadRippleMode) padReset_.fetch_or(kPadSeed);
}

void EffectSignals::ApplyPending(MouseEffectState& state) {
    const int request = mouseReset_.exchange(kNoRequest);
    if (request == kNoRequest) return;
    ResetMouseRipple(state, request >= 0 ? std::optional<std::size_t>(static_cast<std::size_t>(request))
                                         : std::nullopt);
}

void EffectSignals::ApplyPending(PadEffectState& state) {
    const std::uint8_t request = padReset_.exchange(0);
    if (request & kPadClear) ResetPadRipple(state);
    if (request & kPadSeed) SeedPadRipple(state);
}

SyncFrameResult SyncFrame(SharedLighting shared, std::array<bool, 3> on, SyncEffectState& state) {
    SyncFrameResult out;
    const std::uint8_t b = BrightnessFactor(shared[kSharedBrightnessOffset]);
    const std::uint8_t direction = shared[kSharedDirectionOffset];
    const bool seven = shared[kSharedSevenColourOffset] != 0;
    const Rgb base{shared[kSharedRedOffset], shared[kSharedRedOffset + 1], shared[kSharedRedOffset + 2]};
    switch (shared[kSharedModeOffset]) {
        case 0: {  // wave
            if (seven) {
                std::uint8_t p = Step(state.phase, direction, kRainbowCycle8);
                for (std::size_t c = 0; c < kKeyColumnCount; ++c) {
                    const Rgb colour = RainbowTable[p];
                    SyncColumn(out, on, c, colour, Scale(colour, b), b);
                    p = Advance(p, kRainbowStride, kRainbowCycle8);
                }
            } else {
                std::uint8_t p = Step(state.phase, direction, kWaveSize8);
                for (std::size_t c = 0; c < kKeyColumnCount; ++c) {
                    const Rgb scaled = Scale(Scale(base, b), WaveTable[p]);
                    p = Advance(p, kWaveStride, kWaveSize8);
                    SyncColumn(out, on, c, base, scaled, Attenuate(b, WaveTable[p]));
                }
            }
            Finish(out, on, {6, 1, 1});
            break;
        }
        case 1: {  // colour cycle
            const Rgb colour = RainbowTable[Step(state.phase, direction, kRainbowCycle8)];
            SyncAll(out, on, colour, Scale(colour, b), b);
            Finish(out, on, {9, 1, 1});
            out.steps.Pause(6);
            break;
        }
        case 2: {  // breathing
            const std::uint8_t p = Step(state.phase, direction, kPulseSize8);
            const Rgb colour = seven ? RainbowTable[p] : base;
            SyncAll(out, on, colour, Scale(Scale(colour, PulseTable[p]), b), Attenuate(b, PulseTable[p]));
            Finish(out, on, {8, 1, 1});
            break;
        }
        case 3:  // static
            SyncAll(out, on, base, Scale(base, b), b);
            Finish(out, on, {6, 1, 1});
            out.steps.Pause(5);
            break;
        default: break;
    }
    return out;
}

EffectFrame KeyboardFrame(ActiveLightingImage keyboard, KeyboardEffectState& state) {
    constexpr std::uint8_t kLastSoftwareMode = 3;
    if (Mode(keyboard) > kLastSoftwareMode) return {};
    const Look look = LookOf(keyboard);
    DeviceFrame frame;
    if (look.seven) {
        std::uint8_t p = Step(state.phase, look.direction, kRainbowCycle8);
        for (std::size_t c = 0; c < kKeyColumnCount; ++c) {
            const Rgb colour = ScaleKeyboard(RainbowTable[p], look.factor);
            p = Advance(p, kRainbowStride, kRainbowCycle8);
            LightKeyColumn(frame, c, colour, colour, 0, false);
        }
    } else {
        std::uint8_t p = Step(state.phase, look.direction, kWaveSize8);
        for (std::size_t c = 0; c < kKeyColumnCount; ++c) {
            const Rgb colour = ScaleKeyboard(ScaleKeyboard(look.base, look.factor), WaveTable[p]);
            p = Advance(p, kWaveStride, kWaveSize8);
            LightKeyColumn(frame, c, colour, colour, 0, false);
        }
    }
    return Sent(std::move(frame), DeviceKind::Keyboard, kKeyboardFrameBytes);
}

EffectFrame MouseWave(ActiveLightingImage mouse, MouseEffectState& state) {
    const Look look = LookOf(mouse);
    DeviceFrame frame;
    if (look.seven) {
        std::uint8_t p = Step(state.phase, look.direction, kRainbowCycle8);
        for (std::size_t c = 0; c < kMouseColumnCount; ++c) {
            LightMouseColumn(frame, c, RainbowTable[p], Scale(RainbowTable[p], look.factor), look.factor);
            p = Advance(p, kRainbowStride, kRainbowCycle8);
        }
    } else {
        std::uint8_t p = Step(state.phase, look.direction, kWaveSize8);
        for (std::size_t c = 0; c < kMouseColumnCount; ++c) {
            const Rgb scaled = Scale(Scale(look.base, look.factor), WaveTable[p]);
            p = Advance(p, kWaveStride, kWaveSize8);
            LightMouseColumn(frame, c, look.base, scaled, Attenuate(look.factor, WaveTable[p]));
        }
    }
    return Sent(std::move(frame), DeviceKind::Mouse, kMouseFrameBytes);
}

EffectFrame MouseBreathing(ActiveLightingImage mouse, MouseEffectState& state) {
    const Look look = LookOf(mouse);
    const std::uint8_t q = Step(state.phase, look.direction, kPulseSize8);
    if (state.phase == 0) state.listIndex = static_cast<std::uint8_t>((state.listIndex + 1) % kMouseColourListCount);
    const std::uint8_t pulse = PulseTable[q];
    const auto& list = MouseColourLists[std::min<std::size_t>(state.listIndex, kMouseColourListCount - 1)];
    DeviceFrame frame;
    for (std::size_t c = 0; c < kMouseColumnCount; ++c) {
        const Rgb colour = look.seven ? list[c] : look.base;
        LightMouseColumn(frame, c, colour, Scale(Scale(colour, pulse), look.factor), Attenuate(pulse, look.factor));
    }
    return Sent(std::move(frame), DeviceKind::Mouse, kMouseFrameBytes);
}

EffectFrame MouseStatic(ActiveLightingImage mouse) {
    const Look look = LookOf(mouse);
    DeviceFrame frame;
    LightAll(frame, kMouseZones, look.base, Scale(look.base, look.factor), look.factor);
    return Sent(std::move(frame), DeviceKind::Mouse, kMouseFrameBytes);
}

EffectFrame MouseRipple(ActiveLightingImage mouse, MouseEffectState& state, EffectSignals& signals) {
    const Look look = LookOf(mouse);
    Step(state.phase, look.direction, kRainbowCycle8);
    auto& ripple = state.ripple;
    TriggerRipple(ripple, kMouseRippleSlots, look.seven, signals);
    RotateRing(ripple.ring, look.direction);
    DeviceFrame frame;
    for (std::size_t c = 0; c < kMouseColumnCount; ++c) {
        ripple.intensity[c] = Decay(ripple.intensity[c], kMouseDecay);
        const std::uint8_t level = ripple.intensity[c];
        const Rgb colour = look.seven ? RainbowTable[ripple.hue[c]] : look.base;
        LightMouseColumn(frame, c, colour, Scale(Scale(colour, level), look.factor), Attenuate(look.factor, level));
    }
    return Sent(std::move(frame), DeviceKind::Mouse, kMouseFrameBytes);
}

EffectFrame PadWave(ActiveLightingImage pad, PadEffectState& state) {
    const Look look = LookOf(pad);
    DeviceFrame frame;
    if (look.seven) {
        std::uint8_t p = Step(state.phase, look.direction, kRainbowCycle8);
        for (std::size_t z = 0; z < kPadZones; ++z) {
            Light(frame, z, RainbowTable[p], Scale(RainbowTable[p], look.factor), look.factor);
            p = Advance(p, kRainbowStride, kRainbowCycle8);
        }
    } else {
        std::uint8_t p = Step(state.phase, look.direction, kWaveSize8);
        for (std::size_t z = 0; z < kPadZones; ++z) {
            Light(frame, z, look.base, Scale(Scale(look.base, look.factor), WaveTable[p]),
                  Attenuate(look.factor, WaveTable[p]));
            p = Advance(p, kWaveStride, kWaveSize8);
        }
    }
    return Sent(std::move(frame), DeviceKind::MousePad, kPadFrameBytes);
}

EffectFrame PadColourCycle(ActiveLightingImage pad, PadEffectState& state) {
    const Look look = LookOf(pad);
    const Rgb colour = RainbowTable[Step(state.phase, look.direction, kRainbowCycle8)];
    DeviceFrame frame;
    LightAll(frame, kPadZones, colour, Scale(colour, look.factor), look.factor);
    return Sent(std::move(frame), DeviceKind::MousePad, kPadFrameBytes);
}

EffectFrame PadBreathing(ActiveLightingImage pad, PadEffectState& state) {
    const Look look = LookOf(pad);
    const std::uint8_t q = Step(state.phase, look.direction, kPulseSize8);
    if (state.phase == 0) state.breathingCycle = static_cast<std::uint8_t>((state.breathingCycle + 1) % kBreathingCycles);
    const int shifted = q + kBreathingHueOffset;
    const auto hue = static_cast<std::uint8_t>(shifted > kRainbowCycle8 - 1 ? shifted - kRainbowCycle8 : shifted);
    const Rgb colour = look.seven ? RainbowTable[hue] : look.base;
    const std::uint8_t pulse = PulseTable[q];
    DeviceFrame frame;
    LightAll(frame, kPadZones, colour, Scale(Scale(colour, pulse), look.factor), Attenuate(look.factor, pulse));
    return Sent(std::move(frame), DeviceKind::MousePad, kPadPaddedFrameBytes);
}

EffectFrame PadStatic(ActiveLightingImage pad) {
    const Look look = LookOf(pad);
    DeviceFrame frame;
    LightAll(frame, kPadZones, look.base, Scale(look.base, look.factor), look.factor);
    return Sent(std::move(frame), DeviceKind::MousePad, kPadPaddedFrameBytes);
}

EffectFrame PadBar(ActiveLightingImage pad, PadEffectState& state) {
    const Look look = LookOf(pad);
    auto& bar = state.bar;
    if (!bar.falling) {
        if (++bar.level == kBarTop) bar.falling = true;
    } else {
        if (--bar.level == kBarBottom) bar.falling = false;
    }
    DeviceFrame frame;
    std::uint8_t h = 0;
    for (std::size_t i = 0; i < kPadZones; ++i) {
        const int zone = static_cast<int>(i);
        const bool lit = look.direction == 0 ? zone < bar.level : zone > bar.level;
        if (lit) {
            const Rgb colour = look.seven ? RainbowTable[h] : look.base;
            Light(frame, i, colour, Scale(colour, look.factor), look.factor);
        } else {
            Dark(frame, i);
        }
        h = Advance(h, kRainbowStride, kRainbowCycle8);
    }
    return Sent(std::move(frame), DeviceKind::MousePad, kPadFrameBytes);
}

EffectFrame PadRipple(ActiveLightingImage pad, PadEffectState& state, EffectSignals& signals) {
    const Look look = LookOf(pad);
    Step(state.phase, look.direction, kRainbowCycle8);
    auto& ripple = state.ripple;
    TriggerRipple(ripple, kPadZones, look.seven, signals);
    RotateRing(ripple.ring, look.direction);
    DeviceFrame frame;
    for (std::size_t z = 0; z < kPadZones; ++z) {
        ripple.intensity[z] = Decay(ripple.intensity[z], kPadDecay);
        const std::uint8_t level = ripple.intensity[z];
        const Rgb colour = look.seven ? RainbowTable[ripple.hue[z]] : look.base;
        Light(frame, z, colour, Scale(Scale(colour, level), look.factor), Attenuate(look.factor, level));
    }
    return Sent(std::move(frame), DeviceKind::MousePad, kPadFrameBytes);
}

EffectFrame PadColumnRainbow(ActiveLightingImage pad, PadEffectState& state) {
    const Look look = LookOf(pad);
    std::uint8_t p = Step(state.phase, look.direction, kRainbowCycle8);
    DeviceFrame frame;
    for (std::size_t c = 0; c < kPadColumns; ++c) {
        LightPadColumn(frame, c, RainbowTable[p], Scale(RainbowTable[p], look.factor), look.factor);
        p = Advance(p, kRainbowStride, kRainbowCycle8);
    }
    return Sent(std::move(frame), DeviceKind::MousePad, kPadFrameBytes);
}

EffectFrame PadColumnFill(ActiveLightingImage pad, PadEffectState& state) {
    constexpr std::uint16_t kTopBit = 0x8000;
    constexpr unsigned kLowColumnBit = 7;  // column c reads bit 7 - c while filling
    auto& fill = state.columnFill;
    std::array<bool, kPadColumns> lit{};
    if (fill.filling) {
        ++fill.count;
        fill.mask = static_cast<std::uint16_t>((fill.mask >> 1) | (fill.mask & kTopBit));
        if (fill.count == kColumnFillFrames) {
            fill.filling = false;
            fill.mask = kColumnEmptyStart;
            EffectFrame pause;
            pause.steps.Pause(kColumnFillPauseMs);
            return pause;
        }
        for (std::size_t c = 0; c < kPadColumns; ++c) lit[c] = (fill.mask >> (kLowColumnBit - c)) & 1u;
    } else {
        if (fill.count == 0) {
            fill.filling = true;
            fill.mask = kColumnFillStart;
            EffectFrame pause;
            pause.steps.Pause(kColumnFillPauseMs);
            return pause;
        }
        for (std::size_t c = 0; c < kPadColumns; ++c) lit[c] = ((fill.mask << c) & kTopBit) != 0;
        fill.mask = static_cast<std::uint16_t>(fill.mask << 1);
        --fill.count;
    }
    const Look look = LookOf(pad);
    std::uint8_t p = Step(state.phase, 0, kRainbowCycle8);
    DeviceFrame frame;
    for (std::size_t c = 0; c < kPadColumns; ++c) {
        if (lit[c]) {
            const Rgb colour = look.seven ? RainbowTable[p] : look.base;
            LightPadColumn(frame, c, colour, Scale(colour, look.factor), look.factor);
            p = Advance(p, kColumnFillStride, kRainbowCycle8);
        } else {
            LightPadColumn(frame, c, kBlack, kBlack, 0);
        }
    }
    return Sent(std::move(frame), DeviceKind::MousePad, kPadFrameBytes);
}

EffectFrame PadFlash(ActiveLightingImage pad, PadEffectState& state, EffectSignals& signals,
                     std::uint64_t nowMs) {
    auto& flash = state.flash;
    if (signals.TakeFlash()) {
        flash.active = true;
        flash.startMs = nowMs;
        flash.hue = static_cast<std::uint8_t>(flash.hue + kFlashHueStride > kRainbowCycle8 - 1
                                                  ? 0
                                                  : flash.hue + kFlashHueStride);
    }
    DeviceFrame frame;
    if (flash.active) {
        if (nowMs - flash.startMs > kFlashLitMs) flash.active = false;  // this frame is the last lit one
        const Look look = LookOf(pad);
        const Rgb colour = look.seven ? RainbowTable[flash.hue] : look.base;
        LightAll(frame, kPadZones, colour, Scale(colour, look.factor), look.factor);
    } else {
        for (std::size_t z = 0; z < kPadZones; ++z) Dark(frame, z);
    }
    return Sent(std::move(frame), DeviceKind::MousePad, kPadPaddedFrameBytes);
}

unsigned MouseExtraPauseMs(std::uint8_t mode) {
    constexpr std::uint8_t kDeviceMode = 4;
    constexpr unsigned kExtraMs = 50;
    return (mode == kDeviceMode || mode == kMouseRippleMode) ? kExtraMs : 0;
}

unsigned PadPauseMs(std::uint8_t mode, std::uint8_t speed) {
    unsigned extra = 0;
    switch (mode) {
        case 4: extra = speed * 10u + 100u; break;
        case kPadRippleMode: extra = 50; break;
        case 7: extra = speed * 5u + 50u; break;
        default: break;
    }
    return PadDelayMs(mode, speed) + extra;
}

EffectFrame MouseFrame(ActiveLightingImage mouse, MouseEffectState& state, EffectSignals& signals) {
    signals.ApplyPending(state);
    switch (Mode(mouse)) {
        case 0: return MouseWave(mouse, state);
        case 1: return MouseBreathing(mouse, state);
        case 2:
        case 3: return MouseStatic(mouse);
        case kMouseRippleMode: return MouseRipple(mouse, state, signals);
        default: return {};
    }
}

EffectFrame PadFrame(ActiveLightingImage pad, PadEffectState& state, EffectSignals& signals,
                     std::uint64_t nowMs) {
    signals.ApplyPending(state);
    switch (Mode(pad)) {
        case 0: return PadWave(pad, state);
        case 1: return PadColourCycle(pad, state);
        case 2: return PadBreathing(pad, state);
        case 3: return PadStatic(pad);
        case 4: return PadBar(pad, state);
        case kPadRippleMode: return PadRipple(pad, state, signals);
        case 6: return PadColumnRainbow(pad, state);
        case 7: return PadColumnFill(pad, state);
        case 8: return PadFlash(pad, state, signals, nowMs);
        default: return {};
    }
}

}  // namespace corvane::lighting
