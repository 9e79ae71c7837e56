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

}  // namespace

DeviceTabChoice SelectDeviceTab(ui::Window& window, std::string_view name) {
    const bool isTab = std::any_of(std::begin(kDeviceTabs), std::end(kDeviceTabs),
                                   [&](const DeviceTab& t) { return ui::EqualsIgnoreCase(t.name, name); });
    if (!isTab) return DeviceTabChoice::NotATab;
    for (const MacroEditor& editor : kMacroEditors) {
        auto* marker = window.Find(editor.marker);
        if (marker == nullptr || !marker->IsVisible() || ui::EqualsIgnoreCase(name, editor.tab)) continue;
        if (auto* macroTab = window.FindOption(editor.macroTab)) macroTab->SetSelected(true, false);
        if (auto* pages = window.FindTab(editor.functionSwitch)) pages->SelectPage(kMacroPage);
        if (auto* tab = window.FindOption(editor.tab)) tab->SetSelected(true, false);
        SelectTabPage(window, editor.tab);
        ui::MessageBoxRequest request;
        request.textId = kMessageMacroOpen;
        request.buttons = ui::MessageButtons::Confirm;
        window.ShowMessageBox(request);
        return DeviceTabChoice::MacroPageKept;
    }
    SelectTabPage(window, name);
    return DeviceTabChoice::Selected;
}

}  // namespace corvane::shell
