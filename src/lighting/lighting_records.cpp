#include "lighting/lighting_records.h"

#include <algorithm>
#include <cctype>

namespace corvane::lighting {
namespace {

constexpr std::size_t kRgbSize = 3;
constexpr int kColourMax = 255;

constexpr std::array<Rgb, kPaletteSize> kInitialPalette = {{
    {255, 0, 0}, {255, 96, 0}, {255, 255, 0}, {0, 255, 0},
    {0, 255, 255}, {0, 0, 255}, {255, 0, 255}, {255, 255, 254},
}};

using O = Offer;
constexpr std::array<ModeOffers, 6> kMouseModes = {{
    // direction, colour, sevenColour, brightness, speed, sameMode
    {O::Yes, O::Yes, O::Yes, O::Yes, O::Yes, true, false},
    {O::No, O::No, O::No, O::Yes, O::Yes, true, false},
    {O::No, O::Yes, O::Yes, O::Yes, O::Yes, true, false},
    {O::No, O::Yes, O::No, O::Yes, O::No, true, false},
    {O::Yes, O::Yes, O::Yes, O::Yes, O::Yes, false, false},
    {O::Yes, O::Yes, O::Yes, O::Yes, O::Yes, false, false},
}};
// The pad shares the mouse's first six modes and has three more.
constexpr std::array<ModeOffers, 3> kPadOnlyModes = {{
    {O::No, O::No, O::No, O::Yes, O::Yes, false, false},
    {O::No, O::Yes, O::Yes, O::Yes, O::Yes, false, false},
    {O::No, O::Yes, O::Yes, O::Yes, O::No, false, false},
}};
constexpr std::array<ModeOffers, 10> kKeyboardModes = {{
    {O::No, O::No, O::No, O::Yes, O::Yes, false, false},
    {O::No, O::Yes, O::Yes, O::Yes, O::Yes, false, false},
    {O::No, O::Yes, O::No, O::Yes, O::Yes, false, false},
    {O::No, O::No, O::No, O::No, O::No, false, false},
    {O::No, O::No, O::No, O::Keep, O::Yes, false, false},
    {O::No, O::Yes, O::Yes, O::Keep, O::Yes, false, false},
    {O::No, O::Yes, O::Yes, O::Keep, O::Yes, false, false},
    {O::Yes, O::Yes, O::Yes, O::Keep, O::Yes, false, false},
    {O::No, O::Yes, O::Yes, O::Keep, O::No, false, true},
    {O::No, O::Yes, O::Yes, O::Keep, O::Keep, false, false},
}};

}  // namespace

std::uint8_t SpeedFromSlider(DeviceKind kind, int slider) {
    const int max = SpeedSliderMax(kind);
    return static_cast<std::uint8_t>(max - std::clamp(slider, 0, max));
}

int SliderFromSpeed(DeviceKind kind, std::uint8_t speed) {
    const int max = SpeedSliderMax(kind);
    return max - std::min<int>(speed, max);
}

void SetDirection(ActiveLightingImage& r, DirectionControl control) {
    switch (control) {
        case DirectionControl::LeftCheck:
        case DirectionControl::MouseRightButton: r[kDirectionOffset] = 1; break;
        case DirectionControl::RightCheck:
        case DirectionControl::MouseLeftButton: r[kDirectionOffset] = 0; break;
    }
}

std::size_t ColourIndex(const ActiveLightingImage& keyboard) {
    return std::min<std::size_t>(keyboard[kColourIndexOffset], kUserColourCount - 1);
}

void SetColourIndex(ActiveLightingImage& keyboard, std::size_t index) {
    keyboard[kColourIndexOffset] = static_cast<std::uint8_t>(std::min(index, kUserColourCount - 1));
}

Rgb UserColour(const ActiveLightingImage& keyboard, std::size_t index) {
    const std::size_t at = kUserColoursOffset + kRgbSize * std::min(index, kUserColourCount - 1);
    return Rgb{keyboard[at], keyboard[at + 1], keyboard[at + 2]};
}

void SetUserColour(ActiveLightingImage& keyboard, std::size_t index, Rgb colour) {
    if (index >= kUserColourCount) return;
    const std::size_t at = kUserColoursOffset + kRgbSize * index;
    keyboard[at] = colour.red;
    keyboard[at + 1] = colour.green;
    keyboard[at + 2] = colour.blue;
}

void ApplyKeyboardColour(ActiveLightingImage& keyboard, Rgb colour, bool store) {
    if (store) StoreColour(keyboard, colour);
    SetUserColour(keyboard, ColourIndex(keyboard), colour);
}

ColourEditValue ReadColourEdit(DeviceKind kind, std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
    const bool negative = at < text.size() && text[at] == '-';
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
    int value = 0;
    bool digits = false;
    for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at) {
        digits = true;
        value = std::min(kColourMax + 1, value * 10 + (text[at] - '0'));
    }
    if (negative) value = 0;
    ColourEditValue result;
    result.value = static_cast<std::uint8_t>(std::min(value, kColourMax));
    const std::string shown = std::to_string(result.value);
    if (value > kColourMax) {
        result.rewrittenText = shown;
    } else if (kind == DeviceKind::Keyboard && (!digits || text != shown)) {
        // The keyboard edits always show the plain number: "" -> "0", "007" -> "7".
        result.rewrittenText = shown;
    }
    return result;
}

