#include "workers/lighting_threads.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <memory>

#include "lighting/effect_tables.h"
#include "lighting/lighting_records.h"
#include "platform/debug_out.h"
#include "platform/event.h"
#include "platform/tick.h"

namespace corvane::workers {
namespace {

using device::DeviceKind;
using lighting::ActiveLightingImage;
using lighting::DeviceFrame;
using lighting::FrameSteps;
using lighting::StepKind;

constexpr unsigned kMousePauseHalfMs = lighting::kMouseFramePauseMs / 2;
constexpr unsigned kSyncPausePerSpeedMs = 4;
constexpr std::uint8_t kLastMouseMode = 5;

// The longest a lighting thread waits for its frame to leave (a device that hangs).
constexpr int kFrameWaitLimitMs = 2000;
// A frame that left this much later than expected does not lengthen the pause after it.
constexpr std::uint64_t kPauseSlackMs = 1;

// A thread's pauses and frames. Its frames go one after another, each after the one before has
// left, and a pause starts when the frame before it has left, as if the thread sent its frames
// itself. The wait for a frame to leave and the pause after it are one sleep: the thread
// expects the frame to take as long as the last one to the same device did, and wakes once per
// frame instead of twice, unless the frame is late.
class Pacer {
public:
    Pacer(WorkerContext& context, const LightingClock& clock) : context_(context), clock_(clock) {}
    Pacer(const Pacer&) = delete;
    Pacer& operator=(const Pacer&) = delete;

    // True when the thread is to end. 0 looks at the stop event without waiting for anything.
    bool Pause(unsigned ms) {
        if (!inFlight_ || ms == 0) return Sleep(ms);
        const std::uint64_t now = Now();
        const std::uint64_t from = std::max(now, submittedMs_ + lastSendMs_[device::KindIndex(sentTo_)]);
        if (Sleep(ms + static_cast<unsigned>(from - now))) return true;
        if (!inFlight_->sent.IsSet()) {
            // Later than expected: the whole pause follows its leaving.
            (void)Settle();
            return Sleep(ms);
        }
        const std::uint64_t sentMs = Settle();
        return sentMs > from + kPauseSlackMs && Sleep(static_cast<unsigned>(sentMs - from));
    }

    // Hands a frame to the device once the thread's previous frame has left.
    void Send(FrameSink& sink, DeviceKind kind, std::span<const std::uint8_t> colours) {
        (void)Settle();
        auto frame = std::make_shared<InFlight>();
        submittedMs_ = Now();
        sentTo_ = kind;
        inFlight_ = frame;
        sink.SubmitPreview(kind, colours, [frame, now = clock_.nowMs] {
            frame->sentMs = now ? now() : platform::TickMs();
            frame->sent.Set();
        });
    }

    std::uint64_t Now() const { return clock_.nowMs ? clock_.nowMs() : platform::TickMs(); }

private:
    struct InFlight {
        platform::Event sent{platform::Event::Reset::Manual};
        std::atomic<std::uint64_t> sentMs{0};
    };

    bool Sleep(unsigned ms) const {
        if (clock_.pause) return clock_.pause(context_, ms);
        return context_.StopRequested(static_cast<int>(ms));
    }
    // Waits for the frame in flight to leave; when it left (now, if it never did).
    std::uint64_t Settle() {
        if (!inFlight_) return Now();
        const bool sent = inFlight_->sent.Wait(kFrameWaitLimitMs);
        const std::uint64_t sentMs = sent ? inFlight_->sentMs.load() : Now();
        lastSendMs_[device::KindIndex(sentTo_)] = sentMs > submittedMs_ ? sentMs - submittedMs_ : 0;
        inFlight_.reset();
        return sentMs;
    }

