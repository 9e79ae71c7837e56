#include "shell/pages_wiring.h"

#include <QTimer>

#include <cstdlib>
#include <memory>
#include <string>

#include "device/state_transfer.h"
#include "platform/debug_out.h"
#include "shell/function_tabs.h"
#include "platform/foreground/session_foreground.h"
#include "widgets/skin_window.h"

namespace corvane::shell {
namespace {

using device::DeviceKind;
using lighting::DirectionControl;
using profiles::ProfileFamily;
using Note = ui::Notification;

using namespace ui::notification_types;
using ui::ItemIndex;
constexpr const char* kRenewDebugText = "12312312312312";

// Hover pictures of the mouse button areas: normal and pressed state.
struct HoverImage {
    const char* down;
    const char* normal;
};
constexpr HoverImage kHoverImages[] = {
    {"file='ms/key_left_down.png'", "file='ms/key_left_normal.png'"},
    {"file='ms/key_wheel_down.png'", "file='ms/key_wheel_normal.png'"},
    {"file='ms/key_right_down.png'", "file='ms/key_right_normal.png'"},
    {"file='ms/key_forward_down.png'", "file='ms/key_forward_normal.png'"},
    {"file='ms/key_back_down.png'", "file='ms/key_back_normal.png'"},
    {"file='ms/key_dpi_down.png'", "file='ms/key_dpi_normal.png'"},
    {"file='ms/key_dpi1_down.png'", "file='ms/key_dpi1_normal.png'"},
};

constexpr const char* kFamilyParts[] = {"kb_pro_deng_", "kb_pro_key_", "ms_pro_device_",
                                        "ms_pro_deng_", "ms_pro_key_",  "mp_pro_deng_"};
constexpr const char* kListCommands[] = {"add", "sub", "import", "export", "copy", "edit"};
constexpr ProfileFamily kFamiliesByPart[] = {ProfileFamily::KbDeng,   ProfileFamily::KbKey,
                                             ProfileFamily::MsDevice, ProfileFamily::MsDeng,
                                             ProfileFamily::MsKey,    ProfileFamily::MpDeng};
constexpr const char* kMacroCommands[] = {"btn_name_add", "btn_name_sub", "btn_down", "btn_up",
                                          "btn_uptop", "btn_downbottom", "btn_delete", "btn_deleteall",
                                          "btn_cancel", "btn_save", "btn_import", "btn_export",
                                          "btn_savemacroname"};
constexpr const char* kMacroInserts[] = {
    "leftkey", "rightkey", "moudlekey", "forwardkey", "backkey", "leftkeydown", "rightkeydown",
    "moudlekeydown", "forwardkeydown", "backkeydown", "leftkeyup", "rightkeyup", "moudlekeyup",
    "forwardkeyup", "backkeyup", "moveleftkey", "moverightkey", "moveupkey", "movedownkey"};

int SliderValue(const Note& n) {
    if (auto* slider = dynamic_cast<ui::Slider*>(n.sender)) return slider->Value();
    return static_cast<int>(n.param);
}
bool Checked(const Note& n) {
    auto* option = dynamic_cast<ui::Option*>(n.sender);
    return option != nullptr && option->IsSelected();
}
ui::Colour PickedColour(const Note& n) {
    if (auto* palette = dynamic_cast<ui::ColourPalette*>(n.sender)) return palette->SelectedColour();
    return static_cast<ui::Colour>(n.param);
}

}  // namespace

PagesWiring::PagesWiring(CMainWnd& main, std::unique_ptr<platform::PointerSettings> pointer,
                         std::unique_ptr<platform::ForegroundProcess> foreground)
    : main_(main),
      pointer_(std::move(pointer)),
      model_(main.Window(),
             {&main.Link(DeviceKind::Keyboard), &main.Link(DeviceKind::Mouse), &main.Link(DeviceKind::MousePad)},
             {&main.State(DeviceKind::Keyboard), &main.State(DeviceKind::Mouse),
              &main.State(DeviceKind::MousePad)},
             {&main.LightingPending(DeviceKind::Keyboard), &main.LightingPending(DeviceKind::Mouse),
              &main.LightingPending(DeviceKind::MousePad)},
             main.Live().Shared(), main.Live().Signals(),
             {&main.Queue(DeviceKind::Keyboard), &main.Queue(DeviceKind::Mouse), &main.Queue(DeviceKind::MousePad)}),
      lighting_(model_),
      mouse_(model_, *pointer_),
      customColours_(model_, lighting_),
      profiles_(model_, lighting_, mouse_,
                {[this](DeviceKind kind) { keys_->RefreshKeyLabels(kind); }, [this] { keys_->StopCapture(); },
                 [this] { lighting_.ShowCustomColours(); }}),
      profileLists_(model_, profiles_),
      links_(model_, profiles_, foreground ? std::move(foreground) : platform::MakeSessionForeground()),
      cursorScripts_(model_),
      upload_(model_, {[this] { main_.SendMessage(WindowMessage::ShowProgress); },
                       [this] { main_.SendMessage(WindowMessage::StartProgressTimer); },
                       [this] { keys_->StopCapture(); }}) {
    model_.save = [this](ProfileFamily family) { profiles_.Save(family); };
    model_.activeProfile = [this](ProfileFamily family) { return profiles_.ActiveIndex(family); };
    model_.writer = &main_.Writer();
    model_.lightingPending = [this] { main_.ScheduleLightingFlush(); };
    BuildRoutes();
    customColours_.RegisterRoutes(router_);
    cursorScripts_.RegisterRoutes(router_);
    profileLists_.RegisterRoutes(router_);
    links_.RegisterRoutes(router_);
    mouse_.ShowPointerSupport();
    keys_ = std::make_unique<keys::pages::KeyPages>(model_, router_, main_);
    const macros::pages::MacroEditor::Hooks macroHooks{
        [this](DeviceKind kind, const std::vector<std::string>& names) { keys_->SetMacroNames(kind, names); },
        [this](DeviceKind kind) { keys_->RefreshKeyLabels(kind); }};
    keyboardMacros_ = std::make_unique<macros::pages::MacroEditor>(model_, main_, macros::pages::KeyboardMacroEditor(),
                                                                   macroHooks);
    mouseMacros_ = std::make_unique<macros::pages::MacroEditor>(model_, main_, macros::pages::MouseMacroEditor(),
                                                                macroHooks);
    keyboardMacros_->RegisterRoutes(router_);
    mouseMacros_->RegisterRoutes(router_);

    PageHooks hooks;
    hooks.initDevicePages = [this](DeviceKind kind) {
        if (kind == DeviceKind::Mouse) cursorScripts_.Init();
        profiles_.Init(kind);
        links_.ShowBackendHint();
        keys_->Init(kind);
        if (kind != DeviceKind::MousePad) Macros(kind).Init();
    };
    hooks.workerBody = [this](workers::WorkerIndex index) { return links_.WatcherBody(index); };
    hooks.route = [this](const Note& n) { Route(n); };
    hooks.selectSavedProfiles = [this](DeviceKind kind) {
        profiles_.SelectSaved(kind);
        upload_.OfferUnfinishedUpload(kind);
    };
    hooks.refreshPages = [this](DeviceKind kind) { RefreshPages(kind); };
    hooks.loadSavedDeviceProfile = [this] { profiles_.LoadSavedDeviceProfile(); };
    hooks.readCursorScripts = [this] { return cursorScripts_.ReadFromMouse(); };
    hooks.showCursorScripts = [this](const auto& image) { cursorScripts_.ShowMouseScripts(image); };
    hooks.saveKeyboardState = [this] { profiles_.SaveKeyboardState(); };
    hooks.overwriteKeyboardProfiles = [this] { profiles_.OverwriteKeyboardProfiles(); };
    hooks.refreshCustomColours = [this] { lighting_.ShowCustomColours(); };
    hooks.deviceMessage = [this](WindowMessage message) { AfterDeviceMessage(message); };
    main_.SetPageHooks(std::move(hooks));
}

PagesWiring::~PagesWiring() { main_.SetPageHooks({}); }

void PagesWiring::RefreshPages(DeviceKind kind) {
    lighting_.Refresh(kind);
    if (kind == DeviceKind::Mouse) mouse_.Refresh();
    keys_->Refresh(kind);
}

void PagesWiring::SwitchSlot(DeviceKind kind, int slot) {
    // Whether the switch went through to the device's records; the I/O thread writes it before
    // the result is posted, the UI thread reads it after.
    auto switched = std::make_shared<bool>(false);
    main_.Queue(kind).Submit(
        "slot switch",
        [this, kind, slot, switched](device::DeviceLink& link) {
            device::StateTransferHooks hooks;
            hooks.refreshPages = [switched] { *switched = true; };
            return device::SwitchSlot(kind, link, main_.State(kind), slot, hooks);
        },
        [this, kind, switched](int) {
            if (!*switched) return;
            if (kind == DeviceKind::Mouse) keys_->HideFunctionPanel(DeviceKind::Mouse);
            RefreshPages(kind);
        });
}

bool PagesWiring::Confirmed(const char* textId) {
    ui::MessageBoxRequest request;
    request.textId = textId;
    request.buttons = ui::MessageButtons::ConfirmCancel;
    return main_.Window().ShowMessageBox(request) == ui::kMessageConfirmed;
}

void PagesWiring::ResetMousePad() {
    main_.Queue(DeviceKind::MousePad)
        .Submit("pad reset", [](device::DeviceLink& link) { return link.ResetDevice(); },
                [&main = main_](int) {
                    // The pad takes a second to come back; the window stays responsive meanwhile.
                    QTimer::singleShot(device::kMousePadResetSettleMs, &main,
                                       [&main] { main.HandleMessage(WindowMessage::MousePadRead, 0, 0); });
                });
}

void PagesWiring::AfterDeviceMessage(WindowMessage message) {
    switch (message) {
        case WindowMessage::MouseDataChanged:
            RefreshPages(DeviceKind::Mouse);
            profiles_.Save(ProfileFamily::MsDevice);
            break;
        case WindowMessage::MouseSlotSwitched:
            RefreshPages(DeviceKind::Mouse);
            profiles_.Save(ProfileFamily::MsDeng);
            profiles_.Save(ProfileFamily::MsDevice);
            break;
        case WindowMessage::MousePadRead:
        case WindowMessage::MousePadSlotSwitched:
            RefreshPages(DeviceKind::MousePad);
            profiles_.Save(ProfileFamily::MpDeng);
            break;
        case WindowMessage::KeyboardSlotSwitched:
            RefreshPages(DeviceKind::Keyboard);
            profiles_.Save(ProfileFamily::KbDeng);
            break;
        case WindowMessage::KeyboardFactoryTable: {
            // Bytes past the bank size keep what the image held.
            auto table = std::make_shared<device::KeyTableImage>(
                main_.State(DeviceKind::Keyboard).Snapshot().defaultKeyTable);
            main_.Queue(DeviceKind::Keyboard)
                .Submit("default table", [table](device::DeviceLink& link) { return link.ReadDefaultKeyTable(*table); },
                        [this, table](int result) {
                            if (result != device::kSuccess) return;
                            profiles_.StoreKeyboardDefaultTable(*table);
                            keys_->Refresh(DeviceKind::Keyboard);
                        });
            break;
        }
        default: break;
    }
}

void PagesWiring::Route(const Note& n) {
    const std::string name = n.sender ? n.sender->Name() : std::string();
    if (n.type == "msenter" || n.type == "msleave") {
        const auto split = SplitIndexedName(name);
        if (!split || !ui::EqualsIgnoreCase(split->prefix, "ms_key_") || static_cast<std::size_t>(split->index) >= std::size(kHoverImages)) {
            return;
        }
        if (auto* picture = main_.Window().Find(name + "_0")) {
            const HoverImage& image = kHoverImages[split->index];
            picture->SetBkImage(n.type == "msenter" ? image.down : image.normal);
        }
        return;
    }
    router_.Route(n);
}

void PagesWiring::BuildRoutes() {
    Router& r = router_;
    auto& w = main_.Window();
    const Router::Handler none;
    const Router::IndexedHandler noneIndexed;

    // --- clicks on indexed controls, in their order ---
    r.AddIndexed(kClick, "kb_key_", noneIndexed);   // key editor
    r.AddIndexed(kClick, "kb_dkey_", noneIndexed);  // per-key colours
    r.AddIndexed(kClick, "ms_key_", noneIndexed);   // key editor
    r.AddIndexed(kClick, "ms_DPI_color_btn_", [this](int n, const Note&) { mouse_.DpiColourButton(n); });
    r.AddIndexed(kClick, "ms_Deng_color_btn_", [this](int n, const Note&) { lighting_.ColourButton(DeviceKind::Mouse, n); });
    r.AddIndexed(kClick, "mp_Deng_color_btn_", [this](int n, const Note&) { lighting_.ColourButton(DeviceKind::MousePad, n); });
    r.AddIndexed(kClick, "kb_Deng_color_btn_", [this](int n, const Note&) { lighting_.ColourButton(DeviceKind::Keyboard, n); });
    r.AddIndexed(kClick, "ms_profile_", [this](int n, const Note&) { SwitchSlot(DeviceKind::Mouse, n); });
    r.AddIndexed(kClick, "ms_bullet_op_", noneIndexed, /*thenExact=*/true);  // cursor-script page

    // --- clicks on named controls, in their order ---
    r.AddExact(kClick, {"ms_bulletdate_save_btn", "ms_bulletdate_reset_btn", "bullet_selected_prev",
                        "bullet_selected_next", "ms_bulletdate_import_btn", "ms_bulletdate_export_btn"},
               none);
    r.AddExact(kClick, "dpi_btn", [&w](const Note& n) {
        const int dpi = std::atoi(n.sender->UserData().c_str());
        auto* skin = dynamic_cast<widgets::SkinWindow*>(&w);
        w.SetDpi(skin != nullptr ? skin->DpiWithinScreen(dpi) : dpi);
    });
    r.AddExact(kClick, {"ms_key_butt_keysave", "ms_macro_btn_redio", "kb_macro_btn_redio"}, none);
    for (const char* device : {"ms_macro_", "kb_macro_"}) {
        for (const char* command : kMacroCommands) r.AddExact(kClick, std::string(device) + command, none);
    }
    r.AddExact(kClick, "ms_key_butt_prosave", [this](const Note&) { upload_.Upload(DeviceKind::Mouse); });
    r.AddExact(kClick, "kb_key_butt_prosave", [this](const Note&) { upload_.Upload(DeviceKind::Keyboard); });
    r.AddExact(kClick, "ms_gunlun_speed_up_btn", [this](const Note&) { mouse_.StepWheelSpeed(true); });
    r.AddExact(kClick, "ms_gunlun_speed_down_btn", [this](const Note&) { mouse_.StepWheelSpeed(false); });
    // Both resets throw away what the device holds: they ask first, as profile resets do.
    r.AddExact(kClick, "ms_one_profile_default", [this](const Note&) {
        if (Confirmed("message_confirm_mouse_restore")) mouse_.RestoreWindowsPointerDefaults();
    });
    r.AddExact(kClick, "mp_one_profile_default", [this](const Note&) {
        if (Confirmed("message_confirm_pad_reset")) ResetMousePad();
    });
    r.AddExact(kClick, "ms_Deng_FXL_btn", [this](const Note&) {
        lighting_.SetDirection(DeviceKind::Mouse, DirectionControl::MouseLeftButton);
    });
    r.AddExact(kClick, "ms_Deng_FXR_btn", [this](const Note&) {
        lighting_.SetDirection(DeviceKind::Mouse, DirectionControl::MouseRightButton);
    });
    for (DeviceKind kind : device::kAllDeviceKinds) {
        r.AddExact(kClick, lighting::pages::Named(kind, "deng_same_mode"),
                   [this, kind](const Note&) { lighting_.SameMode(kind); });
    }
    r.AddExact(kClick, {"kb_profile_fun_spread_btn", "ms_profile_fun_spread_btn", "mp_profile_fun_spread_btn"},
               none);
    for (std::size_t i = 0; i < std::size(kFamilyParts); ++i) {
        for (const char* command : kListCommands) {
            r.AddExact(kClick, std::string(kFamilyParts[i]) + command + "_btn", none);  // list management
        }
        // A profile's reset replaces its settings with the shipped ones: asked first, like the
        // device resets above.
        r.AddExact(kClick, std::string(kFamilyParts[i]) + "reset_btn", [this, family = kFamiliesByPart[i]](const Note&) {
            if (Confirmed("message_confirm_profile_reset")) profiles_.Reset(family);
        });
    }
    for (ProfileFamily family : profiles::kAllFamilies) {
        const std::string id(profiles::Family(family).id);
        r.AddExact(kClick, id + "_profile_link_btn", none);       // application links
        r.AddExact(kClick, id + "_profile_edit_save_btn", none);  // rename
    }
    for (const char* device : {"ms_macro_inset_", "kb_macro_inset_"}) {
        for (const char* insert : kMacroInserts) r.AddExact(kClick, std::string(device) + insert + "_btn", none);
    }
    r.AddExact(kClick, "renew_device", [](const Note&) { platform::debugOut(kRenewDebugText); });

    // --- options and tabs (the device tabs are the window's own) ---
    RegisterFunctionTabs(r, w, [this](DeviceKind kind) { keys_->HideFunctionPanel(kind); });
    r.AddIndexed(kSelect, "ms_gun_op_", noneIndexed);
    r.AddIndexed(kSelect, "ms_bullet_op_", noneIndexed);
    r.AddExact(kSelect, {"ms_cursor_x_check", "ms_cursor_y_check", "ms_macro_check_time", "ms_macro_keyboard_event",
                         "ms_macro_mouse_click", "ms_macro_mouse_roller", "ms_macro_mouse_move",
                         "ms_macro_btn_shubiao", "kb_macro_btn_shubiao"},
               none);
    for (DeviceKind kind : device::kAllDeviceKinds) {
        r.AddExact(kSelect, lighting::pages::Named(kind, "Deng_7color_check"),
                   [this, kind](const Note& n) { lighting_.SetSevenColour(kind, Checked(n)); });
        r.AddExact(kSelect, lighting::pages::Named(kind, "Deng_FXL_check"), [this, kind](const Note& n) {
            lighting_.SetDirection(kind, DirectionControl::LeftCheck, Checked(n));
        });
        r.AddExact(kSelect, lighting::pages::Named(kind, "Deng_FXR_check"), [this, kind](const Note& n) {
            lighting_.SetDirection(kind, DirectionControl::RightCheck, Checked(n));
        });
    }
    r.AddExact(kSelect, {"kb_Deng_all_kill_check", "kb_Deng_all_bright_check"}, none);  // custom colours
    for (ProfileFamily family : profiles::kAllFamilies) {
        r.AddExact(kSelect, std::string(profiles::Family(family).id) + "_profile_link_check", none);
    }
    r.AddExact(kSelect, "mp_tab", [this](const Note& n) {
        if (Checked(n)) lighting_.PadPageShown();
    });

    // --- lists and combos ---
    for (const char* combo : {"ms_deng_combo_modeSelect0", "ms_deng_combo_modeSelect1", "ms_deng_combo_modeSelect2"}) {
        r.AddExact(kItem, combo, [this](const Note& n) { lighting_.SetMode(DeviceKind::Mouse, ItemIndex(n)); });
    }
    r.AddExact(kItem, "mp_deng_combo_modeSelect",
               [this](const Note& n) { lighting_.SetMode(DeviceKind::MousePad, ItemIndex(n)); });
    r.AddExact(kItem, "kb_deng_combo_modeSelect",
               [this](const Note& n) { lighting_.SetMode(DeviceKind::Keyboard, ItemIndex(n)); });
    r.AddExact(kItem, "kb_deng_combo_curtom_count", none);  // custom colour sets
    r.AddExact(kItem, "ms_report_fct_combo", [this](const Note& n) { mouse_.SetReportRate(ItemIndex(n)); });
    for (const char* device : {"ms_", "kb_"}) {
        for (const char* list : {"MacroName_list", "Macro_list", "macro_combo_keyselect", "macro_combo_mouselect",
                                 "macro_combo_upordown", "key_fct_combo"}) {
            r.AddExact(kItem, std::string(device) + list, none);
        }
        r.AddIndexed(kItem, std::string(device) + "key_fct_combo_", noneIndexed);
    }
    r.AddExact(kItem, "mp_deng_combo_profile",
               [this](const Note& n) { SwitchSlot(DeviceKind::MousePad, ItemIndex(n)); });
    for (ProfileFamily family : profiles::kAllFamilies) {
        r.AddExact(kItem, std::string(profiles::Family(family).listControl),
                   [this, family](const Note&) { profiles_.SelectProfile(family); });
    }
    r.AddExact(kItemClick, {"ms_macro_action", "kb_macro_action"}, none);

    // --- sliders: the final value, and the steps of a drag ---
    for (DeviceKind kind : device::kAllDeviceKinds) {
        r.AddExact(kValue, lighting::pages::Named(kind, "deng_light_slider"),
                   [this, kind](const Note& n) { lighting_.SetBrightness(kind, SliderValue(n)); });
        r.AddExact(kValue, lighting::pages::Named(kind, "deng_speed_slider"),
                   [this, kind](const Note& n) { lighting_.SetSpeed(kind, SliderValue(n)); });
    }
    for (std::size_t level = 1; level <= lighting::kDpiLevelCount; ++level) {
        const std::string slider = "ms_DPI" + std::to_string(level) + "_slider";
        r.AddExact(kValue, slider, [this, level](const Note& n) { mouse_.SetDpiLevelValue(level, SliderValue(n), true); });
        r.AddExact(kMoveValue, slider,
                   [this, level](const Note& n) { mouse_.SetDpiLevelValue(level, SliderValue(n), false); });
    }
    r.AddExact(kValue, "ms_point_speed_slider", [this](const Note& n) { mouse_.SetPointerSpeed(SliderValue(n)); });
    r.AddExact(kValue, "ms_sensor_height_slider", [this](const Note& n) { mouse_.SetSensorHeight(SliderValue(n)); });

    // --- edits ---
    for (const char* device : {"ms_", "kb_"}) {
        r.AddIndexed(kText, std::string(device) + "key_fct_edit_", noneIndexed);
    }
    for (const char* device : {"ms_", "kb_"}) {
        for (const char* edit : {"_macro_edit_ActionDelay", "_macro_edit_mou_action_delay", "macro_edit_mou_pointer_skewing",
                                 "mouse_x_left_edit", "mouse_x_right_edit", "mouse_y_up_edit", "mouse_y_down_edit"}) {
            r.AddExact(kText, std::string(device) + edit, none);  // macro editors
        }
    }
    r.AddExact(kText, {"ms_cursor_delay_eidt", "ms_cursor_x_eidt", "ms_cursor_y_eidt"}, none);  // cursor-script page
    r.AddExact(kText, {"ms_DPI_edit_R", "ms_DPI_edit_G", "ms_DPI_edit_B"}, [this](const Note&) { mouse_.ApplyDpiEdits(); });
    for (DeviceKind kind : device::kAllDeviceKinds) {
        for (const char* edit : {"Deng_edit_R", "Deng_edit_G", "Deng_edit_B"}) {
            r.AddExact(kText, lighting::pages::Named(kind, edit), [this, kind](const Note&) { lighting_.ApplyEdits(kind); });
        }
    }

    // --- palettes ---
    r.AddExact(kColour, "Pallet", [this](const Note& n) { mouse_.SetDpiColour(lighting::FromArgb(PickedColour(n)), true); });
    for (DeviceKind kind : device::kAllDeviceKinds) {
        r.AddExact(kColour, lighting::pages::Named(kind, "deng_Color_Pallet"),
                   [this, kind](const Note& n) { lighting_.PaletteColour(kind, PickedColour(n)); });
    }
}

}  // namespace corvane::shell
