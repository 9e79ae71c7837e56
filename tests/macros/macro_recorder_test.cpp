#include "macros/macro_recorder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace corvane::macros {
namespace {

using platform::KeyHookEvent;
using platform::MouseHookEvent;

// One captured event at a time on the recorder's clock (ms since the start at 1000).
struct Event {
    std::uint64_t at;
    bool mouse;
    std::uint32_t message;  // key: kKeyDown/kKeyUp; mouse: the button message
    std::uint16_t key = 0;
    std::uint32_t flags = 0;
};
Event KeyDown(std::uint64_t at, std::uint16_t key, std::uint32_t flags = 0) { return {at, false, platform::kKeyDown, key, flags}; }
Event KeyUp(std::uint64_t at, std::uint16_t key, std::uint32_t flags = 0) { return {at, false, platform::kKeyUp, key, flags}; }
Event Mouse(std::uint64_t at, std::uint32_t message) { return {at, true, message}; }

// What a recorded step became: kind byte, code, label and the wait given to the row before it.
struct Step {
    std::uint8_t stepKind;
    std::uint8_t code;
    std::string label;
    std::uint32_t previousDelayMs;
    friend bool operator==(const Step&, const Step&) = default;
};
void PrintTo(const Step& s, std::ostream* os) {
    *os << "{0x" << std::hex << int(s.stepKind) << ", 0x" << int(s.code) << std::dec << ", " << s.label << ", "
        << s.previousDelayMs << "}";
}

constexpr std::uint64_t kStart = 1000;
constexpr std::uint16_t kVkA = 0x41;
constexpr std::uint16_t kVkEnter = 0x0D;
constexpr std::uint16_t kVkLeftShift = 0xA0;
constexpr std::uint16_t kVkF13 = 0x7C;
constexpr std::uint16_t kVkMediaPlay = 0xB3;

std::vector<Step> Record(MacroRecorder::Options options, const std::vector<Event>& events) {
    MacroRecorder recorder;
    recorder.Start(kStart, options);
    std::vector<Step> steps;
    for (const Event& e : events) {
        const auto step = e.mouse ? recorder.OnMouse(MouseHookEvent{e.message, kStart + e.at})
                                  : recorder.OnKey(KeyHookEvent{e.message, e.key, e.flags, kStart + e.at});
        if (step) {
            EXPECT_EQ(step->action.down, (step->action.stepKind & kDownBit) ? 1 : 0);
            EXPECT_EQ(step->mouseButton, e.mouse);
            steps.push_back({step->action.stepKind, step->action.code, step->action.label, step->previousDelayMs});
        }
    }
    return steps;
}

TEST(MacroRecorder, EventsBecomeStepsWithTheTimeBetweenThem) {
    const MacroRecorder::Options keyboard{.mouseClicks = true, .fixedDelay = false, .roundToUnit = true};
    const MacroRecorder::Options mouse{.mouseClicks = true, .fixedDelay = false, .roundToUnit = false};
    struct Case {
        const char* what;
        MacroRecorder::Options options;
        std::vector<Event> events;
        std::vector<Step> expected;
    };
    const std::vector<Case> cases = {
        {"A held a second, its repeats ignored",
         keyboard,
         {KeyDown(5, kVkA), KeyDown(500, kVkA), KeyDown(900, kVkA), KeyUp(1005, kVkA)},
         {{0x8A, 0x04, "keyboard_key_A", 0}, {0x0A, 0x04, "keyboard_key_A", 1000}}},
        {"keypad Enter, main Enter, left Shift, Caps Lock",
         keyboard,
         {KeyDown(10, kVkEnter, platform::kKeyFlagExtended), KeyDown(20, kVkEnter), KeyDown(30, kVkLeftShift),
          KeyDown(40, platform::kVkCapsLock)},
         {{0x8A, 0x58, "keyboard_key_Num Enter", 10},
          {0x8A, 0x28, "keyboard_key_Enter", 10},
          {0x89, 0x02, "keyboard_key_LShift", 10},
          {0x8A, 0x39, "keyboard_key_Caplk", 10}}},
        {"keys outside the ordinary ones leave no step and measure nothing",
         keyboard,
         {KeyDown(10, kVkF13), KeyDown(20, kVkMediaPlay), KeyDown(30, kVkA)},
         {{0x8A, 0x04, "keyboard_key_A", 30}}},
        {"1.234 s: the keyboard rounds to 10 ms", keyboard, {KeyDown(1234, kVkA)}, {{0x8A, 0x04, "keyboard_key_A", 1230}}},
        {"1.234 s: the mouse editor keeps the milliseconds", mouse, {KeyDown(1234, kVkA)}, {{0x8A, 0x04, "keyboard_key_A", 1234}}},
        {"waits stop at 655 350 ms", mouse, {KeyDown(700000, kVkA)}, {{0x8A, 0x04, "keyboard_key_A", 655350}}},
        {"fixed delay",
         {.mouseClicks = true, .fixedDelay = true, .roundToUnit = true},
         {KeyDown(1234, kVkA), Mouse(999999, platform::kLeftButtonDown)},
         {{0x8A, 0x04, "keyboard_key_A", 50}, {0x81, 0x01, "mouse_key_left", 50}}},
        {"two left clicks; a second press in a row counts once; other buttons and moves are no steps",
         mouse,
         {Mouse(10, platform::kLeftButtonDown), Mouse(20, platform::kLeftButtonUp), Mouse(25, platform::kMouseMove),
          Mouse(26, platform::kMouseWheel), Mouse(27, platform::kSideButtonDown), Mouse(30, platform::kLeftButtonDown),
          Mouse(40, platform::kLeftButtonUp), Mouse(50, platform::kRightButtonDown),
          Mouse(60, platform::kRightButtonDown), Mouse(70, platform::kMiddleButtonUp)},
         {{0x81, 0x01, "mouse_key_left", 10},
          {0x01, 0x01, "mouse_key_left", 10},
          {0x81, 0x01, "mouse_key_left", 10},
          {0x01, 0x01, "mouse_key_left", 10},
          {0x81, 0x02, "mouse_key_right", 10},
          {0x01, 0x04, "mouse_key_middle", 20}}},
        {"clicks not chosen (only moves or the wheel): no mouse step",
         {.mouseClicks = false, .fixedDelay = false, .roundToUnit = false},
         {Mouse(10, platform::kLeftButtonDown), Mouse(20, platform::kLeftButtonUp)},
         {}},
    };
    for (const Case& c : cases) EXPECT_EQ(Record(c.options, c.events), c.expected) << c.what;
}

TEST(MacroRecorder, NothingWhenStoppedAndAHeldKeyDoesNotCarryIntoTheNextRecording) {
    MacroRecorder recorder;
    EXPECT_FALSE(recorder.OnKey(KeyHookEvent{platform::kKeyDown, kVkA, 0, 5}));
    recorder.Start(0, {});
    EXPECT_TRUE(recorder.OnKey(KeyHookEvent{platform::kKeyDown, kVkA, 0, 5}));
    recorder.Stop();
    EXPECT_FALSE(recorder.OnKey(KeyHookEvent{platform::kKeyUp, kVkA, 0, 6}));
    recorder.Start(100, {});
    EXPECT_TRUE(recorder.OnKey(KeyHookEvent{platform::kKeyDown, kVkA, 0, 105}));
}

TEST(MacroRecorder, KeyStepsAndTheirRowsRoundTrip) {
    for (std::size_t row = 0; row < kMacroKeyRows; ++row) {
        for (bool down : {false, true}) {
            const MacroAction step = KeyStep(row, down);
            EXPECT_EQ(KeyRowOf(step), row) << step.label;
            EXPECT_EQ(IsDown(step), down);
            EXPECT_TRUE(IsKeyboardStep(step));
        }
    }
}

}  // namespace
}  // namespace corvane::macros
