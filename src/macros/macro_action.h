#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvane::macros {

// Bits 0..6 of a step's kind byte.
enum class ActionKind : std::uint8_t {
    MouseButton = 1,
    MoveX = 4,
    MoveY = 5,
    ModifierKey = 9,
    Key = 10,
};

// Press for keys and buttons; left or up for moves.
inline constexpr std::uint8_t kDownBit = 0x80;
inline constexpr std::uint8_t kActionKindMask = 0x7F;
// Kinds from here up are keyboard steps, lower ones mouse steps.
inline constexpr std::uint8_t kFirstKeyboardKind = 9;

// Delays are stored in units of 10 ms, in two bytes.
inline constexpr std::uint32_t kDelayUnitMs = 10;
inline constexpr std::uint32_t kMaxDelayUnits = 0xFFFF;
inline constexpr std::uint32_t kEditorStepDelayMs = 50;

// Bytes of one step in the device's memory: delayLow, delayHigh, stepKind, code.
inline constexpr std::size_t kStepBytes = 4;

// One macro step; the delay is waited after it. Only the first four fields reach a device;
// `down` mirrors the down bit for display and `label` is the step's display text id.
struct MacroAction {
    std::uint8_t delayLow = 0;
    std::uint8_t delayHigh = 0;
    std::uint8_t stepKind = 0;
    std::uint8_t code = 0;
    std::uint16_t down = 0;
    std::string label;

    friend bool operator==(const MacroAction&, const MacroAction&) = default;
};

// The text form "delayLow,delayHigh,stepKind,code,down,label".
std::string formatAction(const MacroAction& action);

// Reads a text form from the right: the label after the last comma, then down, code, stepKind,
// delayHigh, and whatever is left of the fifth comma from the right as delayLow. Each number is a
// signed decimal (leading digits; none gives 0) cut to its field's width. Nothing when the line
// has fewer than five commas.
std::optional<MacroAction> parseAction(std::string_view line);

// ms / 10 in the two delay bytes (longer delays stop at the largest storable one).
void SetDelayMs(MacroAction& action, std::uint32_t ms);
std::uint32_t DelayMs(const MacroAction& action);

constexpr std::uint8_t KindBits(const MacroAction& a) { return a.stepKind & kActionKindMask; }
constexpr bool IsDown(const MacroAction& a) { return (a.stepKind & kDownBit) != 0; }
constexpr bool IsKeyboardStep(const MacroAction& a) { return KindBits(a) >= kFirstKeyboardKind; }

// The four bytes of the step in device memory.
std::array<std::uint8_t, kStepBytes> StepBytes(const MacroAction& action);

}  // namespace corvane::macros
