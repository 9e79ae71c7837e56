// Routing by name, slot switching and the upload buttons.

#include "pages_fixture.h"

#include "macros/macro_files.h"
#include "platform/debug_out.h"
#include "shell/routing.h"

namespace corvane::shell::testing {
namespace {

TEST(SplitIndexedNameTest, SplitsAtTheLastUnderscoreBeforeDigits) {
    struct Case {
        const char* name;
        std::optional<std::pair<std::string, int>> split;
    };
    const Case cases[] = {{"kb_dkey_37", std::pair<std::string, int>{"kb_dkey_", 37}},
                          {"MS_PROFILE_3", std::pair<std::string, int>{"MS_PROFILE_", 3}},
                          {"ms_DPI1_slider", std::nullopt},
                          {"ms_key_", std::nullopt},
                          {"ms_key_1a", std::nullopt},
                          {"renew_device", std::nullopt}};
    for (const Case& c : cases) {
        const auto split = SplitIndexedName(c.name);
        ASSERT_EQ(split.has_value(), c.split.has_value()) << c.name;
        if (split) {
            EXPECT_EQ(split->prefix, c.split->first) << c.name;
            EXPECT_EQ(split->index, c.split->second) << c.name;
        }
    }
}

TEST(RouterTest, FirstMatchingRowWinsAndRowsCanBeFilledLater) {
    corvane::testing::App();
    corvane::testing::TempSkin skin;
    std::string error;
    auto window = widgets::SkinWindow::LoadText(
        corvane::testing::WindowXml("<VerticalLayout><Button name=\"ms_bullet_op_2\"/><Button name=\"x_btn\"/>"
                                    "</VerticalLayout>"),
        skin.Dir(), &error);
    ASSERT_TRUE(window) << error;
    std::vector<std::string> ran;
    Router router;
    router.AddIndexed("click", "ms_bullet_op_", [&](int n, const ui::Notification&) { ran.push_back("op" + std::to_string(n)); },
                      /*thenExact=*/true);
    router.AddExact("click", "ms_bullet_op_2", [&](const ui::Notification&) { ran.push_back("exact"); });
    router.AddExact("click", "x_btn", Router::Handler{});
    router.AddExact("click", "x_btn", [&](const ui::Notification&) { ran.push_back("never"); });
    EXPECT_TRUE(router.Route({"click", window->Find("ms_bullet_op_2")}));
    EXPECT_TRUE(router.Route({"click", window->Find("x_btn")}));
    EXPECT_FALSE(router.Route({"itemselect", window->Find("x_btn")}));
    EXPECT_EQ(ran, (std::vector<std::string>{"op2", "exact"}));
    ASSERT_TRUE(router.SetHandler("click", "X_BTN", [&](const ui::Notification&) { ran.push_back("filled"); }));
    router.Route({"click", window->Find("x_btn")});
    EXPECT_EQ(ran.back(), "filled");
}

TEST_F(PagesTest, SlotButtonsSwitchTheMouseAndIgnoreSlotsPastFour) {
    platform::DebugCapture debug;
    Start({DeviceKind::Mouse, DeviceKind::MousePad});
    // The skin has slots 0..4; a control named past them reaches the switch all the same.
    Find("ms_profile_4")->SetName("ms_profile_7");
    Click("ms_profile_7");
    Flush();
    EXPECT_TRUE(debug.Contains("click ms_profile_7"));
    EXPECT_EQ(Dev(DeviceKind::Mouse).RequestCount(device::Command::ReadParamRecord), 0u);
    EXPECT_EQ(Params(DeviceKind::Mouse)[0], 0);

    // Upper case routes like lower case.
    auto* three = Find("ms_profile_3");
    three->SetName("MS_PROFILE_3");
    Raise("click", three);
    Flush();
    EXPECT_EQ(Params(DeviceKind::Mouse)[0], 3);
    EXPECT_EQ(Record(DeviceKind::Mouse)[0], 3);

    PickItem("mp_deng_combo_profile", 2);
    Flush();
    EXPECT_EQ(Params(DeviceKind::MousePad)[0], 2);
    EXPECT_EQ(Record(DeviceKind::MousePad)[0], 2);
}

TEST_F(PagesTest, HoverImagesAndNamedClicks) {
    platform::DebugCapture debug;
    Start({DeviceKind::Mouse});
    Raise("msenter", Find("ms_key_2"));
    EXPECT_EQ(Find("ms_key_2_0")->BkImage(), "file='ms/key_right_down.png'");
    Raise("msleave", Find("ms_key_2"));
    EXPECT_EQ(Find("ms_key_2_0")->BkImage(), "file='ms/key_right_normal.png'");
    Click("renew_device");
    EXPECT_TRUE(debug.Contains("12312312312312"));
}

TEST_F(PagesTest, SelectingAnotherTabWhileAMacroIsEditedKeepsTheMacroPage) {
    Start({DeviceKind::Keyboard, DeviceKind::Mouse});
    window_->FindOption("kb_tab")->SetSelected(true, true);
    Find("kb_macro_tab_saveorcancel")->SetVisible(true);
    window_->FindOption("ms_tab")->SetSelected(true, true);
    EXPECT_EQ(window_->FindTab("tab_switch")->CurPage(), 0);
    EXPECT_EQ(window_->FindTab("kb_tab_switch")->CurPage(), 1);
    EXPECT_TRUE(window_->FindOption("kb_tab")->IsSelected());
    EXPECT_EQ(Boxes("message_text_3"), 1);

    Find("kb_macro_tab_saveorcancel")->SetVisible(false);
    window_->FindOption("ms_tab")->SetSelected(true, true);
    EXPECT_EQ(window_->FindTab("tab_switch")->CurPage(), 1);
}

TEST_F(PagesTest, PadResetReadsThePadAgainAfterItComesBack) {
    Start({DeviceKind::MousePad});
    Slide("mp_deng_light_slider", 1);
    Flush();
    // The reset asks first; saying no leaves the pad alone.
    Click("mp_one_profile_default");
    EXPECT_EQ(Boxes("message_confirm_pad_reset"), 1);
    EXPECT_EQ(Dev(DeviceKind::MousePad).RequestCount(device::Command::ResetDevice), 0u);
    boxAnswer_ = ui::kMessageConfirmed;
    Click("mp_one_profile_default");
    Flush();
    EXPECT_EQ(Dev(DeviceKind::MousePad).RequestCount(device::Command::ResetDevice), 1u);
    // About a second later the pad's factory state is read and saved into its profile.
    ASSERT_TRUE(RunUntil([&] { return Record(DeviceKind::MousePad)[2] != 1; }, 3000));
    Flush();
    EXPECT_EQ(ProfileBytes(ProfileFamily::MpDeng, "新配置文件1")[kHeader + 2], Record(DeviceKind::MousePad)[2]);
}

// A keyboard macro of `steps` steps in the keyboard's macro files.
void WriteKeyboardMacro(const std::filesystem::path& folder, int steps) {
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "kbMacro.ini") << "[MACROCOUNT]\ncount=1\n[MACRONAME]\n0=big\n";
    std::ofstream mac(folder / "big.mac");
    mac << "[MACROACTIONCOUNT]\ncount=" << steps << "\n[MACROACTION]\n";
    for (int i = 0; i < steps; ++i) mac << i << "=10,0,1,4,1,a\n";
}

TEST_F(PagesTest, UploadTooLargeForTheDeviceShowsTheExcessAndSendsNothing) {
    const Bytes oneUnit{1};  // 128 bytes of macro memory
    Dev(DeviceKind::Keyboard).SetMemory(virt::MemoryArea::Info, 6, oneUnit);
    WriteKeyboardMacro(DeviceFolder(DeviceKind::Keyboard), 40);  // 16 + 6 + 160 = 182 bytes
    Start({DeviceKind::Keyboard});
    Click("kb_key_butt_prosave");
    Flush();
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_NE(boxes_[0].find("14"), std::string::npos) << boxes_[0];  // (182 - 128) / 4 + 1
    EXPECT_EQ(Dev(DeviceKind::Keyboard).RequestCount(device::Command::WriteMacroData), 0u);
    EXPECT_EQ(Dev(DeviceKind::Keyboard).RequestCount(device::Command::WriteKeyBank), 0u);
    EXPECT_TRUE(Find("setting_progress")->IsVisible());
    EXPECT_TRUE(main_->TimerActive(TimerId::Progress));
}

TEST_F(PagesTest, UploadSendsMacrosAndBankAndTellsWhenTheDeviceIsAbsent) {
    WriteKeyboardMacro(DeviceFolder(DeviceKind::Keyboard), 3);
    Start({DeviceKind::Keyboard});
    Click("kb_key_butt_prosave");
    Flush();
    EXPECT_TRUE(boxes_.empty());
    const Bytes macros = Dev(DeviceKind::Keyboard).Memory(virt::MemoryArea::Macros);
    ASSERT_GE(macros.size(), 34u);
    EXPECT_EQ(macros[0], 0xAA);
    EXPECT_EQ(macros[2], 34);
    EXPECT_GT(Dev(DeviceKind::Keyboard).RequestCount(device::Command::WriteKeyBank), 0u);
    EXPECT_EQ(ProfileBytes(ProfileFamily::KbKey, "Profile 1").size(), kHeader + 512);

    Dev(DeviceKind::Keyboard).Unplug();
    ASSERT_TRUE(RunUntil([&] { return !main_->Link(DeviceKind::Keyboard).IsConnected(); }));
    Click("kb_key_butt_prosave");
    Flush();
    EXPECT_EQ(Boxes("message_upload_failed"), 1);
}

// A device that answers every request but refuses them (status 0xFF or 0xFE), or whose writes
// fail, did not take the upload: the user is told, and the queue counts the failure.
TEST_F(PagesTest, UploadRefusedByTheDeviceIsReportedAsFailed) {
    WriteKeyboardMacro(DeviceFolder(DeviceKind::Keyboard), 3);
    Start({DeviceKind::Keyboard});
    for (const virt::FaultKind fault : {virt::FaultKind::StatusError, virt::FaultKind::StatusBusy}) {
        SCOPED_TRACE(std::string(virt::FaultName(fault)));
        boxes_.clear();
        main_->Queue(DeviceKind::Keyboard).ResetStats();
        Dev(DeviceKind::Keyboard).InjectFaultFromNow(fault, 1, virt::kEveryPacket);
        Click("kb_key_butt_prosave");
        Flush();
        Dev(DeviceKind::Keyboard).ClearFaults();
        EXPECT_EQ(Boxes("message_upload_failed"), 1);
        EXPECT_GE(main_->Queue(DeviceKind::Keyboard).GetStats().failures, 1u);
    }
}

}  // namespace
}  // namespace corvane::shell::testing
