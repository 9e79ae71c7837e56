#include "macros/pages/macro_editor.h"

#include <algorithm>
#include <iterator>

#include "keys/key_code_tables.h"
#include "macros/macro_files.h"
#include "macros/pages/page_dialogs.h"
#include "macros/pages/step_rows.h"
#include "platform/debug_out.h"
#include "platform/ini_file.h"

namespace corvane::macros::pages {
namespace {

using device::DeviceKind;
using Note = ui::Notification;
using namespace ui::notification_types;

// kind, prefix, import target, insert side, recorded waits rounded, recording mode and messages.
constexpr MacroEditorTraits kKeyboardEditor{DeviceKind::Keyboard, "kb_", ImportTarget::NewMacro, InsertSide::After, true,
                                            platform::HookMode::KeyboardMacro, platform::HookMessage::KeyboardMacroKey,
                                            platform::HookMessage::KeyboardMacroMouse};
constexpr MacroEditorTraits kMouseEditor{DeviceKind::Mouse, "ms_", ImportTarget::SelectedMacro, InsertSide::Before, false,
                                         platform::HookMode::MouseMacro, platform::HookMessage::MouseMacroKey,
                                         platform::HookMessage::MouseMacroMouse};

constexpr const char* kMessageEditing = "message_text_3";
constexpr const char* kMessageAssigned = "message_text_2";
constexpr const char* kMessageDelete = "message_text_4";
constexpr const char* kMessageNameTaken = "message_text_5";
constexpr const char* kMessageTooMany = "message_text_17";
constexpr const char* kMessageRenameFailed = "message_macro_rename_failed";
constexpr const char* kMessageFileFailed = "message_file_failed";
constexpr const char* kStartText = "macro_btn_star_redio_text";
constexpr const char* kStopText = "macro_btn_stop_redio_text";
constexpr const char* kStepHint = "ui_step_hint";
constexpr const char* kRecordingHint = "ui_recording_hint";
// The record button's look, and its red while it records.
constexpr const char* kRecordStyle = "accent_button";
constexpr const char* kRecordingColours[][2] = {{"bkcolor", "#FFD8383E"}, {"hotbkcolor", "#FFE5484D"},
                                                {"pushedbkcolor", "#FFB02A30"}};

constexpr const char* kMacroFilter = "(*.mac) | *.mac ||";
constexpr const char* kMacroExtensionNoDot = "mac";

// Edit pages of "_tab_macro_edit".
constexpr int kNoStepPage = 0;
constexpr int kKeyStepPage = 1;
constexpr int kMouseStepPage = 2;
// Items of the press/release drop-down.
constexpr int kReleaseItem = 0;
constexpr int kPressItem = 1;
constexpr int kMaxDelayEdit = static_cast<int>(kMaxDelayUnits);
constexpr int kMaxDistance = 255;

constexpr const char* kListButtons[] = {"macro_btn_save",   "macro_btn_down",   "macro_btn_up",
                                        "macro_btn_uptop",  "macro_btn_downbottom", "macro_btn_delete",
                                        "macro_btn_deleteall", "macro_btn_cancel"};
constexpr const char* kRecordOptions[] = {"macro_keyboard_event", "macro_mouse_click", "macro_mouse_roller",
                                          "macro_mouse_move", "macro_check_time"};

// The insert panel: a page per mouse button with its press and release buttons (entries of the
// mouse step table), and the four moves with the edit holding their distance.
struct InsertButton {
    const char* name;  // "leftkey" -> "_macro_inset_leftkey_btn" / "_tab"
    std::size_t pressEntry;
};
constexpr InsertButton kInsertButtons[] = {
    {"leftkey", 0}, {"moudlekey", 4}, {"rightkey", 2}, {"forwardkey", 6}, {"backkey", 8}};
struct InsertMoveButton {
    const char* name;
    std::size_t entry;
    const char* distanceEdit;
};
constexpr InsertMoveButton kInsertMoves[] = {{"moveleftkey", 10, "mouse_x_left_edit"},
                                             {"moverightkey", 11, "mouse_x_right_edit"},
                                             {"moveupkey", 12, "mouse_y_up_edit"},
                                             {"movedownkey", 13, "mouse_y_down_edit"}};

bool Checked(const ui::Window& w, const std::string& name) {
    auto* option = w.FindOption(name);
    return option != nullptr && option->IsSelected();
}

// The edit's number, cut to `limit`; the edit then shows what is kept.
int LimitedValue(ui::Edit& edit, int limit) {
    const int v = std::max(0, platform::ToInt(edit.Text()));
    if (v <= limit) return v;
    const std::string text = std::to_string(limit);
    edit.SetText(text);
    edit.SetCaret(static_cast<int>(text.size()));
    return limit;
}

std::string WithoutCommas(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), ','), text.end());
    return text;
}

}  // namespace

