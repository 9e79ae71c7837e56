#include "shell/routing.h"

#include <algorithm>
#include <cctype>
#include <iterator>

namespace corvane::shell {
namespace {

struct DeviceTab {
    const char* name;
    int page;
};
constexpr DeviceTab kDeviceTabs[] = {
    {"kb_tab", 0}, {"ms_tab", 1}, {"mp_tab", 2}, {"ani_tab", 3}, {"split_tab", 4}};

// A device whose macro editor is open keeps its macro page.
struct MacroEditor {
    const char* marker;  // shown while a macro is edited
    const char* tab;
    const char* macroTab;
    const char* functionSwitch;
};
constexpr MacroEditor kMacroEditors[] = {
    {"kb_macro_tab_saveorcancel", "kb_tab", "kb_macro_Op_tab", "kb_tab_switch"},
    {"ms_macro_tab_saveorcancel", "ms_tab", "ms_macro_Op_tab", "ms_tab_switch"},
};
constexpr int kMacroPage = 1;
constexpr const char* kMessageMacroOpen = "message_text_3";

void SelectTabPage(ui::Window& window, std::string_view tabName) {
    for (const DeviceTab& tab : kDeviceTabs) {
        if (!ui::EqualsIgnoreCase(tab.name, tabName)) continue;
        if (auto* pages = window.FindTab("tab_switch")) pages->SelectPage(tab.page);
    }
}

bool Editing(const ui::Window& window, const MacroEditor& editor) {
    const ui::Control* marker = window.Find(editor.marker);
    return marker != nullptr && marker->IsVisible();
}

// Puts the device tab and its macro page back and tells the user why.
void KeepMacroPage(ui::Window& window, const MacroEditor& editor) {
    if (auto* macroTab = window.FindOption(editor.macroTab)) macroTab->SetSelected(true, false);
    if (auto* pages = window.FindTab(editor.functionSwitch)) pages->SelectPage(kMacroPage);
    if (auto* tab = window.FindOption(editor.tab)) tab->SetSelected(true, false);
    SelectTabPage(window, editor.tab);
    ui::MessageBoxRequest request;
    request.textId = kMessageMacroOpen;
    request.buttons = ui::MessageButtons::Confirm;
    window.ShowMessageBox(request);
}

}  // namespace

DeviceTabChoice SelectDeviceTab(ui::Window& window, std::string_view name) {
    const bool isTab = std::any_of(std::begin(kDeviceTabs), std::end(kDeviceTabs),
                                   [&](const DeviceTab& t) { return ui::EqualsIgnoreCase(t.name, name); });
    if (!isTab) return DeviceTabChoice::NotATab;
    for (const MacroEditor& editor : kMacroEditors) {
        if (!Editing(window, editor) || ui::EqualsIgnoreCase(name, editor.tab)) continue;
        KeepMacroPage(window, editor);
        return DeviceTabChoice::MacroPageKept;
    }
    SelectTabPage(window, name);
    return DeviceTabChoice::Selected;
}

bool KeepEditedMacroPage(ui::Window& window, std::string_view functionSwitch) {
    for (const MacroEditor& editor : kMacroEditors) {
        if (!ui::EqualsIgnoreCase(editor.functionSwitch, functionSwitch) || !Editing(window, editor)) continue;
        KeepMacroPage(window, editor);
        return true;
    }
    return false;
}

std::optional<IndexedName> SplitIndexedName(std::string_view name) {
    const auto at = name.rfind('_');
    if (at == std::string_view::npos || at + 1 >= name.size()) return std::nullopt;
    const std::string_view digits = name.substr(at + 1);
    constexpr std::size_t kMaxDigits = 9;  // keeps the index within int
    if (digits.size() > kMaxDigits) return std::nullopt;
    int index = 0;
    for (char c : digits) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
        index = index * 10 + (c - '0');
    }
    return IndexedName{std::string(name.substr(0, at + 1)), index};
}

void Router::AddIndexed(std::string type, std::string prefix, IndexedHandler handler, bool thenExact) {
    indexed_.push_back({std::move(type), std::move(prefix), std::move(handler), thenExact});
}

void Router::AddExact(std::string type, std::string name, Handler handler) {
    exact_.push_back({std::move(type), std::move(name), std::move(handler)});
}

void Router::AddExact(const std::string& type, std::initializer_list<std::string_view> names,
                      const Handler& handler) {
    for (std::string_view name : names) AddExact(type, std::string(name), handler);
}

bool Router::SetHandler(std::string_view type, std::string_view name, Handler handler) {
    for (ExactRow& row : exact_) {
        if (row.type != type || !ui::EqualsIgnoreCase(row.name, name)) continue;
        row.handler = std::move(handler);
        return true;
    }
    return false;
}

bool Router::SetIndexedHandler(std::string_view type, std::string_view prefix, IndexedHandler handler) {
    for (IndexedRow& row : indexed_) {
        if (row.type != type || !ui::EqualsIgnoreCase(row.prefix, prefix)) continue;
        row.handler = std::move(handler);
        return true;
    }
    return false;
}

bool Router::Route(const ui::Notification& n) const {
    if (n.sender == nullptr) return false;
    const std::string name = n.sender->Name();
    if (const auto split = SplitIndexedName(name)) {
        for (const IndexedRow& row : indexed_) {
            if (row.type != n.type || !ui::EqualsIgnoreCase(row.prefix, split->prefix)) continue;
            if (row.handler) row.handler(split->index, n);
            if (!row.thenExact) return true;
            break;
        }
    }
    for (const ExactRow& row : exact_) {
        if (row.type != n.type || !ui::EqualsIgnoreCase(row.name, name)) continue;
        if (row.handler) row.handler(n);
        return true;
    }
    return false;
}

}  // namespace corvane::shell
