// The mouse's DPI and pointer page end to end.

#include "pages_fixture.h"

namespace corvane::shell::testing {
namespace {

// Sensor description in the mouse's information block, set before the mouse is read.
void SetSensor(virt::VirtualDevice& mouse, std::uint16_t id, std::uint8_t step, std::uint8_t steps,
               std::uint16_t base) {
    const Bytes bytes{static_cast<std::uint8_t>(id & 0xFF), static_cast<std::uint8_t>(id >> 8), step, steps,
                      static_cast<std::uint8_t>(base & 0xFF), static_cast<std::uint8_t>(base >> 8)};
    ASSERT_TRUE(mouse.SetMemory(virt::MemoryArea::Info, 9, bytes));
}

TEST_F(PagesTest, DpiLevelsShowTheirValueAndStoreAsTheSliderSettles) {
    SetSensor(Dev(DeviceKind::Mouse), 0x3360, 100, 20, 400);
    Start({DeviceKind::Mouse});
    EXPECT_EQ(TextOf("ms_DPI1_min"), "100");
    EXPECT_EQ(TextOf("ms_DPI6_max"), "12000");
    EXPECT_EQ(window_->FindSlider("ms_DPI3_slider")->Max(), 20);

    Slide("ms_DPI1_slider", 5);
    Flush();
    EXPECT_EQ(TextOf("ms_DPI1_label_value"), "600");  // 5 x 100 + the sensor's 100
    EXPECT_EQ(Params(DeviceKind::Mouse)[15], 5);
    EXPECT_EQ(ProfileBytes(ProfileFamily::MsDevice, "新配置文件1")[kHeader + 512 + 15], 5);

    // Dragging: levels 1..4 only follow with their label, 5 and 6 are stored at every step.
    const std::uint8_t level2Before = Record(DeviceKind::Mouse)[16];
    ASSERT_NE(level2Before, 13);
    Slide("ms_DPI2_slider", 13, "movevaluechanged");
    EXPECT_EQ(TextOf("ms_DPI2_label_value"), "1400");
    EXPECT_EQ(Record(DeviceKind::Mouse)[16], level2Before);
    Slide("ms_DPI5_slider", 13, "movevaluechanged");
    Flush();
    EXPECT_EQ(Record(DeviceKind::Mouse)[20], 13);
    EXPECT_EQ(Params(DeviceKind::Mouse)[20], 13);
    EXPECT_EQ(ProfileBytes(ProfileFamily::MsDeng, "新配置文件1")[kHeader + 20], 13);
}

TEST_F(PagesTest, UnknownSensorKeepsTheDevicesBase) {
    SetSensor(Dev(DeviceKind::Mouse), 0x1234, 50, 30, 400);
    Start({DeviceKind::Mouse});
    Slide("ms_DPI4_slider", 2);
    EXPECT_EQ(TextOf("ms_DPI4_label_value"), "500");
}

TEST_F(PagesTest, CurrentLevelIsHighlighted) {
    const Bytes level{2};
    Dev(DeviceKind::Mouse).SetMemory(virt::MemoryArea::Params, 19, level);
    Start({DeviceKind::Mouse});
    EXPECT_EQ(Find("ms_DPI3_label_rank")->TextColour(), 0xFFFF0000u);
    EXPECT_EQ(Find("ms_DPI3_label_value")->TextColour(), 0xFFFF0000u);
    EXPECT_EQ(Find("ms_DPI1_label_value")->TextColour(), 0xFFFFFFFFu);
}

TEST_F(PagesTest, PointerAndWheelValuesGoToTheProfilesOnly) {
    Start({DeviceKind::Mouse});
    auto storedPointer = [&] { return ProfileBytes(ProfileFamily::MsDevice, "新配置文件1")[kHeader + 512 + 23]; };
    auto storedWheel = [&] { return ProfileBytes(ProfileFamily::MsDeng, "新配置文件1")[kHeader + 24]; };
    struct Pointer {
        int position;
        std::uint8_t stored;
    };
    for (const Pointer& p : {Pointer{9, 20}, Pointer{0, 2}, Pointer{3, 8}}) {
        Slide("ms_point_speed_slider", p.position);
        EXPECT_EQ(storedPointer(), p.stored) << p.position;
    }
    struct Wheel {
        const char* shown;
        bool up;
        const char* after;
    };
    for (const Wheel& w : {Wheel{"10", true, "10"}, Wheel{"", true, "2"}, Wheel{"1", false, "1"},
                           Wheel{"12", false, "9"}}) {
        window_->FindEdit("ms_gunlun_speed_edit")->SetText(w.shown);
        Click(w.up ? "ms_gunlun_speed_up_btn" : "ms_gunlun_speed_down_btn");
        EXPECT_EQ(TextOf("ms_gunlun_speed_edit"), w.after) << w.shown;
        EXPECT_EQ(storedWheel(), std::atoi(w.after)) << w.shown;
    }
    EXPECT_EQ(Dev(DeviceKind::Mouse).RequestCount(device::Command::WriteParamRecord), 0u);
    EXPECT_TRUE(pointerCalls_.empty());

    // The desktop's defaults and a device reset, once confirmed; the stored values stay.
    Click("ms_one_profile_default");
    EXPECT_EQ(Boxes("message_confirm_mouse_restore"), 1);
    EXPECT_TRUE(pointerCalls_.empty());
    boxAnswer_ = ui::kMessageConfirmed;
    Click("ms_one_profile_default");
    Flush();
    EXPECT_EQ(pointerCalls_, (std::vector<std::string>{"speed 10", "wheel 3", "announce"}));
    EXPECT_EQ(window_->FindSlider("ms_point_speed_slider")->Value(), 5);
    EXPECT_EQ(TextOf("ms_gunlun_speed_edit"), "3");
    EXPECT_EQ(Dev(DeviceKind::Mouse).RequestCount(device::Command::ResetDevice), 1u);
    Slide("ms_deng_light_slider", 2);  // any later save
    EXPECT_EQ(storedPointer(), 8);
    EXPECT_EQ(storedWheel(), 9);
}

TEST_F(PagesTest, DpiColourReportRateAndSensorHeight) {
    Start({DeviceKind::Mouse});
    PickColour("Pallet", 0xFF112233);
    EXPECT_EQ(TextOf("ms_DPI_edit_B"), "51");
    Type("ms_DPI_edit_R", "999");
    EXPECT_EQ(TextOf("ms_DPI_edit_R"), "255");
    PickItem("ms_report_fct_combo", 1);
    Slide("ms_sensor_height_slider", 2);
    Flush();
    const Bytes params = Params(DeviceKind::Mouse);
    EXPECT_EQ(params[11], 255);
    EXPECT_EQ(params[12], 0x22);
    EXPECT_EQ(params[13], 0x33);
    EXPECT_EQ(params[14], 1);
    EXPECT_EQ(params[22], 2);
    EXPECT_EQ(Find("ms_DPI_colordp_btn")->BkColour(), 0xFFFF2233u);
}

}  // namespace
}  // namespace corvane::shell::testing