const MacroEditorTraits& KeyboardMacroEditor() { return kKeyboardEditor; }
const MacroEditorTraits& MouseMacroEditor() { return kMouseEditor; }

MacroEditor::MacroEditor(lighting::pages::PageModel& model, platform::CaptureHost& capture,
                         const MacroEditorTraits& traits, Hooks hooks)
    : model_(model), capture_(capture), traits_(traits), hooks_(std::move(hooks)), list_(traits.kind) {
    capture_.HookMessages().OnKey(traits_.keyMessage, [this](const platform::KeyHookEvent& e) {
        if (auto step = recorder_.OnKey(e)) AddRecorded(*step);
    });
    capture_.HookMessages().OnMouse(traits_.mouseMessage, [this](const platform::MouseHookEvent& e) {
        if (auto step = recorder_.OnMouse(e)) AddRecorded(*step);
    });
}

MacroEditor::~MacroEditor() {
    if (recorder_.Recording() && capture_.Hook().Mode() == traits_.recordMode) {
        capture_.SetHookMode(traits_.recordMode, false, false, false);
    }
    capture_.HookMessages().OnKey(traits_.keyMessage, {});
    capture_.HookMessages().OnMouse(traits_.mouseMessage, {});
}

// --- routes ---

void MacroEditor::RegisterRoutes(ui::RouteTable& routes) {
    auto set = [&](const char* type, std::string_view rest, ui::RouteTable::Handler handler) {
        const std::string name = Named(rest);
        if (!routes.SetHandler(type, name, std::move(handler))) platform::debugOut("macro editor: no route row for " + name);
    };
    auto click = [&](std::string_view rest, std::function<void()> f) {
        set(kClick, rest, [f = std::move(f)](const Note&) { f(); });
    };
    set(kItem, "MacroName_list", [this](const Note& n) { SelectMacro(ui::ItemIndex(n)); });
    click("macro_btn_name_add", [this] { NewMacro(); });
    click("macro_btn_name_sub", [this] { DeleteMacro(); });
    click("macro_btn_savemacroname", [this] { RenameMacro(); });
    click("macro_btn_save", [this] { Save(); });
    click("macro_btn_cancel", [this] { Cancel(); });
    click("macro_btn_up", [this] { MoveStep(Move::Up); });
    click("macro_btn_down", [this] { MoveStep(Move::Down); });
    click("macro_btn_uptop", [this] { MoveStep(Move::Top); });
    click("macro_btn_downbottom", [this] { MoveStep(Move::Bottom); });
    click("macro_btn_delete", [this] { DeleteStep(); });
    click("macro_btn_deleteall", [this] { DeleteAllSteps(); });
    click("macro_btn_import", [this] { Import(); });
    click("macro_btn_export", [this] { Export(); });
    click("macro_btn_redio", [this] { ToggleRecording(); });
    set(kItemClick, "macro_action", [this](const Note&) { ClickStep(); });
    set(kItem, "macro_combo_keyselect", [this](const Note& n) { ChooseKey(ui::ItemIndex(n)); });
    set(kItem, "macro_combo_upordown", [this](const Note& n) { ChooseDirection(ui::ItemIndex(n)); });
    set(kItem, "macro_combo_mouselect", [this](const Note& n) { ChooseMouseStep(ui::ItemIndex(n)); });
    set(kText, "_macro_edit_ActionDelay", [this](const Note&) { EditKeyDelay(); });
    set(kText, "_macro_edit_mou_action_delay", [this](const Note&) { EditMouseDelay(); });
    set(kText, "macro_edit_mou_pointer_skewing", [this](const Note&) { EditDistance(); });
    set(kSelect, "macro_btn_shubiao", [this](const Note& n) {
        auto* option = dynamic_cast<ui::Option*>(n.sender);
        ShowInsertPanel(option != nullptr && option->IsSelected());
    });
    for (std::size_t i = 0; i < std::size(kInsertButtons); ++i) {
        const InsertButton& b = kInsertButtons[i];
        const std::string base = std::string("macro_inset_") + b.name;
        click(base + "_btn", [this, i] { ShowInsertPage(static_cast<int>(i)); });
        click(base + "down_btn", [this, entry = b.pressEntry] { InsertMouseStep(entry); });
        click(base + "up_btn", [this, entry = b.pressEntry + 1] { InsertMouseStep(entry); });
    }
    for (const InsertMoveButton& m : kInsertMoves) {
        click(std::string("macro_inset_") + m.name + "_btn", [this, m] { InsertMove(m.entry, m.distanceEdit); });
        set(kText, m.distanceEdit, [this, edit = m.distanceEdit](const Note&) { LimitInsertDistance(edit); });
    }
}

