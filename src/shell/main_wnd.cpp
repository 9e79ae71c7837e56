// The main window's start-up, notifications, tray and shutdown. What it does for device
// messages and timers is in main_wnd_messages.cpp, for the presence watchers and the script
// channel in main_wnd_devices.cpp.

#include "shell/main_wnd.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "platform/data_folders.h"
#include "platform/debug_out.h"
#include "platform/tick.h"
#include "profiles/skin_setting.h"
#include "shell/capture_feeder.h"
#include "shell/routing.h"
#include "shell/window_controls.h"
#include "widgets/skin_window.h"

namespace corvane::shell {
namespace {

using device::DeviceKind;
using workers::WorkerIndex;

constexpr const char* kTrayToolTip = "Halden HX 500";
constexpr const char* kInitDebugText = "InitWindow";
constexpr const char* kShutdownDebugText = "退出测试";
constexpr ui::Colour kPaletteDefaultColour = 0xFF0199CB;
constexpr const char* kPalettes[] = {"Pallet", "ms_deng_Color_Pallet", "mp_deng_Color_Pallet",
                                     "kb_deng_Color_Pallet"};
constexpr const char* kCaptionButtons[] = {"closebtn", "maxbtn", "restorebtn", "minbtn", "skinbtn"};

// Message numbers of the window's activation, as its debug text gives them.
constexpr unsigned kActivateMessage = 0x0006;

// Workers whose bodies come with later work: they keep to their stop event and say goodbye.
struct PendingWorker {
    WorkerIndex index;
    const char* exitText;
};
constexpr PendingWorker kPendingWorkers[] = {
    {WorkerIndex::KbDengProcess, "键盘灯光进程侦测线程设定退出"},
    {WorkerIndex::KbKeyProcess, "键盘按键进程侦测线程设定退出"},
    {WorkerIndex::MsDeviceProcess, "鼠标灯光进程侦测线程设定退出"},
    {WorkerIndex::MsKeyProcess, "鼠标按键进程线程设定退出"},
    {WorkerIndex::MpDengProcess, "鼠标垫灯光进程侦测线程设定退出"},
};

}  // namespace

std::optional<std::string> QueryControlText(std::string_view language, std::string_view id) {
    const bool english = ui::EqualsIgnoreCase(language, "en");
    if (ui::EqualsIgnoreCase(id, "titletext")) return english ? "Duilib Demo v1.1" : "mouse";
    if (ui::EqualsIgnoreCase(id, "hometext")) {
        return english ? "{a}Home Page{/a}" : "{a}演示官网{/a}";
    }
    return std::nullopt;
}

CMainWnd::CMainWnd(ui::Window& window, device::HidBackend& backend, MainWndOptions options)
    : workers_(std::make_unique<workers::WorkerSet>()),
      window_(window),
      backend_(backend),
      options_(options),
      hook_(options_.captureClock) {
    for (auto& link : links_) link = std::make_unique<device::DeviceLink>(backend_);
    for (std::size_t i = 0; i < queues_.size(); ++i) {
        queues_[i] = std::make_unique<device::LinkQueue>(
            *links_[i], [this](std::function<void()> fn) { window_.Post(std::move(fn)); },
            "cv-link-" + std::string(device::DevicePrefix(device::kAllDeviceKinds[i]).substr(0, 2)));
    }
    progressTimer_.setSingleShot(true);
    repaintTimer_.setSingleShot(true);
    flushTimer_.setTimerType(Qt::PreciseTimer);
    connect(&progressTimer_, &QTimer::timeout, this, [this] { OnTimer(TimerId::Progress); });
    connect(&flushTimer_, &QTimer::timeout, this, [this] { OnTimer(TimerId::Flush); });
    connect(&repaintTimer_, &QTimer::timeout, this, [this] { OnTimer(TimerId::Repaint); });

    window_.SetTextQuery(QueryControlText);
    window_.SetNotifySink(this);
    platform::debugOut(kInitDebugText);
    LookUpControls();
    live_ = std::make_unique<LiveLighting>(*this, window_, backend_, options_.liveTiming);
    if (auto* skin = dynamic_cast<widgets::SkinWindow*>(&window_)) {
        skin->SetCallLatencyObserver([this](std::int64_t lateMs) { stalls_.Observe(lateMs); });
    }
    for (const char* name : kPalettes) {
        if (auto* palette = window_.FindPalette(name)) palette->SetSelectedColour(kPaletteDefaultColour);
    }
    if (auto* widget = dynamic_cast<QWidget*>(&window_)) {
        widget_ = widget;
        qApp->installEventFilter(this);
        stalls_.Watch(*widget);
        captureFeeder_ = std::make_unique<CaptureFeeder>(*widget, hook_);
        // A change of screen or of its scale lays the window out again at the new size.
        auto relayout = [this] { window_.NeedUpdate(); };
        for (QScreen* screen : QGuiApplication::screens()) {
            connect(screen, &QScreen::logicalDotsPerInchChanged, this, relayout);
        }
        connect(qApp, &QGuiApplication::screenAdded, this, [this, relayout](QScreen* screen) {
            connect(screen, &QScreen::logicalDotsPerInchChanged, this, relayout);
        });
    }
    window_.SetTitle(kMainCaption);
    StartLanguage();
    ShowCaptionButtons();
    tray_ = std::make_unique<TrayMenu>(
        window_, options_.tray, kTrayToolTip,
        TrayMenu::Handlers{[this] { ShowFromTray(); }, [this](const ui::MenuItem& item) { OnMenuCommand(item); }});
    noTrayTimer_.setSingleShot(true);
    connect(&noTrayTimer_, &QTimer::timeout, this, [this] { NoTrayNotice(); });
    ui::SkinChangeSubject::Instance().Add(this);
}

void CMainWnd::Receive(const ui::SkinChangedParam& param) {
    auto* root = window_.Find("root");
    if (root == nullptr) return;
    if (param.isColour) {
        root->SetBkColour(param.colour);
        root->SetBkImage("");
    } else {
        root->SetBkColour(0);
        root->SetBkImage(param.image);
    }
}

void CMainWnd::OpenSkinFrame() {
    auto* main = dynamic_cast<widgets::SkinWindow*>(&window_);
    auto* owner = dynamic_cast<widgets::SkinWidget*>(window_.Find("skinbtn"));
    if (main == nullptr || owner == nullptr) return;
    skinFrame_.reset();
    skinFrame_ = CSkinFrame::Open(*main, *owner);
}

CMainWnd::~CMainWnd() {
    ui::SkinChangeSubject::Instance().Remove(this);
    skinFrame_.reset();
    captureFeeder_.reset();
    hook_.RemoveHooks();
    if (widget_) qApp->removeEventFilter(this);
    window_.SetNotifySink(nullptr);
    if (!destroyed_) {
        window_.RejectCalls();
        StopIo();
    }
    if (auto* skin = dynamic_cast<widgets::SkinWindow*>(&window_)) skin->SetCallLatencyObserver(nullptr);
}

void CMainWnd::StopIo() {
    const std::uint64_t deadline = platform::TickMs() + static_cast<std::uint64_t>(options_.shutdownLimitMs);
    const auto left = [deadline] {
        const std::uint64_t now = platform::TickMs();
        return now >= deadline ? 0 : static_cast<int>(deadline - now);
    };
    // Workers see their stop events first, then every transfer in flight is cut short, so a
    // watcher in the middle of an arrival read or a queued upload to a silent device ends at
    // once instead of waiting out its retries.
    workers_->RequestStop();
    // An upload half sent would leave the device's memory half written: it may end first.
    for (auto& queue : queues_) {
        if (!queue->AwaitUnbroken(left())) platform::debugOut("shutdown: an upload did not end within the time limit");
    }
    for (auto& link : links_) link->Abort();
    for (auto& queue : queues_) queue->Stop();
    workers_->Shutdown(left());
    // Every save made before the quit is on disk when the program ends.
    writer_.Flush(left());
}

bool CMainWnd::eventFilter(QObject* watched, QEvent* event) {
    if (watched == widget_ && widget_ != nullptr) {
        switch (event->type()) {
            case QEvent::Close:
                // The window manager's close (Alt+F4, the title bar) does what "closebtn" does.
                event->ignore();
                Destroy();
                return true;
            case QEvent::WindowStateChange:
                ShowCaptionButtons();
                break;
            case QEvent::WindowActivate:
            case QEvent::WindowDeactivate: {
                char text[48];
                std::snprintf(text, sizeof text, "%u%xd%xd", kActivateMessage,
                              event->type() == QEvent::WindowActivate ? 1u : 0u, 0u);
                platform::debugOut(text);
                break;
            }
            default: break;
        }
    }
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
    if (static_cast<QKeyEvent*>(event)->key() != Qt::Key_Space) return false;
    auto* target = qobject_cast<QWidget*>(watched);
    // Only the window's own controls; text typed into an edit keeps its spaces.
    if (target == nullptr || widget_ == nullptr || target->window() != widget_) return false;
    return target->inherits("QLineEdit") == false;
}

void CMainWnd::LookUpControls() {
    for (std::size_t i = 0; i < captionButtons_.size(); ++i) {
        captionButtons_[i] = window_.Find(kCaptionButtons[i]);
    }
}

bool CMainWnd::TimerActive(TimerId id) const {
    switch (id) {
        case TimerId::Progress: return progressTimer_.isActive();
        case TimerId::Flush: return flushTimer_.isActive();
        case TimerId::Repaint: return repaintTimer_.isActive();
    }
    return false;
}

void CMainWnd::Notify(const ui::Notification& n) {
    const std::string name = n.sender ? n.sender->Name() : std::string();
    platform::debugOut(n.type + " " + name);
    if (n.type == "windowinit") {
        WindowInit();
        return;
    }
    if (n.type == "click") {
        if (ui::EqualsIgnoreCase(name, "closebtn")) {
            Destroy();
            return;
        }
        if (ui::EqualsIgnoreCase(name, "minbtn")) {
            window_.Minimize();
            return;
        }
        if (ui::EqualsIgnoreCase(name, "maxbtn")) {
            window_.Maximize();
            return;
        }
        if (ui::EqualsIgnoreCase(name, "restorebtn")) {
            window_.Restore();
            return;
        }
        if (ui::EqualsIgnoreCase(name, "skinbtn")) {
            OpenSkinFrame();
            return;
        }
    }
    if (n.type == "selectchanged") SelectDeviceTab(name);
    if (hooks_.route) hooks_.route(n);
}

void CMainWnd::SelectDeviceTab(const std::string& name) {
    // Leaving for another device tab ends any key capture (a macro being edited keeps its tab).
    if (shell::SelectDeviceTab(window_, name) == DeviceTabChoice::Selected) {
        SetHookMode(platform::HookMode::MouseKeyEditor, false);
    }
}

void CMainWnd::WindowInit() {
    ApplySavedBackground();
    window_.CentreOnScreen();
    for (DeviceKind kind : device::kAllDeviceKinds) {
        if (hooks_.initDevicePages) hooks_.initDevicePages(kind);
    }
    for (DeviceKind kind : {DeviceKind::Mouse, DeviceKind::MousePad, DeviceKind::Keyboard}) {
        Link(kind).SetIdentity(device::kVendorId, device::ProductIdOf(kind), device::kVendorUsage,
                               device::kVendorUsagePage);
    }
    // A device's tab shows only while that device is connected.
    for (DeviceKind kind : device::kAllDeviceKinds) {
        if (auto* tab = window_.Find(ControlNames(kind).tab)) tab->SetVisible(false);
    }
    platform::SleepMs(options_.windowInitPauseMs);
    if (tray_->Available()) {
        window_.Hide();
    } else {
        // Nothing could bring a hidden window back: it shows, and says so when no device comes.
        window_.Show();
        noTrayTimer_.start(options_.noTrayNoticeMs);
    }
    StartWorkers();
}

void CMainWnd::ApplySavedBackground() {
    const auto image = profiles::ReadSkinImage();
    if (!image) return;
    if (auto* root = window_.Find("root")) {
        root->SetBkColour(0);
        root->SetBkImage(*image);
    }
}

void CMainWnd::NoTrayNotice() {
    if (destroyed_ || AnyConnected()) return;
    ShowNoDeviceBox(announceBoxOpen_);
}

void CMainWnd::HideToTray() {
    if (tray_->Available()) window_.Hide();
}

void CMainWnd::ShowNoDeviceBox(bool& guard) {
    HideToTray();
    if (guard) return;
    guard = true;
    window_.ShowMessageBox(ConfirmBox("message_text_1"));
    guard = false;
}

void CMainWnd::ShowCaptionButtons() {
    const bool maximised = widget_ != nullptr && widget_->isMaximized();
    if (auto* max = window_.Find("maxbtn")) max->SetVisible(!maximised);
    if (auto* restore = window_.Find("restorebtn")) restore->SetVisible(maximised);
}

void CMainWnd::StartWorkers() {
    const workers::DeviceLinks links{links_[0].get(), links_[1].get(), links_[2].get()};
    auto startPresence = [&](DeviceKind kind) {
        workers_->Start(static_cast<WorkerIndex>(device::KindIndex(kind)),
                        [this, kind, links](workers::WorkerContext& ctx) {
                            workers::RunPresenceWatcher(kind, links, backend_, *this, ctx,
                                                        options_.presenceTiming);
                        });
    };
    auto startPending = [&](const PendingWorker& worker) {
        if (workers::WorkerBody body = hooks_.workerBody ? hooks_.workerBody(worker.index) : nullptr) {
            workers_->Start(worker.index, std::move(body));
            return;
        }
        workers_->Start(worker.index, [text = worker.exitText](workers::WorkerContext& ctx) {
            ctx.StopRequested(platform::kInfinite);
            platform::debugOut(text);
        });
    };
    for (DeviceKind kind : device::kAllDeviceKinds) startPresence(kind);
    live_->StartWorkers(*workers_);
    workersStarted_ = true;
    ScheduleLightingFlush();
    for (const PendingWorker& worker : kPendingWorkers) startPending(worker);
}

void CMainWnd::BringForward() {
    if (AnyConnected()) {
        window_.Show();
        window_.Restore();
        window_.BringToFront();
        return;
    }
    ShowNoDeviceBox(announceBoxOpen_);
}

void CMainWnd::ShowFromTray() {
    if (destroyed_) return;
    if (AnyConnected()) {
        window_.Show();
        window_.Restore();
        window_.BringToFront();
        window_.NeedUpdate();
        repaintTimer_.start(kTrayRepaintMs);
        return;
    }
    ShowNoDeviceBox(trayBoxOpen_);
}

void CMainWnd::Destroy() {
    if (destroyed_) return;
    destroyed_ = true;
    hook_.RemoveHooks();
    tray_->Remove();
    noTrayTimer_.stop();
    platform::debugOut(kShutdownDebugText);
    window_.Hide();
    flushTimer_.stop();
    repaintTimer_.stop();
    progressTimer_.stop();
    // A worker waiting for the UI thread must not hold up the wait for the workers.
    window_.RejectCalls();
    StopIo();
    QCoreApplication::quit();
}

}  // namespace corvane::shell