ColourPalette::ColourPalette() {
    for (std::size_t i = 0; i < kPaletteSize; ++i) entries_[i] = ToArgb(kInitialPalette[i]);
}

std::uint32_t ColourPalette::Entry(std::size_t index) const {
    return entries_[std::min(index, kPaletteSize - 1)];
}

void ColourPalette::ReloadFromUserColours(const ActiveLightingImage& keyboard) {
    for (std::size_t i = 0; i < kPaletteSize; ++i) entries_[i] = ToArgb(UserColour(keyboard, i));
}

SharedLighting SharedFrom(const ActiveLightingImage& record) {
    SharedLighting shared{};
    std::copy_n(record.begin() + kSharedFromRecord, kSharedLightingSize, shared.begin());
    return shared;
}

std::array<bool, 3> SameMode(DeviceKind source, AllActiveLighting& records, SharedLighting& shared) {
    const std::size_t from = device::KindIndex(source);
    shared = SharedFrom(records[from]);
    std::array<bool, 3> changed{};
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (i == from) continue;
        std::copy(shared.begin(), shared.end(), records[i].begin() + kSharedFromRecord);
        changed[i] = true;
    }
    return changed;
}

void LoadFromBlock(DeviceKind kind, const LightingBlockImage& block, ActiveLightingImage& record) {
    std::copy_n(block.begin(), device::ActiveLightingSize(kind), record.begin());
}

void SaveToBlock(DeviceKind kind, const ActiveLightingImage& record, LightingBlockImage& block) {
    std::copy_n(record.begin(), device::ActiveLightingSize(kind), block.begin());
}

void ActivateSlot(DeviceKind kind, const device::LightingSlotsImage& slots, std::uint8_t activeSlot,
                  ActiveLightingImage& record) {
    const std::uint8_t slot = std::min(activeSlot, kMaxSlot);
    LoadFromBlock(kind, slots[slot], record);
    record[device::kActiveSlotOffset] = slot;
}

std::size_t ModeCount(DeviceKind kind) {
    switch (kind) {
        case DeviceKind::Keyboard: return kKeyboardModes.size();
        case DeviceKind::Mouse: return kMouseModes.size();
        case DeviceKind::MousePad: return kMouseModes.size() + kPadOnlyModes.size();
    }
    return 0;
}

std::optional<ModeOffers> OffersOf(DeviceKind kind, std::uint8_t mode) {
    if (mode >= ModeCount(kind)) return std::nullopt;
    if (kind == DeviceKind::Keyboard) return kKeyboardModes[mode];
    if (mode < kMouseModes.size()) return kMouseModes[mode];
    return kPadOnlyModes[mode - kMouseModes.size()];
}

bool IsSoftwareMode(DeviceKind kind, std::uint8_t mode) {
    constexpr std::uint8_t kLastKeyboardSoftwareMode = 3;
    constexpr std::uint8_t kMouseDeviceMode = 4;
    switch (kind) {
        case DeviceKind::Keyboard: return mode <= kLastKeyboardSoftwareMode;
        case DeviceKind::Mouse: return mode < ModeCount(kind) && mode != kMouseDeviceMode;
        case DeviceKind::MousePad: return mode < ModeCount(kind);
    }
    return false;
}

}  // namespace corvane::lighting