// --- controls ---

std::string MacroEditor::Named(std::string_view rest) const { return traits_.prefix + std::string(rest); }
ui::Control* MacroEditor::Find(std::string_view rest) const { return model_.window.Find(Named(rest)); }
ui::ItemList* MacroEditor::NameList() const { return model_.window.FindList(Named("MacroName_list")); }
ui::ItemList* MacroEditor::StepList() const { return model_.window.FindList(Named("Macro_list")); }

void MacroEditor::SelectEditPage(int page) {
    if (auto* pages = model_.window.FindTab(Named("tab_macro_edit"))) pages->SelectPage(page);
}

bool MacroEditor::Editing() const {
    const ui::Control* bar = Find("macro_tab_saveorcancel");
    return bar != nullptr && bar->IsVisible();
}

void MacroEditor::EnterEditing() {
    if (auto* bar = Find("macro_tab_saveorcancel")) bar->SetVisible(true);
    if (auto* names = NameList()) names->SetEnabled(false);
    if (auto* sub = Find("macro_btn_name_sub")) sub->SetEnabled(false);
}

void MacroEditor::LeaveEditing() {
    if (auto* bar = Find("macro_tab_saveorcancel")) bar->SetVisible(false);
    SelectEditPage(kNoStepPage);
    if (auto* sub = Find("macro_btn_name_sub")) sub->SetEnabled(true);
    if (auto* names = NameList()) names->SetEnabled(true);
}

void MacroEditor::SetListButtonsEnabled(bool enabled) {
    for (const char* button : kListButtons) {
        if (auto* c = Find(button)) c->SetEnabled(enabled);
    }
}

void MacroEditor::EnableMacroControls(bool enabled) {
    SetListButtonsEnabled(enabled);
    if (auto* record = Find("macro_btn_redio")) record->SetEnabled(enabled);
    for (const char* option : kRecordOptions) {
        if (auto* c = Find(option)) c->SetEnabled(enabled);
    }
}

void MacroEditor::MacrosChanged() {
    if (hooks_.setMacroNames) hooks_.setMacroNames(traits_.kind, list_.names());
}

void MacroEditor::PutSelection(int index, bool notify) {
    if (auto* names = NameList()) names->SelectItem(index, notify);
}

std::optional<int> MacroEditor::SelectedStep() const {
    const ui::ItemList* steps = StepList();
    if (steps == nullptr || steps->CurSel() < 0) return std::nullopt;
    return steps->CurSel();
}

// --- the macro list ---

void MacroEditor::Init() {
    list_.Load();
    if (auto* names = NameList()) {
        names->RemoveAll();
        for (const std::string& name : list_.names()) names->AddLabelRow(name, name);
    }
    MacrosChanged();
    if (auto* keysCombo = model_.window.FindCombo(Named("macro_combo_keyselect"))) {
        keysCombo->RemoveAll();
        for (std::size_t row = 0; row < kMacroKeyRows; ++row) {
            keysCombo->InsertLabelRow(-1, keys::KeyNames[row], keys::KeyNames[row], kStepRowHeight, /*textIsId=*/true);
        }
    }
    if (auto* record = Find("macro_btn_redio")) {
        record->SetResourceText(true);
        record->SetText(kStartText);
    }
    if (list_.size() == 0) {
        EnableMacroControls(false);
        return;
    }
    PutSelection(static_cast<int>(list_.size()) - 1, /*notify=*/true);
}

void MacroEditor::SelectMacro(int index) {
    if (Editing()) {
        // The steps on screen belong to the macro being edited, and stay its own.
        ShowMessage(model_.window, kMessageEditing);
        PutSelection(current_.value_or(-1), false);
        return;
    }
    if (index < 0 || static_cast<std::size_t>(index) >= list_.size()) return;
    current_ = index;
    if (auto* edit = Find("macro_edit_macroname")) edit->SetText(list_.names()[static_cast<std::size_t>(index)]);
    ShowSteps();
}

