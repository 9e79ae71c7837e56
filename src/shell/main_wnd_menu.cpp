// The main window's tray-menu commands and its language.

#include "platform/debug_out.h"
#include "platform/desktop_locale.h"
#include "profiles/skin_setting.h"
#include "shell/main_wnd.h"

namespace corvane::shell {
namespace {

constexpr const char* kEnglish = "en";
constexpr const char* kChinese = "cn";

// Items of the menu file that the program knows but gives no action.
constexpr const char* kInactiveItems[] = {"qianting", "Menu_Import", "Menu_Export"};

}  // namespace

void CMainWnd::StartLanguage() {
    // The command line first, then the user's last choice, then the desktop's own language.
    std::string language = options_.language;
    if (language.empty()) language = profiles::ReadLanguage().value_or("");
    if (language.empty()) language = platform::LocaleIsChinese(platform::DesktopLocale()) ? kChinese : kEnglish;
    if (!window_.SetLanguage(language)) window_.SetLanguage(kEnglish);
}

void CMainWnd::SwitchLanguage() {
    // Always to the other language than the one in use.
    const char* next = ui::EqualsIgnoreCase(window_.Language(), kEnglish) ? kChinese : kEnglish;
    if (!window_.SetLanguage(next)) return;
    if (!profiles::WriteLanguage(next)) platform::debugOut(std::string("main.ini: language not stored: ") + next);
    window_.NeedUpdate();
}

void CMainWnd::OnMenuCommand(const ui::MenuItem& item) {
    if (destroyed_) return;
    if (ui::EqualsIgnoreCase(item.name, "lan")) {
        SwitchLanguage();
        return;
    }
    for (const char* inactive : kInactiveItems) {
        if (ui::EqualsIgnoreCase(item.name, inactive)) return;
    }
    if (ui::EqualsIgnoreCase(item.name, "exit")) {
        Destroy();
        return;
    }
    ui::MessageBoxRequest request;
    request.textId = item.text;
    request.textIsId = false;
    request.buttons = ui::MessageButtons::Confirm;
    window_.ShowMessageBox(request);
}

}  // namespace corvane::shell
