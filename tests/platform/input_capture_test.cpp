// Key and mouse capture: modes, messages, what is swallowed, installation, the position table.

#include "platform/input_capture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/debug_out.h"
#include "platform/scan_codes.h"

namespace corvane::platform {
namespace {

struct Recorder : HookTarget {
    std::vector<std::pair<HookMessage, KeyHookEvent>> keys;
    std::vector<std::pair<HookMessage, MouseHookEvent>> mice;
    void SendHookMessage(HookMessage m, const KeyHookEvent& e) override { keys.emplace_back(m, e); }
    void PostHookMessage(HookMessage m, const MouseHookEvent& e) override { mice.emplace_back(m, e); }
};

constexpr VirtualKey kA{0x41, false};

class CaptureTest : public ::testing::Test {
protected:
    CaptureTest() : hook([this] { return now; }) { hook.AttachSource(); }
    std::uint64_t now = 1000;
    Recorder target;
    CDeviceHook hook;
};

TEST_F(CaptureTest, EachModeSendsItsMessagesAndSwallowsAllButTheLockKeys) {
    struct Row {
        HookMode mode;
        std::optional<HookMessage> key;
        std::optional<HookMessage> mouse;
    };
    const Row rows[] = {
        {HookMode::KeyboardKeyEditor, HookMessage::KeyboardEditorKey, std::nullopt},
        {HookMode::MouseKeyEditor, HookMessage::MouseEditorKey, std::nullopt},
        {HookMode::KeyboardMacro, HookMessage::KeyboardMacroKey, HookMessage::KeyboardMacroMouse},
        {HookMode::MouseMacro, HookMessage::MouseMacroKey, HookMessage::MouseMacroMouse},
        {static_cast<HookMode>(2), std::nullopt, std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.mode));
        target = {};
        ASSERT_TRUE(hook.InstallHooks(row.mode, &target, true, true));
        EXPECT_TRUE(hook.FeedKey(true, kA, false));
        // The lock keys are delivered too, and then go on to the window.
        EXPECT_FALSE(hook.FeedKey(true, {kVkCapsLock, false}, false));
        EXPECT_FALSE(hook.FeedKey(true, {kVkNumLock, true}, false));
        EXPECT_FALSE(hook.FeedKey(false, {kVkScrollLock, false}, false));
        hook.FeedMouse(kLeftButtonDown);
        ASSERT_EQ(target.keys.size(), row.key ? 4u : 0u);
        if (row.key) {
            EXPECT_EQ(target.keys[0].first, *row.key);
            EXPECT_EQ(target.keys[1].second.virtualKey, kVkCapsLock);
        }
        ASSERT_EQ(target.mice.size(), row.mouse ? 1u : 0u);
        if (row.mouse) {
            EXPECT_EQ(target.mice[0].first, *row.mouse);
        }
    }
}

TEST_F(CaptureTest, EventsCarryKindFlagsAndTheClocksTick) {
    ASSERT_TRUE(hook.InstallHooks(HookMode::KeyboardMacro, &target, true, true));
    hook.FeedKey(true, {0x0D, true}, false);  // keypad Enter
    now = 2234;
    hook.FeedKey(false, {0x0D, true}, false);
    hook.FeedKey(true, {0xA4, false}, false);    // Alt
    hook.FeedKey(true, {'F', false}, true);      // F with Alt held
    hook.FeedKey(false, {0xA4, false}, true);    // Alt released
    hook.FeedMouse(kRightButtonUp);
    ASSERT_EQ(target.keys.size(), 5u);
    const KeyHookEvent& down = target.keys[0].second;
    const KeyHookEvent& up = target.keys[1].second;
    EXPECT_EQ(down.message, kKeyDown);
    EXPECT_EQ(down.flags, kKeyFlagExtended);
    EXPECT_EQ(down.tick, 1000u);
    EXPECT_EQ(up.message, kKeyUp);
    EXPECT_EQ(up.flags, kKeyFlagExtended | kKeyFlagUp);
    EXPECT_EQ(up.tick, 2234u);
    EXPECT_EQ(target.keys[3].second.message, kSysKeyDown);
    EXPECT_EQ(target.keys[4].second.message, kKeyUp);
    ASSERT_EQ(target.mice.size(), 1u);
    EXPECT_EQ(target.mice[0].second.message, kRightButtonUp);
    EXPECT_EQ(target.mice[0].second.tick, 2234u);
}

TEST_F(CaptureTest, InstallingReplacesRemovingStopsAndNothingIsSwallowedWithoutTheKeyboardPart) {
    ASSERT_TRUE(hook.InstallHooks(HookMode::KeyboardMacro, &target, true, true));
    // Key capture during a recording replaces the recorder's parts, the mouse part included.
    ASSERT_TRUE(hook.InstallHooks(HookMode::KeyboardKeyEditor, &target, true, false));
    EXPECT_FALSE(hook.MouseInstalled());
    hook.FeedMouse(kLeftButtonDown);
    EXPECT_TRUE(target.mice.empty());
    // A mouse part alone observes the mouse and leaves every key to the window.
    ASSERT_TRUE(hook.InstallHooks(HookMode::MouseMacro, &target, false, true));
    EXPECT_FALSE(hook.FeedKey(true, kA, false));
    EXPECT_TRUE(target.keys.empty());
    hook.RemoveHooks();
    EXPECT_FALSE(hook.FeedKey(true, kA, false));
    hook.FeedMouse(kLeftButtonDown);
    EXPECT_TRUE(target.keys.empty());
    EXPECT_TRUE(target.mice.empty());
    // Installing neither part only sets the mode.
    EXPECT_TRUE(hook.InstallHooks(HookMode::MouseKeyEditor, &target, false, false));
    EXPECT_EQ(hook.Mode(), HookMode::MouseKeyEditor);
}

TEST_F(CaptureTest, WithoutAnInputSourceInstallingFailsAndKeepsModeAndTarget) {
    ASSERT_TRUE(hook.InstallHooks(HookMode::KeyboardMacro, &target, true, false));
    hook.DetachSource();
    Recorder other;
    EXPECT_FALSE(hook.InstallHooks(HookMode::MouseKeyEditor, &other, true, false));
    EXPECT_EQ(hook.Mode(), HookMode::KeyboardMacro);
    EXPECT_FALSE(hook.KeyboardInstalled());
    EXPECT_TRUE(hook.InstallHooks(HookMode::MouseKeyEditor, &other, false, false));
}

TEST(HookMessages, HandlersRunAfterTheDebugText) {
    DebugCapture debug;
    HookMessageTable table;
    std::vector<std::string> order;
    table.OnKey(HookMessage::KeyboardEditorKey, [&](const KeyHookEvent& e) {
        order.push_back(debug.Contains("WM_HOOK_KEY_SINGLEKEY") ? "after text" : "before text");
        EXPECT_EQ(e.virtualKey, 0x41);
    });
    table.OnMouse(HookMessage::MouseMacroMouse, [&](const MouseHookEvent&) { order.push_back("mouse"); });
    table.Handle(HookMessage::KeyboardEditorKey, KeyHookEvent{kKeyDown, 0x41, 0, 0});
    table.Handle(HookMessage::MouseMacroMouse, MouseHookEvent{});
    table.Handle(HookMessage::MouseEditorKey, KeyHookEvent{});  // no handler: only the text
    EXPECT_EQ(order, (std::vector<std::string>{"after text", "mouse"}));
    for (const char* text : {"WM_HOOK_KEY_SINGLEKEY", "WM_HOOK_MOU_SINGLEKEY"}) EXPECT_TRUE(debug.Contains(text));
    EXPECT_EQ(HookMessageText(HookMessage::KeyboardMacroKey), "WM_HOOK_KEY_MACRO");
    EXPECT_EQ(HookMessageText(HookMessage::MouseMacroKey), "WM_HOOK_MOU_MACRO");
    EXPECT_TRUE(HookMessageText(HookMessage::KeyboardMacroMouse).empty());
}

TEST(ScanCodes, PositionsGiveTheUsLayoutsVirtualKeys) {
    struct Row {
        std::uint32_t evdev;
        VirtualKey key;
    };
    const Row rows[] = {
        {16, {'Q', false}},   {30, {'A', false}},   {21, {'Y', false}},   {44, {'Z', false}},
        {42, {0xA0, false}},  {54, {0xA1, false}},  {29, {0xA2, false}},  {97, {0xA3, true}},
        {56, {0xA4, false}},  {100, {0xA5, true}},  {125, {0x5B, true}},  {28, {0x0D, false}},
        {96, {0x0D, true}},   {79, {0x61, false}},  {82, {0x60, false}},  {83, {0x6E, false}},
        {98, {0x6F, true}},   {55, {0x6A, false}},  {107, {0x23, true}},  {41, {0xC0, false}},
        {51, {0xBC, false}},  {69, {0x90, true}},   {58, {0x14, false}},  {88, {0x7B, false}},
    };
    for (const Row& row : rows) EXPECT_EQ(VirtualKeyOfEvdev(row.evdev), row.key) << row.evdev;
    EXPECT_FALSE(VirtualKeyOfEvdev(0));
    EXPECT_FALSE(VirtualKeyOfEvdev(85));
    EXPECT_FALSE(VirtualKeyOfEvdev(100000));
}

}  // namespace
}  // namespace corvane::platform
