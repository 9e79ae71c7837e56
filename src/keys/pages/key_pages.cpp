#include "keys/pages/key_pages.h"

#include <algorithm>

#include "keys/key_code_tables.h"
#include "keys/pages/key_label_view.h"

namespace corvane::keys::pages {
namespace {

using device::DeviceKind;
using platform::HookMode;
using Note = ui::Notification;
using namespace ui::notification_types;
using ui::ItemIndex;

constexpr const char* kOnlyLeftClickMessage = "message_text_6";
constexpr const char* kListeningHint = "ui_fct_listening";
// The key field's frame while it listens, and otherwise (the skin's edit border).
constexpr const char* kListeningBorder = "#FF0199CB";
constexpr const char* kQuietBorder = "#FF2C3140";

// What differs between the two editors.
struct EditorTraits {
    DeviceKind kind;
    std::size_t slot;
    HookMode captureMode;
    platform::HookMessage captureMessage;
    const char* keyBorder;  // the frame of a key or button of the picture (its skin style's)
};
constexpr EditorTraits kEditors[] = {
    {DeviceKind::Keyboard, 0, HookMode::KeyboardKeyEditor, platform::HookMessage::KeyboardEditorKey, "#FF363C4E"},
    {DeviceKind::Mouse, 1, HookMode::MouseKeyEditor, platform::HookMessage::MouseEditorKey, "#FF2C3140"},
};
// The frame of the key whose function page is open.
constexpr const char* kOpenKeyBorder = "#FF0199CB";

const EditorTraits* TraitsOf(DeviceKind kind) {
    for (const EditorTraits& t : kEditors) {
        if (t.kind == kind) return &t;
    }
    return nullptr;
}

bool IsKeyEditorMode(HookMode mode) {
    return std::any_of(std::begin(kEditors), std::end(kEditors),
                       [mode](const EditorTraits& t) { return t.captureMode == mode; });
}

std::size_t ActiveBank(const device::DeviceImages& images) {
    return std::min<std::size_t>(images.activeLighting[device::kActiveSlotOffset], device::kKeyBankCount - 1);
}

std::string Number(int n) { return std::to_string(n); }

}  // namespace

KeyPages::KeyPages(lighting::pages::PageModel& model, ui::RouteTable& router, platform::CaptureHost& capture)
    : model_(model), capture_(capture) {
    RegisterRoutes(router);
    for (const EditorTraits& t : kEditors) {
        capture_.HookMessages().OnKey(t.captureMessage, [this, kind = t.kind](const platform::KeyHookEvent& e) {
            CapturedKey(kind, e);
        });
    }
}

KeyPages::~KeyPages() {
    StopCapture();
    for (const EditorTraits& t : kEditors) capture_.HookMessages().OnKey(t.captureMessage, {});
}

void KeyPages::RegisterRoutes(ui::RouteTable& router) {
    router.SetIndexedHandler(kClick, "kb_key_", [this](int n, const Note&) { SelectKeyboardKey(n); });
    router.SetIndexedHandler(kClick, "ms_key_", [this](int n, const Note&) { SelectMouseKey(n); });
    router.SetHandler(kClick, "ms_key_butt_keysave", [this](const Note&) { Store(DeviceKind::Mouse); });
    for (const EditorTraits& t : kEditors) {
        const DeviceKind kind = t.kind;
        router.SetHandler(kItem, Named(kind, "key_fct_combo"), [this, kind](const Note& n) { ChooseKind(kind, ItemIndex(n)); });
        router.SetIndexedHandler(kItem, Named(kind, "key_fct_combo_"),
                                 [this, kind](int number, const Note&) { ParamCombo(kind, number); });
        router.SetIndexedHandler(kText, Named(kind, "key_fct_edit_"),
                                 [this, kind](int number, const Note&) { ParamEdit(kind, number); });
    }
}

std::string KeyPages::Named(DeviceKind kind, const std::string& rest) const {
    return lighting::pages::Named(kind, rest);
}

KeyPages::Editor& KeyPages::EditorOf(DeviceKind kind) {
    const EditorTraits* traits = TraitsOf(kind);
    return editors_[traits ? traits->slot : 0];
}

std::optional<std::size_t> KeyPages::SelectedKey(DeviceKind kind) const {
    const EditorTraits* traits = TraitsOf(kind);
    return traits ? editors_[traits->slot].key : std::nullopt;
}

void KeyPages::Init(DeviceKind kind) {
    if (!TraitsOf(kind)) return;
    SetMacroNames(kind, ReadMacroNames(kind));
    // The choice lists start on their first row, so a kind chosen at once stores that row; the
    // macro list starts empty until the user picks a macro.
    for (int number : {kButtonCombo, kLeftRightCombo, kUpDownCombo, kDpiStepCombo, kMediaCombo, kSystemCombo,
                       kPlaybackCombo, kCursorScriptCombo}) {
        auto* combo = model_.window.FindCombo(Named(kind, "key_fct_combo_" + Number(number)));
        if (combo && combo->CurSel() < 0 && combo->Count() > 0) combo->SelectItem(0, false);
    }
}

void KeyPages::SetMacroNames(DeviceKind kind, const std::vector<std::string>& names) {
    auto* combo = model_.window.FindCombo(Named(kind, "key_fct_combo_" + Number(kMacroCombo)));
    if (!combo) return;
    const int selected = combo->CurSel();
    combo->RemoveAll();
    for (const std::string& name : names) combo->AddLabelRow(name, name);
    if (selected >= 0 && selected < combo->Count()) combo->SelectItem(selected, false);
}

void KeyPages::Refresh(DeviceKind kind) {
    if (kind == DeviceKind::Keyboard) {
        const auto images = model_.State(kind).Snapshot();
        if (const auto count = KeyEntryCount(kind, images.info)) {
            BuildScreenKeyMap(screenKeyMap_, images.defaultKeyTable, *count);
        }
    }
    RefreshKeyLabels(kind);
}

void KeyPages::RefreshKeyLabels(DeviceKind kind) {
    if (!TraitsOf(kind)) return;
    const auto images = model_.State(kind).Snapshot();
    const std::vector<std::string> macroNames = ReadMacroNames(kind);
    const KeyLabelSource source{images.keyBanks[ActiveBank(images)], images.defaultKeyTable,
                                KeyEntryCount(kind, images.info).value_or(0),
                                kind == DeviceKind::Keyboard ? &screenKeyMap_ : nullptr, macroNames};
    pages::RefreshKeyLabels(model_.window, kind, source);
}

// --- choosing a key ---

void KeyPages::OpenPanel(DeviceKind kind) {
    if (auto* panel = model_.window.Find(Named(kind, "tab_function"))) {
        if (!panel->IsVisible()) panel->SetVisible(true);
        panel->SetEnabled(true);
    }
}

void KeyPages::MarkOpenKey(DeviceKind kind, ui::Control* key) {
    const EditorTraits* traits = TraitsOf(kind);
    if (!traits) return;
    ui::Control*& marked = openKeys_[traits->slot];
    if (marked == key) return;
    if (marked) marked->SetAttribute("bordercolor", traits->keyBorder);
    marked = key;
    if (marked) marked->SetAttribute("bordercolor", kOpenKeyBorder);
}

void KeyPages::HideFunctionPanel(DeviceKind kind) {
    if (auto* panel = model_.window.Find(Named(kind, "tab_function"))) panel->SetVisible(false);
    MarkOpenKey(kind, nullptr);
    const EditorTraits* traits = TraitsOf(kind);
    if (traits && capture_.Hook().Mode() == traits->captureMode) SetCapture(kind, false);
}

void KeyPages::SelectKeyboardKey(int screenKey) {
    if (screenKey < 0 || static_cast<std::size_t>(screenKey) >= kScreenKeyCount) return;
    const int index = screenKeyMap_[static_cast<std::size_t>(screenKey)];
    // A key this keyboard does not have opens nothing: the page would edit another key.
    if (index == kNoScreenKey) return;
    OpenPanel(DeviceKind::Keyboard);
    MarkOpenKey(DeviceKind::Keyboard, model_.window.Find("kb_key_" + Number(screenKey)));
    EditorOf(DeviceKind::Keyboard).key = static_cast<std::size_t>(index);
    ShowKey(DeviceKind::Keyboard);
}

void KeyPages::SelectMouseKey(int button) {
    if (button < 0 || static_cast<std::size_t>(button) >= kMouseBankEntries) return;
    const auto index = static_cast<std::size_t>(button);
    const bool onlyLeftClick = model_.State(DeviceKind::Mouse).Read([&](const device::DeviceImages& i) {
        return IsOnlyLeftClick(i.keyBanks[ActiveBank(i)], index);
    });
    if (onlyLeftClick) {
        ui::MessageBoxRequest request;
        request.textId = kOnlyLeftClickMessage;
        request.buttons = ui::MessageButtons::Confirm;
        model_.window.ShowMessageBox(request);
        HideFunctionPanel(DeviceKind::Mouse);
        return;
    }
    OpenPanel(DeviceKind::Mouse);
    MarkOpenKey(DeviceKind::Mouse, model_.window.Find("ms_key_" + Number(button)));
    EditorOf(DeviceKind::Mouse).key = index;
    ShowKey(DeviceKind::Mouse);
}

void KeyPages::ShowKey(DeviceKind kind) {
    Editor& editor = EditorOf(kind);
    if (!editor.key) return;
    const auto [entry, factory] = model_.State(kind).Read([&](const device::DeviceImages& i) {
        return std::pair{EntryAt(i.keyBanks[ActiveBank(i)], *editor.key), EntryAt(i.defaultKeyTable, *editor.key)};
    });
    if (!entry || !factory) return;
    FunctionPageState page = ReadPage(kind);
    page.capturedKey = editor.capturedKey;
    // Kinds the editor cannot create leave the page as it was.
    if (!keys::ShowEntry(kind, *entry, *factory, page)) return;
    editor.capturedKey = page.capturedKey;
    WritePage(kind, page);
    editor.selectedKind = KindOfItem(kind, page.kindItem).value_or(FunctionKind::DefaultFunction);
    // Showing never stores: the entry stays exactly as it is in the bank.
    ShowKindPage(kind, page.kindItem);
}

// --- the function page ---

void KeyPages::ChooseKind(DeviceKind kind, int item) {
    const auto chosen = KindOfItem(kind, item);
    if (!chosen) return;
    EditorOf(kind).selectedKind = *chosen;
    ShowKindPage(kind, item);
    Store(kind);
}

void KeyPages::ShowKindPage(DeviceKind kind, int item) {
    ui::Window& w = model_.window;
    int count = 0;
    if (auto* pages = w.Find(Named(kind, "tab_function_switch_1"))) count = pages->ChildCount();
    for (int i = 0; i < count; ++i) {
        if (auto* page = w.Find(Named(kind, "tab_function_" + Number(i)))) page->SetVisible(i == item);
    }
    if (auto* playback = w.FindCombo(Named(kind, "key_fct_combo_" + Number(kPlaybackCombo)))) {
        ShowCountPage(kind, playback->CurSel() == kRepeatCountItem);
    }
    SetCapture(kind, KindOfItem(kind, item) == FunctionKind::KeyboardKeyFunction);
}

void KeyPages::ShowCountPage(DeviceKind kind, bool shown) {
    if (auto* page = model_.window.Find(Named(kind, "tab_function_" + Number(kRepeatCountPage)))) {
        page->SetVisible(shown);
    }
}

void KeyPages::ParamCombo(DeviceKind kind, int number) {
    const bool tableCombo = (number >= kButtonCombo && number <= kDpiStepCombo) ||
                            (number >= kMediaCombo && number <= kCursorScriptCombo);
    if (!tableCombo) return;
    if (number == kPlaybackCombo) {
        if (auto* playback = model_.window.FindCombo(Named(kind, "key_fct_combo_" + Number(number)))) {
            ShowCountPage(kind, playback->CurSel() == kRepeatCountItem);
        }
    }
    Store(kind);
}

void KeyPages::ParamEdit(DeviceKind kind, int number) {
    if (!EditLimit(number)) return;
    auto* edit = model_.window.FindEdit(Named(kind, "key_fct_edit_" + Number(number)));
    if (!edit) return;
    if (const auto clamped = ClampedEditText(number, edit->Text())) edit->SetText(*clamped);
    Store(kind);
}

bool KeyPages::Store(DeviceKind kind) {
    const Editor& editor = EditorOf(kind);
    if (!editor.key) return false;
    FunctionPageState page = ReadPage(kind);
    page.capturedKey = editor.capturedKey;
    const bool stored = model_.State(kind).Update([&](device::DeviceImages& i) {
        return StoreEntry(i.keyBanks[ActiveBank(i)], *editor.key, editor.selectedKind, page, i.defaultKeyTable);
    });
    if (stored) RefreshKeyLabels(kind);
    return stored;
}

// --- key capture ---

void KeyPages::SetCapture(DeviceKind kind, bool on) {
    const EditorTraits* traits = TraitsOf(kind);
    if (!traits) return;
    if (on) {
        const bool listening = capture_.SetHookMode(traits->captureMode, true, true, false);
        ShowListening(kind, listening);
        return;
    }
    if (IsKeyEditorMode(capture_.Hook().Mode()) && capture_.Hook().KeyboardInstalled()) {
        capture_.SetHookMode(traits->captureMode, false, false, false);
    }
    for (const EditorTraits& t : kEditors) ShowListening(t.kind, false);
}

void KeyPages::StopCapture() {
    if (IsKeyEditorMode(capture_.Hook().Mode())) SetCapture(DeviceKind::Keyboard, false);
    // A page hidden on the way (profile selection, upload) leaves no key framed.
    for (const EditorTraits& t : kEditors) {
        auto* panel = model_.window.Find(Named(t.kind, "tab_function"));
        if (!panel || !panel->IsVisible()) MarkOpenKey(t.kind, nullptr);
    }
}

void KeyPages::ShowListening(DeviceKind kind, bool on) {
    auto* field = model_.window.FindEdit(Named(kind, "key_fct_edit_" + Number(kKeyFieldEdit)));
    if (!field) return;
    field->SetAttribute("prompttext", on ? model_.window.LanguageText(kListeningHint) : std::string());
    field->SetAttribute("bordercolor", on ? kListeningBorder : kQuietBorder);
}

void KeyPages::CapturedKey(DeviceKind kind, const platform::KeyHookEvent& event) {
    Editor& editor = EditorOf(kind);
    if (!event.IsPress() || !editor.key) return;
    const auto captured = CaptureKey(event.virtualKey, event.IsExtended());
    if (!captured) return;  // media keys and keys without a row change nothing
    if (auto* field = model_.window.FindEdit(Named(kind, "key_fct_edit_" + Number(kKeyFieldEdit)))) {
        field->SetResourceText(true);
        field->SetText(captured->name);
    }
    editor.capturedKey = captured->entry;
    Store(kind);
}

// --- the page's controls as plain values ---

FunctionPageState KeyPages::ReadPage(DeviceKind kind) const {
    ui::Window& w = model_.window;
    FunctionPageState page;
    if (auto* kinds = w.FindCombo(Named(kind, "key_fct_combo"))) page.kindItem = kinds->CurSel();
    for (int number = kFirstParamControl; number <= kLastParamControl; ++number) {
        if (auto* combo = w.FindCombo(Named(kind, "key_fct_combo_" + Number(number)))) {
            page.SetCombo(number, combo->CurSel());
        }
        if (auto* edit = w.FindEdit(Named(kind, "key_fct_edit_" + Number(number)))) page.SetEdit(number, edit->Text());
    }
    if (auto* macros = w.FindCombo(Named(kind, "key_fct_combo_" + Number(kMacroCombo)))) {
        page.macroItems = static_cast<std::size_t>(macros->Count());
    }
    return page;
}

void KeyPages::WritePage(DeviceKind kind, const FunctionPageState& page) {
    ui::Window& w = model_.window;
    const FunctionPageState before = ReadPage(kind);
    for (int number = kFirstParamControl; number <= kLastParamControl; ++number) {
        if (page.Combo(number) != before.Combo(number)) {
            if (auto* combo = w.FindCombo(Named(kind, "key_fct_combo_" + Number(number)))) {
                combo->SelectItem(page.Combo(number), false);
            }
        }
        if (page.Edit(number) != before.Edit(number)) {
            if (auto* edit = w.FindEdit(Named(kind, "key_fct_edit_" + Number(number)))) {
                // The key field holds a key's text id and shows its words.
                edit->SetResourceText(number == kKeyFieldEdit);
                edit->SetText(page.Edit(number));
            }
        }
    }
    if (auto* kinds = w.FindCombo(Named(kind, "key_fct_combo"))) kinds->SelectItem(page.kindItem, false);
}

}  // namespace corvane::keys::pages
