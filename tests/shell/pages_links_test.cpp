// Application links end to end: linking in the profile panel, the process watchers switching
// the mouse's key profile as the program in front changes, and the same on a real X server.

#include "pages_fixture.h"

#include <atomic>
#include <functional>
#include <chrono>
#include <thread>
#include <mutex>

#include "profiles/process_watcher.h"
#include "../platform/x11_display.h"

namespace corvane::shell::testing {
namespace {

using platform::ForegroundApp;

// The program in front, as the test sets it; the watcher threads may read it at any time.
struct SettableForeground : platform::ForegroundProcess {
    std::string backend = "fake";
    std::string_view Backend() const override { return backend; }
    ForegroundApp Current() override {
        std::lock_guard lock(mutex);
        return app;
    }
    void Set(ForegroundApp a) {
        std::lock_guard lock(mutex);
        app = std::move(a);
    }
    std::mutex mutex;
    ForegroundApp app;
};

constexpr const char* kGame = "/opt/games/Game/game.bin";

// A real X server with a window manager stand-in: a program ("game", copied into games) with a
// window of its own, and a window of this process, which is put in front.
struct X11Desktop {
    explicit X11Desktop(const std::filesystem::path& games)
        : game(corvane::testing::CopySleeper(games, "game")), child({game, "60"}), wm(server.Display()) {
        if (!Ready()) return;
        gameWindow = wm.Window(static_cast<std::uint32_t>(child.Pid()));
        ownWindow = wm.Window(static_cast<std::uint32_t>(::getpid()));
        Activate(ownWindow);
    }
    bool Ready() const { return !server.Display().empty() && child.Pid() > 0 && wm.Ok(); }
    void Activate(xcb_window_t window) { wm.Activate(window); }

