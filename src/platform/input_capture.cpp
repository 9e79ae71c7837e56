#include "platform/input_capture.h"

#include "platform/debug_out.h"
#include "platform/tick.h"

namespace corvane::platform {
namespace {

constexpr std::uint16_t kVkAlt = 0x12;
constexpr std::uint16_t kVkLeftAlt = 0xA4;
constexpr std::uint16_t kVkRightAlt = 0xA5;
constexpr std::uint16_t kVkF10 = 0x79;

struct ModeMessages {
    HookMode mode;
    std::optional<HookMessage> key;
    std::optional<HookMessage> mouse;
};
constexpr ModeMessages kModeMessages[] = {
    {HookMode::KeyboardKeyEditor, HookMessage::KeyboardEditorKey, std::nullopt},
    {HookMode::MouseKeyEditor, HookMessage::MouseEditorKey, std::nullopt},
    {HookMode::KeyboardMacro, HookMessage::KeyboardMacroKey, HookMessage::KeyboardMacroMouse},
    {HookMode::MouseMacro, HookMessage::MouseMacroKey, HookMessage::MouseMacroMouse},
};

const ModeMessages* MessagesOf(HookMode mode) {
    for (const ModeMessages& row : kModeMessages) {
        if (row.mode == mode) return &row;
    }
    return nullptr;
}

bool IsAlt(std::uint16_t code) { return code == kVkAlt || code == kVkLeftAlt || code == kVkRightAlt; }

bool PassesThrough(std::uint16_t code) {
    return code == kVkCapsLock || code == kVkNumLock || code == kVkScrollLock;
}

}  // namespace

std::string_view HookMessageText(HookMessage message) {
    switch (message) {
        case HookMessage::KeyboardEditorKey: return "WM_HOOK_KEY_SINGLEKEY";
        case HookMessage::MouseEditorKey: return "WM_HOOK_MOU_SINGLEKEY";
        case HookMessage::KeyboardMacroKey: return "WM_HOOK_KEY_MACRO";
        case HookMessage::MouseMacroKey: return "WM_HOOK_MOU_MACRO";
        case HookMessage::KeyboardMacroMouse:
        case HookMessage::MouseMacroMouse: return {};
    }
    return {};
}

std::uint32_t KeyMessageFor(bool press, VirtualKey key, bool altHeld) {
    if (press) return (altHeld || key.code == kVkF10) ? kSysKeyDown : kKeyDown;
    // Alt's own release is a plain one even though Alt was down until now.
    return (altHeld && !IsAlt(key.code)) || key.code == kVkF10 ? kSysKeyUp : kKeyUp;
}

CDeviceHook::CDeviceHook(Clock clock) : clock_(std::move(clock)) {
    if (!clock_) clock_ = [] { return TickMs(); };
}

CDeviceHook::~CDeviceHook() { RemoveHooks(); }

bool CDeviceHook::InstallHooks(HookMode mode, HookTarget* target, bool wantKeyboard, bool wantMouse) {
    RemoveHooks();
    if ((wantKeyboard || wantMouse) && !sourceAttached_) return false;
    keyboard_ = wantKeyboard;
    mouse_ = wantMouse;
    mode_ = mode;
    target_ = target;
    return true;
}

void CDeviceHook::RemoveHooks() {
    keyboard_ = false;
    mouse_ = false;
}

bool CDeviceHook::FeedKey(bool press, VirtualKey key, bool altHeld) {
    if (!keyboard_) return false;
    KeyHookEvent event;
    event.message = KeyMessageFor(press, key, altHeld);
    event.virtualKey = key.code;
    event.flags = (key.extended ? kKeyFlagExtended : 0u) | (press ? 0u : kKeyFlagUp);
    event.tick = clock_();
    const ModeMessages* messages = MessagesOf(mode_);
    if (messages && messages->key && target_) target_->SendHookMessage(*messages->key, event);
    return !PassesThrough(key.code);
}

bool CDeviceHook::WouldSwallow(VirtualKey key) const { return keyboard_ && !PassesThrough(key.code); }

void CDeviceHook::FeedMouse(std::uint32_t message) {
    if (!mouse_) return;
    const ModeMessages* messages = MessagesOf(mode_);
    if (messages && messages->mouse && target_) {
        target_->PostHookMessage(*messages->mouse, MouseHookEvent{message, clock_()});
    }
}

void HookMessageTable::OnKey(HookMessage message, KeyHandler handler) {
    keys_[static_cast<std::uint32_t>(message)] = std::move(handler);
}

void HookMessageTable::OnMouse(HookMessage message, MouseHandler handler) {
    mice_[static_cast<std::uint32_t>(message)] = std::move(handler);
}

void HookMessageTable::Handle(HookMessage message, const KeyHookEvent& event) const {
    if (const auto text = HookMessageText(message); !text.empty()) debugOut(text);
    const auto it = keys_.find(static_cast<std::uint32_t>(message));
    if (it != keys_.end() && it->second) it->second(event);
}

void HookMessageTable::Handle(HookMessage message, const MouseHookEvent& event) const {
    if (const auto text = HookMessageText(message); !text.empty()) debugOut(text);
    const auto it = mice_.find(static_cast<std::uint32_t>(message));
    if (it != mice_.end() && it->second) it->second(event);
}

}  // namespace corvane::platform
