#include "lighting/mouse_settings.h"

#include <gtest/gtest.h>

#include "platform/bytes.h"

namespace corvane::lighting {
namespace {

DeviceInfoBlock Info(std::uint16_t sensor, std::uint8_t step, std::uint8_t steps, std::uint16_t base) {
    DeviceInfoBlock info{};
    platform::StoreLe16(info, kSensorIdOffset, sensor);
    info[kDpiStepOffset] = step;
    info[kDpiStepsOffset] = steps;
    platform::StoreLe16(info, kDpiBaseOffset, base);
    return info;
}

TEST(MouseSettings, DpiValueUsesTheKnownSensorsBase) {
    struct Case {
        std::uint16_t sensor;
        std::uint8_t step;
        std::uint16_t deviceBase;
        std::uint8_t position;
        unsigned dpi;
    };
    const Case cases[] = {
        {0x3360, 100, 400, 5, 600}, {0x3325, 100, 0, 0, 200},  {0x3050, 50, 0, 2, 350},
        {0x3310, 50, 999, 1, 100},  {0x1234, 100, 400, 5, 900}, {0x1234, 255, 65535, 255, 65025 + 65535},
    };
    for (const auto& c : cases) {
        const auto info = ReadMouseInfo(Info(c.sensor, c.step, 20, c.deviceBase));
        EXPECT_EQ(DpiValue(info, c.position), c.dpi) << std::hex << c.sensor;
    }
    EXPECT_EQ(FindSensorProfile(0x3360)->maximumText, "12000");
    EXPECT_FALSE(FindSensorProfile(0x1234));
    EXPECT_EQ(ReadMouseInfo(Info(1, 2, 30, 4)).dpiSteps, 30);
}

TEST(MouseSettings, RecordFields) {
    ActiveLightingImage m{};
    const std::uint8_t positions[] = {1, 2, 3, 4, 5, 6};
    for (std::size_t level = 1; level <= kDpiLevelCount; ++level) {
        EXPECT_TRUE(SetDpiPosition(m, level, positions[level - 1]));
    }
    EXPECT_FALSE(SetDpiPosition(m, 7, 1));
    EXPECT_EQ(m[18], 4);
    EXPECT_EQ(m[19], 0);  // the current level sits between levels 4 and 5
    EXPECT_EQ(m[20], 5);
    EXPECT_EQ(m[21], 6);
    EXPECT_EQ(DpiPosition(m, 6), 6);
    EXPECT_FALSE(DpiPosition(m, 0));

    m[kDpiLevelOffset] = 5;
    EXPECT_EQ(HighlightedDpiLevel(m), 6u);
    m[kDpiLevelOffset] = 6;
    EXPECT_FALSE(HighlightedDpiLevel(m));

    SetDpiColour(m, Rgb{1, 2, 3});
    EXPECT_EQ(m[11], 1);
    EXPECT_EQ(m[13], 3);
    EXPECT_TRUE(StoresWhileDragging(5));
    EXPECT_FALSE(StoresWhileDragging(4));
}

TEST(MouseSettings, PointerAndWheelSpeed) {
    const std::pair<int, int> pointer[] = {{9, 20}, {0, 2}, {4, 10}, {10, 20}, {-3, 1}};
    for (const auto& [position, stored] : pointer) {
        EXPECT_EQ(PointerSpeedFromSlider(position), stored) << position;
    }
    for (int v = 0; v <= 9; ++v) EXPECT_EQ(SliderFromPointerSpeed(PointerSpeedFromSlider(v)), v);

    LightingBlockImage block{};
    EXPECT_EQ(PointerSpeed(block), 1);  // a stored 0 reads as 1
    EXPECT_EQ(WheelSpeed(block), 1);
    SetPointerSpeed(block, 30);
    SetWheelSpeed(block, 7);
    EXPECT_EQ(block[23], 30);
    EXPECT_EQ(PointerSpeed(block), 20);
    EXPECT_EQ(WheelSpeed(block), 7);

    struct Wheel {
        const char* shown;
        bool up;
        int result;
    };
    const Wheel wheel[] = {{"10", true, 10}, {"", true, 2},   {"3", true, 4},   {"1", false, 1},
                           {"", false, 1},   {"50", false, 9}, {"10", false, 9}, {"abc", true, 2}};
    for (const auto& w : wheel) EXPECT_EQ(StepWheelSpeed(w.shown, w.up), w.result) << w.shown << w.up;
}

TEST(MouseSettings, DeviceConfigLayout) {
    MouseDeviceConfig config;
    config.keyBank[0] = 0x10;
    config.keyBank[511] = 0xAB;
    config.lighting[0] = 2;
    config.lighting[63] = 0xCD;
    const auto bytes = config.ToBytes();
    EXPECT_EQ(bytes.size(), 576u);
    EXPECT_EQ(bytes[511], 0xAB);
    EXPECT_EQ(bytes[512], 2);
    EXPECT_EQ(bytes[575], 0xCD);
    const auto back = MouseDeviceConfig::FromBytes(bytes);
    EXPECT_EQ(back.keyBank, config.keyBank);
    EXPECT_EQ(back.lighting, config.lighting);
}

}  // namespace
}  // namespace corvane::lighting
