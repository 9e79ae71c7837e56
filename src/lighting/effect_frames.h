#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "device/device_images.h"
#include "device/device_kind.h"
#include "lighting/colour.h"
#include "lighting/lighting_records.h"

namespace corvane::lighting {

// Frame sizes: three bytes (red, green, blue) per zone.
inline constexpr std::size_t kZoneBytes = 3;
inline constexpr std::size_t kKeyboardZones = 126;  // LED positions
inline constexpr std::size_t kMouseZones = 20;
inline constexpr std::size_t kPadZones = 15;
inline constexpr std::size_t kKeyboardFrameBytes = kKeyboardZones * kZoneBytes;  // 378
inline constexpr std::size_t kMouseFrameBytes = kMouseZones * kZoneBytes;        // 60
inline constexpr std::size_t kPadFrameBytes = kPadZones * kZoneBytes;            // 45
// Some pad frames go out padded with 15 zero bytes.
inline constexpr std::size_t kPadPaddedFrameBytes = 60;
inline constexpr std::size_t kKeyboardOverlays = 126;  // "kb_dkey_" 0..125 (screen keys)

// What one frame does to an LED overlay ("kb_dkey_" n, "ms_dkey_" z, "mp_dkey_" z).
struct ZoneOverlay {
    bool updated = false;
    std::uint32_t colour = 0;  // PackOverlayColour of the unscaled colour
    std::uint8_t alpha = 0;

    friend bool operator==(const ZoneOverlay&, const ZoneOverlay&) = default;
};

// One device's part of a frame: the bytes to send and the overlay updates.
struct DeviceFrame {
    std::size_t length = 0;  // bytes to send; 0 when the device gets no frame
    std::array<std::uint8_t, kKeyboardFrameBytes> bytes{};
    std::array<ZoneOverlay, kKeyboardOverlays> overlays{};

    void SetZone(std::size_t zone, Rgb colour);
    Rgb Zone(std::size_t zone) const;
    void SetOverlay(std::size_t index, Rgb colour, std::uint8_t alpha);
    std::span<const std::uint8_t> Payload() const { return {bytes.data(), length}; }
};

// What the lighting thread does after computing a frame, in order.
enum class StepKind : std::uint8_t { Send, Pause };
struct FrameStep {
    StepKind kind = StepKind::Pause;
    DeviceKind device = DeviceKind::Keyboard;  // Send: whose frame
    unsigned ms = 0;                           // Pause: how long

    friend bool operator==(const FrameStep&, const FrameStep&) = default;
};
class FrameSteps {
public:
    void Send(DeviceKind device) { Add({StepKind::Send, device, 0}); }
    void Pause(unsigned ms) { Add({StepKind::Pause, DeviceKind::Keyboard, ms}); }
    std::span<const FrameStep> Items() const { return {items_.data(), count_}; }

private:
    void Add(FrameStep step) {
        if (count_ < items_.size()) items_[count_++] = step;
    }
    std::array<FrameStep, 4> items_{};
    std::size_t count_ = 0;
};

struct EffectFrame {
    DeviceFrame frame;
    FrameSteps steps;
};

struct SyncFrameResult {
    std::array<DeviceFrame, 3> devices;  // by KindIndex
    FrameSteps steps;
};

// Phase counter step: +1 for a non-zero direction, otherwise -1 (8-bit); wraps to 0 / n - 1 when
// the result is n or more.
std::uint8_t Step(std::uint8_t& counter, std::uint8_t direction, std::uint8_t n);

template <std::size_t RingSize, std::size_t Zones>
struct RippleState {
    std::array<std::uint8_t, RingSize> ring{};
    std::array<std::uint8_t, Zones> intensity{};
    std::array<std::uint8_t, Zones> hue{};
};
inline constexpr std::size_t kMouseRippleRing = 23;
inline constexpr std::size_t kMouseRippleSlots = 14;
inline constexpr std::size_t kPadRippleRing = 15;
using MouseRippleState = RippleState<kMouseRippleRing, kMouseRippleSlots>;
using PadRippleState = RippleState<kPadRippleRing, kPadZones>;

// Per-thread effect state: each lighting thread owns one of these.
struct SyncEffectState {
    std::uint8_t phase = 0;
};
struct KeyboardEffectState {
    std::uint8_t phase = 0;
};
struct MouseEffectState {
    std::uint8_t phase = 0;
    std::uint8_t listIndex = 0;  // colour list of the breathing
    MouseRippleState ripple;
};
inline constexpr std::uint16_t kColumnFillStart = 0x3F00;
inline constexpr std::uint16_t kColumnEmptyStart = 252;
struct PadEffectState {
    std::uint8_t phase = 0;
    // Breathing cycle count 0..2; kept here rather than in the record, which the UI thread owns.
    std::uint8_t breathingCycle = 0;
    PadRippleState ripple;
    struct Bar {
        int level = 0;
        bool falling = false;
    } bar;
    struct ColumnFill {
        std::uint16_t mask = kColumnFillStart;
        int count = 0;
        bool filling = true;
    } columnFill;
    struct Flash {
        bool active = false;
        std::uint64_t startMs = 0;
        std::uint8_t hue = 0;
    } flash;
};

// Ripple seeding: selecting a mode clears the device's ripple state; the ripple mode then starts a
// ripple at a fixed slot (the mouse's from the end its direction names).
inline constexpr std::uint8_t kMouseRippleMode = 5;
inline constexpr std::uint8_t kPadRippleMode = 5;
std::optional<std::size_t> MouseRippleSeed(std::uint8_t mode, std::uint8_t direction);
void ResetMouseRipple(MouseEffectState& state, std::optional<std::size_t> seedSlot);
void ResetPadRipple(PadEffectState& state);
void SeedPadRipple(PadEffectState& state);

// State handed between threads: the ripple hue counter (mouse and pad ripples, advanced by the
// keyboard thread too), the flash request raised by the mouse's event, and ripple resets asked
// for by the pages. Each lighting thread applies its device's pending reset before its next frame.
class EffectSignals {
public:
    std::uint8_t AdvanceRippleHue(std::uint8_t by);  // returns the new value
    std::uint8_t RippleHue() const { return rippleHue_.load(); }

