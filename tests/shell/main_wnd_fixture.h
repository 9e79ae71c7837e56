#pragma once

// The main window on the real skin with chosen virtual devices plugged in; message boxes are
// answered by a responder that notes their text ids.

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "app_fixture.h"
#include "qt_fixture.h"
#include "device/hid_backend.h"
#include "shell/main_wnd.h"
#include "widgets/skin_window.h"
#include "virtual/virtual_hid_bus.h"

namespace corvane::shell {

using device::DeviceKind;
using testing::BinFolder;
using testing::RunUntil;

class MainWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::App();
        home_ = std::make_unique<testing::TempHome>("home");
    }
    void TearDown() override {
        main_.reset();
        window_.reset();
        bus_.reset();
        backend_.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        home_.reset();
    }

    // Builds the window on the real skin with the chosen devices plugged in, and runs
    // "windowinit". With a backend of its own, the main window looks for devices there.
    void Start(std::initializer_list<DeviceKind> plugged, MainWndOptions options = testing::QuickMainWndOptions(),
               std::unique_ptr<device::HidBackend> backend = nullptr) {
        backend_ = std::move(backend);
        bus_ = std::make_unique<virt::VirtualHidBus>(std::nullopt, /*pluggedIn=*/false);
        for (DeviceKind kind : plugged) bus_->Device(kind).Plug();
        std::string error;
        window_ = widgets::SkinWindow::Load(BinFolder() / "skin", "XML_MAIN", &error);
        ASSERT_TRUE(window_) << error;
        window_->SetMessageBoxResponder([this](const ui::MessageBoxRequest& r) {
            boxes_.push_back(r.textId);
            return ui::kMessageDismissed;
        });
        main_ = std::make_unique<CMainWnd>(*window_, backend_ ? *backend_ : *bus_, options);
        window_->Launch(false);
        ASSERT_TRUE(RunUntil([&] { return main_->WorkersStarted(); }));
    }
    void Start(std::initializer_list<DeviceKind> plugged, std::unique_ptr<device::HidBackend> backend) {
        Start(plugged, testing::QuickMainWndOptions(), std::move(backend));
    }

    bool Visible(const char* name) {
        auto* c = window_->Find(name);
        return c != nullptr && c->IsVisible();
    }
    bool Selected(const char* name) {
        auto* o = window_->FindOption(name);
        return o != nullptr && o->IsSelected();
    }
    bool Connected(DeviceKind kind) { return main_->Link(kind).IsConnected(); }
    int Boxes(const std::string& id) {
        return static_cast<int>(std::count(boxes_.begin(), boxes_.end(), id));
    }

    std::unique_ptr<testing::TempHome> home_;
    std::unique_ptr<device::HidBackend> backend_;
    std::unique_ptr<virt::VirtualHidBus> bus_;
    std::unique_ptr<widgets::SkinWindow> window_;
    std::unique_ptr<CMainWnd> main_;
    std::vector<std::string> boxes_;
};

}  // namespace corvane::shell
