#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "device/device_images.h"
#include "device/device_kind.h"
#include "lighting/colour.h"

namespace corvane::lighting {

using device::ActiveLightingImage;
using device::DeviceKind;
using device::LightingBlockImage;

// Bytes 0..8, common to the three devices.
inline constexpr std::size_t kModeOffset = 1;
inline constexpr std::size_t kBrightnessOffset = 2;
inline constexpr std::size_t kSpeedOffset = 3;
inline constexpr std::size_t kDirectionOffset = 4;
inline constexpr std::size_t kSevenColourOffset = 5;
inline constexpr std::size_t kRedOffset = 6;
inline constexpr std::size_t kGreenOffset = 7;
inline constexpr std::size_t kBlueOffset = 8;
inline constexpr std::size_t kCommonFieldsEnd = 9;

// Keyboard bytes 9..40.
inline constexpr std::size_t kColourIndexOffset = 9;
inline constexpr std::size_t kUserColoursOffset = 14;
inline constexpr std::size_t kUserColourCount = 8;

inline constexpr std::uint8_t kMaxSlot = 4;
inline constexpr int kKeyboardSpeedMax = 3;  // "kb_deng_speed_slider" 0..3
inline constexpr int kOtherSpeedMax = 14;    // mouse and pad speed sliders 0..14

// Typed reading and writing of an ActiveLighting record (or the first bytes of a LightingBlock).
constexpr std::uint8_t ActiveSlot(const ActiveLightingImage& r) { return r[device::kActiveSlotOffset]; }
constexpr std::uint8_t Mode(const ActiveLightingImage& r) { return r[kModeOffset]; }
constexpr std::uint8_t Brightness(const ActiveLightingImage& r) { return r[kBrightnessOffset]; }
constexpr std::uint8_t Speed(const ActiveLightingImage& r) { return r[kSpeedOffset]; }
constexpr std::uint8_t Direction(const ActiveLightingImage& r) { return r[kDirectionOffset]; }
constexpr bool SevenColour(const ActiveLightingImage& r) { return r[kSevenColourOffset] != 0; }
constexpr Rgb ColourOf(const ActiveLightingImage& r) {
    return Rgb{r[kRedOffset], r[kGreenOffset], r[kBlueOffset]};
}

constexpr void SetMode(ActiveLightingImage& r, std::uint8_t mode) { r[kModeOffset] = mode; }
constexpr void SetBrightness(ActiveLightingImage& r, std::uint8_t value) { r[kBrightnessOffset] = value; }
constexpr void SetSevenColour(ActiveLightingImage& r, bool on) { r[kSevenColourOffset] = on ? 1 : 0; }
// A stored colour replaces the seven-colour cycle.
constexpr void StoreColour(ActiveLightingImage& r, Rgb colour) {
    r[kRedOffset] = colour.red;
    r[kGreenOffset] = colour.green;
    r[kBlueOffset] = colour.blue;
    r[kSevenColourOffset] = 0;
}

// Speed slider <-> stored speed (smaller stored value = faster). Slider values outside the
// slider's range are clamped to it.
std::uint8_t SpeedFromSlider(DeviceKind kind, int slider);
int SliderFromSpeed(DeviceKind kind, std::uint8_t speed);
constexpr int SpeedSliderMax(DeviceKind kind) {
    return kind == DeviceKind::Keyboard ? kKeyboardSpeedMax : kOtherSpeedMax;
}
inline void SetSpeedFromSlider(ActiveLightingImage& r, DeviceKind kind, int slider) {
    r[kSpeedOffset] = SpeedFromSlider(kind, slider);
}

// Direction controls: the "_Deng_FXL_check" / "_Deng_FXR_check" pair store 1 / 0; the mouse's
// "ms_Deng_FXL_btn" / "ms_Deng_FXR_btn" store the opposite values.
enum class DirectionControl { LeftCheck, RightCheck, MouseLeftButton, MouseRightButton };
void SetDirection(ActiveLightingImage& r, DirectionControl control);
// The left check is the one shown checked for a non-zero direction.
constexpr bool LeftDirectionChecked(const ActiveLightingImage& r) { return Direction(r) != 0; }

// Keyboard: the current colour button (clamped to 0..7 when read) and the eight user colours.
std::size_t ColourIndex(const ActiveLightingImage& keyboard);
void SetColourIndex(ActiveLightingImage& keyboard, std::size_t index);
Rgb UserColour(const ActiveLightingImage& keyboard, std::size_t index);
void SetUserColour(ActiveLightingImage& keyboard, std::size_t index, Rgb colour);

// A colour applied on the keyboard page outside the per-key mode: stored as the current colour
// when `store` is set, and always kept as the user colour of the current colour button.
void ApplyKeyboardColour(ActiveLightingImage& keyboard, Rgb colour, bool store);

// A colour edit (R, G or B) as typed: its value (above 255 becomes 255, negatives 0) and the text
// the edit shows afterwards when it has to be rewritten (keyboard edits also normalise empty text
// and leading zeros).
struct ColourEditValue {
    std::uint8_t value = 0;
    std::optional<std::string> rewrittenText;
};
ColourEditValue ReadColourEdit(DeviceKind kind, std::string_view text);

// Eight colours offered on every colour button of all pages.
inline constexpr std::size_t kPaletteSize = 8;
class ColourPalette {
public:
    ColourPalette();

