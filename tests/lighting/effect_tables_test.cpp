#include "lighting/effect_tables.h"

#include <gtest/gtest.h>

#include <set>

namespace corvane::lighting {
namespace {

TEST(EffectTables, RainbowSegments) {
    const std::pair<std::size_t, Rgb> cases[] = {
        {0, {255, 1, 0}},   {31, {255, 255, 0}}, {32, {248, 255, 0}}, {63, {0, 255, 0}},
        {64, {0, 255, 1}},  {96, {0, 248, 255}}, {128, {1, 0, 255}},  {160, {255, 0, 248}},
        {191, {255, 0, 0}}, {192, {255, 1, 0}},  {255, {0, 255, 0}},
    };
    for (const auto& [i, colour] : cases) EXPECT_EQ(RainbowTable[i], colour) << i;
}

TEST(EffectTables, SymmetricIntensityTables) {
    EXPECT_EQ(WaveTable[0], 22);
    EXPECT_EQ(WaveTable[47], 255);
    EXPECT_EQ(WaveTable[48], 255);
    EXPECT_EQ(WaveTable[95], 22);
    EXPECT_EQ(PulseTable[63], 255);
    EXPECT_EQ(PulseTable[64], 255);
    EXPECT_EQ(PulseTable[117], 10);
    EXPECT_EQ(PulseTable[127], 0);
    EXPECT_EQ(BrightnessFactor(14), 255);
    EXPECT_EQ(BrightnessFactor(15), 0);
    EXPECT_EQ(BrightnessFactor(200), 0);
}

TEST(EffectTables, FrameDelays) {
    struct Case {
        std::uint8_t mode;
        std::uint8_t speed;
        unsigned keyboard;
        unsigned pad;
    };
    const Case cases[] = {
        {0, 0, 2, 9},   {0, 3, 21, 21}, {1, 0, 9, 9},   {4, 0, 3, 9},    {7, 0, 3, 9},
        {2, 14, 63, 65}, {1, 14, 65, 65}, {8, 1, 13, 13}, {9, 2, 17, 17}, {0, 200, 65, 65},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(KeyboardDelayMs(c.mode, c.speed), c.keyboard) << int(c.mode) << "/" << int(c.speed);
        EXPECT_EQ(PadDelayMs(c.mode, c.speed), c.pad) << int(c.mode) << "/" << int(c.speed);
    }
}

TEST(EffectTables, GridsNameEveryZoneOnce) {
    std::multiset<int> mouse;
    for (const auto& column : MouseColumns) mouse.insert(column.begin(), column.end());
    for (int z = 0; z < 20; ++z) EXPECT_EQ(mouse.count(z), z == 9 ? 2u : 1u) << z;
    std::multiset<int> pad;
    for (const auto& row : PadGrid) {
        for (const int z : row) {
            if (z != kNoZone) pad.insert(z);
        }
    }
    for (int z = 0; z < 15; ++z) EXPECT_EQ(pad.count(z), 1u) << z;
    std::multiset<int> keys;
    for (const auto& column : KeyColumns) {
        for (const int k : column) {
            if (k != kNoKey) keys.insert(k);
        }
    }
    for (const int k : keys) EXPECT_EQ(keys.count(k), 1u) << k;
}

}  // namespace
}  // namespace corvane::lighting
