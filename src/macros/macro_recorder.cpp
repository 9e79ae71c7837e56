#include "macros/macro_recorder.h"

#include <algorithm>
#include <iterator>

#include "keys/key_code_tables.h"

namespace corvane::macros {
namespace {

struct MouseButtonEvent {
    std::uint32_t message;
    bool press;
    std::uint8_t code;
    const char* label;
};
constexpr MouseButtonEvent kMouseButtonEvents[] = {
    {platform::kLeftButtonDown, true, 0x01, "mouse_key_left"},
    {platform::kLeftButtonUp, false, 0x01, "mouse_key_left"},
    {platform::kRightButtonDown, true, 0x02, "mouse_key_right"},
    {platform::kRightButtonUp, false, 0x02, "mouse_key_right"},
    {platform::kMiddleButtonDown, true, 0x04, "mouse_key_middle"},
    {platform::kMiddleButtonUp, false, 0x04, "mouse_key_middle"},
};

static_assert(kMacroKeyRows <= keys::kVirtualKeyRows);

std::optional<std::size_t> OrdinaryKeyRow(std::uint16_t code) {
    for (std::size_t i = 0; i < kMacroKeyRows; ++i) {
        if (keys::VirtualKeyTable[i].tag == code) return i;
    }
    return std::nullopt;
}

std::uint8_t WithDown(ActionKind kind, bool down) {
    return static_cast<std::uint8_t>(static_cast<std::uint8_t>(kind) | (down ? kDownBit : 0));
}

}  // namespace

MacroAction KeyStep(std::size_t row, bool down) {
    const keys::KeyCodeRow& key = keys::VirtualKeyTable[std::min(row, kMacroKeyRows - 1)];
    MacroAction step;
    const bool usage = key.param2 != 0;
    step.stepKind = WithDown(usage ? ActionKind::Key : ActionKind::ModifierKey, down);
    step.code = usage ? key.param2 : key.param1;
    step.down = down ? 1 : 0;
    step.label = std::string(keys::KeyNames[std::min(row, kMacroKeyRows - 1)]);
    return step;
}

std::optional<std::size_t> KeyRowOf(const MacroAction& step) {
    const bool modifier = KindBits(step) == static_cast<std::uint8_t>(ActionKind::ModifierKey);
    for (std::size_t i = 0; i < kMacroKeyRows; ++i) {
        const keys::KeyCodeRow& key = keys::VirtualKeyTable[i];
        if (modifier ? (key.param2 == 0 && key.param1 == step.code) : key.param2 == step.code) return i;
    }
    return std::nullopt;
}

void MacroRecorder::Start(std::uint64_t now, Options options) {
    recording_ = true;
    options_ = options;
    lastTick_ = now;
    // A key still held from an earlier recording must not swallow this one's first press.
    lastKey_ = 0;
    lastMouseMessage_ = 0;
}

std::uint32_t MacroRecorder::Measure(std::uint64_t now) {
    // Unsigned difference, as the tick wraps.
    std::uint64_t t = now - lastTick_;
    lastTick_ = now;
    if (options_.roundToUnit) t -= t % kDelayUnitMs;
    t = std::min<std::uint64_t>(t, kMaxStepDelayMs);
    if (options_.fixedDelay) t = kFixedRecordDelayMs;
    return static_cast<std::uint32_t>(t);
}

std::optional<RecordedStep> MacroRecorder::OnKey(const platform::KeyHookEvent& event) {
    if (!recording_) return std::nullopt;
    const std::uint16_t key = keys::CaptureCode(event.virtualKey, event.IsExtended());
    if (event.IsPress()) {
        if (key == lastKey_) return std::nullopt;  // auto-repeat
        lastKey_ = key;
    } else if (key == lastKey_) {
        lastKey_ = 0;
    }
    const auto row = OrdinaryKeyRow(key);
    if (!row) return std::nullopt;
    RecordedStep step{KeyStep(*row, event.IsPress()), Measure(event.tick), false};
    return step;
}

std::optional<RecordedStep> MacroRecorder::OnMouse(const platform::MouseHookEvent& event) {
    if (!recording_) return std::nullopt;
    const auto* button = std::find_if(std::begin(kMouseButtonEvents), std::end(kMouseButtonEvents),
                                      [&](const MouseButtonEvent& b) { return b.message == event.message; });
    if (button == std::end(kMouseButtonEvents) || !options_.mouseClicks) return std::nullopt;
    if (event.message == lastMouseMessage_) return std::nullopt;
    lastMouseMessage_ = event.message;
    RecordedStep step;
    step.action.stepKind = WithDown(ActionKind::MouseButton, button->press);
    step.action.code = button->code;
    step.action.down = button->press ? 1 : 0;
    step.action.label = button->label;
    step.previousDelayMs = Measure(event.tick);
    step.mouseButton = true;
    return step;
}

}  // namespace corvane::macros