    void RaiseFlash() { flash_.store(true); }
    bool TakeFlash() { return flash_.exchange(false); }

    // A mouse mode was selected or a mouse direction check changed.
    void RequestMouseRippleReset(std::uint8_t mode, std::uint8_t direction);
    // A pad mode was selected (clears the ripple and the flash request; mode 5 seeds), or the pad
    // page was shown (mode 5 seeds).
    void RequestPadModeReset(std::uint8_t mode);
    void RequestPadPageShown(std::uint8_t mode);

    void ApplyPending(MouseEffectState& state);
    void ApplyPending(PadEffectState& state);

private:
    static constexpr int kNoRequest = -2;
    static constexpr int kClearOnly = -1;
    static constexpr std::uint8_t kPadClear = 1;
    static constexpr std::uint8_t kPadSeed = 2;

    std::atomic<std::uint8_t> rippleHue_{0};
    std::atomic<bool> flash_{false};
    std::atomic<int> mouseReset_{kNoRequest};
    std::atomic<std::uint8_t> padReset_{0};
};

// Synchronised effects over every device whose flag in `on` (by KindIndex) is set.
SyncFrameResult SyncFrame(SharedLighting shared, std::array<bool, 3> on, SyncEffectState& state);

// The keyboard's own effect (modes 0..3; other modes give no frame).
EffectFrame KeyboardFrame(ActiveLightingImage keyboard, KeyboardEffectState& state);

// Mouse frames (60 bytes each).
EffectFrame MouseWave(ActiveLightingImage mouse, MouseEffectState& state);
EffectFrame MouseBreathing(ActiveLightingImage mouse, MouseEffectState& state);
EffectFrame MouseStatic(ActiveLightingImage mouse);
EffectFrame MouseRipple(ActiveLightingImage mouse, MouseEffectState& state, EffectSignals& signals);

// Mouse-pad frames.
EffectFrame PadWave(ActiveLightingImage pad, PadEffectState& state);
EffectFrame PadColourCycle(ActiveLightingImage pad, PadEffectState& state);
EffectFrame PadBreathing(ActiveLightingImage pad, PadEffectState& state);
EffectFrame PadStatic(ActiveLightingImage pad);
EffectFrame PadBar(ActiveLightingImage pad, PadEffectState& state);
EffectFrame PadRipple(ActiveLightingImage pad, PadEffectState& state, EffectSignals& signals);
EffectFrame PadColumnRainbow(ActiveLightingImage pad, PadEffectState& state);
EffectFrame PadColumnFill(ActiveLightingImage pad, PadEffectState& state);
EffectFrame PadFlash(ActiveLightingImage pad, PadEffectState& state, EffectSignals& signals,
                     std::uint64_t nowMs);

// Pacing of the device threads.
inline constexpr unsigned kMouseFramePauseMs = 100;
// Extra pause of a mouse mode before its frame (mode 4 has the pause and no frame).
unsigned MouseExtraPauseMs(std::uint8_t mode);
// Whole pause before a pad frame: the delay table plus the mode's extra pause.
unsigned PadPauseMs(std::uint8_t mode, std::uint8_t speed);

// One frame of the mode in the record, after applying pending ripple resets; modes without
// frames give an empty result.
EffectFrame MouseFrame(ActiveLightingImage mouse, MouseEffectState& state, EffectSignals& signals);
EffectFrame PadFrame(ActiveLightingImage pad, PadEffectState& state, EffectSignals& signals,
                     std::uint64_t nowMs);

}  // namespace corvane::lighting
