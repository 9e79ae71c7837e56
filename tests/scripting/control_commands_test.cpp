// The script commands against the main window on the real skin and the virtual devices.

#include "scripting/control_commands.h"
#include "scripting/command_syntax.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/instance_socket.h"
#include "app_fixture.h"
#include "qt_fixture.h"
#include "shell/main_wnd.h"
#include "widgets/skin_window.h"
#include "virtual/virtual_hid_bus.h"

namespace corvane::scripting {
namespace {

using device::DeviceKind;
using shell::CMainWnd;
using shell::PageHooks;
using widgets::SkinWindow;
using testing::Event;

bool RunUntil(const std::function<bool()>& pred, int limitMs = 10000) {
    return testing::RunUntil(pred, limitMs);
}

// A command line run from a thread of its own, as the socket's connection threads do.
class Pending {
public:
    Pending(ControlCommands& commands, std::string line)
        : thread_([this, &commands, line = std::move(line)] {
              reply_ = commands.Handle(line);
              done_.store(true);
          }) {}
    ~Pending() {
        if (thread_.joinable()) thread_.join();
    }
    bool Done() const { return done_.load(); }
    std::string Reply() {
        EXPECT_TRUE(RunUntil([this] { return Done(); }));
        if (thread_.joinable()) thread_.join();
        return reply_;
    }

private:
    std::string reply_;
    std::atomic<bool> done_{false};
    std::thread thread_;
};

class ControlCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::App();
        tempHome_ = std::make_unique<testing::TempHome>("ctl-home");
        home_ = tempHome_->Path();

        bus_ = std::make_unique<virt::VirtualHidBus>(std::nullopt, /*pluggedIn=*/false);
        bus_->Device(DeviceKind::Keyboard).Plug();
        std::string error;
        window_ = SkinWindow::Load(testing::BinFolder() / "skin", "XML_MAIN", &error);
        ASSERT_TRUE(window_) << error;
        main_ = std::make_unique<CMainWnd>(*window_, *bus_, testing::QuickMainWndOptions());
        PageHooks hooks;
        hooks.route = [this](const ui::Notification& n) { Route(n); };
        main_->SetPageHooks(hooks);
        commands_ = std::make_unique<ControlCommands>(*window_, main_.get());
        window_->Launch(false);
        ASSERT_EQ(Run("wait connected kb 10000"), "ok");
        // The routing of the pages is not part of this window: lists get rows here.
        auto* combo = window_->FindCombo("kb_deng_profile_combo");
        ASSERT_NE(combo, nullptr);
        for (const char* name : {"First", "Second", "Third"}) combo->AddLabelRow(name, std::string("u_") + name);
        // The profile panel opens through the pages' routing too.
        ASSERT_NE(window_->Find("kb_profile_fun_spead_tab"), nullptr);
        window_->Find("kb_profile_fun_spead_tab")->SetVisible(true);
        ASSERT_EQ(Run("wait idle"), "ok");
        events_.clear();
    }
    void TearDown() override {
        commands_.reset();
        main_.reset();
        window_.reset();
        bus_.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        tempHome_.reset();
    }

    void Route(const ui::Notification& n) {
        if (n.type == "msenter" || n.type == "msleave") {
            if (!recordHover_) return;
        }
        events_.push_back({n.type, n.sender ? n.sender->Name() : std::string(), n.param});
        if (onRoute_) onRoute_(n);
    }

    std::string Run(const std::string& line) { return Pending(*commands_, line).Reply(); }

    // The state part of a get reply.
    std::string State(const std::string& name) { return Run("get " + name); }

    std::unique_ptr<testing::TempHome> tempHome_;
    std::filesystem::path home_;
    std::unique_ptr<virt::VirtualHidBus> bus_;
    std::unique_ptr<SkinWindow> window_;
    std::unique_ptr<CMainWnd> main_;
    std::unique_ptr<ControlCommands> commands_;
    std::vector<Event> events_;
    bool recordHover_ = true;
    std::function<void(const ui::Notification&)> onRoute_;
};

