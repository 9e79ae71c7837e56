#include "shell/function_tabs.h"

#include <iterator>

namespace corvane::shell {
namespace {

using device::DeviceKind;

struct FunctionTab {
    const char* name;
    int page;
    bool profilePanels;  // keyboard: the profile lists belong to this page
};
constexpr FunctionTab kKeyboardTabs[] = {{"kb_deng_Op_tab", 0, true},
                                         {"kb_macro_Op_tab", 1, false},
                                         {"kb_key_Op_tab", 2, true},
                                         {"kb_rich_Op_tab", 3, false}};
constexpr FunctionTab kMouseTabs[] = {{"ms_deng_Op_tab", 0, true},  {"ms_macro_Op_tab", 1, true},
                                      {"ms_key_Op_tab", 2, true},   {"ms_rich_Op_tab", 3, true},
                                      {"ms_cursor_Op_tab", 4, true}};
constexpr int kMacroPage = 1;
constexpr int kKeyPage = 2;

// The keyboard's profile selection and its button, shown on the pages that profiles hold.
constexpr const char* kProfileSelection[] = {"kb_profile_select_tab", "kb_profile_fun_spread_btn"};
// Open profile panels close whenever the page changes.
constexpr const char* kProfilePanels[] = {"kb_profile_fun_spead_tab", "kb_deng_profile_edit", "kb_key_profile_edit"};

struct DeviceTabs {
    DeviceKind kind;
    const char* switchName;
    const FunctionTab* tabs;
    std::size_t count;
    bool hasProfilePanels;
};
constexpr DeviceTabs kDevices[] = {
    {DeviceKind::Keyboard, "kb_tab_switch", kKeyboardTabs, std::size(kKeyboardTabs), true},
    {DeviceKind::Mouse, "ms_tab_switch", kMouseTabs, std::size(kMouseTabs), false},
};

void FitProfilePanels(ui::Window& window, const FunctionTab& tab) {
    for (const char* name : kProfileSelection) {
        if (auto* c = window.Find(name)) c->SetVisible(tab.profilePanels);
    }
    for (const char* name : kProfilePanels) {
        if (auto* c = window.Find(name)) c->SetVisible(false);
    }
}

}  // namespace

void RegisterFunctionTabs(Router& router, ui::Window& window, std::function<void(DeviceKind)> hidePanel) {
    for (const DeviceTabs& device : kDevices) {
        for (std::size_t i = 0; i < device.count; ++i) {
            const FunctionTab& tab = device.tabs[i];
            router.AddExact(ui::notification_types::kSelect, tab.name, [&window, hidePanel, device, tab](const ui::Notification& n) {
                auto* option = dynamic_cast<ui::Option*>(n.sender);
                if (option == nullptr || !option->IsSelected()) return;
                auto* pages = window.FindTab(device.switchName);
                if (!pages) return;
                if (tab.page != kMacroPage && KeepEditedMacroPage(window, device.switchName)) return;
                const int before = pages->CurPage();
                pages->SelectPage(tab.page);
                if (before != tab.page && (before == kKeyPage || tab.page == kKeyPage) && hidePanel) {
                    hidePanel(device.kind);
                }
                if (device.hasProfilePanels && before != tab.page) FitProfilePanels(window, tab);
            });
        }
    }
}

}  // namespace corvane::shell
