#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <unordered_map>

namespace corvane::platform {

// Key and mouse capture for the key editors and the macro recorder.
//
// The program captures its own window's input (no privileges, never another program's input):
// a feeder in the window layer hands every key and mouse-button event of the main window to the
// CDeviceHook below, which delivers it to the target as a hook message according to the mode
// and tells the feeder whether the window may still see the key.
//
// Usage by a page (UI thread):
//   host.HookMessages().OnKey(HookMessage::KeyboardMacroKey, [](const KeyHookEvent& e) {...});
//   host.SetHookMode(HookMode::KeyboardMacro, true, /*wantKeyboard=*/true, /*wantMouse=*/true);
//   ...
//   host.SetHookMode(HookMode::KeyboardMacro, false, false, false);   // removes both parts
//
// Only one mode is active at a time: installing replaces whatever was installed.

// What the capture is for; it decides which message an event becomes.
enum class HookMode : std::uint32_t {
    None = 0,
    KeyboardKeyEditor = 1,   // keyboard key editor captures one key
    KeyboardMacro = 4,       // recording in the keyboard's macro editor
    MouseKeyEditor = 16,     // mouse key editor captures one key
    MouseMacro = 64,         // recording in the mouse's macro editor
};

// Messages the capture sends to its target.
enum class HookMessage : std::uint32_t {
    KeyboardEditorKey = 0x801,  // mode 1, keyboard part
    KeyboardMacroKey = 0x803,   // mode 4, keyboard part
    KeyboardMacroMouse = 0x804, // mode 4, mouse part
    MouseEditorKey = 0x810,     // mode 16, keyboard part
    MouseMacroKey = 0x812,      // mode 64, keyboard part
    MouseMacroMouse = 0x813,    // mode 64, mouse part
};

// The debug text the target writes when the message arrives; empty for the two mouse messages.
std::string_view HookMessageText(HookMessage message);

// Key event kinds, as the recorder and the editors know them.
inline constexpr std::uint32_t kKeyDown = 0x100;
inline constexpr std::uint32_t kKeyUp = 0x101;
inline constexpr std::uint32_t kSysKeyDown = 0x104;  // with Alt held (or F10)
inline constexpr std::uint32_t kSysKeyUp = 0x105;
// Mouse event kinds.
inline constexpr std::uint32_t kMouseMove = 0x200;
inline constexpr std::uint32_t kLeftButtonDown = 0x201;
inline constexpr std::uint32_t kLeftButtonUp = 0x202;
inline constexpr std::uint32_t kRightButtonDown = 0x204;
inline constexpr std::uint32_t kRightButtonUp = 0x205;
inline constexpr std::uint32_t kMiddleButtonDown = 0x207;
inline constexpr std::uint32_t kMiddleButtonUp = 0x208;
inline constexpr std::uint32_t kMouseWheel = 0x20A;
inline constexpr std::uint32_t kSideButtonDown = 0x20B;
inline constexpr std::uint32_t kSideButtonUp = 0x20C;

// Key event flags.
inline constexpr std::uint32_t kKeyFlagExtended = 0x01;
inline constexpr std::uint32_t kKeyFlagUp = 0x80;

// Virtual-key codes the capture lets through to the window.
inline constexpr std::uint16_t kVkCapsLock = 0x14;
inline constexpr std::uint16_t kVkNumLock = 0x90;
inline constexpr std::uint16_t kVkScrollLock = 0x91;

// A key by its Windows virtual-key code and extended flag (what the key tables are keyed by).
struct VirtualKey {
    std::uint16_t code = 0;
    bool extended = false;
    friend bool operator==(const VirtualKey&, const VirtualKey&) = default;
};

struct KeyHookEvent {
    std::uint32_t message = kKeyDown;  // kKeyDown, kKeyUp, kSysKeyDown or kSysKeyUp
    std::uint16_t virtualKey = 0;
    std::uint32_t flags = 0;           // kKeyFlagExtended, kKeyFlagUp
    std::uint64_t tick = 0;            // milliseconds, from the capture's clock