TEST_F(ControlCommandsTest, EachActionRaisesWhatThePersonsActionRaises) {
    // The macro list sits on the keyboard's macro page; the routing that switches it is the
    // pages' own, so the page is selected directly.
    window_->FindTab("kb_tab_switch")->SelectPage(1);
    auto* list = window_->FindList("kb_Macro_list");
    ASSERT_NE(list, nullptr);
    list->AddLabelRow("one", "1");
    list->AddLabelRow("two", "2");
    window_->FindTab("kb_tab_switch")->SelectPage(0);

    struct Case {
        std::string line;
        std::vector<Event> expected;
    };
    const std::vector<Case> cases = {
        {"click kb_pro_deng_add_btn", {{"click", "kb_pro_deng_add_btn", 0}}},
        {"select kb_deng_profile_link_check on",
         {{"click", "kb_deng_profile_link_check", 0}, {"selectchanged", "kb_deng_profile_link_check", 0}}},
        {"select kb_deng_profile_link_check on", {}},
        {"select kb_deng_profile_link_check off",
         {{"click", "kb_deng_profile_link_check", 0}, {"selectchanged", "kb_deng_profile_link_check", 0}}},
        {"item kb_deng_profile_combo 1", {{"itemselect", "kb_deng_profile_combo", 1}}},
        {"item kb_deng_profile_combo 1", {}},
        {"text kb_Deng_edit_R 200", {{"textchanged", "kb_Deng_edit_R", 0}}},
        {"value kb_deng_light_slider 3", {{"valuechanged", "kb_deng_light_slider", 3}}},
        {"value kb_deng_light_slider 5 drag", {{"movevaluechanged", "kb_deng_light_slider", 5}}},
        {"value kb_deng_light_slider 5 drag", {}},
        {"color kb_deng_Color_Pallet #FF0000", {{"colorchanged", "kb_deng_Color_Pallet", 0xFFFF0000}}},
        {"hover kb_pro_deng_add_btn enter", {{"msenter", "kb_pro_deng_add_btn", 0}}},
        {"hover kb_pro_deng_add_btn leave", {{"msleave", "kb_pro_deng_add_btn", 0}}},
    };
    for (const Case& c : cases) {
        events_.clear();
        EXPECT_EQ(Run(c.line), "ok") << c.line;
        EXPECT_EQ(events_, c.expected) << c.line;
    }

    EXPECT_EQ(window_->FindCombo("kb_deng_profile_combo")->CurSel(), 1);
    EXPECT_EQ(window_->Find("kb_Deng_edit_R")->Text(), "200");
    EXPECT_EQ(window_->FindSlider("kb_deng_light_slider")->Value(), 5);
    EXPECT_FALSE(window_->FindOption("kb_deng_profile_link_check")->IsSelected());

    // A list row pressed with the mouse selects it and reports the click on the row.
    window_->FindTab("kb_tab_switch")->SelectPage(1);
    events_.clear();
    EXPECT_EQ(Run("item-click kb_Macro_list 1"), "ok");
    ASSERT_EQ(events_.size(), 2u);
    EXPECT_EQ(events_[0], (Event{"itemselect", "kb_Macro_list", 1}));
    EXPECT_EQ(events_[1].type, "itemclick");
    EXPECT_EQ(events_[1].param, 1);
}

