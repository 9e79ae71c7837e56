#include "workers/presence_watcher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <system_error>
#include <vector>

#include "device/device_link.h"
#include "device/hidraw_backend.h"
#include "device/state_transfer.h"
#include "platform/debug_out.h"
#include "virtual/virtual_hid_bus.h"

namespace corvane::workers {
namespace {

using device::DeviceKind;

std::string KindName(DeviceKind kind) {
    switch (kind) {
        case DeviceKind::Keyboard: return "kb";
        case DeviceKind::Mouse: return "ms";
        case DeviceKind::MousePad: return "mp";
    }
    return "?";
}

// Records the host calls as short words, and reads the state for real.
class RecordingHost : public PresenceHost {
public:
    RecordingHost(const DeviceLinks& links, std::array<device::DeviceState, 3>& states)
        : links_(links), states_(states) {}

    void ShowTab(DeviceKind k, bool v) override { Add("tab " + KindName(k) + (v ? " show" : " hide")); }
    void SelectTab(DeviceKind k, bool focus) override {
        Add("select " + KindName(k) + (focus ? " focus" : ""));
    }
    void ShowSameMode(DeviceKind k, bool v) override {
        std::lock_guard lock(mutex_);
        sameMode_[device::KindIndex(k)] = v;
    }
    bool ReadDeviceState(DeviceKind k) override {
        const auto result =
            device::ReadDeviceState(k, *links_[device::KindIndex(k)], states_[device::KindIndex(k)]);
        const bool answered = result != device::ReadStateResult::Incomplete;
        Add("read " + KindName(k) + (answered ? "" : " failed"));
        return answered;
    }
    void DeviceNotAnswering(DeviceKind k) override { Add("no answer " + KindName(k)); }
    void LoadSavedDeviceProfile() override { Add("load ms_device"); }
    void ReadCursorScripts() override { Add("scripts"); }
    void SelectSavedProfiles(DeviceKind k) override { Add("profiles " + KindName(k)); }
    void RefreshPages(DeviceKind k) override { Add("refresh " + KindName(k)); }
    void StartRepaintTimer(int) override { Add("timer7"); }
    void Announce() override { Add("announce"); }
    void LastDeviceRemoved() override { Add("last removed"); }
    void HideWindow() override { Add("hide window"); }

    // Waits until the word was recorded (or the limit passed).
    bool WaitFor(const std::string& word, int ms = 5000) {
        std::unique_lock lock(mutex_);
        return cv_.wait_for(lock, std::chrono::milliseconds(ms), [&] {
            return std::find(calls_.begin(), calls_.end(), word) != calls_.end();
        });
    }
    std::vector<std::string> Calls() {
        std::lock_guard lock(mutex_);
        return calls_;
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        calls_.clear();
    }
    bool SameMode(DeviceKind k) {
        std::lock_guard lock(mutex_);
        return sameMode_[device::KindIndex(k)];
    }

protected:
    void Add(std::string word) {
        {
            std::lock_guard lock(mutex_);
            calls_.push_back(std::move(word));
        }
        cv_.notify_all();
    }

    const DeviceLinks& links_;
    std::array<device::DeviceState, 3>& states_;
    std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<std::string> calls_;
    std::array<bool, 3> sameMode_{};
};

// The three watchers on the virtual bus, with short pauses so the test runs in milliseconds.
class PresenceTest : public ::testing::Test {
protected:
    PresenceTest() : bus_(std::nullopt, /*pluggedIn=*/false) {
        for (DeviceKind kind : device::kAllDeviceKinds) {
            auto& link = linkStore_[device::KindIndex(kind)];
            link = std::make_unique<device::DeviceLink>(bus_);
            link->SetIdentity(device::kVendorId, device::ProductIdOf(kind), device::kVendorUsage,
                              device::kVendorUsagePage);
            links_[device::KindIndex(kind)] = link.get();
        }
    }
    ~PresenceTest() override { workers_.reset(); }

    void Start(std::initializer_list<DeviceKind> kinds) {
        workers_ = std::make_unique<WorkerSet>();
        for (DeviceKind kind : kinds) {
            workers_->Start(static_cast<WorkerIndex>(device::KindIndex(kind)),
                            [this, kind](WorkerContext& ctx) {
                                RunPresenceWatcher(kind, links_, bus_, host_, ctx, timing_);
                            });
        }
    }
    device::DeviceLink& Link(DeviceKind kind) { return *links_[device::KindIndex(kind)]; }

