#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "lighting/colour.h"

namespace corvane::lighting {

inline constexpr int kNoKey = 126;  // a gap in KeyColumns
inline constexpr int kNoZone = -1;  // a gap in PadGrid

inline constexpr std::size_t kBrightnessLevels = 16;
inline constexpr std::size_t kRainbowSize = 256;
inline constexpr std::size_t kRainbowCycle = 192;  // six segments of 32 hues
inline constexpr std::size_t kWaveSize = 96;
inline constexpr std::size_t kPulseSize = 128;
inline constexpr std::size_t kKeyColumnCount = 23;
inline constexpr std::size_t kKeyRowCount = 6;
inline constexpr std::size_t kMouseColumnCount = 7;
inline constexpr std::size_t kMouseColumnHeight = 3;
inline constexpr std::size_t kMouseColourListCount = 3;
inline constexpr std::size_t kPadRows = 5;
inline constexpr std::size_t kPadColumns = 7;
inline constexpr std::size_t kDelaySpeeds = 15;  // speed 0..14 per mode
inline constexpr std::size_t kKeyboardDelayModes = 10;
inline constexpr std::size_t kPadDelayModes = 9;

extern const std::array<std::uint8_t, kBrightnessLevels> BrightnessCurve;
extern const std::array<Rgb, kRainbowSize> RainbowTable;
extern const std::array<std::uint8_t, kWaveSize> WaveTable;
extern const std::array<std::uint8_t, kPulseSize> PulseTable;
extern const std::array<std::array<int, kKeyRowCount>, kKeyColumnCount> KeyColumns;
extern const std::array<std::array<int, kMouseColumnHeight>, kMouseColumnCount> MouseColumns;
extern const std::array<std::array<Rgb, kMouseColumnCount>, kMouseColourListCount> MouseColourLists;
extern const std::array<std::array<int, kPadColumns>, kPadRows> PadGrid;
extern const std::array<std::array<std::uint8_t, kDelaySpeeds>, kKeyboardDelayModes> KeyboardFrameDelay;
extern const std::array<std::array<std::uint8_t, kDelaySpeeds>, kPadDelayModes> PadFrameDelay;

// Brightness byte -> factor; bytes past the curve are as dark as its last entry.
std::uint8_t BrightnessFactor(std::uint8_t brightness);

// Pause before a keyboard or pad frame, in ms; a mode or speed past the table uses its last row
// or column.
unsigned KeyboardDelayMs(std::uint8_t mode, std::uint8_t speed);
unsigned PadDelayMs(std::uint8_t mode, std::uint8_t speed);

}  // namespace corvane::lighting