void MacroEditor::ShowSteps() {
    ui::ItemList* steps = StepList();
    if (steps == nullptr) return;
    steps->RemoveAll();
    if (current_) {
        for (const MacroAction& step : list_.LoadSteps(*current_)) InsertStepRow(*steps, traits_.prefix, -1, step);
    }
    SelectEditPage(kNoStepPage);
    steps->SelectItem(-1, false);
}

bool MacroEditor::CreateMacro() {
    const auto name = list_.NewMacro();
    if (!name) {
        ShowNumberedMessage(model_.window, kMessageTooMany, kMaxMacros);
        return false;
    }
    if (auto* names = NameList()) names->AddLabelRow(*name, *name);
    MacrosChanged();
    EnableMacroControls(true);
    PutSelection(static_cast<int>(list_.size()) - 1, /*notify=*/true);
    return true;
}

void MacroEditor::NewMacro() {
    if (Editing()) {
        ShowMessage(model_.window, kMessageEditing);
        return;
    }
    CreateMacro();
}

void MacroEditor::DeleteMacro() {
    if (!current_) return;
    const int number = *current_;
    const device::DeviceImages images = model_.State(traits_.kind).Snapshot();
    const bool used = MacroInUse(images.keyBanks, MacroKeyEntryCount(traits_.kind, images.info), number);
    if (used && !Ask(model_.window, kMessageAssigned)) return;
    if (Editing()) {
        ShowMessage(model_.window, kMessageEditing);
        return;
    }
    if (!Ask(model_.window, kMessageDelete)) return;
    // Keys playing the macro get their factory entry back, later macros move down by one.
    model_.State(traits_.kind).Update([&](device::DeviceImages& live) {
        if (!list_.Delete(number, live.keyBanks, live.defaultKeyTable, MacroKeyEntryCount(traits_.kind, live.info))) {
            platform::debugOut("macro editor: the index was not rewritten after deleting macro " + std::to_string(number));
        }
    });
    if (auto* names = NameList()) names->RemoveAt(number);
    MacrosChanged();
    current_.reset();
    if (auto* steps = StepList()) steps->RemoveAll();
    if (list_.size() > 0) {
        PutSelection(0, /*notify=*/true);
    } else {
        if (auto* edit = Find("macro_edit_macroname")) edit->SetText("");
        EnableMacroControls(false);
    }
    if (hooks_.refreshKeyLabels) hooks_.refreshKeyLabels(traits_.kind);
}

void MacroEditor::RenameMacro() {
    if (renaming_ || !current_) return;
    renaming_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{renaming_};
    auto* edit = model_.window.FindEdit(Named("macro_edit_macroname"));
    ui::ItemList* steps = StepList();
    if (edit == nullptr || steps == nullptr) return;
    const int number = *current_;
    const std::string oldName = list_.names()[static_cast<std::size_t>(number)];
    const std::string newName = edit->Text();
    switch (list_.Rename(number, newName, StepsOfList(*steps))) {
        case MacroList::RenameResult::Unchanged: return;
        case MacroList::RenameResult::NameTaken:
            ShowMessage(model_.window, kMessageNameTaken);
            edit->SetText(oldName);
            return;
        case MacroList::RenameResult::Failed:
            ShowMessage(model_.window, kMessageRenameFailed);
            edit->SetText(oldName);
            return;
        case MacroList::RenameResult::Renamed: break;
    }
    if (auto* names = NameList(); names != nullptr && names->ItemAt(number) != nullptr) {
        names->ItemAt(number)->SetText(newName);
        names->ItemAt(number)->SetUserData(newName);
    }
    MacrosChanged();
    if (hooks_.refreshKeyLabels) hooks_.refreshKeyLabels(traits_.kind);
}

// --- saving and discarding the working copy ---

void MacroEditor::Save() {
    if (recorder_.Recording()) return;
    LeaveEditing();
    ui::ItemList* steps = StepList();
    if (!current_ || steps == nullptr) return;
    if (!list_.SaveSteps(*current_, StepsOfList(*steps))) ShowMessage(model_.window, kMessageFileFailed);
}

void MacroEditor::Cancel() {
    if (recorder_.Recording()) return;
    LeaveEditing();
    ShowSteps();
}

