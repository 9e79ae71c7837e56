// corvane: the program. Finds the real devices through hidraw, or runs against the built-in
// virtual devices (corvane --help lists the options, see command_line.cpp).
//
// --virtual-devices=DIR keeps the virtual devices' memory between runs. With --screenshots (the
// default when there is no display) the window is rendered offscreen: once every device is
// connected and read, each device page is written as a PNG into that folder and the program
// ends. --no-screenshots keeps an offscreen program running instead, to be driven by corvane-ctl.

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device/hid_backend.h"
#include "platform/data_folders.h"
#include "platform/debug_out.h"
#include "platform/instance_socket.h"
#include "platform/log.h"
#include "platform/tick.h"
#include "shell/command_line.h"
#include "scripting/control_commands.h"
#include "shell/main_wnd.h"
#include "shell/pages_wiring.h"
#include "shell/quit_signals.h"
#include "shell/save_failure_notice.h"
#include "widgets/skin_window.h"
#include "virtual/virtual_hid_bus.h"

namespace {

using namespace corvane;

constexpr int kScreenshotPollMs = 5;
constexpr int kScreenshotSettleMs = 300;
constexpr int kScreenshotLimitMs = 60000;

bool HaveDisplay() {
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform != nullptr && std::string_view(platform) == "offscreen") return false;
    return (x != nullptr && *x != '\0') || (wayland != nullptr && *wayland != '\0');
}

// Once every device is connected and shown, writes each device page and ends the program.
class ScreenshotRun {
public:
    ScreenshotRun(shell::CMainWnd& main, widgets::SkinWindow& window, std::filesystem::path folder,
                  std::uint64_t startTick)
        : main_(main), window_(window), folder_(std::move(folder)), startTick_(startTick) {
        QObject::connect(&poll_, &QTimer::timeout, &window_, [this] { Poll(); });
        poll_.start(kScreenshotPollMs);
    }

private:
    void Poll() {
        waitedMs_ += kScreenshotPollMs;
        bool ready = true;
        for (device::DeviceKind kind : device::kAllDeviceKinds) {
            ready = ready && main_.ArrivalComplete(kind);
        }
        if (!ready && waitedMs_ < kScreenshotLimitMs) return;
        poll_.stop();
        if (ready) {
            std::printf("corvane: all devices connected and read %lld ms after start\n",
                        static_cast<long long>(platform::TickMs() - startTick_));
        }
        if (!ready) std::fprintf(stderr, "corvane: not every device came up; writing what there is\n");
        QTimer::singleShot(kScreenshotSettleMs, &window_, [this] { Write(); });
    }

    void Write() {
        std::filesystem::create_directories(folder_);
        window_.Show();
        struct Shot {
            const char* tab;
            const char* page;  // a function tab of the device, or none for the one shown
            const char* file;
            const char* key = nullptr;  // a key page: the key opened, and the function chosen
            int kindItem = 0;
        };
        for (const Shot& shot : {Shot{"kb_tab", nullptr, "corvane-keyboard.png"},
                                 Shot{"ms_tab", nullptr, "corvane-mouse.png"},
                                 Shot{"ms_tab", "ms_rich_Op_tab", "corvane-mouse-dpi.png"},
                                 Shot{"ms_tab", "ms_cursor_Op_tab", "corvane-mouse-cursor.png"},
                                 Shot{"mp_tab", nullptr, "corvane-mousepad.png"},
                                 Shot{"kb_tab", "kb_key_Op_tab", "corvane-keyboard-keys.png", "kb_key_64", 1},
                                 Shot{"ms_tab", "ms_key_Op_tab", "corvane-mouse-keys.png", "ms_key_5", 2}}) {
            if (auto* tab = window_.FindOption(shot.tab)) tab->SetSelected(true, true);
            if (shot.page != nullptr) {
                if (auto* page = window_.FindOption(shot.page)) page->SetSelected(true, true);
            }
            if (shot.key != nullptr) OpenKey(shot.key, shot.kindItem);
            QCoreApplication::processEvents();
            const auto path = folder_ / shot.file;
            if (window_.grab().save(QString::fromStdString(path.string()))) {
                std::printf("corvane: wrote %s\n", path.c_str());
            }
        }
        main_.Destroy();
    }

    // Opens a key's function page as a click would, with a function chosen.
    void OpenKey(const char* key, int kindItem) {
        if (auto* control = window_.Find(key)) main_.Notify(ui::Notification{"click", control});
        const std::string combo = std::string(key).substr(0, 3) + "key_fct_combo";
        if (auto* kinds = window_.FindCombo(combo)) kinds->SelectItem(kindItem, /*notify=*/true);
    }

