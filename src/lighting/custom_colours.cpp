#include "lighting/custom_colours.h"

namespace corvane::lighting {
namespace {

constexpr std::size_t kRgbSize = 3;

bool ValidSet(std::size_t set) { return set < device::kColourSetCount; }

std::size_t At(std::size_t set, std::size_t position) {
    return device::kColourSetSize * set + kRgbSize * position;
}

void Put(KeyColourTableImage& table, std::size_t at, Rgb colour) {
    table[at] = colour.red;
    table[at + 1] = colour.green;
    table[at + 2] = colour.blue;
}

}  // namespace

// clang-format off
const std::array<int, device::kKeyboardKeyCount> LedKeyMap = {
    0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 14, 15, 16, 126, 126, 126, 126, 126,
    21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41,
    42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 58, 59, 60, 61, 126,
    63, 64, 65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 76, 80, 81, 82, 126, 126, 126, 126, 126,
    84, 86, 87, 88, 89, 90, 91, 92, 93, 94, 95, 97, 99, 101, 102, 103, 126, 126, 126, 126, 126,
    105, 106, 107, 108, 109, 110, 111, 113, 119, 120, 121, 123, 124, 104, 62, 126, 126, 126, 126, 126, 126,
};
// clang-format on

Rgb ShownKeyboardColour(const device::ActiveLightingImage& keyboard, const CustomColourStateImage& state,
                        const ColourPalette& palette) {
    if (Mode(keyboard) == kPerKeyColourMode) return PenColour(state);
    return palette.Colour(ColourIndex(keyboard));
}

Rgb KeyColour(const KeyColourTableImage& table, std::size_t set, std::size_t position) {
    if (!ValidSet(set) || position >= kLedPositionCount) return kBlack;
    const std::size_t at = At(set, position);
    return Rgb{table[at], table[at + 1], table[at + 2]};
}

bool SelectColourSet(CustomColourStateImage& state, std::size_t set) {
    if (!ValidSet(set)) return false;
    state[kSetIndexOffset] = static_cast<std::uint8_t>(set);
    return true;
}

void SetPenColour(CustomColourStateImage& state, Rgb colour) {
    state[kPenOffset] = colour.red;
    state[kPenOffset + 1] = colour.green;
    state[kPenOffset + 2] = colour.blue;
}

bool PaintKey(const CustomColourStateImage& state, KeyColourTableImage& table, std::size_t screenKey) {
    if (screenKey >= LedKeyMap.size() || !ValidSet(SetIndex(state))) return false;
    const int position = LedKeyMap[screenKey];
    if (position == kNoLed) return false;
    Put(table, At(SetIndex(state), static_cast<std::size_t>(position)), PenColour(state));
    return true;
}

bool ClearColourSet(const CustomColourStateImage& state, KeyColourTableImage& table) {
    if (!ValidSet(SetIndex(state))) return false;
    for (std::size_t p = 0; p < kLedPositionCount; ++p) Put(table, At(SetIndex(state), p), kBlack);
    return true;
}

bool FillUnpaintedKeys(const CustomColourStateImage& state, KeyColourTableImage& table) {
    if (!ValidSet(SetIndex(state))) return false;
    for (std::size_t p = 0; p < kLedPositionCount; ++p) {
        if (KeyColour(table, SetIndex(state), p) == kBlack) {
            Put(table, At(SetIndex(state), p), PenColour(state));
        }
    }
    return true;
}

}  // namespace corvane::lighting
