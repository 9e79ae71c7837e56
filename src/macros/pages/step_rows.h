#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "macros/macro_action.h"
#include "ui/control.h"

namespace corvane::macros::pages {

// The mouse steps the editor offers, in the order of its mouse drop-down and of the insert
// buttons: presses and releases of the five buttons, then the four moves.
struct MouseStepType {
    std::uint8_t stepKind;
    std::uint8_t code;   // button bit; moves take their distance instead
    const char* label;   // text id
    bool move;
};
inline constexpr std::array<MouseStepType, 14> kMouseStepTypes = {{
    {0x81, 0x01, "mouse_key_left", false},
    {0x01, 0x01, "mouse_key_left", false},
    {0x81, 0x02, "mouse_key_right", false},
    {0x01, 0x02, "mouse_key_right", false},
    {0x81, 0x04, "mouse_key_middle", false},
    {0x01, 0x04, "mouse_key_middle", false},
    {0x81, 0x10, "mouse_key_forward", false},
    {0x01, 0x10, "mouse_key_forward", false},
    {0x81, 0x08, "mouse_key_back", false},
    {0x01, 0x08, "mouse_key_back", false},
    {0x84, 0, "mouse_move_to_left_text", true},
    {0x04, 0, "mouse_move_to_right_text", true},
    {0x85, 0, "mouse_move_to_up_text", true},
    {0x05, 0, "mouse_move_to_down_text", true},
}};

// The step of a table entry with the editor's own delay of 50 ms (moves by `distance`).
MacroAction MouseStep(std::size_t entry, std::uint8_t distance = 0);
// The drop-down entry that shows a mouse step: the first with its kind and code, for moves the
// entry of the axis and direction. None for a step the table does not hold.
std::optional<std::size_t> MouseStepEntry(const MacroAction& step);
constexpr bool IsMove(const MacroAction& step) {
    return KindBits(step) == static_cast<std::uint8_t>(ActionKind::MoveX) ||
           KindBits(step) == static_cast<std::uint8_t>(ActionKind::MoveY);
}

// Row names and heights: the editor's rows, and the recorder's plain rows of mouse buttons.
inline constexpr int kStepRowHeight = 30;
inline constexpr int kRecordedRowHeight = 25;
inline constexpr std::string_view kRecordedRowName = "macro_action";
std::string StepRowName(std::string_view prefix);  // "kb_macro_action" / "ms_macro_action"

// The three labels of a step row: the step's label, press/release mark (a move's distance),
// and the delay in ms (`shownDelayMs` when the row shows a measured time instead).
std::vector<ui::RowLabel> StepRowLabels(const MacroAction& step, std::optional<std::uint32_t> shownDelayMs = {});
// The three columns of a recorded mouse-button row: its already translated text, the mark, the
// delay in ms.
std::vector<std::string> RecordedRowColumns(const MacroAction& step, std::uint32_t shownDelayMs);

// A step row of the editor at `index` (-1 appends); the row's user data is the step's text form.
ui::Control* InsertStepRow(ui::ItemList& list, std::string_view prefix, int index, const MacroAction& step,
                           std::optional<std::uint32_t> shownDelayMs = {});
ui::Control* InsertRecordedRow(ui::ItemList& list, int index, const MacroAction& step, std::uint32_t shownDelayMs);
bool IsRecordedRow(const ui::Control& row);

// The step a row stands for (its user data).
std::optional<MacroAction> StepOfRow(const ui::ItemList& list, int index);
std::vector<MacroAction> StepsOfList(const ui::ItemList& list);
// Rebuilds row `index` for a changed step, keeping its kind of row and the selection.
void ReplaceStepRow(ui::ItemList& list, std::string_view prefix, int index, const MacroAction& step,
                    std::optional<std::uint32_t> shownDelayMs = {});

}  // namespace corvane::macros::pages
