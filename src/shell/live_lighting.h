#pragma once

#include <QObject>
#include <QTimer>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "device/device_kind.h"
#include "device/hid_backend.h"
#include "lighting/effect_frames.h"
#include "lighting/shared_lighting_cell.h"
#include "ui/window.h"
#include "workers/consumer_watcher.h"
#include "workers/lighting_threads.h"
#include "workers/worker_set.h"

class QWidget;

namespace corvane::shell {

class CMainWnd;

struct LiveLightingTiming {
    workers::ConsumerTiming consumer;
    workers::LightingTiming lighting;
};

// The window's live lighting: the two consumer watchers and the four lighting threads, the
// synchronised record and effect signals they share with the pages, and the animated device
// pictures. Frames go to the devices through their links; the lighting threads leave each frame's
// overlay updates in one batch per device, and a single timer on the UI thread applies the
// batches of the pictures in view, running only while frames come and a picture can be seen.
class LiveLighting : public QObject, public workers::FrameSink, public workers::ConsumerHost {
public:
    LiveLighting(CMainWnd& main, ui::Window& window, device::HidBackend& backend, LiveLightingTiming timing);
    ~LiveLighting() override;
    LiveLighting(const LiveLighting&) = delete;
    LiveLighting& operator=(const LiveLighting&) = delete;

    // Workers 3 and 4 (consumer watchers) and 5 to 8 (lighting), in that order.
    void StartWorkers(workers::WorkerSet& set);

    lighting::SharedLightingCell& Shared() { return shared_; }
    lighting::EffectSignals& Signals() { return signals_; }

    // workers::FrameSink, from the lighting threads.
    void SubmitPreview(device::DeviceKind kind, std::span<const std::uint8_t> colours,
                       std::function<void()> sent) override;
    void ShowOverlays(device::DeviceKind kind, const lighting::DeviceFrame& frame, std::uint8_t mode) override;

    // workers::ConsumerHost, from the consumer watchers.
    bool SendMessage(std::uint32_t message) override;
    void RaisePadFlash() override;

    // UI thread: one zone overlay, counted from the first pad zone (pad zones, then keyboard keys).
    void SetZoneOverlayColour(std::size_t zone, std::uint32_t packed);
    void SetZoneOverlayAlpha(std::size_t zone, std::uint8_t alpha);

    // Batches applied to the pictures, by device (UI thread; for tests and measurements).
    std::uint64_t BatchesApplied(device::DeviceKind kind) const {
        return batchesApplied_[device::KindIndex(kind)].load();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct PendingOverlays {
        std::mutex mutex;
        std::array<lighting::ZoneOverlay, lighting::kKeyboardOverlays> zones{};
        std::uint8_t mode = 0;  // the lighting mode the waiting updates were made for
        bool dirty = false;
    };
    // Lighting threads: the batch timer is asked for once, when it does not run.
    void WakeBatchTimer();
    // UI thread.
    void StartBatchTimer();
    void BatchTick();
    bool ApplyOverlays(device::DeviceKind kind);
    bool AnyWaitingInView();
    std::span<ui::Control* const> Picture(device::DeviceKind kind) const;
    ui::Control* ZoneControl(std::size_t zone) const;
    void UpdateVisibility();

    CMainWnd& main_;
    ui::Window& window_;
    QWidget* widget_ = nullptr;
    LiveLightingTiming timing_;
    lighting::SharedLightingCell shared_;
    lighting::EffectSignals signals_;
    workers::ConsumerWatcher mouseConsumer_;
    workers::ConsumerWatcher keyboardConsumer_;
    std::array<ui::Control*, lighting::kKeyboardOverlays> kbKeys_{};
    std::array<ui::Control*, lighting::kMouseZones> msZones_{};
    std::array<ui::Control*, lighting::kPadZones> mpZones_{};
    std::array<PendingOverlays, 3> pending_;
    std::array<std::atomic<std::uint64_t>, 3> batchesApplied_{};
    // The first zone of each picture, whose showing and hiding says whether the picture is in view.
    std::array<QWidget*, 3> pictureWidgets_{};
    // The window shown and not minimised, and the picture's page shown: the lighting threads
    // wake the batch timer only for these.
    std::array<std::atomic<bool>, 3> pictureInView_{};
    QTimer batchTimer_;
    int idleTicks_ = 0;                      // UI thread
    std::atomic<bool> batchTimerOn_{false};  // asked for or running
    // Posted calls find out on the UI thread whether the pictures still exist.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace corvane::shell
