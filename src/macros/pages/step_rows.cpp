#include "macros/pages/step_rows.h"

#include "ui/window.h"

namespace corvane::macros::pages {
namespace {

constexpr const char* kKeyboardStyle = "macro_label_keyboard_style";
constexpr const char* kMouseStyle = "macro_label_mouse_style";
constexpr const char* kDownStyle = "macro_label_down_style";
constexpr const char* kUpStyle = "macro_label_up_style";
constexpr const char* kTextStyle = "macro_label_text_style";
constexpr const char* kPressMark = "\u25BC";
constexpr const char* kReleaseMark = "\u25B2";
constexpr const char* kStepRowSuffix = "macro_action";

}  // namespace

MacroAction MouseStep(std::size_t entry, std::uint8_t distance) {
    const MouseStepType& type = kMouseStepTypes[entry < kMouseStepTypes.size() ? entry : 0];
    MacroAction step;
    SetDelayMs(step, kEditorStepDelayMs);
    step.stepKind = type.stepKind;
    step.code = type.move ? distance : type.code;
    step.down = IsDown(step) ? 1 : 0;
    step.label = type.label;
    return step;
}

std::optional<std::size_t> MouseStepEntry(const MacroAction& step) {
    for (std::size_t i = 0; i < kMouseStepTypes.size(); ++i) {
        const MouseStepType& type = kMouseStepTypes[i];
        if (type.stepKind != step.stepKind) continue;
        if (type.move || type.code == step.code) return i;
    }
    return std::nullopt;
}

std::string StepRowName(std::string_view prefix) { return std::string(prefix) + kStepRowSuffix; }

std::vector<ui::RowLabel> StepRowLabels(const MacroAction& step, std::optional<std::uint32_t> shownDelayMs) {
    std::vector<ui::RowLabel> labels(3);
    labels[0] = {step.label, IsKeyboardStep(step) ? kKeyboardStyle : kMouseStyle, true};
    if (IsMove(step)) {
        labels[1] = {std::to_string(step.code), kTextStyle, false};
    } else {
        labels[1] = {std::string(), step.down == 1 ? kDownStyle : kUpStyle, false};
    }
    labels[2] = {std::to_string(shownDelayMs.value_or(DelayMs(step))), kTextStyle, false};
    return labels;
}

std::vector<std::string> RecordedRowColumns(const MacroAction& step, std::uint32_t shownDelayMs) {
    return {step.label, step.down == 1 ? kPressMark : kReleaseMark, std::to_string(shownDelayMs)};
}

ui::Control* InsertStepRow(ui::ItemList& list, std::string_view prefix, int index, const MacroAction& step,
                           std::optional<std::uint32_t> shownDelayMs) {
    return list.InsertContainerRow(index, StepRowName(prefix), formatAction(step), kStepRowHeight,
                                   StepRowLabels(step, shownDelayMs));
}

ui::Control* InsertRecordedRow(ui::ItemList& list, int index, const MacroAction& step, std::uint32_t shownDelayMs) {
    return list.InsertTextRow(index, kRecordedRowName, formatAction(step), kRecordedRowHeight,
                              RecordedRowColumns(step, shownDelayMs));
}

bool IsRecordedRow(const ui::Control& row) { return ui::EqualsIgnoreCase(row.Name(), kRecordedRowName); }

std::optional<MacroAction> StepOfRow(const ui::ItemList& list, int index) {
    const ui::Control* row = list.ItemAt(index);
    if (row == nullptr) return std::nullopt;
    return parseAction(row->UserData());
}

std::vector<MacroAction> StepsOfList(const ui::ItemList& list) {
    std::vector<MacroAction> steps;
    for (int i = 0; i < list.Count(); ++i) steps.push_back(StepOfRow(list, i).value_or(MacroAction{}));
    return steps;
}

void ReplaceStepRow(ui::ItemList& list, std::string_view prefix, int index, const MacroAction& step,
                    std::optional<std::uint32_t> shownDelayMs) {
    const ui::Control* row = list.ItemAt(index);
    if (row == nullptr) return;
    const bool recorded = IsRecordedRow(*row);
    const bool selected = list.CurSel() == index;
    list.RemoveAt(index);
    if (recorded) {
        InsertRecordedRow(list, index, step, shownDelayMs.value_or(DelayMs(step)));
    } else {
        InsertStepRow(list, prefix, index, step, shownDelayMs);
    }
    if (selected) list.SelectItem(index, false);
}

}  // namespace corvane::macros::pages
