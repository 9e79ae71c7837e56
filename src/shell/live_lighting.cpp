#include "shell/live_lighting.h"

#include <QEvent>
#include <QRect>
#include <QTimer>
#include <QWidget>

#include <string>

#include "shell/main_wnd.h"

namespace corvane::shell {
namespace {

using device::DeviceKind;
using workers::WorkerIndex;

// The pictures change at most about 30 times a second: frames that come faster (the pad's
// fastest effects run at about 90 a second) are merged into the next batch instead. Repainting
// the pictures is most of what a shown window costs while effects run.
constexpr int kBatchIntervalMs = 33;
// Ticks without anything to apply before the batch timer stops.
constexpr int kIdleTicksBeforeStop = 3;

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
    batchTimer_.setInterval(kBatchIntervalMs);
    connect(&batchTimer_, &QTimer::timeout, this, [this] { BatchTick(); });
    if (auto* widget = dynamic_cast<QWidget*>(&window_)) {
        widget_ = widget;
        widget_->installEventFilter(this);
        for (DeviceKind kind : device::kAllDeviceKinds) {
            const auto picture = Picture(kind);
            auto*& first = pictureWidgets_[device::KindIndex(kind)];
            first = picture.empty() ? nullptr : dynamic_cast<QWidget*>(picture[0]);
            if (first) first->installEventFilter(this);
        }
        UpdateVisibility();
    }
}

LiveLighting::~LiveLighting() {
    *alive_ = false;
    if (widget_) widget_->removeEventFilter(this);
    for (QWidget* first : pictureWidgets_) {
        if (first) first->removeEventFilter(this);
    }
}

bool LiveLighting::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::WindowStateChange: UpdateVisibility(); break;
        default: break;
    }
    return QObject::eventFilter(watched, event);
}

void LiveLighting::UpdateVisibility() {
    const bool shown = widget_->isVisible() && !widget_->isMinimized();
    for (std::size_t i = 0; i < pictureWidgets_.size(); ++i) {
        pictureInView_[i] = shown && pictureWidgets_[i] && pictureWidgets_[i]->isVisible();
    }
    // A picture coming into view shows what its frames left meanwhile.
    if (AnyWaitingInView()) StartBatchTimer();
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

void LiveLighting::SubmitPreview(DeviceKind kind, std::span<const std::uint8_t> colours,
                                 std::function<void()> sent) {
    // Frames go after the user's requests on the device's queue.
    main_.Queue(kind).SubmitPreview(std::vector<std::uint8_t>(colours.begin(), colours.end()), std::move(sent));
}

void LiveLighting::ShowOverlays(DeviceKind kind, const lighting::DeviceFrame& frame, std::uint8_t mode) {
    // Updates are kept even for a picture out of view: it shows them when it comes into view.
    PendingOverlays& pending = pending_[device::KindIndex(kind)];
    {
        std::lock_guard guard(pending.mutex);
        // Updates of another mode are of an effect the device has left.
        if (pending.dirty && pending.mode != mode) {
            for (auto& zone : pending.zones) zone.updated = false;
        }
        pending.mode = mode;
        for (std::size_t i = 0; i < frame.overlays.size(); ++i) {
            if (frame.overlays[i].updated) pending.zones[i] = frame.overlays[i];
        }
        pending.dirty = true;
    }
    if (pictureInView_[device::KindIndex(kind)]) WakeBatchTimer();
}

void LiveLighting::WakeBatchTimer() {
    // The running timer takes this batch along; only a resting one is woken, by one post.
    if (batchTimerOn_.exchange(true)) return;
    window_.Post([this, alive = alive_] {
        if (*alive) StartBatchTimer();
    });
}

void LiveLighting::StartBatchTimer() {
    batchTimerOn_ = true;
    idleTicks_ = 0;
    if (batchTimer_.isActive()) return;
    batchTimer_.start();
    BatchTick();  // the first batch at once; later ones at the timer's pace
}

void LiveLighting::BatchTick() {
    bool applied = false;
    for (DeviceKind kind : device::kAllDeviceKinds) {
        if (pictureInView_[device::KindIndex(kind)]) applied |= ApplyOverlays(kind);
    }
    if (applied || ++idleTicks_ < kIdleTicksBeforeStop) {
        if (applied) idleTicks_ = 0;
        return;
    }
    batchTimer_.stop();
    batchTimerOn_ = false;
    // A frame that came between the last look and the stop saw the timer on and did not wake it.
    if (AnyWaitingInView()) StartBatchTimer();
}

bool LiveLighting::AnyWaitingInView() {
    for (DeviceKind kind : device::kAllDeviceKinds) {
        if (!pictureInView_[device::KindIndex(kind)]) continue;
        PendingOverlays& pending = pending_[device::KindIndex(kind)];
        std::lock_guard guard(pending.mutex);
        if (pending.dirty) return true;
    }
    return false;
}

std::span<ui::Control* const> LiveLighting::Picture(DeviceKind kind) const {
    switch (kind) {
        case DeviceKind::Keyboard: return kbKeys_;
        case DeviceKind::Mouse: return msZones_;
        case DeviceKind::MousePad: return mpZones_;
    }
    return {};
}

bool LiveLighting::ApplyOverlays(DeviceKind kind) {
    std::array<lighting::ZoneOverlay, lighting::kKeyboardOverlays> zones;
    std::uint8_t mode = 0;
    {
        PendingOverlays& pending = pending_[device::KindIndex(kind)];
        std::lock_guard guard(pending.mutex);
        if (!pending.dirty) return false;
        zones = pending.zones;
        mode = pending.mode;
        for (auto& zone : pending.zones) zone.updated = false;
        pending.dirty = false;
    }
    // Made for a mode the device has left since (a synchronised effect's frames while the user
    // picks another mode): they would cover what the new mode shows.
    const std::uint8_t current = main_.State(kind).Read(
        [](const device::DeviceImages& images) { return lighting::Mode(images.activeLighting); });
    if (current != mode) return false;
    const auto picture = Picture(kind);
    QRect changed;
    for (std::size_t i = 0; i < picture.size(); ++i) {
        if (!zones[i].updated || picture[i] == nullptr) continue;
        // Only a changed zone repaints.
        const ui::Colour colour = OverlayArgb(zones[i].colour);
        const bool newColour = picture[i]->OverlayColour() != colour;
        const bool newAlpha = picture[i]->OverlayAlpha() != zones[i].alpha;
        if (newColour) picture[i]->SetOverlayColour(colour);
        if (newAlpha) picture[i]->SetOverlayAlpha(zones[i].alpha);
        if ((newColour || newAlpha) && widget_) {
            if (auto* zone = dynamic_cast<QWidget*>(picture[i])) {
                changed |= QRect(zone->mapTo(widget_, QPoint(0, 0)), zone->size());
            }
        }
    }
    // One rectangle around every changed zone: the zones' own areas merge into it, and the
    // picture beneath repaints through a plain rectangle instead of a region of many pieces
    // (which the raster painter clips span by span, often on its thread pool).
    if (!changed.isEmpty()) widget_->update(changed);
    ++batchesApplied_[device::KindIndex(kind)];
    return true;
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
