// Lighting pages end to end: controls, profile files and device memory.

#include "pages_fixture.h"

namespace corvane::shell::testing {
namespace {

constexpr std::size_t kMode = 1, kBrightness = 2, kSpeed = 3, kSeven = 5, kRed = 6, kGreen = 7, kBlue = 8;

TEST_F(PagesTest, KeyboardPaletteColourReachesDeviceAndProfileWithinOneFlush) {
    Start({DeviceKind::Keyboard});
    // A mode with a single colour.
    PickItem("kb_deng_combo_modeSelect", 2);
    Flush();
    Dev(DeviceKind::Keyboard).ClearRequests();

    PickColour("kb_deng_Color_Pallet", 0xFF102030);
    Flush();
    const Bytes params = Params(DeviceKind::Keyboard);
    EXPECT_EQ(params[kRed], 0x10);
    EXPECT_EQ(params[kGreen], 0x20);
    EXPECT_EQ(params[kBlue], 0x30);
    EXPECT_EQ(params[kSeven], 0);
    EXPECT_EQ(TextOf("kb_Deng_edit_G"), "32");
    EXPECT_EQ(Find("kb_Deng_colordp_btn")->BkColour(), 0xFF102030u);

    const Bytes file = ProfileBytes(ProfileFamily::KbDeng, "Profile 1");
    ASSERT_EQ(file.size(), 1974u);
    EXPECT_EQ(file[profiles::kHeaderDeviceKindOffset], 1);
    EXPECT_EQ(file[kHeader + kRed], 0x10);
    EXPECT_EQ(file[kHeader + kBlue], 0x30);

    // Two changes between two ticks travel as one record.
    Dev(DeviceKind::Keyboard).ClearRequests();
    PickColour("kb_deng_Color_Pallet", 0xFF405060);
    Slide("kb_deng_light_slider", 1);
    Flush();
    QCoreApplication::processEvents();
    EXPECT_EQ(Dev(DeviceKind::Keyboard).RequestCount(device::Command::WriteParamRecord), 1u);
    EXPECT_EQ(Params(DeviceKind::Keyboard)[kRed], 0x40);
    EXPECT_EQ(Params(DeviceKind::Keyboard)[kBrightness], 1);
}

TEST_F(PagesTest, SpeedSlidersStoreTheInverseValue) {
    Start({DeviceKind::Keyboard, DeviceKind::Mouse});
    struct Case {
        DeviceKind kind;
        const char* slider;
        int value;
        std::uint8_t stored;
    };
    for (const Case& c : {Case{DeviceKind::Keyboard, "kb_deng_speed_slider", 0, 3},
                          Case{DeviceKind::Keyboard, "kb_deng_speed_slider", 3, 0},
                          Case{DeviceKind::Mouse, "ms_deng_speed_slider", 14, 0},
                          Case{DeviceKind::Mouse, "ms_deng_speed_slider", 4, 10}}) {
        Slide(c.slider, c.value);
        Flush();
        EXPECT_EQ(Record(c.kind)[kSpeed], c.stored) << c.slider << " " << c.value;
        EXPECT_EQ(Params(c.kind)[kSpeed], c.stored) << c.slider << " " << c.value;
    }
    EXPECT_EQ(ProfileBytes(ProfileFamily::MsDeng, "新配置文件1")[kHeader + kSpeed], 10);
}

TEST_F(PagesTest, ColourEditsClampTo255) {
    Start({DeviceKind::Keyboard, DeviceKind::MousePad});
    PickItem("kb_deng_combo_modeSelect", 2);
    for (DeviceKind kind : {DeviceKind::Keyboard, DeviceKind::MousePad}) {
        const std::string edit = kind == DeviceKind::Keyboard ? "kb_Deng_edit_R" : "mp_Deng_edit_R";
        Type(edit, "300");
        Flush();
        EXPECT_EQ(TextOf(edit), "255");
        EXPECT_EQ(Record(kind)[kRed], 255);
        EXPECT_EQ(Params(kind)[kRed], 255);
    }
    // The keyboard edits also drop leading zeros and read an empty text as 0.
    Type("kb_Deng_edit_G", "007");
    EXPECT_EQ(TextOf("kb_Deng_edit_G"), "7");
    Type("kb_Deng_edit_B", "");
    EXPECT_EQ(TextOf("kb_Deng_edit_B"), "0");
    EXPECT_EQ(Record(DeviceKind::Keyboard)[kGreen], 7);
    EXPECT_EQ(ProfileBytes(ProfileFamily::MpDeng, "新配置文件1")[kHeader + kRed], 255);
}

TEST_F(PagesTest, SameModeFromTheMouseCopiesItsEffectAndLaterChangesStayLocal) {
    Start({DeviceKind::Keyboard, DeviceKind::Mouse, DeviceKind::MousePad});
    PickItem("ms_deng_combo_modeSelect1", 2);
    Slide("ms_deng_light_slider", 3);
    PickColour("ms_deng_Color_Pallet", 0xFF0A0B0C);
    Flush();
    for (DeviceKind kind : device::kAllDeviceKinds) Dev(kind).ClearRequests();
    Click("ms_deng_same_mode");
    // The synchronised effect takes over until the next parameter write; same-mode itself sends
    // no record, so it holds past the next flushes.
    Flush();
    QCoreApplication::processEvents();
    for (DeviceKind kind : device::kAllDeviceKinds) {
        EXPECT_TRUE(main_->Link(kind).syncLighting);
        EXPECT_EQ(Dev(kind).RequestCount(device::Command::WriteParamRecord), 0u);
    }
    const auto mouse = Record(DeviceKind::Mouse);
    for (DeviceKind kind : {DeviceKind::Keyboard, DeviceKind::MousePad}) {
        const auto other = Record(kind);
        for (std::size_t i = kMode; i <= kBlue; ++i) EXPECT_EQ(other[i], mouse[i]) << i;
    }
    EXPECT_EQ(ProfileBytes(ProfileFamily::MpDeng, "新配置文件1")[kHeader + kRed], 0x0A);
    EXPECT_EQ(ProfileBytes(ProfileFamily::KbDeng, "Profile 1")[kHeader + kMode], 2);

    for (DeviceKind kind : device::kAllDeviceKinds) Dev(kind).ClearRequests();
    Slide("kb_deng_light_slider", 1);
    Flush();
    QCoreApplication::processEvents();
    EXPECT_EQ(Record(DeviceKind::Keyboard)[kBrightness], 1);
    EXPECT_EQ(Record(DeviceKind::Mouse)[kBrightness], 3);
    EXPECT_EQ(Record(DeviceKind::MousePad)[kBrightness], 3);
    EXPECT_EQ(Dev(DeviceKind::Keyboard).RequestCount(device::Command::WriteParamRecord), 1u);
    EXPECT_EQ(Dev(DeviceKind::Mouse).RequestCount(device::Command::WriteParamRecord), 0u);
    EXPECT_EQ(Dev(DeviceKind::MousePad).RequestCount(device::Command::WriteParamRecord), 0u);
    // Only the keyboard went back to its own effect.
    EXPECT_FALSE(main_->Link(DeviceKind::Keyboard).syncLighting);
    EXPECT_TRUE(main_->Link(DeviceKind::Mouse).syncLighting);
    EXPECT_TRUE(main_->Link(DeviceKind::MousePad).syncLighting);
}

// A change the flush timer has not sent yet when same-mode is pressed goes out first; sent after,
// it would take the mouse out of the synchronised effect it is the source of.
TEST_F(PagesTest, SameModeRightAfterAChangeSendsTheChangeFirst) {
    Start({DeviceKind::Keyboard, DeviceKind::Mouse, DeviceKind::MousePad});
    PickColour("ms_deng_Color_Pallet", 0xFF0A0B0C);
    Click("ms_deng_same_mode");
    Flush();
    QCoreApplication::processEvents();
    for (DeviceKind kind : device::kAllDeviceKinds) EXPECT_TRUE(main_->Link(kind).syncLighting) << int(kind);
    EXPECT_EQ(Dev(DeviceKind::Mouse).RequestCount(device::Command::WriteParamRecord), 1u);
    EXPECT_EQ(Params(DeviceKind::Mouse)[kRed], 0x0A);
}

TEST_F(PagesTest, MouseLightingChangeRewritesSelectedLightingAndDeviceProfiles) {
    WriteIndex(DeviceKind::Mouse,
               "[PROFILEDENGCOUNT]\ncount=2\n[PROFILEDENGNAME]\n0=first\n1=second\n[PROFILEDENGSELECT]\nselect=0\n");
    Start({DeviceKind::Mouse});
    PickItem("ms_deng_profile_combo", 1);
    EXPECT_EQ(TextOf("ms_deng_profile_name_edit"), "second");
    Slide("ms_deng_light_slider", 2);
    Flush();
    EXPECT_EQ(Params(DeviceKind::Mouse)[kBrightness], 2);
    const Bytes lighting = ProfileBytes(ProfileFamily::MsDeng, "second");
    const Bytes device = ProfileBytes(ProfileFamily::MsDevice, "新配置文件1");
    ASSERT_EQ(lighting.size(), kHeader + 64);
    ASSERT_EQ(device.size(), kHeader + 576);
    EXPECT_EQ(lighting[kHeader + kBrightness], 2);
    EXPECT_EQ(device[kHeader + 512 + kBrightness], 2);
    EXPECT_NE(ProfileBytes(ProfileFamily::MsDeng, "first").size(), kHeader + 64);  // never written
}

TEST_F(PagesTest, DirectionChecksAndMouseButtonsStoreOppositeValues) {
    Start({DeviceKind::Mouse});
    PickItem("ms_deng_combo_modeSelect1", 0);
    auto* left = window_->FindOption("ms_Deng_FXL_check");
    auto* right = window_->FindOption("ms_Deng_FXR_check");
    ASSERT_TRUE(left && right);
    right->SetSelected(true, true);
    left->SetSelected(true, true);
    EXPECT_EQ(Record(DeviceKind::Mouse)[4], 1);
    EXPECT_FALSE(right->IsSelected());
    Click("ms_Deng_FXL_btn");
    EXPECT_EQ(Record(DeviceKind::Mouse)[4], 0);
    Click("ms_Deng_FXR_btn");
    Flush();
    EXPECT_EQ(Params(DeviceKind::Mouse)[4], 1);
}

}  // namespace
}  // namespace corvane::shell::testing