// --- the step list ---

void MacroEditor::MoveStep(Move move) {
    ui::ItemList* steps = StepList();
    const auto selected = SelectedStep();
    if (recorder_.Recording() || steps == nullptr || !selected) return;
    const int last = steps->Count() - 1;
    int target = *selected;
    switch (move) {
        case Move::Up: target = std::max(0, *selected - 1); break;
        case Move::Down: target = std::min(last, *selected + 1); break;
        case Move::Top: target = 0; break;
        case Move::Bottom: target = last; break;
    }
    if (target == *selected) return;
    const auto step = StepOfRow(*steps, *selected);
    if (!step) return;
    steps->RemoveAt(*selected);
    InsertStepRow(*steps, traits_.prefix, target, *step);
    steps->SelectItem(target, false);
    EnterEditing();
}

void MacroEditor::DeleteStep() {
    ui::ItemList* steps = StepList();
    const auto selected = SelectedStep();
    if (recorder_.Recording() || steps == nullptr || !selected) return;
    steps->RemoveAt(*selected);
    EnterEditing();
}

void MacroEditor::DeleteAllSteps() {
    ui::ItemList* steps = StepList();
    if (recorder_.Recording() || steps == nullptr) return;
    steps->RemoveAll();
    steps->SelectItem(-1, false);
    EnterEditing();
}

void MacroEditor::ClickStep() {
    ui::ItemList* steps = StepList();
    const auto selected = SelectedStep();
    if (steps == nullptr || !selected) return;
    const auto step = StepOfRow(*steps, *selected);
    if (!step) return;
    EnterEditing();
    ShowStep(*step);
}

void MacroEditor::ShowStep(const MacroAction& step) {
    ui::Window& w = model_.window;
    const std::string units = std::to_string(DelayMs(step) / kDelayUnitMs);
    if (!IsKeyboardStep(step)) {
        SelectEditPage(kMouseStepPage);
        if (auto* combo = w.FindCombo(Named("macro_combo_mouselect"))) {
            const auto entry = MouseStepEntry(step);
            combo->SelectItem(entry ? static_cast<int>(*entry) : -1, false);
        }
        if (auto* page = Find("macro_tab_mou_pointer_skewing")) page->SetVisible(IsMove(step));
        if (auto* distance = w.FindEdit(Named("macro_edit_mou_pointer_skewing")); distance && IsMove(step)) {
            distance->SetText(std::to_string(step.code));
        }
        if (auto* delay = w.FindEdit(Named("_macro_edit_mou_action_delay"))) delay->SetText(units);
        return;
    }
    SelectEditPage(kKeyStepPage);
    if (auto* combo = w.FindCombo(Named("macro_combo_keyselect"))) {
        const auto row = KeyRowOf(step);
        combo->SelectItem(row ? static_cast<int>(*row) : -1, false);
    }
    if (auto* direction = w.FindCombo(Named("macro_combo_upordown"))) {
        direction->SelectItem(step.down == 1 ? kPressItem : kReleaseItem, false);
    }
    if (auto* delay = w.FindEdit(Named("_macro_edit_ActionDelay"))) delay->SetText(units);
}

void MacroEditor::ChangeSelectedStep(const std::function<void(MacroAction&)>& change) {
    ui::ItemList* steps = StepList();
    const auto selected = SelectedStep();
    if (steps == nullptr || !selected) return;
    auto step = StepOfRow(*steps, *selected);
    if (!step) return;
    change(*step);
    ReplaceStepRow(*steps, traits_.prefix, *selected, *step);
    EnterEditing();
}

void MacroEditor::ChooseKey(int item) {
    if (item < 0 || static_cast<std::size_t>(item) >= kMacroKeyRows) return;
    ChangeSelectedStep([item](MacroAction& step) {
        MacroAction key = KeyStep(static_cast<std::size_t>(item), step.down == 1);
        key.delayLow = step.delayLow;
        key.delayHigh = step.delayHigh;
        step = key;
    });
}

void MacroEditor::ChooseDirection(int item) {
    if (item != kReleaseItem && item != kPressItem) return;
    ChangeSelectedStep([item](MacroAction& step) {
        step.down = item == kPressItem ? 1 : 0;
        step.stepKind = static_cast<std::uint8_t>(item == kPressItem ? (step.stepKind | kDownBit)
                                                                     : (step.stepKind & kActionKindMask));
    });
}