    shell::CMainWnd& main_;
    widgets::SkinWindow& window_;
    std::filesystem::path folder_;
    QTimer poll_;
    std::uint64_t startTick_;
    int waitedMs_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    const std::uint64_t startTick = platform::TickMs();
    const shell::CommandLine line = shell::ParseCommandLine(std::vector<std::string_view>(argv + 1, argv + argc));
    switch (line.action) {
        case shell::CommandLineAction::Help: shell::WriteProgramHelp(std::cout); return 0;
        case shell::CommandLineAction::Version: shell::WriteProgramVersion(std::cout); return 0;
        case shell::CommandLineAction::Error:
            std::cerr << "corvane: " << line.error << " (see corvane --help)\n";
            return 2;
        case shell::CommandLineAction::Run: break;
    }
    shell::ProgramOptions options = line.options;
    if (!HaveDisplay()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        if (!options.screenshots && !options.noScreenshots) {
            options.screenshots = std::filesystem::current_path() / "screenshots";
        }
    }

    char text[64];
    std::snprintf(text, sizeof text, "软件标示：%u", static_cast<unsigned>(shell::WindowMessage::Announce));
    platform::debugOut(text);

    // One instance per user: a second start hands over to the first and ends.
    platform::InstanceServer instance;
    const std::string runtimeFolder = platform::UserRuntimeFolder();
    const auto claim = instance.Claim(platform::kInstanceName, runtimeFolder);
    if (claim == platform::InstanceClaim::AnotherRuns) {
        platform::InstanceClient client;
        if (client.Connect(platform::kInstanceName, runtimeFolder)) client.Request(platform::kRegisteredMessageName);
        return 0;
    }
    if (claim == platform::InstanceClaim::Failed) {
        platform::Log(platform::LogCategory::Shell, platform::LogLevel::Warn,
                      runtimeFolder.empty()
                          ? "instance: no private folder for the instance lock ($XDG_RUNTIME_DIR, /tmp/corvane-UID, "
                            "the cache folder); a second start will not find this one"
                          : "instance: the lock in " + runtimeFolder + " could not be taken (" + std::strerror(errno) +
                                "); a second start will not find this one");
    } else {
        platform::Log(platform::LogCategory::Shell, platform::LogLevel::Info,
                      "instance: lock and socket in " + runtimeFolder);
    }

    // We are the instance: what a crash of an earlier one left half-written goes.
    platform::RemoveStaleTemporaries();

    QApplication app(argc, argv);
    app.setApplicationName("Corvane");
    // Matches the installed .desktop file, so desktops give the window its name and icon.
    app.setDesktopFileName("org.corvane.Corvane");
    app.setQuitOnLastWindowClosed(false);

    std::unique_ptr<virt::VirtualHidBus> virtualBus;
    device::HidBackend* backend = &device::SystemHidBackend();
    if (options.virtualDevices) {
        virtualBus = std::make_unique<virt::VirtualHidBus>(options.virtualMemory);
        virtualBus->SetLatency(std::chrono::microseconds(options.virtualLatencyUs));
        virtualBus->SetSharedNode(options.virtualSharedNode);
        backend = virtualBus.get();
    }

    std::string error;
    auto window = widgets::SkinWindow::Load(std::filesystem::path(platform::ProgramFolder()) / "skin",
                                          "XML_MAIN", &error);
    if (!window) {
        std::fprintf(stderr, "corvane: the skin does not load: %s\n", error.c_str());
        return 1;
    }
    shell::MainWndOptions mainOptions;
    mainOptions.language = options.language;
    const shell::SaveFailureNotice saveFailures(*window);
    shell::CMainWnd main(*window, *backend, mainOptions);
    // A session's end or Ctrl+C quits as the tray's exit does.
    const shell::QuitSignals quitSignals([&main] { main.Destroy(); });
    shell::PagesWiring pages(main);
    // Scripts drive the window over the same socket (see corvane-ctl).
    scripting::ControlCommands commands(*window, &main, virtualBus.get());
    if (claim == platform::InstanceClaim::First) {
        instance.Serve([&main, &commands](std::string_view line) -> std::string {
            if (line == platform::kRegisteredMessageName) {
                main.PostMessage(shell::WindowMessage::Announce);
                return "ok";
            }
            return commands.Handle(line);
        });
    }
    std::unique_ptr<ScreenshotRun> screenshots;
    if (options.screenshots) {
        screenshots = std::make_unique<ScreenshotRun>(main, *window, *options.screenshots, startTick);
    }

    window->Launch(/*show=*/false);
    const int code = app.exec();
    // Commands still waiting for the UI thread are let go before their connections are joined.
    commands.Stop();
    window->RejectCalls();
    instance.Stop();
    if (main.WorkersOutlivedShutdown()) {
        // The settings are on disk (the shutdown flushed them); tearing down the links, queues
        // and pages under a worker still running would be the crash, so the process ends here.
        platform::debugOut("shutdown: a worker still runs after the time limit; ending without tearing down");
        std::_Exit(code);
    }
    return code;
}