    WorkerContext& context_;
    const LightingClock& clock_;
    std::shared_ptr<InFlight> inFlight_;
    DeviceKind sentTo_ = DeviceKind::Keyboard;  // the frame in flight's device
    std::uint64_t submittedMs_ = 0;
    std::array<std::uint64_t, 3> lastSendMs_{};  // by device: how long its last frame took to leave
};

bool HasOverlayUpdates(const DeviceFrame& frame) {
    return std::any_of(frame.overlays.begin(), frame.overlays.end(),
                       [](const lighting::ZoneOverlay& o) { return o.updated; });
}

// Runs what follows a computed frame: each send shows the device's overlays and streams its
// colours; pauses wait on the stop event. True when a stop ended it.
template <class FrameOf>
bool Deliver(const FrameSteps& steps, FrameOf&& frameOf, FrameSink& sink, Pacer& pacer, std::uint8_t mode) {
    for (const lighting::FrameStep& step : steps.Items()) {
        if (step.kind == StepKind::Pause) {
            if (pacer.Pause(step.ms)) return true;
            continue;
        }
        const DeviceFrame& frame = frameOf(step.device);
        if (HasOverlayUpdates(frame)) sink.ShowOverlays(step.device, frame, mode);
        pacer.Send(sink, step.device, frame.Payload());
    }
    return false;
}

// A device's own effect, made from its record.
bool Deliver(const lighting::EffectFrame& effect, const ActiveLightingImage& record, FrameSink& sink, Pacer& pacer) {
    return Deliver(effect.steps, [&](DeviceKind) -> const DeviceFrame& { return effect.frame; }, sink, pacer,
                   lighting::Mode(record));
}

ActiveLightingImage RecordOf(const LightingInputs& in, DeviceKind kind) {
    return in.states[device::KindIndex(kind)]->Read(
        [](const device::DeviceImages& images) { return images.activeLighting; });
}

struct CycleLook {
    bool connected = false;
    bool animate = false;  // connected and not driven by the synchronised thread
};

CycleLook Look(const LightingInputs& in, DeviceKind kind) {
    const device::DeviceLink& link = *in.links[device::KindIndex(kind)];
    const bool connected = link.IsConnected();
    return {connected, connected && !link.syncLighting.load()};
}

// After a cycle's pause: the synchronised effect may have taken the device over meanwhile, and a
// frame of the device's own effect would then overwrite the synchronised one.
bool StillAnimates(const LightingInputs& in, DeviceKind kind) { return Look(in, kind).animate; }

// The pause that opens a keyboard or pad cycle: the device's delay table at its current mode and
// speed. True when a stop ended it.
bool PauseByTable(Pacer& pacer, const LightingInputs& in, DeviceKind kind,
                  unsigned (*delayMs)(std::uint8_t mode, std::uint8_t speed)) {
    const auto record = RecordOf(in, kind);
    return pacer.Pause(delayMs(lighting::Mode(record), lighting::Speed(record)));
}

// The frame of one device thread's cycle: true when a stop ended it.
using DeviceCycle = std::function<bool(Pacer&, CycleLook)>;

void RunDeviceThread(DeviceKind kind, const LightingInputs& in, WorkerContext& context,
                     const LightingClock& clock, const LightingTiming& timing, const char* exitText,
                     const DeviceCycle& cycle) {
    Pacer pacer(context, clock);
    if (!pacer.Pause(timing.startDelayMs)) {
        while (!pacer.Pause(timing.stopPollMs)) {
            const CycleLook look = Look(in, kind);
            if (cycle(pacer, look)) break;
            if (!look.connected && pacer.Pause(timing.disconnectedPauseMs)) break;
        }
    }
    platform::debugOut(exitText);
}

}  // namespace

void RunKeyboardLighting(const LightingInputs& in, FrameSink& sink, WorkerContext& context,
                         const LightingClock& clock, const LightingTiming& timing) {
    lighting::KeyboardEffectState state;
    RunDeviceThread(DeviceKind::Keyboard, in, context, clock, timing, kKeyboardLightingExitText,
                    [&](Pacer& pacer, CycleLook look) {
                        if (PauseByTable(pacer, in, DeviceKind::Keyboard, &lighting::KeyboardDelayMs)) return true;
                        if (look.animate && StillAnimates(in, DeviceKind::Keyboard)) {
                            const auto record = RecordOf(in, DeviceKind::Keyboard);
                            const auto frame = lighting::KeyboardFrame(record, state);
                            if (Deliver(frame, record, sink, pacer)) return true;
                        }
                        // The ripples of the other devices change hue with every keyboard cycle.
                        if (look.connected) in.signals->AdvanceRippleHue(1);
                        return false;
                    });
}

void RunMouseLighting(const LightingInputs& in, FrameSink& sink, WorkerContext& context,
                      const LightingClock& clock, const LightingTiming& timing) {
    lighting::MouseEffectState state;
    RunDeviceThread(DeviceKind::Mouse, in, context, clock, timing, kMouseLightingExitText,
                    [&](Pacer& pacer, CycleLook look) {
                        if (pacer.Pause(kMousePauseHalfMs) || pacer.Pause(kMousePauseHalfMs)) return true;
                        if (!look.animate || !StillAnimates(in, DeviceKind::Mouse)) return false;
                        const std::uint8_t mode = lighting::Mode(RecordOf(in, DeviceKind::Mouse));
                        if (mode > kLastMouseMode) platform::debugOut(kMouseUnknownModeText);
                        if (const unsigned extra = lighting::MouseExtraPauseMs(mode); extra > 0 && pacer.Pause(extra)) {
                            return true;
                        }
                        const auto record = RecordOf(in, DeviceKind::Mouse);
                        const auto frame = lighting::MouseFrame(record, state, *in.signals);
                        return Deliver(frame, record, sink, pacer);
                    });
}

void RunPadLighting(const LightingInputs& in, FrameSink& sink, WorkerContext& context,
                    const LightingClock& clock, const LightingTiming& timing) {
    lighting::PadEffectState state;
    RunDeviceThread(DeviceKind::MousePad, in, context, clock, timing, kPadLightingExitText,
                    [&](Pacer& pacer, CycleLook look) {
                        if (PauseByTable(pacer, in, DeviceKind::MousePad, &lighting::PadPauseMs)) return true;
                        if (!look.animate || !StillAnimates(in, DeviceKind::MousePad)) return false;
                        const auto record = RecordOf(in, DeviceKind::MousePad);
                        const auto frame = lighting::PadFrame(record, state, *in.signals, pacer.Now());
                        return Deliver(frame, record, sink, pacer);
                    });
}

void RunSyncLighting(const LightingInputs& in, FrameSink& sink, WorkerContext& context,
                     const LightingClock& clock, const LightingTiming& timing) {
    Pacer pacer(context, clock);
    lighting::SyncEffectState state;
    auto anyConnected = [&] {
        return std::any_of(in.links.begin(), in.links.end(), [](const device::DeviceLink* l) { return l->IsConnected(); });
    };
    while (!pacer.Pause(timing.stopPollMs)) {
        if (!anyConnected() && pacer.Pause(timing.noDeviceSyncPauseMs)) break;
        const std::uint8_t speed = in.shared->Load()[lighting::kSharedSpeedOffset];
        if (pacer.Pause(speed * kSyncPausePerSpeedMs)) break;
        std::array<bool, 3> on{};
        for (std::size_t d = 0; d < on.size(); ++d) {
            on[d] = in.links[d]->IsConnected() && in.links[d]->syncLighting.load();
        }
        if (std::none_of(on.begin(), on.end(), [](bool b) { return b; })) {
            if (anyConnected() && pacer.Pause(timing.idleSyncPauseMs)) break;
            continue;
        }
        const auto shared = in.shared->Load();
        const auto result = lighting::SyncFrame(shared, on, state);
        auto frameOf = [&](DeviceKind kind) -> const DeviceFrame& { return result.devices[device::KindIndex(kind)]; };
        if (Deliver(result.steps, frameOf, sink, pacer, shared[lighting::kSharedModeOffset])) break;
    }
    platform::debugOut(kSyncLightingExitText);
}

}  // namespace corvane::workers
