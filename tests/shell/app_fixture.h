#pragma once

// Shared by the tests that run the program's main window on the real skin and the virtual
// devices: where the built program and its skin are, running the event loop until a condition
// holds, a private home folder, and timings that keep the tests quick.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "shell/main_wnd.h"

namespace corvane::testing {

// The folder of the test binaries, where the build puts the program, skin/ and defaults/.
inline std::filesystem::path BinFolder() {
    return std::filesystem::path(QCoreApplication::applicationDirPath().toStdString());
}

// Runs the event loop until pred holds or the limit passes.
inline bool RunUntil(const std::function<bool()>& pred, int limitMs = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!pred()) {
        if (timer.elapsed() > limitMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

// HOME and XDG_CONFIG_HOME in a fresh temporary folder while it lives.
class TempHome {
public:
    explicit TempHome(const std::string& tag) {
        static int counter = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("corvane-" + tag + "-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
        std::filesystem::create_directories(path_);
        setenv("HOME", path_.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (path_ / ".config").c_str(), 1);
    }
    ~TempHome() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Short presence pauses, no "windowinit" pause, no tray icon (but behaving as if there were one).
inline shell::MainWndOptions QuickMainWndOptions() {
    shell::MainWndOptions options;
    options.presenceTiming = {1, 5, 10, 1, 1};
    options.windowInitPauseMs = 0;
    options.tray = shell::TrayMode::Hidden;
    return options;
}

}  // namespace corvane::testing
