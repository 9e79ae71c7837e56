// The main window on the real skin and the virtual devices: start-up, hand-over, presence,
// message boxes and shutdown.

#include "shell/main_wnd.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "device/hidraw_backend.h"
#include "platform/debug_out.h"
#include "platform/instance_socket.h"
#include "app_fixture.h"
#include "main_wnd_fixture.h"
#include "qt_fixture.h"
#include "widgets/skin_window.h"
#include "virtual/virtual_hid_bus.h"

namespace corvane::shell {
namespace {

using device::DeviceKind;

using testing::BinFolder;
using testing::RunUntil;


TEST_F(MainWndTest, NoDeviceKeepsTheWindowHiddenAndHandOverShowsMessageOne) {
    Start({});
    // Several presence passes find nothing.
    RunUntil([] { return false; }, 60);
    EXPECT_FALSE(window_->IsShown());
    EXPECT_TRUE(boxes_.empty());

    main_->HandleMessage(WindowMessage::Announce, 0, 0);
    EXPECT_FALSE(window_->IsShown());
    EXPECT_EQ(Boxes("message_text_1"), 1);
}

TEST_F(MainWndTest, KeyboardArrivingWhileRunningIsShownSelectedReadAndAnnounced) {
    platform::DebugCapture debug;
    Start({});
    ASSERT_FALSE(Visible("kb_tab"));
    bus_->Keyboard().Plug();
    ASSERT_TRUE(RunUntil([&] { return Connected(DeviceKind::Keyboard) && Selected("kb_tab"); }, 2000));
    EXPECT_TRUE(Visible("kb_tab"));
    ASSERT_TRUE(RunUntil([&] {
        return main_->State(DeviceKind::Keyboard).Snapshot().info[device::kInfoKeyCount] == 126;
    }));
    EXPECT_EQ(main_->Link(DeviceKind::Keyboard).BankSize(), 378);
    // Not the first pass: the window is not brought forward by itself.
    EXPECT_FALSE(window_->IsShown());
    // A second start's hand-over now brings it forward.
    main_->HandleMessage(WindowMessage::Announce, 0, 0);
    EXPECT_TRUE(window_->IsShown());
    EXPECT_TRUE(RunUntil([&] { return debug.Contains("1234567890"); }));
}

TEST_F(MainWndTest, DevicePresentAtStartAnnouncesAndBringsTheWindowForward) {
    Start({DeviceKind::MousePad});
    ASSERT_TRUE(RunUntil([&] { return window_->IsShown(); }));
    EXPECT_TRUE(Visible("mp_tab"));
    EXPECT_TRUE(Selected("mp_tab"));
    EXPECT_EQ(window_->FindTab("tab_switch")->CurPage(), 2);
}

TEST_F(MainWndTest, RemovalsFollowTheRemainingDevices) {
    Start({DeviceKind::Keyboard, DeviceKind::Mouse, DeviceKind::MousePad});
    ASSERT_TRUE(RunUntil([&] {
        return Connected(DeviceKind::Keyboard) && Connected(DeviceKind::Mouse) &&
               Connected(DeviceKind::MousePad) && Visible("kb_deng_same_mode") &&
               Visible("mp_deng_same_mode");
    }));

    bus_->Mouse().Unplug();
    ASSERT_TRUE(RunUntil([&] { return !Visible("ms_tab") && Selected("kb_tab"); }));
    EXPECT_TRUE(window_->Find("kb_tab")->HasFocus() || !window_->IsShown());
    EXPECT_TRUE(Visible("kb_deng_same_mode"));
    EXPECT_TRUE(Visible("mp_deng_same_mode"));

    bus_->MousePad().Unplug();
    ASSERT_TRUE(RunUntil([&] { return !Visible("mp_tab") && !Visible("kb_deng_same_mode"); }));
    EXPECT_TRUE(boxes_.empty());

    bus_->Keyboard().Unplug();
    ASSERT_TRUE(RunUntil([&] { return Boxes("message_text_20") == 1; }));
    EXPECT_FALSE(window_->IsShown());
}

// The three products are plugged in but the system refuses their nodes, as it does without the
// udev rule (the refusal comes from the open seam: tests may run as root).
class RefusedNodes : public device::HidrawEnumerator {
public:
    bool List(std::vector<device::HidrawNode>& nodes) override {
        nodes.clear();
        for (DeviceKind kind : device::kAllDeviceKinds) {
            nodes.push_back({"/dev/hidraw" + std::to_string(device::KindIndex(kind)), device::kVendorId,
                             device::ProductIdOf(kind), {}});
        }
        return true;
    }
};
int RefuseAccess(const char*, int) {
    errno = EACCES;
    return -1;
}

TEST_F(MainWndTest, RefusedDevicesBringOneMessageForTheRunAndEachNodeIsLogged) {
    platform::DebugCapture debug;
    Start({}, std::make_unique<device::HidrawBackend>(std::make_unique<RefusedNodes>(), RefuseAccess));
    ASSERT_TRUE(RunUntil([&] { return Boxes("message_text_device_access") > 0; }));
    // More passes of all three watchers.
    RunUntil([] { return false; }, 60);
    EXPECT_EQ(Boxes("message_text_device_access"), 1);
    EXPECT_EQ(boxes_.size(), 1u);
    for (DeviceKind kind : device::kAllDeviceKinds) EXPECT_FALSE(Connected(kind));
    std::size_t logged = 0;
    for (const std::string& line : debug.Lines()) {
        if (line.find(" cannot be opened: Permission denied; the udev rule 70-corvane.rules") != std::string::npos) {
            ++logged;
        }
    }
    EXPECT_EQ(logged, 3u);
    // The message names the rule in both languages.
    for (const char* language : {"en", "cn"}) {
        window_->SetLanguage(language);
        EXPECT_NE(window_->LanguageText("message_text_device_access").find("70-corvane.rules"), std::string::npos)
            << language;
    }
}

TEST_F(MainWndTest, OnlyPadRemovedHidesWithoutAMessage) {
    Start({DeviceKind::MousePad});
    ASSERT_TRUE(RunUntil([&] { return window_->IsShown(); }));
    bus_->MousePad().Unplug();
    ASSERT_TRUE(RunUntil([&] { return !window_->IsShown(); }));
    RunUntil([] { return false; }, 30);
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(MainWndTest, SavedBackgroundIsAppliedOnlyWhenFlagged) {
    const auto dataFolder = home_->Path() / "Documents" / "Gaming Keyboard";
    std::filesystem::create_directories(dataFolder);
    {
        std::ofstream(dataFolder / "main.ini") << "[OTHER]\nFLAGS=1\n";
    }
    Start({});
    auto* root = window_->Find("root");
    ASSERT_NE(root, nullptr);
    const std::string skinImage = root->BkImage();
    EXPECT_NE(root->BkImage(), "bg/mine.png");
    main_.reset();
    window_.reset();

    {
        std::ofstream(dataFolder / "main.ini") << "[SKINIMAGE]\nFLAGS=1\nIMAGE=bg/mine.png\n";
    }
    Start({});
    EXPECT_EQ(window_->Find("root")->BkImage(), "bg/mine.png");
    EXPECT_EQ(window_->Find("root")->BkColour(), 0u);
    (void)skinImage;
}

TEST_F(MainWndTest, ShutdownStopsEveryWorkerAndSaysSo) {
    platform::DebugCapture debug;
    Start({DeviceKind::Keyboard});
    ASSERT_TRUE(RunUntil([&] { return Connected(DeviceKind::Keyboard); }));
    QElapsedTimer timer;
    timer.start();
    main_->Destroy();
    EXPECT_LT(timer.elapsed(), 2000);
    EXPECT_TRUE(main_->Destroyed());
    EXPECT_TRUE(debug.Contains("退出测试"));
    EXPECT_TRUE(debug.Contains("所有对象处于激发状态\n"));
    EXPECT_TRUE(debug.Contains("键盘设备侦测线程设定退出"));
    EXPECT_TRUE(debug.Contains("鼠标垫灯光进程侦测线程设定退出"));
    EXPECT_FALSE(window_->IsShown());
}

TEST_F(MainWndTest, QuitDuringTheArrivalOfADeviceThatStoppedAnsweringEndsPromptly) {
    platform::DebugCapture debug;
    Start({});
    // Answers the first two requests of its arrival read, then nothing more.
    bus_->Device(DeviceKind::Mouse).InjectFault({virt::FaultKind::NoAnswer, 3, virt::kEveryPacket});
    bus_->Device(DeviceKind::Mouse).Plug();
    ASSERT_TRUE(RunUntil([&] { return bus_->Device(DeviceKind::Mouse).PacketCount() >= 4; }, 5000));
    QElapsedTimer timer;
    timer.start();
    main_->Destroy();
    // Left alone, the read would wait out four attempts of 300 ms for each of its commands.
    EXPECT_LT(timer.elapsed(), 2000);
    EXPECT_TRUE(debug.Contains("所有对象处于激发状态\n"));
    EXPECT_TRUE(debug.Contains("鼠标设备侦测线程设定退出"));
    main_.reset();
    EXPECT_LT(timer.elapsed(), 3000);
}

// The flush timer runs only while a record waits: it sends the record once and rests again.
TEST_F(MainWndTest, FlushTimerSendsAPendingRecordOnceAndRests) {
    Start({DeviceKind::Keyboard});
    ASSERT_TRUE(RunUntil([&] { return Connected(DeviceKind::Keyboard); }));
    RunUntil([] { return false; }, 50);
    EXPECT_FALSE(main_->TimerActive(TimerId::Flush));
    bus_->Keyboard().ClearRequests();
    main_->State(DeviceKind::Keyboard).Update([](device::DeviceImages& images) {
        images.activeLighting[2] = 3;
        images.activeLighting[6] = 0x40;
    });
    main_->LightingPending(DeviceKind::Keyboard) = true;
    main_->ScheduleLightingFlush();
    EXPECT_TRUE(main_->TimerActive(TimerId::Flush));
    ASSERT_TRUE(RunUntil([&] { return !main_->LightingPending(DeviceKind::Keyboard); }));
    RunUntil([] { return false; }, 40);
    EXPECT_EQ(bus_->Keyboard().RequestCount(device::Command::WriteParamRecord), 1u);
    EXPECT_FALSE(main_->TimerActive(TimerId::Flush));
    EXPECT_EQ(bus_->Keyboard().Memory(virt::MemoryArea::Params)[6], 0x40);
}

// Work a worker queues while a box is open (opened from queued work itself) runs at once, not
// after the box closes.
TEST(SkinWindowQueue, QueuedWorkRunsWhileABoxIsOpen) {
    testing::App();
    std::string error;
    auto window = widgets::SkinWindow::Load(BinFolder() / "skin", "XML_MAIN", &error);
    ASSERT_TRUE(window) << error;
    int result = -1;
    bool ranWhileOpen = false;
    bool ran = false;
    window->Post([&] {
        ui::MessageBoxRequest request;
        request.textId = "message_text_20";
        request.timed = true;
        result = window->ShowMessageBox(request);
    });
    std::thread worker([&] {
        QThread::msleep(100);
        window->Post([&] {
            ran = true;
            ranWhileOpen = result == -1;
        });
    });
    EXPECT_TRUE(RunUntil([&] { return result != -1; }, 5000));
    worker.join();
    EXPECT_EQ(result, ui::kMessageDismissed);
    EXPECT_TRUE(ran);
    EXPECT_TRUE(ranWhileOpen);
}

TEST(QueryControlTextTest, AnswersItsTwoIdsByLanguage) {
    EXPECT_EQ(QueryControlText("en", "TitleText"), "Duilib Demo v1.1");
    EXPECT_EQ(QueryControlText("cn", "titletext"), "mouse");
    EXPECT_EQ(QueryControlText("en", "hometext"), "{a}Home Page{/a}");
    EXPECT_EQ(QueryControlText("cn", "hometext"), "{a}演示官网{/a}");
    EXPECT_EQ(QueryControlText("en", "message_text_1"), std::nullopt);
}

// A second start finds the name taken, hands the message over and ends with 0.
TEST(SecondInstance, HandsOverAndExitsZero) {
    testing::App();
    char folderTemplate[] = "/tmp/corvane-run-XXXXXX";
    ASSERT_NE(::mkdtemp(folderTemplate), nullptr);
    const std::string folder = folderTemplate;
    platform::InstanceServer first;
    ASSERT_EQ(first.Claim(platform::kInstanceName, folder), platform::InstanceClaim::First);
    std::vector<std::string> lines;
    std::mutex m;
    ASSERT_TRUE(first.Serve([&](std::string_view line) {
        std::lock_guard lock(m);
        lines.emplace_back(line);
        return std::string("ok");
    }));

    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(folder));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    second.setProcessEnvironment(env);
    second.start(QString::fromStdString((BinFolder() / "corvane").string()), {"--virtual-devices"});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    first.Stop();
    std::lock_guard lock(m);
    EXPECT_EQ(lines, std::vector<std::string>{platform::kRegisteredMessageName});
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace corvane::shell
