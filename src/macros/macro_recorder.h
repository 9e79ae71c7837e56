#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "macros/macro_action.h"
#include "platform/input_capture.h"

namespace corvane::macros {

// The 104 ordinary keys: the first rows of the virtual-key table, the only keys macros use.
inline constexpr std::size_t kMacroKeyRows = 104;
// The longest wait one step can carry, in milliseconds.
inline constexpr std::uint32_t kMaxStepDelayMs = kMaxDelayUnits * kDelayUnitMs;
// The wait every step gets with the fixed-delay option.
inline constexpr std::uint32_t kFixedRecordDelayMs = 50;

// A captured event turned into a step. The step carries no delay yet: `previousDelayMs` is the
// time since the previous event (or the start), which belongs to the row before this one.
struct RecordedStep {
    MacroAction action;
    std::uint32_t previousDelayMs = 0;
    // Mouse buttons: the label is a text id the row shows translated, as plain text.
    bool mouseButton = false;
};

// Turns the key and mouse events of one recording into steps. Times come from the events'
// own stamps and the start tick, so a test drives it with any clock.
class MacroRecorder {
public:
    struct Options {
        bool mouseClicks = false;   // left, right and middle presses and releases become steps
        bool fixedDelay = false;    // every wait is 50 ms whatever the real timing
        bool roundToUnit = false;   // waits shown rounded down to the 10 ms the step stores
    };

    void Start(std::uint64_t now, Options options);
    void Stop() { recording_ = false; }
    bool Recording() const { return recording_; }

    // A key press or release; nothing for a key auto-repeating, or one outside the ordinary keys.
    std::optional<RecordedStep> OnKey(const platform::KeyHookEvent& event);
    // A left, right or middle press or release when clicks are recorded; nothing for any other
    // mouse event or for the same event twice in a row.
    std::optional<RecordedStep> OnMouse(const platform::MouseHookEvent& event);

private:
    std::uint32_t Measure(std::uint64_t now);

    bool recording_ = false;
    Options options_;
    std::uint64_t lastTick_ = 0;
    std::uint16_t lastKey_ = 0;
    std::uint32_t lastMouseMessage_ = 0;
};

// The key step of the ordinary key in row `row` of the virtual-key table: a modifier step for a
// modifier alone, otherwise a key step by its usage; `down` sets the press bit.
MacroAction KeyStep(std::size_t row, bool down);
// The row of the ordinary key a key step plays, by its usage or modifier bit.
std::optional<std::size_t> KeyRowOf(const MacroAction& step);

}  // namespace corvane::macros
