#pragma once

// Shared by the Qt-backed tests: one QApplication for the process (offscreen), the folder of the
// built binaries, running the event loop until a condition holds, a private home folder, small
// skins written to a temporary folder, and a sink that records notifications.

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "widgets/skin_window.h"
#include "ui/window.h"

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

// The application lives from the first test to the end of the run and is destroyed before
// exit handlers run (Qt's own globals are gone by then).
class QtEnvironment : public ::testing::Environment {
public:
    static QApplication& App() {
        static int argc = 1;
        static char name[] = "corvane-tests";
        static char* argv[] = {name, nullptr};
        if (!app_) {
            setenv("QT_QPA_PLATFORM", "offscreen", 0);
            app_ = std::make_unique<QApplication>(argc, argv);
        }
        return *app_;
    }
    void TearDown() override { app_.reset(); }

private:
    static inline std::unique_ptr<QApplication> app_;
};

// gtest takes ownership of the environment.
inline const bool kQtEnvironmentRegistered =
    (::testing::AddGlobalTestEnvironment(new QtEnvironment), true);

inline QApplication& App() { return QtEnvironment::App(); }

// A skin folder of its own for one test; removed afterwards.
class TempSkin {
public:
    TempSkin() {
        std::random_device rd;
        dir_ = std::filesystem::temp_directory_path() / ("corvane-skin-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(dir_);
    }
    ~TempSkin() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    TempSkin(const TempSkin&) = delete;
    TempSkin& operator=(const TempSkin&) = delete;

    const std::filesystem::path& Dir() const { return dir_; }
    void Write(const std::string& name, const std::string& content) const {
        const auto path = dir_ / name;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << content;
    }
    // Two small language files with the ids most tests use.
    void WriteLanguages() const {
        Write("lan_en.xml",
              "<Language id=\"en\"><Text id=\"greeting\">Hello</Text><Text id=\"item_a\">Apple</Text>"
              "</Language>");
        Write("lan_cn.xml",
              "<Language id=\"cn\"><Text id=\"greeting\">你好</Text><Text id=\"item_a\">苹果</Text>"
              "</Language>");
    }

private:
    std::filesystem::path dir_;
};

// The window around a root layout, at 800x572.
inline std::string WindowXml(const std::string& body, const std::string& head = "") {
    return "<Window size=\"800,572\" caption=\"0,0,0,36\"><Font id=\"0\" size=\"13\"/>" + head + body +
           "</Window>";
}

struct Event {
    std::string type;
    std::string sender;
    std::int64_t param = 0;
    bool operator==(const Event&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Event& e) {
    return os << e.type << "(" << e.sender << ", " << e.param << ")";
}

class Recorder : public ui::NotifySink {
public:
    void Notify(const ui::Notification& n) override {
        if (n.type == "msenter" || n.type == "msleave") return;  // pointer noise of simulated input
        events.push_back({n.type, n.sender ? n.sender->Name() : std::string(), n.param});
        if (onNotify) onNotify(n);
    }
    std::vector<Event> events;
    std::function<void(const ui::Notification&)> onNotify;
};

// A window built from text in a fresh skin folder, with a recorder attached.
class SkinFixture : public ::testing::Test {
protected:
    void SetUp() override { App(); }
    void TearDown() override {
        window.reset();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    widgets::SkinWindow& Build(const std::string& body, const std::string& head = "") {
        std::string error;
        window = widgets::SkinWindow::LoadText(WindowXml(body, head), skin.Dir(), &error);
        if (!window) {
            ADD_FAILURE() << error;  // go on with an empty window so the test fails, not crashes
            window = widgets::SkinWindow::LoadText(WindowXml("<Container/>"), skin.Dir(), &error);
        }
        window->SetNotifySink(&recorder);
        window->show();
        return *window;
    }

    TempSkin skin;
    Recorder recorder;
    std::unique_ptr<widgets::SkinWindow> window;
};

}  // namespace corvane::testing
