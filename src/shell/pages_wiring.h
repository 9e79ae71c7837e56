#pragma once

#include <memory>

#include "keys/pages/key_pages.h"
#include "lighting/pages/custom_colour_page.h"
#include "lighting/pages/lighting_page.h"
#include "lighting/pages/mouse_page.h"
#include "lighting/pages/page_model.h"
#include "macros/pages/cursor_script_page.h"
#include "macros/pages/macro_editor.h"
#include "macros/pages/upload_page.h"
#include "platform/foreground_process.h"
#include "platform/pointer_settings.h"
#include "profiles/pages/profile_links.h"
#include "profiles/pages/profile_list_page.h"
#include "profiles/pages/profile_pages.h"
#include "shell/main_wnd.h"
#include "shell/routing.h"

namespace corvane::shell {

// The working pages of the main window: builds the page objects on the window's links and
// images, fills the window's page hooks and the routing tables. Create it after the CMainWnd it
// is given and destroy it before, once the window's workers have stopped (after Destroy): the
// workers call some of the hooks.
class PagesWiring {
public:
    // foreground: which program is in front, for the application-linked profiles (none: the
    // backend of this desktop session).
    explicit PagesWiring(CMainWnd& main,
                         std::unique_ptr<platform::PointerSettings> pointer = platform::MakePointerSettings(),
                         std::unique_ptr<platform::ForegroundProcess> foreground = nullptr);
    ~PagesWiring();
    PagesWiring(const PagesWiring&) = delete;
    PagesWiring& operator=(const PagesWiring&) = delete;

    lighting::pages::PageModel& Model() { return model_; }
    lighting::pages::LightingPage& Lighting() { return lighting_; }
    lighting::pages::MousePage& Mouse() { return mouse_; }
    profiles::pages::ProfilePages& Profiles() { return profiles_; }
    lighting::pages::CustomColourPage& CustomColours() { return customColours_; }
    macros::pages::CursorScriptPage& CursorScripts() { return cursorScripts_; }
    profiles::pages::ProfileListPage& ProfileLists() { return profileLists_; }
    profiles::pages::ProfileLinks& Links() { return links_; }
    keys::pages::KeyPages& Keys() { return *keys_; }
    macros::pages::MacroEditor& Macros(device::DeviceKind kind) {
        return kind == device::DeviceKind::Mouse ? *mouseMacros_ : *keyboardMacros_;
    }
    // The routing tables; rows of operations that come later do nothing until given a handler.
    Router& Routes() { return router_; }

    // The page part of a notification (CMainWnd has logged it and handled its own).
    void Route(const ui::Notification& notification);
    // The slot buttons and the pad's slot list, on the device's queue: n outside 0..4 is ignored
    // by the switch; the pages are refreshed once the switch went through.
    void SwitchSlot(device::DeviceKind kind, int slot);
    void RefreshPages(device::DeviceKind kind);

private:
    void BuildRoutes();
    void AfterDeviceMessage(WindowMessage message);
    // A yes/no question; true when the user confirmed.
    bool Confirmed(const char* textId);
    void ResetMousePad();

    CMainWnd& main_;
    std::unique_ptr<platform::PointerSettings> pointer_;
    lighting::pages::PageModel model_;
    lighting::pages::LightingPage lighting_;
    lighting::pages::MousePage mouse_;
    lighting::pages::CustomColourPage customColours_;
    profiles::pages::ProfilePages profiles_;
    profiles::pages::ProfileListPage profileLists_;
    profiles::pages::ProfileLinks links_;
    macros::pages::CursorScriptPage cursorScripts_;
    macros::pages::UploadPage upload_;
    Router router_;
    std::unique_ptr<keys::pages::KeyPages> keys_;  // fills rows of the router
    std::unique_ptr<macros::pages::MacroEditor> keyboardMacros_;  // fill rows of the router
    std::unique_ptr<macros::pages::MacroEditor> mouseMacros_;
};

}  // namespace corvane::shell
