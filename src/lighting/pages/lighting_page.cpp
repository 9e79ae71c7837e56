#include "lighting/pages/lighting_page.h"

#include <atomic>
#include <string>

#include "device/state_transfer.h"
#include "lighting/custom_colours.h"

namespace corvane::lighting::pages {
namespace {

using profiles::ProfileFamily;

constexpr int kColourButtonCount = static_cast<int>(kPaletteSize);
constexpr std::uint8_t kSlotButtonCount = 5;
constexpr ui::Colour kActiveSlotColour = 0xFF0199CBu;
constexpr ui::Colour kSlotColour = 0xFF222632u;
constexpr ui::Colour kActiveSlotText = 0xFFFFFFFFu;
constexpr ui::Colour kSlotText = 0xFFE6E9EFu;
constexpr const char* kEditSuffixes[] = {"Deng_edit_R", "Deng_edit_G", "Deng_edit_B"};
constexpr const char* kCustomLayouts[] = {"kb_deng_custom_tool_layout", "kb_deng_custom_select_layout",
                                          "kb_deng_custom_color_layout"};
// What the per-key mode puts away: the direction and seven-colour rows and the colour display
// (the pen has a display of its own).
constexpr const char* kNonCustomLayouts[] = {"kb_deng_direction_layout", "kb_deng_7color_layout",
                                             "kb_Deng_colordp_btn"};
constexpr const char* kPenDisplay = "kb_Deng_custom_colordp_btn";
constexpr const char* kColourSetCombo = "kb_deng_combo_curtom_count";
constexpr const char* kKeyOverlayPrefix = "kb_dkey_";
// Painted keys glow clearly without hiding their legends.
constexpr std::uint8_t kPaintedKeyAlpha = 220;

std::string ModeComboName(DeviceKind kind) {
    // The mouse page shows the second of its three mode lists.
    return kind == DeviceKind::Mouse ? "ms_deng_combo_modeSelect1" : Named(kind, "deng_combo_modeSelect");
}

std::string ColourButtonName(DeviceKind kind, int n) {
    return Named(kind, "Deng_color_btn_") + std::to_string(n);
}

std::uint8_t ClampByte(int value) {
    return static_cast<std::uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
}

}  // namespace

std::string Named(DeviceKind kind, std::string_view rest) {
    return std::string(device::DevicePrefix(kind)) + std::string(rest);
}

void SaveLighting(PageModel& model, DeviceKind kind) {
    switch (kind) {
        case DeviceKind::Keyboard: model.Save(ProfileFamily::KbDeng); break;
        case DeviceKind::Mouse:
            model.Save(ProfileFamily::MsDeng);
            model.Save(ProfileFamily::MsDevice);
            break;
        case DeviceKind::MousePad: model.Save(ProfileFamily::MpDeng); break;
    }
}

bool LightingPage::KeyboardPerKeyMode() const {
    return Mode(model_.Record(DeviceKind::Keyboard)) == kPerKeyColourMode;
}

void LightingPage::ShowOffers(DeviceKind kind, std::uint8_t mode) {
    const auto offers = OffersOf(kind, mode);
    if (!offers) return;
    ui::Window& w = model_.window;
    auto offer = [&](Offer o, const std::string& name) {
        if (o == Offer::Keep) return;
        if (auto* c = w.Find(name)) c->SetEnabled(o == Offer::Yes);
    };
    offer(offers->direction, Named(kind, "Deng_FXL_check"));
    offer(offers->direction, Named(kind, "Deng_FXR_check"));
    if (kind == DeviceKind::Mouse) {
        offer(offers->direction, "ms_Deng_FXL_btn");
        offer(offers->direction, "ms_Deng_FXR_btn");
    }
    offer(offers->colour, Named(kind, "deng_Color_Pallet"));
    for (const char* edit : kEditSuffixes) offer(offers->colour, Named(kind, edit));
    for (int n = 1; n <= kColourButtonCount; ++n) offer(offers->colour, ColourButtonName(kind, n));
    offer(offers->sevenColour, Named(kind, "Deng_7color_check"));
    offer(offers->brightness, Named(kind, "deng_light_slider"));
    offer(offers->speed, Named(kind, "deng_speed_slider"));
    // The keyboard never offers same-mode; whether the button shows follows the other devices.
    if (kind != DeviceKind::Keyboard) {
        offer(offers->sameMode ? Offer::Yes : Offer::No, Named(kind, "deng_same_mode"));
    } else {
        for (const char* layout : kCustomLayouts) {
            if (auto* c = w.Find(layout)) c->SetVisible(offers->perKeyColours);
        }
        for (const char* layout : kNonCustomLayouts) {
            if (auto* c = w.Find(layout)) c->SetVisible(!offers->perKeyColours);
        }
    }
}

void LightingPage::SetMode(DeviceKind kind, int mode) {
    if (!OffersOf(kind, ClampByte(mode)) || mode < 0) return;
    const auto value = static_cast<std::uint8_t>(mode);
    ShowOffers(kind, value);
    model_.UpdateRecord(kind, [&](ActiveLightingImage& r) { lighting::SetMode(r, value); });
    RestartRipple(kind);
    if (kind == DeviceKind::Keyboard) {
        const auto record = model_.Record(kind);
        const auto extras = model_.extras.Snapshot();
        ApplyColour(kind, ShownKeyboardColour(record, extras.customColourState, model_.palette), false);
        ShowKeyOverlays();
    }
    model_.MarkPending(kind);
    SaveLighting(model_, kind);
}

void LightingPage::SetBrightness(DeviceKind kind, int value) {
    model_.UpdateRecord(kind, [&](ActiveLightingImage& r) { lighting::SetBrightness(r, ClampByte(value)); });
    model_.MarkPending(kind);
    SaveLighting(model_, kind);
}

void LightingPage::SetSpeed(DeviceKind kind, int sliderValue) {
    model_.UpdateRecord(kind, [&](ActiveLightingImage& r) { SetSpeedFromSlider(r, kind, sliderValue); });
    model_.MarkPending(kind);
    SaveLighting(model_, kind);
}

void LightingPage::SetDirection(DeviceKind kind, DirectionControl control, bool checked) {
    const bool isCheck = control == DirectionControl::LeftCheck || control == DirectionControl::RightCheck;
    // Unchecking one of the pair is the program's own doing (or a second click): nothing to store.
    if (isCheck && !checked) return;
    if (isCheck) {
        const char* other = control == DirectionControl::LeftCheck ? "Deng_FXR_check" : "Deng_FXL_check";
        if (auto* o = model_.window.FindOption(Named(kind, other))) o->SetSelected(false, false);
    }
    model_.UpdateRecord(kind, [&](ActiveLightingImage& r) { lighting::SetDirection(r, control); });
    // The mouse's checks (not its buttons) start the ripple again from the end they name.
    if (isCheck && kind == DeviceKind::Mouse) RestartRipple(kind);
    model_.MarkPending(kind);
    SaveLighting(model_, kind);
}

void LightingPage::SetSevenColour(DeviceKind kind, bool checked) {
    model_.UpdateRecord(kind, [&](ActiveLightingImage& r) { lighting::SetSevenColour(r, checked); });
    model_.MarkPending(kind);
    SaveLighting(model_, kind);
}

void LightingPage::ShowColour(DeviceKind kind, Rgb colour) {
    ui::Window& w = model_.window;
    if (auto* palette = w.FindPalette(Named(kind, "deng_Color_Pallet"))) palette->SetSelectedColour(ToArgb(colour));
    const std::uint8_t parts[] = {colour.red, colour.green, colour.blue};
    for (std::size_t i = 0; i < 3; ++i) {
        if (auto* edit = w.FindEdit(Named(kind, kEditSuffixes[i]))) {
            const std::string text = std::to_string(parts[i]);
            if (edit->Text() != text) edit->SetText(text);
        }
    }
    const bool pen = kind == DeviceKind::Keyboard && KeyboardPerKeyMode();
    if (auto* display = w.Find(pen ? std::string(kPenDisplay) : Named(kind, "Deng_colordp_btn"))) {
        display->SetBkColour(ToArgb(colour));
    }
}

void LightingPage::ApplyColour(DeviceKind kind, Rgb colour, bool store) {
    ShowColour(kind, colour);
    const bool pen = kind == DeviceKind::Keyboard && KeyboardPerKeyMode();
    if (pen) {
        // The per-key mode paints with the pen; the record's single colour stays.
        if (store) model_.extras.Update([&](ProfileExtras& e) { SetPenColour(e.customColourState, colour); });
    } else if (store) {
        model_.UpdateRecord(kind, [&](ActiveLightingImage& r) { StoreColour(r, colour); });
        if (auto* seven = model_.window.FindOption(Named(kind, "Deng_7color_check"))) seven->SetSelected(false, false);
    }
    if (kind == DeviceKind::Keyboard) {
        // The current colour button always shows the current colour.
        model_.UpdateRecord(kind, [&](ActiveLightingImage& r) { SetUserColour(r, ColourIndex(r), colour); });
        RedrawKeyboardButtons();
    }
    if (!store) return;
    // The pen only paints keys on the page: the device's record did not change.
    if (!pen) model_.MarkPending(kind);
    SaveLighting(model_, kind);
}

void LightingPage::PaletteColour(DeviceKind kind, std::uint32_t argb) { ApplyColour(kind, FromArgb(argb), true); }

void LightingPage::ColourButton(DeviceKind kind, int n) {
    if (n < 1 || n > kColourButtonCount) return;
    const auto index = static_cast<std::size_t>(n - 1);
    if (kind == DeviceKind::Keyboard) {
        model_.UpdateRecord(kind, [&](ActiveLightingImage& r) { SetColourIndex(r, index); });
    }
    ApplyColour(kind, model_.palette.Colour(index), true);
}

void LightingPage::ApplyEdits(DeviceKind kind) {
    std::uint8_t parts[3] = {};
    for (std::size_t i = 0; i < 3; ++i) {
        auto* edit = model_.window.FindEdit(Named(kind, kEditSuffixes[i]));
        if (!edit) return;
        const ColourEditValue value = ReadColourEdit(kind, edit->Text());
        parts[i] = value.value;
        if (value.rewrittenText) {
            edit->SetText(*value.rewrittenText);
            if (kind == DeviceKind::Keyboard) edit->SetCaret(static_cast<int>(value.rewrittenText->size()));
        }
    }
    ApplyColour(kind, Rgb{parts[0], parts[1], parts[2]}, true);
}

void LightingPage::RedrawKeyboardButtons() {
    const auto record = model_.Record(DeviceKind::Keyboard);
    for (int n = 1; n <= kColourButtonCount; ++n) {
        if (auto* b = model_.window.Find(ColourButtonName(DeviceKind::Keyboard, n))) {
            b->SetBkColour(ToArgb(UserColour(record, static_cast<std::size_t>(n - 1))));
        }
    }
}

void LightingPage::RedrawPaletteButtons(DeviceKind kind) {
    for (int n = 1; n <= kColourButtonCount; ++n) {
        if (auto* b = model_.window.Find(ColourButtonName(kind, n))) {
            b->SetBkColour(model_.palette.Entry(static_cast<std::size_t>(n - 1)));
        }
    }
}

void LightingPage::SameMode(DeviceKind kind) {
    AllActiveLighting records{};
    for (DeviceKind k : device::kAllDeviceKinds) records[device::KindIndex(k)] = model_.Record(k);
    SharedLighting shared{};
    const auto changed = lighting::SameMode(kind, records, shared);
    model_.shared.Store(shared);
    // The flags go first: the other records are not sent to their devices (a parameter write
    // would hand the device back to its own effect); the synchronised thread drives all three.
    // A record still waiting to be sent (a change just made) goes out before its device joins:
    // sent after, it would hand the device back to its own effect.
    for (DeviceKind k : device::kAllDeviceKinds) {
        std::atomic<bool>& pending = *model_.pending[device::KindIndex(k)];
        if (!pending.load()) {
            model_.Link(k).syncLighting = true;
            continue;
        }
        model_.Queue(k).Submit("record before sync", [k, &pending, &state = model_.State(k)](device::DeviceLink& link) {
            const int result = device::FlushLighting(k, link, state, pending);
            link.syncLighting = true;
            return result;
        });
    }
    for (DeviceKind k : device::kAllDeviceKinds) {
        const std::size_t i = device::KindIndex(k);
        if (k == kind || !changed[i]) continue;
        // Only bytes 1..8 travel; the rest of the other record stays as it is now.
        model_.UpdateRecord(k, [&](ActiveLightingImage& r) {
            std::copy_n(records[i].begin() + kModeOffset, kSharedLightingSize, r.begin() + kModeOffset);
        });
        Refresh(k);
        SaveLighting(model_, k);
    }
}

void LightingPage::RestartRipple(DeviceKind kind) {
    const auto record = model_.Record(kind);
    if (kind == DeviceKind::Mouse) model_.signals.RequestMouseRippleReset(Mode(record), Direction(record));
    if (kind == DeviceKind::MousePad) model_.signals.RequestPadModeReset(Mode(record));
}

void LightingPage::PadPageShown() { model_.signals.RequestPadPageShown(Mode(model_.Record(DeviceKind::MousePad))); }

void LightingPage::Refresh(DeviceKind kind) {
    ui::Window& w = model_.window;
    const auto record = model_.Record(kind);
    if (kind == DeviceKind::Keyboard) model_.palette.ReloadFromUserColours(record);
    const std::uint8_t mode = Mode(record);
    if (auto* combo = w.FindCombo(ModeComboName(kind))) {
        if (mode < combo->Count()) combo->SelectItem(mode, false);
    }
    if (kind == DeviceKind::Mouse) {
        if (auto* pages = w.FindTab("ms_deng_mode_switch")) pages->SelectPage(1);
        // The mouse's on-device slot buttons: the one in use stands out.
        for (std::uint8_t slot = 0; slot < kSlotButtonCount; ++slot) {
            if (auto* button = w.Find("ms_profile_" + std::to_string(slot))) {
                const bool active = slot == ActiveSlot(record);
                button->SetBkColour(active ? kActiveSlotColour : kSlotColour);
                button->SetTextColour(active ? kActiveSlotText : kSlotText);
            }
        }
    }
    if (kind == DeviceKind::MousePad) {
        // The pad's on-device slot list shows the slot in use.
        if (auto* slots = w.FindCombo("mp_deng_combo_profile"); slots && ActiveSlot(record) < slots->Count()) {
            slots->SelectItem(ActiveSlot(record), false);
        }
    }
    ShowOffers(kind, mode);
    if (auto* s = w.FindSlider(Named(kind, "deng_light_slider"))) s->SetValue(Brightness(record));
    if (auto* s = w.FindSlider(Named(kind, "deng_speed_slider"))) s->SetValue(SliderFromSpeed(kind, Speed(record)));
    const bool left = LeftDirectionChecked(record);
    if (auto* o = w.FindOption(Named(kind, "Deng_FXL_check"))) o->SetSelected(left, false);
    if (auto* o = w.FindOption(Named(kind, "Deng_FXR_check"))) o->SetSelected(!left, false);
    if (auto* o = w.FindOption(Named(kind, "Deng_7color_check"))) o->SetSelected(SevenColour(record), false);
    if (kind == DeviceKind::Keyboard) {
        const auto extras = model_.extras.Snapshot();
        ShowColour(kind, ShownKeyboardColour(record, extras.customColourState, model_.palette));
        RedrawKeyboardButtons();
        ShowCustomColours();
    } else {
        ShowColour(kind, ColourOf(record));
        RedrawPaletteButtons(kind);
    }
}

void LightingPage::ShowCustomColours() {
    ui::Window& w = model_.window;
    const auto state = model_.extras.Snapshot().customColourState;
    if (auto* combo = w.FindCombo(kColourSetCombo); combo && SetIndex(state) < combo->Count()) {
        combo->SelectItem(SetIndex(state), false);
    }
    if (auto* pen = w.Find(kPenDisplay)) pen->SetBkColour(ToArgb(PenColour(state)));
    ShowKeyOverlays();
}

ui::Control* LightingPage::KeyOverlay(std::size_t key) {
    if (!keyOverlaysFound_) {
        for (std::size_t n = 0; n < keyOverlays_.size(); ++n) {
            keyOverlays_[n] = model_.window.Find(kKeyOverlayPrefix + std::to_string(n));
        }
        keyOverlaysFound_ = true;
    }
    return key < keyOverlays_.size() ? keyOverlays_[key] : nullptr;
}

void LightingPage::ShowKeyOverlays() {
    const bool perKey = KeyboardPerKeyMode();
    // Other modes own the overlays (the program-drawn effects animate them); only what this
    // function painted is taken back.
    if (!perKey && !keyOverlaysPainted_) return;
    const auto extras = model_.extras.Snapshot();
    const std::size_t set = SetIndex(extras.customColourState);
    for (std::size_t n = 0; n < keyOverlays_.size(); ++n) {
        ui::Control* key = KeyOverlay(n);
        if (!key) continue;
        Rgb colour = kBlack;
        if (perKey && LedKeyMap[n] != kNoLed) {
            colour = KeyColour(extras.keyColourTable, set, static_cast<std::size_t>(LedKeyMap[n]));
        }
        key->SetOverlayEnabled(true);
        key->SetOverlayColour(ToArgb(colour));
        key->SetOverlayAlpha(colour == kBlack ? 0 : kPaintedKeyAlpha);
    }
    keyOverlaysPainted_ = perKey;
}

}  // namespace corvane::lighting::pages
