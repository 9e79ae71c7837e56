#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "device/device_images.h"
#include "lighting/colour.h"
#include "lighting/lighting_records.h"

namespace corvane::lighting {

using device::CustomColourStateImage;
using device::KeyColourTableImage;

inline constexpr std::size_t kSetIndexOffset = 0;
inline constexpr std::size_t kPenOffset = 1;  // pen red, green, blue
inline constexpr std::size_t kLedPositionCount = device::kKeyboardKeyCount;
// LedKeyMap value of a screen key without LED.
inline constexpr int kNoLed = 126;

// Screen key n ("kb_dkey_" n) -> LED position, kNoLed when the key has none.
extern const std::array<int, device::kKeyboardKeyCount> LedKeyMap;

constexpr std::uint8_t SetIndex(const CustomColourStateImage& s) { return s[kSetIndexOffset]; }
constexpr Rgb PenColour(const CustomColourStateImage& s) {
    return Rgb{s[kPenOffset], s[kPenOffset + 1], s[kPenOffset + 2]};
}

// The colour the keyboard page shows as current: the pen in the per-key mode, otherwise the
// palette entry of the current colour button.
Rgb ShownKeyboardColour(const device::ActiveLightingImage& keyboard, const CustomColourStateImage& state,
                        const ColourPalette& palette);

// Colour of LED position p in set k (black for a position or set outside the table).
Rgb KeyColour(const KeyColourTableImage& table, std::size_t set, std::size_t position);

// The operations of the custom colour tools. Each returns true when it changed something (the
// caller then saves the keyboard lighting profile). A set index read from a file that is not
// 0..4 makes the painting operations do nothing rather than write outside the table.
bool SelectColourSet(CustomColourStateImage& state, std::size_t set);
void SetPenColour(CustomColourStateImage& state, Rgb colour);
bool PaintKey(const CustomColourStateImage& state, KeyColourTableImage& table, std::size_t screenKey);
bool ClearColourSet(const CustomColourStateImage& state, KeyColourTableImage& table);
bool FillUnpaintedKeys(const CustomColourStateImage& state, KeyColourTableImage& table);

}  // namespace corvane::lighting
