#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "device/device_kind.h"
#include "lighting/pages/page_model.h"
#include "macros/macro_list.h"
#include "macros/macro_recorder.h"
#include "platform/input_capture.h"
#include "ui/routes.h"

namespace corvane::macros::pages {

// Where a file chosen for import goes.
enum class ImportTarget {
    NewMacro,       // a new macro is made for it (the selected one when none can be made)
    SelectedMacro,  // over the selected macro; a new one only when there is no macro at all
};
// Where an inserted mouse step goes, relative to the selected row.
enum class InsertSide { After, Before };

// What differs between the keyboard's and the mouse's macro editor. (The mouse's index is
// rewritten with its cursor-script section on delete: MacroList knows that by the device.)
struct MacroEditorTraits {
    device::DeviceKind kind;
    const char* prefix;  // of the control names: "kb_" / "ms_"
    ImportTarget import;
    InsertSide insertSide;
    bool roundRecordedDelays;  // rows show recorded waits rounded down to 10 ms
    platform::HookMode recordMode;
    platform::HookMessage keyMessage;
    platform::HookMessage mouseMessage;
};
const MacroEditorTraits& KeyboardMacroEditor();
const MacroEditorTraits& MouseMacroEditor();

// One device's macro editor: the list of macros, the working copy of the selected macro's steps
// in the step list (each row's user data is its step), the step editors, the mouse insert panel
// and the recorder. The working copy reaches the macro's file on save, rename or import only.
// While it differs from the file (the save/cancel bar is shown) the editor stays on its macro.
// UI thread only.
class MacroEditor {
public:
    struct Hooks {
        // The key editor's macro drop-down follows the list (item i is macro i).
        std::function<void(device::DeviceKind, const std::vector<std::string>&)> setMacroNames;
        // Key labels show macros by number and name.
        std::function<void(device::DeviceKind)> refreshKeyLabels;
    };

    MacroEditor(lighting::pages::PageModel& model, platform::CaptureHost& capture, const MacroEditorTraits& traits,
                Hooks hooks);
    ~MacroEditor();
    MacroEditor(const MacroEditor&) = delete;
    MacroEditor& operator=(const MacroEditor&) = delete;

    void RegisterRoutes(ui::RouteTable& routes);
    // Start-up: the lists from the index, the last macro selected as by the user.
    void Init();

    // The handlers, by control.
    void SelectMacro(int index);
    void NewMacro();
    void DeleteMacro();
    void RenameMacro();
    void Save();
    void Cancel();
    enum class Move { Up, Down, Top, Bottom };
    void MoveStep(Move move);
    void DeleteStep();
    void DeleteAllSteps();
    void Import();
    void Export();
    void ClickStep();
    void ChooseKey(int item);
    void ChooseDirection(int item);
    void ChooseMouseStep(int item);
    void EditKeyDelay();
    void EditMouseDelay();
    void EditDistance();
    void LimitInsertDistance(const char* edit);
    void ShowInsertPanel(bool shown);
    void ShowInsertPage(int button);
    void InsertMouseStep(std::size_t entry);
    void InsertMove(std::size_t entry, const char* distanceEdit);
    void ToggleRecording();

    const MacroList& Macros() const { return list_; }
    bool Editing() const;
    bool IsRecording() const { return recorder_.Recording(); }
    // The macro whose steps the step list holds.
    std::optional<int> Current() const { return current_; }

private:
    std::string Named(std::string_view rest) const;
    ui::Control* Find(std::string_view rest) const;
    ui::ItemList* NameList() const;
    ui::ItemList* StepList() const;
    void SelectEditPage(int page);
    void EnterEditing();
    void LeaveEditing();
    void ShowSteps();
    void EnableMacroControls(bool enabled);
    void SetListButtonsEnabled(bool enabled);
    void MacrosChanged();
    // Selects `index` in the name list as the user would, or only marks it.
    void PutSelection(int index, bool notify);
    std::optional<int> SelectedStep() const;
    void ChangeSelectedStep(const std::function<void(MacroAction&)>& change);
    void ShowStep(const MacroAction& step);
    void InsertStep(const MacroAction& step);
    void EditDelay(const char* edit);
    bool CreateMacro();
    void ImportInto(int number, const std::string& file);
    void StartRecording();
    void StopRecording();
    void AddRecorded(const RecordedStep& recorded);

    lighting::pages::PageModel& model_;
    platform::CaptureHost& capture_;
    const MacroEditorTraits& traits_;
    Hooks hooks_;
    MacroList list_;
    std::optional<int> current_;
    MacroRecorder recorder_;
    bool renaming_ = false;
};

}  // namespace corvane::macros::pages