TEST_F(ControlCommandsTest, RefusedCommandsReplyWithAnErrorAndChangeNothing) {
    window_->Find("kb_pro_deng_add_btn")->SetEnabled(false);
    const std::vector<std::string> watched = {"kb_deng_light_slider", "kb_deng_profile_combo",
                                              "kb_deng_Color_Pallet", "kb_Deng_edit_R", "kb_Macro_list"};
    std::vector<std::string> before;
    for (const auto& name : watched) before.push_back(State(name));

    struct Case {
        std::string line;
        std::string reply;
    };
    const std::vector<Case> cases = {
        {"click no_such_control", "error: no control \"no_such_control\""},
        {"get no_such_control", "error: no control \"no_such_control\""},
        {"value kb_deng_Color_Pallet 3", "error: not a slider"},
        {"value kb_deng_light_slider 16", "error: 16 is outside 0..15"},
        {"value kb_deng_light_slider x", "error: usage: value NAME V [drag]"},
        {"text kb_deng_light_slider 7", "error: \"kb_deng_light_slider\" is not an edit"},
        {"item kb_deng_light_slider 0", "error: \"kb_deng_light_slider\" is not a list or combo"},
        {"item kb_deng_profile_combo 3", "error: no item 3"},
        {"color kb_deng_Color_Pallet red", "error: usage: color NAME #RRGGBB"},
        {"color kb_deng_light_slider #00FF00", "error: \"kb_deng_light_slider\" is not a palette"},
        {"click kb_deng_light_slider", "error: \"kb_deng_light_slider\" is not clickable"},
        {"click kb_pro_deng_add_btn", "error: \"kb_pro_deng_add_btn\" is disabled"},
        // On the macro page, which is not the one showing.
        {"item-click kb_Macro_list 0", "error: \"kb_Macro_list\" is hidden"},
        {"select kb_tab off", "error: \"kb_tab\" is in a group: select another option instead"},
        {"answer confirm", "error: no message box is open"},
        {"wait connected xx", "error: usage: wait connected kb|ms|mp [MS]"},
        {"frobnicate now", "error: unknown command \"frobnicate\""},
        // This window runs without virtual devices, as on real hardware.
        {"virtual kb state", "error: no virtual devices"},
        {"", "error: empty command"},
    };
    for (const Case& c : cases) EXPECT_EQ(Run(c.line), c.reply) << c.line;
    EXPECT_TRUE(events_.empty());
    for (std::size_t i = 0; i < watched.size(); ++i) EXPECT_EQ(State(watched[i]), before[i]) << watched[i];
}

// corvane-ctl --help prints the command table: every verb in it is one the dispatcher serves,
// and its usage errors quote the table.
TEST_F(ControlCommandsTest, EveryListedVerbIsServedAndQuotesItsUsage) {
    for (const CommandSyntax& c : kCommandSyntax) {
        // Bare, except quit, which would end the program.
        const std::string reply = Run(c.verb == "quit" ? "quit now" : std::string(c.verb));
        EXPECT_EQ(reply.find("unknown command"), std::string::npos) << c.verb << ": " << reply;
        if (reply.rfind("error: usage: ", 0) == 0) {
            EXPECT_EQ(reply, UsageError(c.verb)) << c.verb;
        }
    }
    EXPECT_EQ(FindCommand("frobnicate"), nullptr);
}

TEST_F(ControlCommandsTest, GetDescribesTheControl) {
    window_->FindSlider("kb_deng_light_slider")->SetValue(7);
    auto* key = window_->Find("kb_dkey_0");
    ASSERT_NE(key, nullptr);
    key->SetOverlayColour(0xFF102030);
    key->SetOverlayAlpha(128);
    window_->FindCombo("kb_deng_profile_combo")->SelectItem(2, false);

    const std::string slider = State("KB_DENG_LIGHT_SLIDER");
    EXPECT_EQ(slider.rfind("ok {", 0), 0u) << slider;
    EXPECT_NE(slider.find("\"kind\":\"Slider\""), std::string::npos) << slider;
    EXPECT_NE(slider.find("\"value\":7,\"min\":0,\"max\":15"), std::string::npos) << slider;
    const std::string combo = State("kb_deng_profile_combo");
    EXPECT_NE(combo.find("\"current\":2"), std::string::npos) << combo;
    EXPECT_NE(combo.find("{\"text\":\"Second\",\"userdata\":\"u_Second\"}"), std::string::npos) << combo;
    const std::string overlay = State("kb_dkey_0");
    EXPECT_NE(overlay.find("\"overlay\":{\"enabled\":true,\"colour\":\"#102030\",\"alpha\":128}"),
              std::string::npos)
        << overlay;
    EXPECT_NE(State("kb_deng_Color_Pallet").find("\"colour\":\"#"), std::string::npos);
    EXPECT_NE(State("kb_tab").find("\"selected\":true"), std::string::npos);
}