void MacroEditor::ChooseMouseStep(int item) {
    if (item < 0 || static_cast<std::size_t>(item) >= kMouseStepTypes.size()) return;
    const MouseStepType& type = kMouseStepTypes[static_cast<std::size_t>(item)];
    if (!SelectedStep()) return;
    if (auto* page = Find("macro_tab_mou_pointer_skewing")) page->SetVisible(type.move);
    ChangeSelectedStep([&type](MacroAction& step) {
        const bool wasMove = IsMove(step);
        step.stepKind = type.stepKind;
        step.label = type.label;
        if (type.move) {
            if (!wasMove) step.code = 0;
        } else {
            step.code = type.code;
            step.down = IsDown(step) ? 1 : 0;
        }
    });
}

void MacroEditor::EditDelay(const char* editName) {
    auto* edit = model_.window.FindEdit(Named(editName));
    if (edit == nullptr) return;
    const int units = LimitedValue(*edit, kMaxDelayEdit);
    ChangeSelectedStep([units](MacroAction& step) { SetDelayMs(step, static_cast<std::uint32_t>(units) * kDelayUnitMs); });
}

void MacroEditor::EditKeyDelay() { EditDelay("_macro_edit_ActionDelay"); }
void MacroEditor::EditMouseDelay() { EditDelay("_macro_edit_mou_action_delay"); }

void MacroEditor::EditDistance() {
    auto* edit = model_.window.FindEdit(Named("macro_edit_mou_pointer_skewing"));
    if (edit == nullptr) return;
    const int distance = LimitedValue(*edit, kMaxDistance);
    ui::ItemList* steps = StepList();
    const auto selected = SelectedStep();
    if (steps == nullptr || !selected) return;
    const auto step = StepOfRow(*steps, *selected);
    if (!step || !IsMove(*step)) return;
    ChangeSelectedStep([distance](MacroAction& s) { s.code = static_cast<std::uint8_t>(distance); });
}

void MacroEditor::LimitInsertDistance(const char* editName) {
    if (auto* edit = model_.window.FindEdit(Named(editName))) LimitedValue(*edit, kMaxDistance);
}

// --- the insert panel ---

void MacroEditor::ShowInsertPanel(bool shown) {
    if (auto* panel = Find("MacroMouseEvent")) panel->SetVisible(shown);
    if (auto* names = Find("MacroName")) names->SetVisible(!shown);
}

void MacroEditor::ShowInsertPage(int button) {
    for (std::size_t i = 0; i < std::size(kInsertButtons); ++i) {
        if (auto* page = Find(std::string("macro_inset_") + kInsertButtons[i].name + "_tab")) {
            page->SetVisible(static_cast<int>(i) == button);
        }
    }
}

void MacroEditor::InsertMouseStep(std::size_t entry) { InsertStep(MouseStep(entry)); }

void MacroEditor::InsertMove(std::size_t entry, const char* distanceEdit) {
    int distance = 0;
    if (auto* edit = model_.window.FindEdit(Named(distanceEdit))) distance = LimitedValue(*edit, kMaxDistance);
    InsertStep(MouseStep(entry, static_cast<std::uint8_t>(distance)));
}

void MacroEditor::InsertStep(const MacroAction& step) {
    ui::ItemList* steps = StepList();
    ui::ItemList* names = NameList();
    if (recorder_.Recording() || steps == nullptr || names == nullptr || names->Count() == 0 || !current_) return;
    EnterEditing();
    if (steps->Count() == 0) {
        InsertStepRow(*steps, traits_.prefix, 0, step);
        steps->SelectItem(0, false);
        return;
    }
    const int selected = steps->CurSel();
    if (traits_.insertSide == InsertSide::After) {
        InsertStepRow(*steps, traits_.prefix, std::max(selected, 0) + 1, step);
        steps->SelectItem(selected, false);
    } else {
        InsertStepRow(*steps, traits_.prefix, std::max(selected, 0), step);
        steps->SelectItem(selected < 0 ? -1 : selected + 1, false);
    }
}

// --- import and export ---

