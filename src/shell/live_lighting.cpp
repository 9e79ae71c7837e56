#include "shell/live_lighting.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <string>

#include "platform/event.h"
#include "platform/tick.h"
#include "shell/main_wnd.h"

namespace corvane::shell {
namespace {

using device::DeviceKind;
using workers::WorkerIndex;

// The pictures change at most about 30 times a second: frames that come faster (the pad's
// fastest effects run at about 90 a second) are merged into the next batch instead. Repainting
// the pictures is most of what a shown window costs while effects run.
constexpr std::uint64_t kMinBatchIntervalMs = 33;
// The longest a lighting thread waits for its frame to leave.
constexpr int kFrameWaitLimitMs = 2000;

template <std::size_t N>
void LookUp(ui::Window& window, std::array<ui::Control*, N>& controls, const char* prefix) {
    for (std::size_t i = 0; i < N; ++i) {
        controls[i] = window.Find(std::string(prefix) + std::to_string(i));
        if (controls[i]) {
            controls[i]->SetOverlayEnabled(true);
            controls[i]->SetOverlayAlpha(0);
        }
    }
}

// Frames hand overlays their colour packed as red | blue << 8 | green << 16; the controls take
// the window's ARGB colours.
ui::Colour OverlayArgb(std::uint32_t packed) {
    const lighting::Rgb colour{static_cast<std::uint8_t>(packed & 0xFF),
                               static_cast<std::uint8_t>((packed >> 16) & 0xFF),
                               static_cast<std::uint8_t>((packed >> 8) & 0xFF)};
    return lighting::ToArgb(colour);
}

}  // namespace

LiveLighting::LiveLighting(CMainWnd& main, ui::Window& window, device::HidBackend& backend,
                           LiveLightingTiming timing)
    : main_(main),
      window_(window),
      timing_(timing),
      mouseConsumer_(DeviceKind::Mouse, backend, *this, timing.consumer),
      keyboardConsumer_(DeviceKind::Keyboard, backend, *this, timing.consumer) {
    // Every zone of the pictures draws its overlay, invisible until a frame lights it.
    LookUp(window_, msZones_, "ms_dkey_");
    LookUp(window_, mpZones_, "mp_dkey_");
    LookUp(window_, kbKeys_, "kb_dkey_");
    if (auto* widget = dynamic_cast<QWidget*>(&window_)) {
        widget_ = widget;
        widget_->installEventFilter(this);
        UpdateVisibility();
    }
}

LiveLighting::~LiveLighting() {
    *alive_ = false;
    if (widget_) widget_->removeEventFilter(this);
}

bool LiveLighting::eventFilter(QObject* watched, QEvent* event) {
    if (watched == widget_) {
        switch (event->type()) {
            case QEvent::Show:
            case QEvent::Hide:
            case QEvent::WindowStateChange: UpdateVisibility(); break;
            default: break;
        }
    }
    return false;
}

void LiveLighting::UpdateVisibility() {
    visible_ = widget_->isVisible() && !widget_->isMinimized();
}

void LiveLighting::StartWorkers(workers::WorkerSet& set) {
    set.Start(WorkerIndex::MouseConsumer, [this](workers::WorkerContext& ctx) { mouseConsumer_.Run(ctx); },
              [this] { mouseConsumer_.Interrupt(); });
    set.Start(WorkerIndex::KeyboardConsumer, [this](workers::WorkerContext& ctx) { keyboardConsumer_.Run(ctx); },
              [this] { keyboardConsumer_.Interrupt(); });
    workers::LightingInputs in;
    for (DeviceKind kind : device::kAllDeviceKinds) {
        in.links[device::KindIndex(kind)] = &main_.Link(kind);
        in.states[device::KindIndex(kind)] = &main_.State(kind);
    }
    in.shared = &shared_;
    in.signals = &signals_;
    using Body = void (*)(const workers::LightingInputs&, workers::FrameSink&, workers::WorkerContext&,
                          const workers::LightingClock&, const workers::LightingTiming&);
    const std::pair<WorkerIndex, Body> threads[] = {
        {WorkerIndex::KeyboardLighting, &workers::RunKeyboardLighting},
        {WorkerIndex::MouseLighting, &workers::RunMouseLighting},
        {WorkerIndex::MousePadLighting, &workers::RunPadLighting},
        {WorkerIndex::SyncLighting, &workers::RunSyncLighting},
    };
    for (const auto& [index, body] : threads) {
        set.Start(index, [this, in, body = body](workers::WorkerContext& ctx) {
            body(in, *this, ctx, {}, timing_.lighting);
        });
    }
}

void LiveLighting::SendPreview(DeviceKind kind, std::span<const std::uint8_t> colours) {
    // Frames go after the user's requests on the device's queue. The thread waits until its frame
    // is on its way, as it would sending the frame itself: the effect then moves by one step per
    // pause and report time, and a queue busy with the user's requests holds it back instead of
    // having most of its frames replaced unseen. The wait is bounded for a device that hangs.
    auto gone = std::make_shared<platform::Event>(platform::Event::Reset::Manual);
    main_.Queue(kind).SubmitPreview(std::vector<std::uint8_t>(colours.begin(), colours.end()),
                                    [gone] { gone->Set(); });
    (void)gone->Wait(kFrameWaitLimitMs);
}

void LiveLighting::ShowOverlays(DeviceKind kind, const lighting::DeviceFrame& frame) {
    if (!visible_) return;
    PendingOverlays& pending = pending_[device::KindIndex(kind)];
    {
        std::lock_guard guard(pending.mutex);
        for (std::size_t i = 0; i < frame.overlays.size(); ++i) {
            if (frame.overlays[i].updated) pending.zones[i] = frame.overlays[i];
        }
        // A batch already on its way to the UI thread takes these updates along.
        if (pending.posted) return;
        pending.posted = true;
    }
    window_.Post([this, kind, alive = alive_] {
        if (*alive) ApplyOverlays(kind);
    });
}

std::span<ui::Control* const> LiveLighting::Picture(DeviceKind kind) const {
    switch (kind) {
        case DeviceKind::Keyboard: return kbKeys_;
        case DeviceKind::Mouse: return msZones_;
        case DeviceKind::MousePad: return mpZones_;
    }
    return {};
}

void LiveLighting::ApplyOverlays(DeviceKind kind) {
    const std::uint64_t now = platform::TickMs();
    std::uint64_t& last = lastBatchMs_[device::KindIndex(kind)];
    if (now - last < kMinBatchIntervalMs) {
        // Still posted: updates of later frames join this batch meanwhile.
        QTimer::singleShot(static_cast<int>(kMinBatchIntervalMs - (now - last)), this,
                           [this, kind] { ApplyOverlays(kind); });
        return;
    }
    last = now;
    std::array<lighting::ZoneOverlay, lighting::kKeyboardOverlays> zones;
    {
        PendingOverlays& pending = pending_[device::KindIndex(kind)];
        std::lock_guard guard(pending.mutex);
        zones = pending.zones;
        for (auto& zone : pending.zones) zone.updated = false;
        pending.posted = false;
    }
    const auto picture = Picture(kind);
    // The mouse's zones are drawn only while its picture is in view.
    if (kind == DeviceKind::Mouse && (picture.empty() || !picture[0] || !picture[0]->IsVisible())) return;
    for (std::size_t i = 0; i < picture.size(); ++i) {
        if (!zones[i].updated || picture[i] == nullptr) continue;
        // Only a changed zone repaints.
        const ui::Colour colour = OverlayArgb(zones[i].colour);
        if (picture[i]->OverlayColour() != colour) picture[i]->SetOverlayColour(colour);
        if (picture[i]->OverlayAlpha() != zones[i].alpha) picture[i]->SetOverlayAlpha(zones[i].alpha);
    }
    ++batchesApplied_[device::KindIndex(kind)];
}

ui::Control* LiveLighting::ZoneControl(std::size_t zone) const {
    if (zone < mpZones_.size()) return mpZones_[zone];
    zone -= mpZones_.size();
    return zone < kbKeys_.size() ? kbKeys_[zone] : nullptr;
}

void LiveLighting::SetZoneOverlayColour(std::size_t zone, std::uint32_t packed) {
    if (auto* control = ZoneControl(zone)) control->SetOverlayColour(OverlayArgb(packed));
}

void LiveLighting::SetZoneOverlayAlpha(std::size_t zone, std::uint8_t alpha) {
    if (auto* control = ZoneControl(zone)) control->SetOverlayAlpha(alpha);
}

bool LiveLighting::SendMessage(std::uint32_t message) {
    return main_.SendMessage(static_cast<WindowMessage>(message));
}

void LiveLighting::RaisePadFlash() { signals_.RaiseFlash(); }

}  // namespace corvane::shell