TEST_F(ControlCommandsTest, DevicesAndWaits) {
    const std::string devices = Run("devices");
    EXPECT_NE(devices.find("\"kb\":{\"connected\":true,\"ready\":true,\"vendor\":\"1a2c\",\"product\":\"4c5e\""),
              std::string::npos)
        << devices;
    EXPECT_NE(devices.find("\"ms\":{\"connected\":false"), std::string::npos) << devices;
    EXPECT_EQ(Run("wait connected ms 30"), "error: timeout");

    bus_->Device(DeviceKind::Mouse).Plug();
    EXPECT_EQ(Run("wait connected ms 10000"), "ok");
    EXPECT_NE(Run("devices").find("\"ms\":{\"connected\":true,\"ready\":true"), std::string::npos);

    // A lighting record waiting for the flush is sent before the window counts as idle.
    main_->LightingPending(DeviceKind::Keyboard).store(true);
    main_->ScheduleLightingFlush();
    EXPECT_EQ(Run("wait idle 5000"), "ok");
    EXPECT_FALSE(main_->LightingPending(DeviceKind::Keyboard).load());
    // ...and so is a request on a device queue, with its result.
    bool delivered = false;
    main_->Queue(DeviceKind::Keyboard).Submit("probe", [](device::DeviceLink& link) {
        return link.EnterSettingMode();
    }, [&](int) { delivered = true; });
    EXPECT_EQ(Run("wait idle 5000"), "ok");
    EXPECT_TRUE(delivered);
}

TEST_F(ControlCommandsTest, StatsTellStallsQueuesAndWritesAndReset) {
    main_->Queue(DeviceKind::Mouse).Submit("silent", [](device::DeviceLink&) { return device::kNoAnswer; });
    EXPECT_EQ(Run("wait idle 5000"), "ok");
    const std::string stats = Run("stats");
    EXPECT_EQ(stats.rfind("ok {\"uiMaxStallMs\":", 0), 0u) << stats;
    EXPECT_NE(stats.find("\"uiStallsOver50ms\":"), std::string::npos) << stats;
    EXPECT_NE(stats.find("\"ms\":{\"depth\":0,\"maxDepth\":1,\"requests\":1,\"failures\":1,"
                         "\"lastFailure\":\"silent: 0\""),
              std::string::npos)
        << stats;
    EXPECT_NE(stats.find("\"writer\":{\"written\":"), std::string::npos) << stats;
    EXPECT_EQ(Run("stats reset"), "ok");
    EXPECT_NE(Run("stats").find("\"ms\":{\"depth\":0,\"maxDepth\":0,\"requests\":0,\"failures\":0"),
              std::string::npos);
    EXPECT_EQ(Run("stats now"), UsageError("stats"));
}

TEST_F(ControlCommandsTest, MessageBoxesAreAnsweredAutomaticallyOrByTheScriptThatOpenedThem) {
    std::vector<int> results;
    onRoute_ = [&](const ui::Notification& n) {
        if (n.type != "click" || n.sender->Name() != "kb_pro_deng_add_btn") return;
        ui::MessageBoxRequest box;
        box.textId = "message_text_16";
        results.push_back(window_->ShowMessageBox(box));
    };

    EXPECT_EQ(Run("boxes auto confirm"), "ok");
    EXPECT_EQ(Run("click kb_pro_deng_add_btn"), "ok boxes=message_text_16");
    EXPECT_EQ(Run("boxes auto cancel"), "ok");
    EXPECT_EQ(Run("click kb_pro_deng_add_btn"), "ok boxes=message_text_16");
    EXPECT_EQ(results, (std::vector<int>{ui::kMessageConfirmed, ui::kMessageDismissed}));

    // Left open, the box waits for an answer: the click replies at once with its id, and the same
    // script, one command after the other, looks at it and answers it. The box's loop runs on
    // this thread, so the script runs on a thread of its own.
    results.clear();
    std::vector<std::string> got;
    std::atomic<bool> finished{false};
    constexpr std::size_t kShown = 49;  // enough of get's reply to know it is the button's state
    std::thread script([&] {
        for (const char* line : {"boxes auto off", "click kb_pro_deng_add_btn", "boxes", "click kb_pro_deng_add_btn",
                                 "wait idle 30", "get kb_pro_deng_add_btn", "answer confirm", "wait idle 5000",
                                 "boxes"}) {
            got.push_back(commands_->Handle(line).substr(0, kShown));
        }
        finished = true;
    });
    // A click that held its script until the answer would hold it, and this thread with the box's
    // loop, for good: another connection answers after a while so the test ends.
    std::thread rescue([&] {
        for (int i = 0; !finished; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (i >= 1500 && i % 10 == 0) commands_->Handle("answer cancel");
        }
    });
    EXPECT_TRUE(RunUntil([&] { return finished.load(); }, 20000));
    script.join();
    rescue.join();
    const std::vector<std::string> expected = {
        "ok",
        "ok boxes=message_text_16 open=message_text_16",
        "ok {\"open\":[\"message_text_16\"],\"auto\":\"off\"}",
        "error: busy",
        "error: timeout",
        "ok {\"name\":\"kb_pro_deng_add_btn\",\"kind\":\"Button\",",
        "ok",
        "ok",
        "ok {\"open\":[],\"auto\":\"off\"}",
    };
    EXPECT_EQ(got, expected);
    // The click ran on to its end with the answer.
    EXPECT_EQ(results, std::vector<int>{ui::kMessageConfirmed});
}

