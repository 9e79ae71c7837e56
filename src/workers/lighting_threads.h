#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>

#include "device/device_images.h"
#include "device/device_kind.h"
#include "device/device_link.h"
#include "lighting/effect_frames.h"
#include "lighting/shared_lighting_cell.h"
#include "workers/worker_set.h"

namespace corvane::workers {

// Where the lighting threads' frames go. Called from the lighting threads.
class FrameSink {
public:
    virtual ~FrameSink() = default;
    // Hands one frame's colours to the device's queue and returns at once (the frame's result
    // is not looked at). `sent` is called exactly once, on any thread, when the frame has left
    // or was dropped; a lighting thread does not hand over its next frame or end its next pause
    // before then.
    virtual void SubmitPreview(device::DeviceKind kind, std::span<const std::uint8_t> colours,
                               std::function<void()> sent) = 0;
    // The overlay updates of one frame for the device's picture, as one batch; mode is the
    // lighting mode the frame was made for (a batch of a mode the device has left is stale).
    virtual void ShowOverlays(device::DeviceKind kind, const lighting::DeviceFrame& frame, std::uint8_t mode) = 0;
};

// What the lighting threads read, all owned by the window: the links' connected and
// syncLighting flags, the working records (read as whole snapshots), the synchronised record and
// the signals between the pages and the effects.
struct LightingInputs {
    std::array<device::DeviceLink*, 3> links{};
    std::array<const device::DeviceState*, 3> states{};
    const lighting::SharedLightingCell* shared = nullptr;
    lighting::EffectSignals* signals = nullptr;
};

// Pauses and the clock of a lighting thread; tests replace them.
struct LightingClock {
    // Waits ms (0 only looks); true when the thread is to end. Default: the stop event.
    std::function<bool(WorkerContext&, unsigned ms)> pause;
    std::function<std::uint64_t()> nowMs;  // default: the steady tick
};

struct LightingTiming {
    unsigned startDelayMs = 3000;       // device threads, before their first cycle
    // The look at the stop event that opens every cycle. A look, not a sleep: a 1 ms wait here
    // would add a millisecond to every frame interval and a sleep and wake-up per frame.
    unsigned stopPollMs = 0;
    unsigned disconnectedPauseMs = 100; // device threads, per cycle while their device is absent
    unsigned noDeviceSyncPauseMs = 1000;
    // The synchronised thread while no device is synchronised: it looks again after this long
    // instead of spinning on a pause of speed x 4 ms (0 at the fastest speed).
    unsigned idleSyncPauseMs = 50;
};

// The thread bodies; each ends within one cycle of its stop event and writes its exit text.
void RunKeyboardLighting(const LightingInputs& in, FrameSink& sink, WorkerContext& context,
                         const LightingClock& clock = {}, const LightingTiming& timing = {});
void RunMouseLighting(const LightingInputs& in, FrameSink& sink, WorkerContext& context,
                      const LightingClock& clock = {}, const LightingTiming& timing = {});
void RunPadLighting(const LightingInputs& in, FrameSink& sink, WorkerContext& context,
                    const LightingClock& clock = {}, const LightingTiming& timing = {});
void RunSyncLighting(const LightingInputs& in, FrameSink& sink, WorkerContext& context,
                     const LightingClock& clock = {}, const LightingTiming& timing = {});

inline constexpr const char* kKeyboardLightingExitText = "键盘灯光线程设定退出";
inline constexpr const char* kMouseLightingExitText = "鼠标灯光线程设定退出";
inline constexpr const char* kPadLightingExitText = "鼠标垫灯光线程设定退出";
inline constexpr const char* kSyncLightingExitText = "同步灯光线程设定退出";
// Written by the mouse thread for each cycle in a mode past the last it knows.
inline constexpr const char* kMouseUnknownModeText = "鼠标灯光线程设定2";

}  // namespace corvane::workers
