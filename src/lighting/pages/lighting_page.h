#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "lighting/colour.h"
#include "lighting/lighting_records.h"
#include "lighting/pages/page_model.h"

namespace corvane::lighting::pages {

// The lighting pages of the three devices: every handler changes the device's working record,
// marks it for the next 10 ms flush and saves the selected lighting profile at once.
class LightingPage {
public:
    explicit LightingPage(PageModel& model) : model_(model) {}

    // "_deng_combo_modeSelect" (mouse: any of its three lists).
    void SetMode(DeviceKind kind, int mode);
    // "_deng_light_slider" / "_deng_speed_slider" final values.
    void SetBrightness(DeviceKind kind, int value);
    void SetSpeed(DeviceKind kind, int sliderValue);
    // A direction check changed to `checked`, or one of the mouse's direction buttons.
    void SetDirection(DeviceKind kind, DirectionControl control, bool checked = true);
    void SetSevenColour(DeviceKind kind, bool checked);
    // Shows the colour on the page; with store it becomes the record's colour.
    void ApplyColour(DeviceKind kind, Rgb colour, bool store);
    // The palette of the page picked a colour.
    void PaletteColour(DeviceKind kind, std::uint32_t argb);
    // "_Deng_color_btn_" n, n = 1..8 (other numbers are ignored).
    void ColourButton(DeviceKind kind, int n);
    // An R, G or B edit of the page changed.
    void ApplyEdits(DeviceKind kind);
    // The device's record goes to the other two devices.
    void SameMode(DeviceKind kind);
    // Shows the working record on the page.
    void Refresh(DeviceKind kind);
    // The pad's page came into view: a pad ripple starts again.
    void PadPageShown();

    // The per-key colour tools: the colour set in their combo, the pen, and the key overlays.
    void ShowCustomColours();
    // While the keyboard is in its per-key mode, the keys of the picture show the colours of the
    // current set (unpainted keys stay dark); leaving the mode clears what was painted. Only the
    // picture changes: the device and the profiles are not touched.
    void ShowKeyOverlays();

private:
    void ShowOffers(DeviceKind kind, std::uint8_t mode);
    // A mode or direction change starts the device's ripple afresh.
    void RestartRipple(DeviceKind kind);
    void ShowColour(DeviceKind kind, Rgb colour);
    void RedrawKeyboardButtons();
    void RedrawPaletteButtons(DeviceKind kind);
    bool KeyboardPerKeyMode() const;
    ui::Control* KeyOverlay(std::size_t key);

    PageModel& model_;
    // The picture's keys, looked up on first use.
    std::array<ui::Control*, device::kKeyboardKeyCount> keyOverlays_{};
    bool keyOverlaysFound_ = false;
    bool keyOverlaysPainted_ = false;
};

}  // namespace corvane::lighting::pages