// A box no script asked for (at start-up, or after a real click) is shown to the user, and a
// script sees it all the same: listed, in the way of actions, answerable; a box raised while it
// is open still takes the automatic answer.
TEST_F(ControlCommandsTest, BoxesTheProgramRaisesByItselfAreListedAndAnswerable) {
    std::vector<int> results;  // UI thread
    std::atomic<int> answered{0};
    auto raise = [&](const char* id) {
        window_->Post([&, id] {
            ui::MessageBoxRequest box;
            box.textId = id;
            results.push_back(window_->ShowMessageBox(box));
            ++answered;
        });
    };
    raise("message_text_11");
    std::vector<std::string> got;
    std::atomic<bool> finished{false};
    std::thread script([&] {
        std::string listed;
        for (int i = 0; i < 1000 && listed.find("message_text_11") == std::string::npos; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            listed = commands_->Handle("boxes");
        }
        got.push_back(listed);
        got.push_back(commands_->Handle("click kb_pro_deng_add_btn"));
        got.push_back(commands_->Handle("boxes auto confirm"));
        raise("message_text_12");
        for (int i = 0; i < 1000 && answered == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        got.push_back(commands_->Handle("boxes"));
        got.push_back(commands_->Handle("answer confirm"));
        got.push_back(commands_->Handle("wait idle 5000"));
        got.push_back(commands_->Handle("boxes"));
        finished = true;
    });
    // Should the box never be answered, it is closed after a while so that the test ends.
    std::thread rescue([&] {
        for (int i = 0; i < 1500 && !finished; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!finished) window_->Post([&] { window_->AnswerOwnMessageBox(ui::kMessageDismissed); });
    });
    EXPECT_TRUE(RunUntil([&] { return finished.load(); }, 30000));
    script.join();
    rescue.join();
    const std::vector<std::string> expected = {
        "ok {\"open\":[\"message_text_11\"],\"auto\":\"off\"}",
        "error: busy",
        "ok",
        "ok {\"open\":[\"message_text_11\"],\"auto\":\"confirm\"}",
        "ok",
        "ok",
        "ok {\"open\":[],\"auto\":\"confirm\"}",
    };
    EXPECT_EQ(got, expected);
    EXPECT_EQ(results, (std::vector<int>{ui::kMessageConfirmed, ui::kMessageConfirmed}));
}

TEST_F(ControlCommandsTest, FileDialogsTakeTheAnswerGivenBefore) {
    std::vector<std::optional<std::string>> results;
    onRoute_ = [&](const ui::Notification& n) {
        if (n.type != "click" || n.sender->Name() != "kb_pro_deng_add_btn") return;
        ui::FileDialogRequest request;
        request.mode = ui::FileDialogMode::Save;
        request.defaultExtension = "mcr";
        results.push_back(window_->ShowFileDialog(request));
    };
    EXPECT_EQ(Run("dialog /tmp/some folder/macro"), "ok");
    EXPECT_EQ(Run("click kb_pro_deng_add_btn"), "ok dialogs=save");
    EXPECT_EQ(Run("dialog cancel"), "ok");
    EXPECT_EQ(Run("click kb_pro_deng_add_btn"), "ok dialogs=save");
    // Nothing given: a dialog a script cannot see is cancelled rather than left open.
    EXPECT_EQ(Run("click kb_pro_deng_add_btn"), "ok dialogs=save");
    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(results[0], std::optional<std::string>("/tmp/some folder/macro.mcr"));
    EXPECT_EQ(results[1], std::nullopt);
    EXPECT_EQ(results[2], std::nullopt);
}

TEST_F(ControlCommandsTest, QuitClosesTheProgramAndLaterCommandsAreRefused) {
    EXPECT_EQ(Run("quit"), "ok");
    EXPECT_TRUE(main_->Destroyed());
    EXPECT_EQ(Run("get kb_tab"), "error: shutting down");
    EXPECT_EQ(Run("wait idle"), "error: shutting down");
}

// Through the socket, as corvane-ctl talks to the program: a burst written without waiting for
// the replies comes back complete and in order.
TEST_F(ControlCommandsTest, BurstOfGetsOverTheSocketIsAnsweredInOrder) {
    char folderTemplate[] = "/tmp/corvane-burst-XXXXXX";
    ASSERT_NE(::mkdtemp(folderTemplate), nullptr);
    const std::string folder = folderTemplate;
    platform::InstanceServer server;
    ASSERT_EQ(server.Claim("TORVLINKDRVER", folder), platform::InstanceClaim::First);
    ASSERT_TRUE(server.Serve([this](std::string_view line) { return commands_->Handle(line); }));

    constexpr int kCount = 10000;
    constexpr int kKeys = 100;
    std::vector<std::string> replies;
    std::atomic<bool> done{false};
    double elapsedMs = 0;
    std::thread client([&] {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strcpy(addr.sun_path, (folder + "/TORVLINKDRVER").c_str());
        if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
            ::close(fd);
            done = true;
            return;
        }
        std::string out;
        for (int i = 0; i < kCount; ++i) out += "get kb_dkey_" + std::to_string(i % kKeys) + "\n";
        const auto start = std::chrono::steady_clock::now();
        std::size_t sent = 0;
        std::string in;
        while (replies.size() < static_cast<std::size_t>(kCount)) {
            pollfd p{fd, static_cast<short>(POLLIN | (sent < out.size() ? POLLOUT : 0)), 0};
            if (::poll(&p, 1, 10000) <= 0) break;
            if ((p.revents & POLLOUT) && sent < out.size()) {
                const ssize_t n = ::send(fd, out.data() + sent, out.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
                if (n > 0) sent += static_cast<std::size_t>(n);
            }
            if (p.revents & (POLLIN | POLLHUP)) {
                char chunk[65536];
                const ssize_t n = ::recv(fd, chunk, sizeof chunk, MSG_DONTWAIT);
                if (n <= 0) break;
                in.append(chunk, static_cast<std::size_t>(n));
                std::size_t nl;
                while ((nl = in.find('\n')) != std::string::npos) {
                    replies.push_back(in.substr(0, nl));
                    in.erase(0, nl + 1);
                }
            }
        }
        elapsedMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        ::close(fd);
        done = true;
    });
    // Driven by the event loop alone, as in the program, so the figure is the channel's own.
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done.load()) loop.quit();
    });
    poll.start(5);
    loop.exec();
    client.join();
    server.Stop();
    std::filesystem::remove_all(folder);

    ASSERT_EQ(replies.size(), static_cast<std::size_t>(kCount));
    for (int i = 0; i < kCount; ++i) {
        const std::string name = "\"name\":\"kb_dkey_" + std::to_string(i % kKeys) + "\"";
        ASSERT_NE(replies[i].find(name), std::string::npos) << i << ": " << replies[i];
    }
    std::printf("[ burst    ] %d get commands answered in %.0f ms (%.1f us each)\n", kCount, elapsedMs,
                elapsedMs * 1000.0 / kCount);
    RecordProperty("burst_ms", static_cast<int>(elapsedMs));
}

}  // namespace
}  // namespace corvane::scripting