    corvane::testing::Xvfb server;
    std::string game;
    corvane::testing::ChildProcess child;
    corvane::testing::WindowManagerStandIn wm;
    xcb_window_t gameWindow = 0;
    xcb_window_t ownWindow = 0;
};
constexpr std::uint8_t kFirstKeyOf[] = {0x41, 0x42, 0x43};

class LinksTest : public PagesTest {
protected:
    // Mouse key profiles p0..p2 with their own first key byte; select = 1.
    void MouseKeyProfiles(const std::string& links) {
        WriteIndex(DeviceKind::Mouse, "[PROFILECOUNT]\ncount=3\n[PROFILENAME]\n0=p0\n1=p1\n2=p2\n"
                                      "[PROFILESELECT]\nselect=1\n" + links);
        for (int i = 0; i < 3; ++i) {
            WriteProfile(ProfileFamily::MsKey, "p" + std::to_string(i), [i](Bytes& p) { p[0] = kFirstKeyOf[i]; });
        }
    }
    SettableForeground* UseFakeForeground() {
        auto fake = std::make_unique<SettableForeground>();
        auto* raw = fake.get();
        foreground_ = std::move(fake);
        return raw;
    }
    void Pass(platform::ForegroundProcess& source) {
        ASSERT_TRUE(profiles::ProcessWatcherPass(ProfileFamily::MsKey, source, pages_->Links()));
    }
    std::uint8_t MouseFirstKey() { return Dev(DeviceKind::Mouse).Memory(virt::MemoryArea::Keys)[0]; }
    // Waits for the mouse's I/O queue without running the window's event loop, so that no
    // switch of the running watchers comes between the passes the test makes itself.
    bool MouseKeyBecomes(std::uint8_t value) {
        for (int waited = 0; waited < 3000 && MouseFirstKey() != value; waited += 2) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return MouseFirstKey() == value;
    }
    ui::ItemList* KeyList() { return window_->FindCombo("ms_key_profile_combo"); }
    void ChooseProgram(std::optional<std::string> path) {
        window_->SetFileDialogResponder([this, path](const ui::FileDialogRequest& r) {
            dialogs_.push_back(r);
            return path;
        });
    }
    void SetLinkCheck(const std::string& family, bool on) {
        auto* check = window_->FindOption(family + "_profile_link_check");
        ASSERT_NE(check, nullptr);
        check->SetSelected(on, /*notify=*/true);
    }
    // The mouse's device profiles: d0 the user's own (selected), d1 linked to program. While the
    // program is in front, a reconnect of the mouse, a slider and an upload all save into d1;
    // once it has left, d0 is byte for byte what it was.
    void SavesGoToTheLinkedProfile(const std::string& program, const std::function<void()>& programToFront,
                                   const std::function<void()>& programLeaves) {
        WriteIndex(DeviceKind::Mouse,
                   "[PROFILEDEVICECOUNT]\ncount=2\n[PROFILEDEVICENAME]\n0=d0\n1=d1\n[PROFILEDEVICESELECT]\n"
                   "select=0\n[PROFILELIKEDEVICEEXE]\n0=0\n1=1\n[DEVICEPROCESS]\n0=0\n1=" + program + "\n");
        WriteProfile(ProfileFamily::MsDevice, "d0", [](Bytes& p) { p[kMsBrightness] = 12; });
        WriteProfile(ProfileFamily::MsDevice, "d1", [](Bytes& p) { p[kMsBrightness] = 3; });
        Start({DeviceKind::Mouse});
        auto* list = window_->FindCombo("ms_device_profile_combo");
        ASSERT_TRUE(RunUntil([&] { return list->CurSel() == 0; }, 3000));
        const Bytes mine = ProfileBytes(ProfileFamily::MsDevice, "d0");

        programToFront();
        ASSERT_TRUE(RunUntil([&] { return list->CurSel() == 1; }, 3000));
        Flush();
        const Bytes linked = ProfileBytes(ProfileFamily::MsDevice, "d1");

        Dev(DeviceKind::Mouse).Unplug();
        ASSERT_TRUE(RunUntil([&] { return !main_->ArrivalComplete(DeviceKind::Mouse); }));
        Dev(DeviceKind::Mouse).Plug();
        ASSERT_TRUE(RunUntil([&] { return main_->ArrivalComplete(DeviceKind::Mouse); }));
        Flush();
        EXPECT_EQ(list->CurSel(), 1);
        Slide("ms_deng_speed_slider", 4);
        Click("ms_key_butt_prosave");
        Flush();
        EXPECT_EQ(ProfileBytes(ProfileFamily::MsDevice, "d0"), mine);
        EXPECT_NE(ProfileBytes(ProfileFamily::MsDevice, "d1"), linked);
        EXPECT_EQ(ProfileBytes(ProfileFamily::MsDevice, "d1")[kHeader + kMsBrightness], 3);

        programLeaves();
        ASSERT_TRUE(RunUntil([&] { return list->CurSel() == 0; }, 3000));
        Flush();
        EXPECT_EQ(ProfileBytes(ProfileFamily::MsDevice, "d0"), mine);
        EXPECT_EQ(profiles::ReadSelect(ProfileFamily::MsDevice), 0);
    }
    static constexpr std::size_t kMsBrightness = 512 + 2;
    std::vector<ui::FileDialogRequest> dialogs_;
};

TEST_F(LinksTest, LinkingStoresTheProgramAndRefusesOneLinkedAlready) {
    UseFakeForeground();
    MouseKeyProfiles("");
    Start({});
    PickItem("ms_key_profile_combo", 0);
    ChooseProgram(kGame);
    SetLinkCheck("ms_key", true);
    ASSERT_EQ(dialogs_.size(), 1u);
    EXPECT_EQ(dialogs_[0].mode, ui::FileDialogMode::Open);
    EXPECT_EQ(dialogs_[0].defaultName, "/usr/bin/");
    EXPECT_TRUE(profiles::ReadLinkFlag(ProfileFamily::MsKey, 0));
    EXPECT_EQ(profiles::ReadLinkedProgram(ProfileFamily::MsKey, 0), kGame);
    EXPECT_EQ(TextOf("ms_key_profile_link_edit"), "game.bin");
    EXPECT_TRUE(Find("ms_key_profile_link_name_hor")->IsVisible());

    // The same program, spelt otherwise, for profile 1: refused, and profile 1 stays unlinked.
    PickItem("ms_key_profile_combo", 1);
    EXPECT_FALSE(window_->FindOption("ms_key_profile_link_check")->IsSelected());
    EXPECT_FALSE(Find("ms_key_profile_link_name_hor")->IsVisible());
    ChooseProgram("/OPT/games/game/GAME.bin");
    SetLinkCheck("ms_key", true);
    EXPECT_EQ(Boxes("message_text_13"), 1);
    EXPECT_FALSE(window_->FindOption("ms_key_profile_link_check")->IsSelected());
    EXPECT_FALSE(profiles::ReadLinkFlag(ProfileFamily::MsKey, 1));
    EXPECT_EQ(profiles::ReadLinkedProgram(ProfileFamily::MsKey, 1), " ");

    // Cancelling the chooser, or a path that is not absolute, leaves no link.
    for (std::optional<std::string> chosen : {std::optional<std::string>(), std::optional<std::string>("game.bin")}) {
        ChooseProgram(chosen);
        SetLinkCheck("ms_key", true);
        EXPECT_FALSE(window_->FindOption("ms_key_profile_link_check")->IsSelected());
        EXPECT_FALSE(profiles::ReadLinkFlag(ProfileFamily::MsKey, 1));
    }

    // Back on profile 0 the link shows again; unchecking removes it.
    PickItem("ms_key_profile_combo", 0);
    EXPECT_TRUE(window_->FindOption("ms_key_profile_link_check")->IsSelected());
    EXPECT_EQ(TextOf("ms_key_profile_link_edit"), "game.bin");
    SetLinkCheck("ms_key", false);
    EXPECT_FALSE(profiles::ReadLinkFlag(ProfileFamily::MsKey, 0));
    EXPECT_EQ(profiles::ReadLinkedProgram(ProfileFamily::MsKey, 0), " ");
    EXPECT_FALSE(Find("ms_key_profile_link_name_hor")->IsVisible());
}

TEST_F(LinksTest, TheChangeButtonReplacesTheProgramWithoutTheDuplicateCheck) {
    UseFakeForeground();
    MouseKeyProfiles("[PROFILELIKEEXE]\n0=1\n[PROCESS]\n0=" + std::string(kGame) + "\n");
    Start({});
    PickItem("ms_key_profile_combo", 2);
    ChooseProgram(kGame);
    Click("ms_key_profile_link_btn");
    EXPECT_EQ(Boxes("message_text_13"), 0);
    EXPECT_TRUE(profiles::ReadLinkFlag(ProfileFamily::MsKey, 2));
    EXPECT_TRUE(window_->FindOption("ms_key_profile_link_check")->IsSelected());
}

TEST_F(LinksTest, TheWatcherSwitchesToTheLinkedProfileAndBackWithoutTouchingTheUsersChoice) {
    auto* front = UseFakeForeground();
    MouseKeyProfiles("[PROFILELIKEEXE]\n0=0\n1=0\n2=1\n[PROCESS]\n2=" + std::string(kGame) + "\n");
    Start({DeviceKind::Mouse});
    // At start-up the mouse key list gets the user's saved profile from its watcher.
    ASSERT_TRUE(corvane::testing::RunUntil([&] { return KeyList()->CurSel() == 1; }));

    front->Set({ForegroundApp::Status::Found, "/opt/games/game/GAME.BIN"});
    Pass(*front);
    EXPECT_EQ(KeyList()->CurSel(), 2);
    EXPECT_TRUE(MouseKeyBecomes(kFirstKeyOf[2]));
    EXPECT_EQ(profiles::ReadSelect(ProfileFamily::MsKey), 1);

    // The same program in another folder is another program.
    front->Set({ForegroundApp::Status::Found, "/home/me/Game/game.bin"});
    Pass(*front);
    EXPECT_EQ(KeyList()->CurSel(), 1);
    EXPECT_TRUE(MouseKeyBecomes(kFirstKeyOf[1]));
    EXPECT_EQ(profiles::ReadSelect(ProfileFamily::MsKey), 1);

    // Removing the link of the profile switched to: the next pass returns to the saved one.
    front->Set({ForegroundApp::Status::Found, kGame});
    Pass(*front);
    ASSERT_EQ(KeyList()->CurSel(), 2);
    SetLinkCheck("ms_key", false);
    Pass(*front);
    EXPECT_EQ(KeyList()->CurSel(), 1);

    // A foreground that cannot be read counts as none: the user's profile.
    ASSERT_TRUE(profiles::WriteFamilyLink(ProfileFamily::MsKey, 2, true, kGame));
    Pass(*front);
    ASSERT_EQ(KeyList()->CurSel(), 2);
    front->Set({ForegroundApp::Status::Failed, ""});
    Pass(*front);
    EXPECT_EQ(KeyList()->CurSel(), 1);
    EXPECT_TRUE(MouseKeyBecomes(kFirstKeyOf[1]));
}

TEST_F(LinksTest, APickByTheUserIsKeptAsTheirChoice) {
    auto* front = UseFakeForeground();
    MouseKeyProfiles("[PROFILELIKEEXE]\n2=1\n[PROCESS]\n2=" + std::string(kGame) + "\n");
    Start({});
    front->Set({ForegroundApp::Status::Found, kGame});
    Pass(*front);
    ASSERT_EQ(KeyList()->CurSel(), 2);
    PickItem("ms_key_profile_combo", 0);
    front->Set({});
    Pass(*front);
    EXPECT_EQ(KeyList()->CurSel(), 0);
    EXPECT_EQ(profiles::ReadSelect(ProfileFamily::MsKey), 0);
}

TEST_F(LinksTest, SavesWhileALinkedProfileIsInEffectGoIntoIt) {
    auto* front = UseFakeForeground();
    SavesGoToTheLinkedProfile(
        kGame, [&] { front->Set({ForegroundApp::Status::Found, kGame}); }, [&] { front->Set({}); });
}

TEST_F(LinksTest, DesktopsThatDoNotTellSayItInTheLinkPanel) {
    Start({});  // the fixture's source is "unknown"
    for (ProfileFamily family : profiles::kAllFamilies) {
        auto* check = Find(std::string(profiles::Family(family).id) + "_profile_link_check");
        EXPECT_TRUE(check->IsResourceText());
        EXPECT_EQ(check->Text(), "ui_link_unavailable");
    }
}

TEST_F(LinksTest, KnownDesktopsShowThePlainLinkCheck) {
    UseFakeForeground();
    Start({});
    EXPECT_EQ(Find("ms_key_profile_link_check")->Text(), "ui_link");
}

// The whole road on a real X server: a window manager marks a window active, the watcher reads
// its process and applies the linked mouse key profile.
TEST_F(LinksTest, AnActiveX11WindowOfALinkedProgramAppliesItsProfile) {
    if (!corvane::testing::Xvfb::Installed()) GTEST_SKIP() << "Xvfb is not installed";
    X11Desktop desktop(home_ / "games");
    ASSERT_TRUE(desktop.Ready());
    const std::string& game = desktop.game;

    // Profile 2 of the mouse's key list is linked to the game.
    WriteIndex(DeviceKind::Mouse, "[PROFILECOUNT]\ncount=2\n[PROFILENAME]\n0=p0\n1=p1\n[PROFILESELECT]\nselect=0\n"
                                  "[PROFILELIKEEXE]\n0=0\n1=1\n[PROCESS]\n0=0\n1=" + game + "\n");
    for (int i = 0; i < 2; ++i) {
        WriteProfile(ProfileFamily::MsKey, "p" + std::to_string(i), [i](Bytes& p) { p[0] = kFirstKeyOf[i]; });
    }
    foreground_ = platform::MakeX11Foreground(desktop.server.Display());
    Start({DeviceKind::Mouse});
    ASSERT_TRUE(corvane::testing::RunUntil([&] { return KeyList()->CurSel() == 0; }, 3000));

    desktop.Activate(desktop.gameWindow);
    EXPECT_TRUE(corvane::testing::RunUntil([&] { return MouseFirstKey() == kFirstKeyOf[1]; }, 3000));
    EXPECT_EQ(KeyList()->CurSel(), 1);
    EXPECT_EQ(profiles::ReadSelect(ProfileFamily::MsKey), 0);

    desktop.Activate(desktop.ownWindow);
    EXPECT_TRUE(corvane::testing::RunUntil([&] { return MouseFirstKey() == kFirstKeyOf[0]; }, 3000));
    EXPECT_EQ(KeyList()->CurSel(), 0);
}

// The same on a real X server: the user's own device profile comes through a reconnect, a slider
// and an upload made while a linked program is in front unchanged.
TEST_F(LinksTest, AnActiveX11WindowOfALinkedProgramKeepsItsSavesOutOfTheUsersProfile) {
    if (!corvane::testing::Xvfb::Installed()) GTEST_SKIP() << "Xvfb is not installed";
    X11Desktop desktop(home_ / "games");
    ASSERT_TRUE(desktop.Ready());
    const std::string& game = desktop.game;
    foreground_ = platform::MakeX11Foreground(desktop.server.Display());
    SavesGoToTheLinkedProfile(game, [&] { desktop.Activate(desktop.gameWindow); },
                              [&] { desktop.Activate(desktop.ownWindow); });
}

}  // namespace
}  // namespace corvane::shell::testing
