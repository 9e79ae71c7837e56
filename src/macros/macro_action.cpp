#include "macros/macro_action.h"

#include <algorithm>
#include <array>

#include "platform/ini_file.h"

namespace corvane::macros {
namespace {

constexpr char kSeparator = ',';
constexpr std::size_t kNumberFields = 5;
constexpr std::uint32_t kByteRange = 256;

}  // namespace

std::string formatAction(const MacroAction& a) {
    return std::to_string(a.delayLow) + kSeparator + std::to_string(a.delayHigh) + kSeparator +
           std::to_string(a.stepKind) + kSeparator + std::to_string(a.code) + kSeparator +
           std::to_string(a.down) + kSeparator + a.label;
}

std::optional<MacroAction> parseAction(std::string_view line) {
    // Fields from the right: label, down, code, stepKind, delayHigh; the rest is delayLow.
    std::array<std::string_view, kNumberFields> numbers;  // delayLow .. down
    MacroAction action;
    auto rest = line;
    auto cut = rest.rfind(kSeparator);
    if (cut == std::string_view::npos) return std::nullopt;
    action.label = std::string(rest.substr(cut + 1));
    rest = rest.substr(0, cut);
    for (std::size_t field = kNumberFields - 1; field > 0; --field) {
        cut = rest.rfind(kSeparator);
        if (cut == std::string_view::npos) return std::nullopt;
        numbers[field] = rest.substr(cut + 1);
        rest = rest.substr(0, cut);
    }
    numbers[0] = rest;
    auto value = [&](std::size_t field) { return platform::ToInt(numbers[field]); };
    action.delayLow = static_cast<std::uint8_t>(value(0));
    action.delayHigh = static_cast<std::uint8_t>(value(1));
    action.stepKind = static_cast<std::uint8_t>(value(2));
    action.code = static_cast<std::uint8_t>(value(3));
    action.down = static_cast<std::uint16_t>(value(4));
    return action;
}

void SetDelayMs(MacroAction& action, std::uint32_t ms) {
    const std::uint32_t units = std::min(ms / kDelayUnitMs, kMaxDelayUnits);
    action.delayLow = static_cast<std::uint8_t>(units % kByteRange);
    action.delayHigh = static_cast<std::uint8_t>(units / kByteRange);
}

std::uint32_t DelayMs(const MacroAction& action) {
    return (action.delayLow + kByteRange * action.delayHigh) * kDelayUnitMs;
}

std::array<std::uint8_t, kStepBytes> StepBytes(const MacroAction& a) {
    return {a.delayLow, a.delayHigh, a.stepKind, a.code};
}

}  // namespace corvane::macros
