#include "lighting/effect_tables.h"

#include <algorithm>

namespace corvane::lighting {
namespace {

constexpr std::size_t kSegment = 32;

constexpr std::array<std::uint8_t, kSegment> kRise = {
    1, 3, 5, 7, 10, 14, 18, 22, 26, 32, 38, 44, 50, 57, 65, 73,
    81, 89, 99, 109, 119, 129, 140, 152, 164, 176, 188, 200, 213, 227, 241, 255};
constexpr std::array<std::uint8_t, kSegment> kFall = {
    248, 234, 220, 206, 194, 182, 170, 158, 146, 134, 124, 114, 104, 94, 85, 77,
    69, 61, 53, 47, 41, 35, 29, 24, 20, 16, 12, 8, 6, 4, 2, 0};

constexpr std::array<Rgb, kRainbowSize> MakeRainbow() {
    std::array<Rgb, kRainbowSize> table{};
    for (std::size_t i = 0; i < kRainbowSize; ++i) {
        const std::uint8_t up = kRise[i % kSegment];
        const std::uint8_t down = kFall[i % kSegment];
        switch ((i % kRainbowCycle) / kSegment) {
            case 0: table[i] = {255, up, 0}; break;
            case 1: table[i] = {down, 255, 0}; break;
            case 2: table[i] = {0, 255, up}; break;
            case 3: table[i] = {0, down, 255}; break;
            case 4: table[i] = {up, 0, 255}; break;
            default: table[i] = {255, 0, down}; break;
        }
    }
    return table;
}

// Rising half of a symmetric table, mirrored.
template <std::size_t N>
constexpr std::array<std::uint8_t, 2 * N> Mirrored(const std::array<std::uint8_t, N>& rising) {
    std::array<std::uint8_t, 2 * N> table{};
    for (std::size_t i = 0; i < N; ++i) {
        table[i] = rising[i];
        table[2 * N - 1 - i] = rising[i];
    }
    return table;
}

constexpr std::array<std::uint8_t, kWaveSize / 2> kWaveRise = {
    22, 24, 27, 30, 33, 36, 39, 42, 45, 49, 53, 57, 61, 65, 69, 73,
    77, 81, 85, 89, 94, 99, 104, 109, 114, 119, 124, 129, 134, 140, 146, 152,
    158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};
constexpr std::array<std::uint8_t, kPulseSize / 2> kPulseRise = {
    0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 14, 16, 18, 20,
    22, 24, 27, 30, 33, 36, 39, 42, 45, 49, 53, 57, 61, 65, 69, 73,
    77, 81, 85, 89, 94, 99, 104, 109, 114, 119, 124, 129, 134, 140, 146, 152,
    158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};

constexpr unsigned kBaseDelayMs = 9;
constexpr unsigned kDelayPerSpeedMs = 4;

template <std::size_t Modes>
constexpr std::array<std::array<std::uint8_t, kDelaySpeeds>, Modes> RegularDelays() {
    std::array<std::array<std::uint8_t, kDelaySpeeds>, Modes> table{};
    for (auto& row : table) {
        for (std::size_t s = 0; s < kDelaySpeeds; ++s) {
            row[s] = static_cast<std::uint8_t>(kBaseDelayMs + kDelayPerSpeedMs * s);
        }
    }
    return table;
}

constexpr auto MakeKeyboardDelays() {
    auto table = RegularDelays<kKeyboardDelayModes>();
    table[0][0] = 2;
    table[4][0] = 3;
    table[7][0] = 3;
    table[2][14] = 63;
    return table;
}

template <std::size_t Modes>
unsigned Lookup(const std::array<std::array<std::uint8_t, kDelaySpeeds>, Modes>& table,
                std::uint8_t mode, std::uint8_t speed) {
    return table[std::min<std::size_t>(mode, Modes - 1)][std::min<std::size_t>(speed, kDelaySpeeds - 1)];
}

}  // namespace

const std::array<std::uint8_t, kBrightnessLevels> BrightnessCurve = {
    255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 0};

const std::array<Rgb, kRainbowSize> RainbowTable = MakeRainbow();
const std::array<std::uint8_t, kWaveSize> WaveTable = Mirrored(kWaveRise);
const std::array<std::uint8_t, kPulseSize> PulseTable = Mirrored(kPulseRise);

// clang-format off
const std::array<std::array<int, kKeyRowCount>, kKeyColumnCount> KeyColumns = {{
    {126, 126, 126, 126, 126, 105},
    {126, 21, 42, 63, 84, 106},
    {0, 22, 43, 64, 85, 107},
    {1, 23, 44, 65, 86, 126},
    {2, 24, 45, 66, 87, 126},
    {3, 25, 46, 67, 88, 126},
    {4, 26, 47, 68, 89, 108},
    {126, 27, 48, 69, 90, 126},
    {5, 28, 49, 70, 91, 126},
    {6, 29, 50, 71, 92, 109},
    {7, 30, 51, 72, 93, 126},
    {8, 31, 52, 73, 94, 110},
    {9, 32, 53, 74, 126, 126},
    {10, 33, 54, 126, 126, 111},
    {11, 34, 55, 75, 95, 126},
    {12, 126, 126, 126, 126, 112},
    {13, 35, 56, 126, 126, 113},
    {14, 36, 57, 126, 96, 114},
    {15, 37, 58, 126, 126, 115},
    {126, 38, 59, 76, 97, 116},
    {126, 39, 60, 77, 98, 126},
    {126, 40, 61, 78, 99, 117},
    {126, 41, 126, 119, 118, 126},
}};

const std::array<std::array<int, kMouseColumnHeight>, kMouseColumnCount> MouseColumns = {{
    {0, 7, 19}, {1, 8, 18}, {2, 9, 9}, {3, 10, 14}, {4, 11, 15}, {5, 12, 16}, {6, 13, 17},
}};

const std::array<std::array<Rgb, kMouseColumnCount>, kMouseColourListCount> MouseColourLists = {{
    {{{255, 255, 0}, {200, 255, 0}, {170, 255, 0}, {140, 255, 0}, {110, 255, 0}, {80, 255, 0}, {70, 255, 0}}},
    {{{0, 255, 255}, {0, 200, 255}, {0, 170, 255}, {0, 140, 255}, {0, 110, 255}, {0, 80, 255}, {0, 70, 255}}},
    {{{245, 0, 255}, {245, 0, 200}, {245, 0, 170}, {245, 0, 140}, {245, 0, 110}, {245, 0, 80}, {245, 0, 70}}},
}};

const std::array<std::array<int, kPadColumns>, kPadRows> PadGrid = {{
    {0, -1, -1, -1, -1, -1, 14},
    {1, -1, -1, -1, -1, -1, 13},
    {2, -1, -1, -1, -1, -1, 12},
    {3, -1, -1, -1, -1, -1, 11},
    {4, 5, 6, 7, 8, 9, 10},
}};
// clang-format on

const std::array<std::array<std::uint8_t, kDelaySpeeds>, kKeyboardDelayModes> KeyboardFrameDelay =
    MakeKeyboardDelays();
const std::array<std::array<std::uint8_t, kDelaySpeeds>, kPadDelayModes> PadFrameDelay =
    RegularDelays<kPadDelayModes>();

std::uint8_t BrightnessFactor(std::uint8_t brightness) {
    return BrightnessCurve[std::min<std::size_t>(brightness, kBrightnessLevels - 1)];
}

unsigned KeyboardDelayMs(std::uint8_t mode, std::uint8_t speed) {
    return Lookup(KeyboardFrameDelay, mode, speed);
}

unsigned PadDelayMs(std::uint8_t mode, std::uint8_t speed) { return Lookup(PadFrameDelay, mode, speed); }

}  // namespace corvane::lighting
