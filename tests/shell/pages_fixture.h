#pragma once

// The main window with its working pages on the real skin and the virtual devices, in a
// temporary home folder. Tests drive controls by name and raise the notification the user's
// action raises, then look at the controls, the profile files and the devices' memory.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/foreground_process.h"
#include "platform/pointer_settings.h"
#include "profiles/profile_family.h"
#include "profiles/profile_file.h"
#include "profiles/profile_index.h"
#include "app_fixture.h"
#include "qt_fixture.h"
#include "shell/main_wnd.h"
#include "shell/pages_wiring.h"
#include "widgets/skin_window.h"
#include "virtual/virtual_hid_bus.h"

namespace corvane::shell::testing {

using device::DeviceKind;
using profiles::ProfileFamily;
using Bytes = std::vector<std::uint8_t>;

using corvane::testing::BinFolder;
using corvane::testing::RunUntil;

inline Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// Records what the desktop would have been told.
struct RecordingPointer : platform::PointerSettings {
    std::vector<std::string>* calls;
    explicit RecordingPointer(std::vector<std::string>* c) : calls(c) {}
    bool SetPointerSpeed(int speed) override {
        calls->push_back("speed " + std::to_string(speed));
        return true;
    }
    bool SetWheelLines(int lines) override {
        calls->push_back("wheel " + std::to_string(lines));
        return true;
    }
    void AnnounceChange() override { calls->push_back("announce"); }
    bool CanSetPointerSpeed() const override { return true; }
    bool CanSetWheelLines() const override { return true; }
    std::string_view Name() const override { return "recording"; }
};

class PagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        corvane::testing::App();
        tempHome_ = std::make_unique<corvane::testing::TempHome>("pages");
        home_ = tempHome_->Path();
        unsetenv("CORVANE_HOME");
        bus_ = std::make_unique<virt::VirtualHidBus>(std::nullopt, /*pluggedIn=*/false);
    }
    void TearDown() override {
        if (main_) main_->Destroy();  // the workers stop before the pages go
        pages_.reset();
        main_.reset();
        window_.reset();
        bus_.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        unsetenv("CORVANE_HOME");
        tempHome_.reset();
    }

    virt::VirtualDevice& Dev(DeviceKind kind) { return bus_->Device(kind); }

    // Plugs the devices, starts the window and waits until each device was read and its saved
    // profiles selected.
    void Start(std::initializer_list<DeviceKind> plugged) {
        for (DeviceKind kind : plugged) Dev(kind).Plug();
        std::string error;
        window_ = widgets::SkinWindow::Load(BinFolder() / "skin", "XML_MAIN", &error);
        ASSERT_TRUE(window_) << error;
        window_->SetMessageBoxResponder([this](const ui::MessageBoxRequest& r) {
            boxes_.push_back(r.textId);
            return boxAnswer_;
        });
        main_ = std::make_unique<CMainWnd>(*window_, *bus_, options_);
        pages_ = std::make_unique<PagesWiring>(*main_, std::make_unique<RecordingPointer>(&pointerCalls_),
                                               foreground_ ? std::move(foreground_) : platform::MakeUnknownForeground());
        window_->Launch(false);
        ASSERT_TRUE(RunUntil([&] { return main_->WorkersStarted(); }));
        for (DeviceKind kind : plugged) {
            ASSERT_TRUE(RunUntil([&] { return main_->ArrivalComplete(kind); })) << static_cast<int>(kind);
        }
        // The mouse's key profile is selected by its process watcher, a moment after the arrival:
        // a test's own change to the key banks must come after that load, not before it.
        if (std::find(plugged.begin(), plugged.end(), DeviceKind::Mouse) != plugged.end()) {
            auto* keys = window_->FindCombo("ms_key_profile_combo");
            ASSERT_TRUE(RunUntil([&] { return keys->Count() == 0 || keys->CurSel() >= 0; }));
        }
        Flush();
        for (DeviceKind kind : device::kAllDeviceKinds) Dev(kind).ClearRequests();
    }

    // Waits until the flush timer has sent every pending record and the device queues have run
    // everything the pages asked for, results delivered.
    void Flush() {
        ASSERT_TRUE(RunUntil([&] { return main_->IoIdle(); }));
    }

    ui::Control* Find(const std::string& name) {
        auto* c = window_->Find(name);
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    void Raise(const char* type, ui::Control* control, std::int64_t param = 0) {
        main_->Notify(ui::Notification{type, control, param});
    }
    void Click(const std::string& name) { Raise("click", Find(name)); }
    void Slide(const std::string& name, int value, const char* type = "valuechanged") {
        auto* s = window_->FindSlider(name);
        ASSERT_NE(s, nullptr) << name;
        s->SetValue(value);
        Raise(type, s, value);
    }
    void Type(const std::string& name, const std::string& text) {
        auto* e = window_->FindEdit(name);
        ASSERT_NE(e, nullptr) << name;
        e->SetText(text);
        Raise("textchanged", e);
    }
    void PickColour(const std::string& name, ui::Colour argb) {
        auto* p = window_->FindPalette(name);
        ASSERT_NE(p, nullptr) << name;
        p->SetSelectedColour(argb);
        Raise("colorchanged", p, argb);
    }
    void PickItem(const std::string& name, int index) {
        auto* c = window_->FindCombo(name);
        ASSERT_NE(c, nullptr) << name;
        ASSERT_TRUE(c->SelectItem(index, /*notify=*/true)) << name << " " << index;
    }
    std::string TextOf(const std::string& name) {
        auto* c = Find(name);
        return c ? c->Text() : std::string();
    }

    device::ActiveLightingImage Record(DeviceKind kind) {
        return main_->State(kind).Snapshot().activeLighting;
    }
    Bytes Params(DeviceKind kind) { return Dev(kind).Memory(virt::MemoryArea::Params); }

    std::filesystem::path DeviceFolder(DeviceKind kind) {
        const char* sub = kind == DeviceKind::Keyboard ? "kb" : kind == DeviceKind::Mouse ? "ms" : "mp";
        return home_ / "Documents" / "Gaming Keyboard" / sub;
    }
    // The whole file of a family's profile (header included).
    Bytes ProfileBytes(ProfileFamily family, const std::string& name) {
        if (main_) main_->Writer().Flush();  // saves are written on the writer's thread
        const auto& f = profiles::Family(family);
        return ReadFile((DeviceFolder(f.device) / (name + std::string(f.extension))).string());
    }
    // Writes an index file before the start: names and the selection of some families.
    void WriteIndex(DeviceKind kind, const std::string& content) {
        std::filesystem::create_directories(DeviceFolder(kind));
        const char* file = kind == DeviceKind::Keyboard ? "kbProfile.ini"
                           : kind == DeviceKind::Mouse  ? "msProfile.ini"
                                                        : "mpProfile.ini";
        std::ofstream(DeviceFolder(kind) / file) << content;
    }
    // A profile file from the shipped default of its family, changed by `edit`.
    void WriteProfile(ProfileFamily family, const std::string& name, const std::function<void(Bytes&)>& edit) {
        const auto& f = profiles::Family(family);
        Bytes payload(f.payloadSize, 0);
        ASSERT_EQ(profiles::ReadProfileFile(profiles::DefaultProfilePath(family), payload), profiles::kProfileReadOk);
        edit(payload);
        std::filesystem::create_directories(DeviceFolder(f.device));
        ASSERT_TRUE(profiles::WriteProfileFile(
            (DeviceFolder(f.device) / (name + std::string(f.extension))).string(), payload, f.device));
    }
    int Boxes(const std::string& id) { return static_cast<int>(std::count(boxes_.begin(), boxes_.end(), id)); }

    // With CORVANE_TEST_SHOTS=DIR the window is written there as a picture (device tab and
    // function tab selected first), for a person to look at what the test left on screen.
    void SaveShot(const char* tab, const char* page, const char* file) {
        const char* folder = std::getenv("CORVANE_TEST_SHOTS");
        if (folder == nullptr) return;
        window_->Show();
        for (const char* name : {tab, page}) {
            if (auto* option = window_->FindOption(name)) option->SetSelected(true, true);
        }
        QCoreApplication::processEvents();
        std::filesystem::create_directories(folder);
        EXPECT_TRUE(window_->grab().save(QString::fromStdString((std::filesystem::path(folder) / file).string())));
    }

    MainWndOptions options_ = corvane::testing::QuickMainWndOptions();
    std::unique_ptr<corvane::testing::TempHome> tempHome_;
    std::filesystem::path home_;
    std::unique_ptr<virt::VirtualHidBus> bus_;
    std::unique_ptr<widgets::SkinWindow> window_;
    std::unique_ptr<CMainWnd> main_;
    std::unique_ptr<PagesWiring> pages_;
    std::vector<std::string> boxes_;
    int boxAnswer_ = ui::kMessageDismissed;  // what every message box answers
    std::vector<std::string> pointerCalls_;
    // Which program is in front, for the application links; none: "unknown" (never the desktop
    // the tests run on).
    std::unique_ptr<platform::ForegroundProcess> foreground_;
};

inline constexpr std::size_t kHeader = profiles::kProfileHeaderSize;

}  // namespace corvane::shell::testing