    bool IsPress() const { return message == kKeyDown || message == kSysKeyDown; }
    bool IsExtended() const { return (flags & kKeyFlagExtended) != 0; }
};

struct MouseHookEvent {
    std::uint32_t message = kMouseMove;  // kLeftButtonDown .. kSideButtonUp, kMouseMove, kMouseWheel
    std::uint64_t tick = 0;
};

// The event kind of a key change: presses and releases while Alt is held (and F10) are the
// "system" kinds; the release of Alt itself is a plain release.
std::uint32_t KeyMessageFor(bool press, VirtualKey key, bool altHeld);

// Where the capture delivers: the main window.
class HookTarget {
public:
    virtual ~HookTarget() = default;
    // Keyboard part: handled before the feeder learns whether the key is swallowed.
    virtual void SendHookMessage(HookMessage message, const KeyHookEvent& event) = 0;
    // Mouse part: queued and handled later, in order with the window's other work.
    virtual void PostHookMessage(HookMessage message, const MouseHookEvent& event) = 0;
};

// The hook holder. One per main window; UI thread only.
class CDeviceHook {
public:
    using Clock = std::function<std::uint64_t()>;

    // The clock stamps every event (the steady millisecond tick unless a test gives its own).
    explicit CDeviceHook(Clock clock = {});
    virtual ~CDeviceHook();
    CDeviceHook(const CDeviceHook&) = delete;
    CDeviceHook& operator=(const CDeviceHook&) = delete;

    // Removes any installed part, then installs the wanted ones for `target`. Fails (false) when
    // a wanted part cannot be had — no input source is attached — and then leaves the mode and
    // target as they were. Installing neither part removes the parts and sets the mode.
    bool InstallHooks(HookMode mode, HookTarget* target, bool wantKeyboard, bool wantMouse);
    void RemoveHooks();

    bool KeyboardInstalled() const { return keyboard_; }
    bool MouseInstalled() const { return mouse_; }
    HookMode Mode() const { return mode_; }
    // The clock that stamps events, read now (a recording's start is measured on it).
    std::uint64_t Now() const { return clock_(); }

    // --- the feeder's side ---
    // The window layer says whether it can deliver input at all.
    void AttachSource() { sourceAttached_ = true; }
    void DetachSource() { sourceAttached_ = false; }
    // One key change of the window. Delivers it when the keyboard part is installed and returns
    // true when the window must not see it: while the keyboard part is on, every key but
    // Caps Lock, Num Lock and Scroll Lock is swallowed.
    bool FeedKey(bool press, VirtualKey key, bool altHeld);
    // One mouse event of the window; delivered when the mouse part is installed, never swallowed.
    void FeedMouse(std::uint32_t message);
    // Whether a key would be swallowed now, without delivering anything (a key's repeated
    // releases while it is held).
    bool WouldSwallow(VirtualKey key) const;

private:
    Clock clock_;
    HookTarget* target_ = nullptr;
    HookMode mode_ = HookMode::None;
    bool keyboard_ = false;
    bool mouse_ = false;
    bool sourceAttached_ = false;
};

// Handlers of the hook messages, by message: what the main window runs when a message arrives
// (after writing the message's debug text). A page sets the handlers of the messages it serves.
class HookMessageTable {
public:
    using KeyHandler = std::function<void(const KeyHookEvent&)>;
    using MouseHandler = std::function<void(const MouseHookEvent&)>;

    void OnKey(HookMessage message, KeyHandler handler);
    void OnMouse(HookMessage message, MouseHandler handler);
    void Handle(HookMessage message, const KeyHookEvent& event) const;
    void Handle(HookMessage message, const MouseHookEvent& event) const;

private:
    std::unordered_map<std::uint32_t, KeyHandler> keys_;
    std::unordered_map<std::uint32_t, MouseHandler> mice_;
};

// What pages use of the main window for capture.
class CaptureHost {
public:
    virtual ~CaptureHost() = default;
    // on: InstallHooks(mode, the main window, wantKeyboard, wantMouse); off: RemoveHooks.
    virtual bool SetHookMode(HookMode mode, bool on, bool wantKeyboard = true, bool wantMouse = false) = 0;
    virtual HookMessageTable& HookMessages() = 0;
    virtual const CDeviceHook& Hook() const = 0;
};

}  // namespace corvane::platform
