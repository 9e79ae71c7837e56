#include "macros/macro_action.h"

#include <gtest/gtest.h>

namespace corvane::macros {
namespace {

TEST(MacroAction, DelaysInTenMillisecondUnits) {
    struct Case {
        std::uint32_t ms;
        std::uint8_t low, high;
        std::uint32_t readBack;
    };
    const Case cases[] = {
        {655350, 255, 255, 655350}, {50, 5, 0, 50},   {1234, 123, 0, 1230},
        {2560, 0, 1, 2560},         {9, 0, 0, 0},      {700000, 255, 255, 655350},
    };
    for (const Case& c : cases) {
        MacroAction a;
        SetDelayMs(a, c.ms);
        EXPECT_EQ(a.delayLow, c.low) << c.ms;
        EXPECT_EQ(a.delayHigh, c.high) << c.ms;
        EXPECT_EQ(DelayMs(a), c.readBack) << c.ms;
    }
}

TEST(MacroAction, TextFormRoundTripAndParseRules) {
    const MacroAction pressA{12, 0, 138, 4, 1, "keyboard_key_A"};
    EXPECT_EQ(formatAction(pressA), "12,0,138,4,1,keyboard_key_A");
    EXPECT_EQ(parseAction(formatAction(pressA)), pressA);

    const auto a = parseAction("5,0,138,4,1,keyboard_key_A");
    ASSERT_TRUE(a);
    EXPECT_EQ(DelayMs(*a), 50u);
    EXPECT_EQ(KindBits(*a), static_cast<std::uint8_t>(ActionKind::Key));
    EXPECT_TRUE(IsDown(*a));
    EXPECT_TRUE(IsKeyboardStep(*a));
    EXPECT_EQ(a->code, 4);
    EXPECT_EQ(a->down, 1);
    EXPECT_EQ(a->label, "keyboard_key_A");

    struct Case {
        const char* line;
        MacroAction expected;
    };
    const Case cases[] = {
        {"300,1,4,3,0,x", {44, 1, 4, 3, 0, "x"}},              // cut to 8 bits
        {"1,2,5,0,138,4,1,lbl", {1, 0, 138, 4, 1, "lbl"}},   // the rest on the left is delayLow
        {"-1,abc,7x,, 65536,", {255, 0, 7, 0, 0, ""}},          // signed, leading digits, 16-bit down
        {",,,,,", {0, 0, 0, 0, 0, ""}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parseAction(c.line), c.expected) << c.line;
    }
    for (const char* bad : {"1,2,3", "", "1,2,3,4,5", "no commas"}) {
        EXPECT_FALSE(parseAction(bad)) << bad;
    }
    EXPECT_EQ(StepBytes(pressA), (std::array<std::uint8_t, 4>{12, 0, 138, 4}));
}

}  // namespace
}  // namespace corvane::macros