void MacroEditor::Import() {
    if (Editing()) {
        // An import replaces the steps on screen: the edited ones are saved or dropped first.
        ShowMessage(model_.window, kMessageEditing);
        return;
    }
    if (list_.size() > 0 && !current_) return;
    if (traits_.import == ImportTarget::SelectedMacro && list_.size() == 0 && !CreateMacro()) return;
    const auto chosen = ChooseFile(model_.window, ui::FileDialogMode::Open, kMacroFilter, kMacroExtensionNoDot);
    if (!chosen) return;
    if (traits_.import == ImportTarget::NewMacro) CreateMacro();  // refused: the selected macro takes it
    if (current_) ImportInto(*current_, *chosen);
}

void MacroEditor::ImportInto(int number, const std::string& file) {
    if (!list_.Import(number, file)) {
        ShowMessage(model_.window, kMessageFileFailed);
        return;
    }
    if (current_ == number) ShowSteps();
}

void MacroEditor::Export() {
    if (!current_) return;
    const auto chosen = ChooseFile(model_.window, ui::FileDialogMode::Save, kMacroFilter, kMacroExtensionNoDot,
                                   list_.names()[static_cast<std::size_t>(*current_)] + std::string(kMacroExtension));
    if (!chosen) return;
    if (!list_.Export(*current_, *chosen)) ShowMessage(model_.window, kMessageFileFailed);
}

// --- recording ---

void MacroEditor::ToggleRecording() {
    const ui::ItemList* names = NameList();
    if (names == nullptr || names->Count() == 0) return;
    EnterEditing();
    SelectEditPage(kNoStepPage);
    if (recorder_.Recording()) {
        StopRecording();
    } else {
        StartRecording();
    }
}

void MacroEditor::StartRecording() {
    ui::Window& w = model_.window;
    const bool keyboard = Checked(w, Named("macro_keyboard_event"));
    const bool clicks = Checked(w, Named("macro_mouse_click"));
    const bool mouse = clicks || Checked(w, Named("macro_mouse_roller")) || Checked(w, Named("macro_mouse_move"));
    MacroRecorder::Options options;
    options.mouseClicks = clicks;
    options.fixedDelay = Checked(w, Named("macro_check_time"));
    options.roundToUnit = traits_.roundRecordedDelays;
    for (const char* option : kRecordOptions) {
        if (auto* c = Find(option)) c->SetEnabled(false);
    }
    if (!capture_.SetHookMode(traits_.recordMode, true, keyboard, mouse)) {
        platform::debugOut("macro editor: the window's input could not be captured for recording");
    }
    recorder_.Start(capture_.Hook().Now(), options);
    if (auto* steps = StepList()) steps->SetEnabled(false);
    if (auto* names = NameList()) names->SetEnabled(false);
    SetListButtonsEnabled(false);
    if (auto* record = Find("macro_btn_redio")) {
        record->SetText(kStopText);
        for (const auto& [attribute, colour] : kRecordingColours) record->SetAttribute(attribute, colour);
    }
    if (auto* hint = Find("macro_step_hint")) hint->SetText(kRecordingHint);
}

void MacroEditor::StopRecording() {
    if (capture_.Hook().Mode() == traits_.recordMode) capture_.SetHookMode(traits_.recordMode, false, false, false);
    recorder_.Stop();
    for (const char* option : kRecordOptions) {
        if (auto* c = Find(option)) c->SetEnabled(true);
    }
    if (auto* steps = StepList()) steps->SetEnabled(true);
    SetListButtonsEnabled(true);
    // The name list stays off: the recorded steps are not saved yet.
    if (auto* record = Find("macro_btn_redio")) {
        record->SetText(kStartText);
        record->SetAttribute("style", kRecordStyle);
    }
    if (auto* hint = Find("macro_step_hint")) hint->SetText(kStepHint);
}

void MacroEditor::AddRecorded(const RecordedStep& recorded) {
    ui::ItemList* steps = StepList();
    if (steps == nullptr) return;
    if (recorded.mouseButton) {
        MacroAction step = recorded.action;
        step.label = WithoutCommas(model_.window.LanguageText(step.label));
        InsertRecordedRow(*steps, -1, step, 0);
    } else {
        InsertStepRow(*steps, traits_.prefix, -1, recorded.action);
    }
    const int count = steps->Count();
    if (count > 1) {
        // The time up to this event is the wait after the previous step.
        if (auto previous = StepOfRow(*steps, count - 2)) {
            SetDelayMs(*previous, recorded.previousDelayMs);
            ReplaceStepRow(*steps, traits_.prefix, count - 2, *previous, recorded.previousDelayMs);
        }
    }
    steps->NeedUpdate();
}

}  // namespace corvane::macros::pages
