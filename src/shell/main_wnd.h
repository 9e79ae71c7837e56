#pragma once

#include <QObject>
#include <QTimer>

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/device_images.h"
#include "device/device_kind.h"
#include "device/device_link.h"
#include "device/link_queue.h"
#include "device/state_transfer.h"
#include "platform/input_capture.h"
#include "platform/settings_writer.h"
#include "scripting/script_host.h"
#include "shell/live_lighting.h"
#include "shell/skin_frame.h"
#include "shell/stall_monitor.h"
#include "shell/tray_menu.h"
#include "shell/window_messages.h"
#include "ui/skin_change.h"
#include "ui/window.h"
#include "workers/presence_watcher.h"
#include "workers/worker_set.h"

class QWidget;

namespace corvane::shell {

class CaptureFeeder;

// What later pages plug into the main window. Each hook says on which thread it runs; an empty
// hook does nothing.
struct PageHooks {
    // UI thread, at "windowinit": macro, key-function and profile lists of one device.
    std::function<void(device::DeviceKind)> initDevicePages;
    // UI thread: every notification that is not the window's own (the routing tables).
    std::function<void(const ui::Notification&)> route;
    // UI thread, queued by a presence watcher: select the saved profiles of the kind's families
    // as if the user picked them.
    std::function<void(device::DeviceKind)> selectSavedProfiles;
    // UI thread: bring the device's pages up to date with the images.
    std::function<void(device::DeviceKind)> refreshPages;
    // Watcher thread, before the mouse's state is read: load the saved mouse device profile.
    std::function<void()> loadSavedDeviceProfile;
    // Watcher thread, after the mouse's state is read: read its cursor scripts (the image, when
    // the mouse holds one). Then, on the UI thread, the page takes what was read.
    std::function<std::optional<std::vector<std::uint8_t>>()> readCursorScripts;
    std::function<void(const std::optional<std::vector<std::uint8_t>>&)> showCursorScripts;
    // UI thread, after a keyboard read: save its state into the selected profiles, or after a
    // restore overwrite its lighting profiles.
    std::function<void()> saveKeyboardState;
    std::function<void()> overwriteKeyboardProfiles;
    std::function<void()> refreshCustomColours;
    // UI thread, after the window has done the device part of a device message (0x901, 0x902,
    // 0xA01, 0xA02, 0xB02, 0xB03): refresh the pages and save the selected profiles.
    std::function<void(WindowMessage)> deviceMessage;
    // UI thread, at "windowinit": the body of a worker whose work a page provides (the process
    // watchers); an empty body keeps the worker waiting for its stop.
    std::function<workers::WorkerBody(workers::WorkerIndex)> workerBody;
};

// Where the program runs: the HID backend (hidraw or the virtual devices) and timings that tests
// shorten.
struct MainWndOptions {
    workers::PresenceTiming presenceTiming;
    LiveLightingTiming liveTiming;
    int windowInitPauseMs = kWindowInitPauseMs;
    int shutdownLimitMs = kShutdownLimitMs;
    TrayMode tray = TrayMode::System;
    // Without a notification area: how long after start the window waits for a device before
    // it says that none is connected.
    int noTrayNoticeMs = kNoTrayNoticeMs;
    // The language to start in, overriding the stored choice and the desktop's locale.
    std::string language;
    // Stamps captured key and mouse events (the steady millisecond tick when empty).
    platform::CDeviceHook::Clock captureClock;
};

// The caption the desktop shows for the main window.
inline constexpr const char* kMainCaption = "Corvane Driver";

// The main window's behaviour: start-up at "windowinit", the messages and timers it handles,
// the device presence it shows, and the orderly shutdown. It owns the three device links and
// their images; the window itself (built from the skin) is given to it.
class CMainWnd : public QObject,
                 public ui::NotifySink,
                 public scripting::ScriptHost,
                 public ui::SkinChangeReceiver,
                 public platform::CaptureHost,
                 private platform::HookTarget,
                 private workers::PresenceHost {
public:
    CMainWnd(ui::Window& window, device::HidBackend& backend, MainWndOptions options = {});
    ~CMainWnd() override;
    CMainWnd(const CMainWnd&) = delete;
    CMainWnd& operator=(const CMainWnd&) = delete;

    void SetPageHooks(PageHooks hooks) { hooks_ = std::move(hooks); }

    // ui::NotifySink
    void Notify(const ui::Notification& notification) override;
    // ui::SkinChangeReceiver: the picker's choice becomes the background of "root".
    void Receive(const ui::SkinChangedParam& param) override;
    // The background picker while it is (or was last) open.
    CSkinFrame* SkinFrame() const { return skinFrame_.get(); }

    // Queues a message for the UI thread (safe from any thread).
    void PostMessage(WindowMessage message, std::uint64_t wParam = 0, std::int64_t lParam = 0);
    // Runs the message's handler on the UI thread and waits for it; false during shutdown.
    bool SendMessage(WindowMessage message, std::uint64_t wParam = 0, std::int64_t lParam = 0);
    void HandleMessage(WindowMessage message, std::uint64_t wParam, std::int64_t lParam);
    void OnTimer(TimerId id);

    // The close path: hides, stops the workers within the limit, then quits the event loop.
    void Destroy() override;
    bool Destroyed() const override { return destroyed_; }

    // The left click on the tray icon.
    void ShowFromTray();
    // The right click on the tray icon, at the pointer's screen position.
    void OpenTrayMenu(ui::Point cursor) { tray_->OpenMenu(cursor); }
    TrayMenu& Tray() { return *tray_; }
    // A choice of the tray menu (the menu's command message).
    void OnMenuCommand(const ui::MenuItem& item);

    device::DeviceLink& Link(device::DeviceKind kind) { return *links_[device::KindIndex(kind)]; }
    const device::DeviceLink& Link(device::DeviceKind kind) const override {
        return *links_[device::KindIndex(kind)];
    }
    device::DeviceState& State(device::DeviceKind kind) { return states_[device::KindIndex(kind)]; }
    // The device's I/O queue: every transfer the window or its pages start goes through it.
    device::LinkQueue& Queue(device::DeviceKind kind) { return *queues_[device::KindIndex(kind)]; }
    // Settings files are saved through it, off the UI thread.
    platform::SettingsWriter& Writer() { return writer_; }
    // How late the UI thread has been (the script channel's "stats").
    StallMonitor& StallWatch() { return stalls_; }
    // No lighting record waits to be sent, every link queue is empty with its results delivered
    // and every settings file handed over is on disk (UI thread).
    bool IoIdle() const override;
    std::atomic<bool>& LightingPending(device::DeviceKind kind) {
        return lightingPending_[device::KindIndex(kind)];
    }
    bool AnyConnected() const;
    // Whether the device's arrival has run to its end (state read, pages refreshed) since it
    // was last connected.
    bool ArrivalComplete(device::DeviceKind kind) const override {
        return Link(kind).IsConnected() && arrived_[device::KindIndex(kind)].load();
    }
    ui::Window& Window() { return window_; }
    // scripting::ScriptHost: the rest of what the script channel reads.
    int ActiveSlot(device::DeviceKind kind) const override;
    UiStalls Stalls() const override;
    device::LinkQueue::Stats QueueStats(device::DeviceKind kind) const override;
    platform::SettingsWriter::Stats WriterStats() const override;
    void ResetStats() override;
    bool TimerActive(TimerId id) const;
    // The device threads run (set on the UI thread once the window is initialised).
    bool WorkersStarted() const { return workersStarted_; }
    // After Destroy: a worker did not end within the shutdown limit and still runs. What it may
    // touch (links, queues, the pages) must then not be torn down; the program ends without it.
    bool WorkersOutlivedShutdown() const { return workers_ && workers_->GaveUp(); }
    // A lighting record waits to be sent: the flush timer runs until none does (UI thread).
    void ScheduleLightingFlush();
    // The keyboard's restore notification sets it; its next full read consumes it.
    std::atomic<bool>& KeyboardRestoreFlag() { return keyboardRestore_; }
    // The device events, lighting threads and animated pictures.
    LiveLighting& Live() { return *live_; }

    // platform::CaptureHost: key and mouse capture from this window.
    bool SetHookMode(platform::HookMode mode, bool on, bool wantKeyboard = true, bool wantMouse = false) override;
    platform::HookMessageTable& HookMessages() override { return hookMessages_; }
    const platform::CDeviceHook& Hook() const override { return hook_; }

protected:
    // The space bar never presses a focused button of the window.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void WindowInit();
    void ApplySavedBackground();
    void StartLanguage();
    void SwitchLanguage();
    void ShowCaptionButtons();
    // Hides the window where the tray can bring it back; without a tray it stays.
    void HideToTray();
    // "message_text_1" on one of the two paths, never twice at once.
    void ShowNoDeviceBox(bool& guard);
    void NoTrayNotice();
    void OpenSkinFrame();
    void LookUpControls();
    void StartWorkers();
    void BringForward();
    void SelectDeviceTab(const std::string& name);
    void PageMessage(WindowMessage message);
    // Re-reads the device on its queue, then hands the message to the pages.
    void RereadAndNotify(device::DeviceKind kind, WindowMessage message);
    void FlushLightingRecords();
    device::StateTransferHooks ReadHooks(device::DeviceKind kind);
    // Stops workers, link queues and settings writes within the one shutdown limit.
    void StopIo();

    // platform::HookTarget
    void SendHookMessage(platform::HookMessage message, const platform::KeyHookEvent& event) override;
    void PostHookMessage(platform::HookMessage message, const platform::MouseHookEvent& event) override;

    // workers::PresenceHost, called from the presence watchers.
    void ShowTab(device::DeviceKind kind, bool visible) override;
    void SelectTab(device::DeviceKind kind, bool focus) override;
    void ShowSameMode(device::DeviceKind kind, bool visible) override;
    bool ReadDeviceState(device::DeviceKind kind) override;
    void DeviceNotAnswering(device::DeviceKind kind) override;
    void LoadSavedDeviceProfile() override;
    void ReadCursorScripts() override;
    void SelectSavedProfiles(device::DeviceKind kind) override;
    void RefreshPages(device::DeviceKind kind) override;
    void StartRepaintTimer(int ms) override;
    void Announce() override;
    void LastDeviceRemoved() override;
    void HideWindow() override;
    void DeviceAccessDenied(device::DeviceKind kind) override;

    // Members in the order the window owns them; destroyed in reverse.
    std::unique_ptr<workers::WorkerSet> workers_;
    // Before the queues: an upload saves its profile from the I/O thread.
    platform::SettingsWriter writer_;
    std::array<ui::Control*, 5> captionButtons_{};
    std::unique_ptr<TrayMenu> tray_;
    std::unique_ptr<CSkinFrame> skinFrame_;
    std::array<std::unique_ptr<device::DeviceLink>, 3> links_;
    std::array<device::DeviceState, 3> states_;
    std::array<std::atomic<bool>, 3> lightingPending_{};
    std::unique_ptr<LiveLighting> live_;
    // After the links and images they use, so they are gone before those.
    std::array<std::unique_ptr<device::LinkQueue>, 3> queues_;

    ui::Window& window_;
    QWidget* widget_ = nullptr;  // the same window as a widget, when it is one
    device::HidBackend& backend_;
    MainWndOptions options_;
    PageHooks hooks_;
    std::atomic<bool> keyboardRestore_{false};
    platform::HookMessageTable hookMessages_;
    platform::CDeviceHook hook_;
    std::unique_ptr<CaptureFeeder> captureFeeder_;  // after the hook it feeds
    StallMonitor stalls_;
    QTimer progressTimer_;
    QTimer flushTimer_;
    bool workersStarted_ = false;
    QTimer repaintTimer_;
    QTimer noTrayTimer_;
    // Whether the last arrival has run to its end. The presence watcher clears it as it handles
    // a removal, before any later arrival can mark the link connected, and bumps the kind's
    // generation so that an arrival's end still queued from before the removal sets nothing.
    std::array<std::atomic<bool>, 3> arrived_{};
    std::array<std::atomic<unsigned>, 3> arrivalGeneration_{};
    // What the same-mode controls were last told (-1: nothing yet), by kind; watcher threads.
    std::array<std::atomic<int>, 3> sameModeShown_{-1, -1, -1};
    std::array<bool, 3> toldNotAnswering_{};  // UI thread only
    bool announceBoxOpen_ = false;
    bool trayBoxOpen_ = false;
    bool destroyed_ = false;
    bool accessMessageShown_ = false;  // the device-access message, once per run
};

// The text the window's text query answers for its two ids, by language.
std::optional<std::string> QueryControlText(std::string_view language, std::string_view id);

}  // namespace corvane::shell