    std::uint32_t Entry(std::size_t index) const;  // ARGB; index clamped to 0..7
    Rgb Colour(std::size_t index) const { return FromArgb(Entry(index)); }
    const std::array<std::uint32_t, kPaletteSize>& Entries() const { return entries_; }

    // After a keyboard load: entry i = the keyboard's user colour i with full alpha.
    void ReloadFromUserColours(const ActiveLightingImage& keyboard);

private:
    std::array<std::uint32_t, kPaletteSize> entries_;
};

// Bytes 1..8 of a record, shared by the synchronised effects.
inline constexpr std::size_t kSharedLightingSize = 8;
using SharedLighting = std::array<std::uint8_t, kSharedLightingSize>;
// Record byte k lives in shared byte k - 1.
inline constexpr std::size_t kSharedFromRecord = kModeOffset;
inline constexpr std::size_t kSharedModeOffset = 0;
inline constexpr std::size_t kSharedBrightnessOffset = 1;
inline constexpr std::size_t kSharedSpeedOffset = 2;
inline constexpr std::size_t kSharedDirectionOffset = 3;
inline constexpr std::size_t kSharedSevenColourOffset = 4;
inline constexpr std::size_t kSharedRedOffset = 5;

SharedLighting SharedFrom(const ActiveLightingImage& record);

// Same-mode: bytes 1..8 of `source`'s record go into the other two records and into `shared`.
// Returns the records, indexed by KindIndex, that changed.
using AllActiveLighting = std::array<ActiveLightingImage, 3>;
std::array<bool, 3> SameMode(DeviceKind source, AllActiveLighting& records, SharedLighting& shared);

// Profile load and save of slot 0: the first ActiveLightingSize(kind) bytes travel between the
// 64-byte block and the record; the rest of the block is kept.
void LoadFromBlock(DeviceKind kind, const LightingBlockImage& block, ActiveLightingImage& record);
void SaveToBlock(DeviceKind kind, const ActiveLightingImage& record, LightingBlockImage& block);
// Arrival: slot `activeSlot` (clamped to 0..4) of the parameter area becomes the record, byte 0 = slot.
void ActivateSlot(DeviceKind kind, const device::LightingSlotsImage& slots, std::uint8_t activeSlot,
                  ActiveLightingImage& record);

// What each mode offers on its lighting page.
enum class Offer : std::uint8_t { No, Yes, Keep };  // Keep: the control stays as the last mode left it
struct ModeOffers {
    Offer direction = Offer::No;
    Offer colour = Offer::No;
    Offer sevenColour = Offer::No;
    Offer brightness = Offer::Yes;
    Offer speed = Offer::No;
    bool sameMode = false;
    bool perKeyColours = false;  // keyboard custom colour tools
};
std::size_t ModeCount(DeviceKind kind);
std::optional<ModeOffers> OffersOf(DeviceKind kind, std::uint8_t mode);
// Modes drawn by the program frame by frame (the rest run on the device).
bool IsSoftwareMode(DeviceKind kind, std::uint8_t mode);
inline constexpr std::uint8_t kPerKeyColourMode = 8;

}  // namespace corvane::lighting