    PresenceTiming timing_{1, 5, 5, 1, 1};
    virt::VirtualHidBus bus_;
    std::array<std::unique_ptr<device::DeviceLink>, 3> linkStore_;
    DeviceLinks links_{};
    std::array<device::DeviceState, 3> states_;
    RecordingHost host_{links_, states_};
    std::unique_ptr<WorkerSet> workers_;
};

TEST_F(PresenceTest, ArrivalStepsRunInEachKindsOrder) {
    bus_.Keyboard().Plug();
    bus_.Mouse().Plug();
    bus_.MousePad().Plug();
    // One watcher at a time, so each sequence can be read alone.
    const std::vector<std::pair<DeviceKind, std::vector<std::string>>> expected = {
        {DeviceKind::Keyboard,
         {"tab kb show", "select kb", "read kb", "profiles kb", "refresh kb", "timer7", "announce"}},
        {DeviceKind::Mouse,
         {"load ms_device", "read ms", "scripts", "profiles ms", "refresh ms", "tab ms show",
          "select ms", "timer7", "announce"}},
        {DeviceKind::MousePad,
         {"tab mp show", "select mp", "read mp", "profiles mp", "refresh mp", "timer7", "announce"}},
    };
    for (const auto& [kind, calls] : expected) {
        host_.Clear();
        Start({kind});
        ASSERT_TRUE(host_.WaitFor("announce")) << KindName(kind);
        workers_.reset();
        EXPECT_EQ(host_.Calls(), calls) << KindName(kind);
        EXPECT_TRUE(Link(kind).IsConnected());
    }
    // The state was really read through the link.
    const auto info = states_[device::KindIndex(DeviceKind::Keyboard)].Snapshot().info;
    EXPECT_EQ(info[device::kInfoKeyCount], 126);
    EXPECT_EQ(Link(DeviceKind::Keyboard).BankSize(), 378);
}

TEST_F(PresenceTest, ASilentDeviceIsNeitherReadyNorReadUntilItAnswers) {
    for (DeviceKind kind : device::kAllDeviceKinds) {
        SCOPED_TRACE(KindName(kind));
        host_.Clear();
        virt::VirtualDevice& device = bus_.Device(kind);
        device.Plug();
        device.InjectFault({virt::FaultKind::NoAnswer, 1, virt::kEveryPacket});
        Start({kind});
        ASSERT_TRUE(host_.WaitFor("no answer " + KindName(kind)));
        // The next pass tries again: still nothing taken from the device.
        const auto tries = [&] {
            const auto calls = host_.Calls();
            return std::count(calls.begin(), calls.end(), "read " + KindName(kind) + " failed");
        };
        for (int i = 0; i < 500 && tries() < 2; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        EXPECT_GE(tries(), 2);
        EXPECT_FALSE(Link(kind).IsConnected());
        for (const std::string& never : {"profiles " + KindName(kind), "refresh " + KindName(kind), std::string("announce")}) {
            const auto calls = host_.Calls();
            EXPECT_EQ(std::count(calls.begin(), calls.end(), never), 0) << never;
        }
        device.ClearFaults();
        ASSERT_TRUE(host_.WaitFor("refresh " + KindName(kind)));
        workers_.reset();
        EXPECT_TRUE(Link(kind).IsConnected());
        device.Unplug();
        Link(kind).connected = false;
    }
}

TEST_F(PresenceTest, NoDeviceAtStartAnnouncesNothingAndALatePlugIsFound) {
    Start({DeviceKind::Keyboard});
    // Several empty passes, then the keyboard arrives.
    for (int waited = 0; waited < 5000 && bus_.Enumerations() < 3; waited += 2) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_GE(bus_.Enumerations(), 3u);
    EXPECT_TRUE(host_.Calls().empty());
    bus_.Keyboard().Plug();
    ASSERT_TRUE(host_.WaitFor("refresh kb"));
    workers_.reset();
    const auto calls = host_.Calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "announce"), 0);
}

TEST_F(PresenceTest, RemovalFallsBackToAnotherDeviceOrReportsTheLast) {
    bus_.Keyboard().Plug();
    bus_.Mouse().Plug();
    bus_.MousePad().Plug();
    Start({DeviceKind::Keyboard, DeviceKind::Mouse, DeviceKind::MousePad});
    ASSERT_TRUE(host_.WaitFor("refresh kb"));
    ASSERT_TRUE(host_.WaitFor("refresh ms"));
    ASSERT_TRUE(host_.WaitFor("refresh mp"));
    for (int i = 0; i < 200 && !(host_.SameMode(DeviceKind::Keyboard) &&
                                 host_.SameMode(DeviceKind::MousePad));
         ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_TRUE(host_.SameMode(DeviceKind::Keyboard));

    host_.Clear();
    bus_.Mouse().Unplug();
    ASSERT_TRUE(host_.WaitFor("select kb focus"));
    EXPECT_FALSE(Link(DeviceKind::Mouse).IsConnected());
    EXPECT_FALSE(Link(DeviceKind::Mouse).syncLighting);

    bus_.Keyboard().Unplug();
    ASSERT_TRUE(host_.WaitFor("select mp"));
    // Only the pad is left: its same-mode control hides on its next pass.
    for (int i = 0; i < 200 && host_.SameMode(DeviceKind::MousePad); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_FALSE(host_.SameMode(DeviceKind::MousePad));

    bus_.MousePad().Unplug();
    ASSERT_TRUE(host_.WaitFor("hide window"));
    const auto calls = host_.Calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "last removed"), 0);
}

TEST_F(PresenceTest, LastKeyboardOrMouseRemovedIsReportedAndExitTextsWritten) {
    platform::DebugCapture debug;
    bus_.Mouse().Plug();
    Start({DeviceKind::Keyboard, DeviceKind::Mouse, DeviceKind::MousePad});
    ASSERT_TRUE(host_.WaitFor("refresh ms"));
    bus_.Mouse().Unplug();
    ASSERT_TRUE(host_.WaitFor("last removed"));
    EXPECT_EQ(workers_->Shutdown(10000), ShutdownOutcome::AllEnded);
    for (DeviceKind kind : device::kAllDeviceKinds) {
        EXPECT_TRUE(debug.Contains(PresenceExitText(kind)));
    }
}

TEST_F(PresenceTest, MatchingVendorButOtherCollectionIsOpenedAndClosedEveryPass) {
    bus_.Keyboard().Plug();
    // A link looking for a collection the keyboard does not have finds nothing, pass after pass.
    Link(DeviceKind::Keyboard).SetIdentity(device::kVendorId, device::kKeyboardProductId, 0x77,
                                           device::kVendorUsagePage);
    Start({DeviceKind::Keyboard});
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    workers_.reset();
    EXPECT_FALSE(Link(DeviceKind::Keyboard).IsConnected());
    EXPECT_FALSE(Link(DeviceKind::Keyboard).Channel().IsOpen());
    EXPECT_TRUE(host_.Calls().empty());
}

// Real hidraw code over listed nodes the system refuses to open, as it does without the udev
// rule. Tests run as root here, so the refusal comes from the backend's open seam.
std::atomic<int> gRefusal{EACCES};
std::atomic<int> gOpens{0};
int RefusingOpen(const char*, int) {
    ++gOpens;
    errno = gRefusal;
    return -1;
}

class ListedNodes : public device::HidrawEnumerator {
public:
    bool List(std::vector<device::HidrawNode>& nodes) override {
        nodes = {{"/dev/hidraw4", device::kVendorId, 0x1234, {}},  // another product of the vendor
                 {"/dev/hidraw7", device::kVendorId, device::kKeyboardProductId, {}}};
        return true;
    }
};

class DeniedHost : public RecordingHost {
public:
    using RecordingHost::RecordingHost;
    void DeviceAccessDenied(DeviceKind k) override { Add("denied " + KindName(k)); }
};

TEST(PresenceAccess, RefusedNodeIsLoggedOnceAndPollingGoesOn) {
    struct Case {
        int error;
        bool denied;
    };
    for (const Case c : {Case{EACCES, true}, Case{EPERM, true}, Case{ENOENT, false}, Case{EIO, false}}) {
        SCOPED_TRACE(c.error);
        gRefusal = c.error;
        gOpens = 0;
        platform::DebugCapture debug;
        device::HidrawBackend backend(std::make_unique<ListedNodes>(), RefusingOpen);
        device::DeviceLink link(backend);
        link.SetIdentity(device::kVendorId, device::kKeyboardProductId, device::kVendorUsage,
                         device::kVendorUsagePage);
        const DeviceLinks links{&link, &link, &link};
        std::array<device::DeviceState, 3> states;
        DeniedHost host(links, states);
        {
            WorkerSet workers;
            workers.Start(WorkerIndex::KeyboardPresence, [&](WorkerContext& ctx) {
                RunPresenceWatcher(DeviceKind::Keyboard, links, backend, host, ctx, {1, 5, 5, 1, 1});
            });
            // Both nodes are tried on every pass, pass after pass.
            for (int i = 0; i < 2000 && gOpens < 10; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        EXPECT_GE(gOpens, 10);
        EXPECT_FALSE(link.IsConnected());
        const auto calls = host.Calls();
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "denied kb"), c.denied ? 1 : 0);
        EXPECT_EQ(calls.size(), c.denied ? 1u : 0u);
        const std::string logged = "/dev/hidraw7#vid_1a2c&pid_4c5e cannot be opened: " +
                                   std::error_code(c.error, std::generic_category()).message();
        std::size_t lines = 0;
        for (const std::string& line : debug.Lines()) {
            if (line.find(logged) != std::string::npos) ++lines;
            EXPECT_EQ(line.find("/dev/hidraw4"), std::string::npos) << line;
        }
        EXPECT_EQ(lines, c.denied ? 1u : 0u);
    }
}

}  // namespace
}  // namespace corvane::workers
