#include "platform/scan_codes.h"

#include <array>

namespace corvane::platform {
namespace {

struct EvdevRow {
    std::uint16_t evdev;
    std::uint16_t vk;
    bool extended;
};

// evdev code -> US-position virtual key. Extended keys are those the PC keyboard sends with
// the E0 prefix (right-hand modifiers, the navigation block, keypad Enter and /, the Windows keys).
constexpr EvdevRow kRows[] = {
    {1, 0x1B, false},    // Esc
    {2, 0x31, false},  {3, 0x32, false},  {4, 0x33, false},  {5, 0x34, false},  {6, 0x35, false},
    {7, 0x36, false},  {8, 0x37, false},  {9, 0x38, false},  {10, 0x39, false}, {11, 0x30, false},
    {12, 0xBD, false},   // - _
    {13, 0xBB, false},   // = +
    {14, 0x08, false},   // Backspace
    {15, 0x09, false},   // Tab
    {16, 'Q', false}, {17, 'W', false}, {18, 'E', false}, {19, 'R', false}, {20, 'T', false},
    {21, 'Y', false}, {22, 'U', false}, {23, 'I', false}, {24, 'O', false}, {25, 'P', false},
    {26, 0xDB, false},   // [
    {27, 0xDD, false},   // ]
    {28, 0x0D, false},   // Enter
    {29, 0xA2, false},   // left Ctrl
    {30, 'A', false}, {31, 'S', false}, {32, 'D', false}, {33, 'F', false}, {34, 'G', false},
    {35, 'H', false}, {36, 'J', false}, {37, 'K', false}, {38, 'L', false},
    {39, 0xBA, false},   // ;
    {40, 0xDE, false},   // '
    {41, 0xC0, false},   // `
    {42, 0xA0, false},   // left Shift
    {43, 0xDC, false},   // backslash
    {44, 'Z', false}, {45, 'X', false}, {46, 'C', false}, {47, 'V', false}, {48, 'B', false},
    {49, 'N', false}, {50, 'M', false},
    {51, 0xBC, false},   // ,
    {52, 0xBE, false},   // .
    {53, 0xBF, false},   // /
    {54, 0xA1, false},   // right Shift
    {55, 0x6A, false},   // keypad *
    {56, 0xA4, false},   // left Alt
    {57, 0x20, false},   // Space
    {58, 0x14, false},   // Caps Lock
    {59, 0x70, false}, {60, 0x71, false}, {61, 0x72, false}, {62, 0x73, false}, {63, 0x74, false},
    {64, 0x75, false}, {65, 0x76, false}, {66, 0x77, false}, {67, 0x78, false}, {68, 0x79, false},
    {69, 0x90, true},    // Num Lock
    {70, 0x91, false},   // Scroll Lock
    {71, 0x67, false},   // keypad 7
    {72, 0x68, false},   // keypad 8
    {73, 0x69, false},   // keypad 9
    {74, 0x6D, false},   // keypad -
    {75, 0x64, false},   // keypad 4
    {76, 0x65, false},   // keypad 5
    {77, 0x66, false},   // keypad 6
    {78, 0x6B, false},   // keypad +
    {79, 0x61, false},   // keypad 1
    {80, 0x62, false},   // keypad 2
    {81, 0x63, false},   // keypad 3
    {82, 0x60, false},   // keypad 0
    {83, 0x6E, false},   // keypad .
    {86, 0xE2, false},   // the extra key of ISO boards (< > |)
    {87, 0x7A, false},   // F11
    {88, 0x7B, false},   // F12
    {96, 0x0D, true},    // keypad Enter
    {97, 0xA3, true},    // right Ctrl
    {98, 0x6F, true},    // keypad /
    {99, 0x2C, true},    // Print Screen
    {100, 0xA5, true},   // right Alt (AltGr)
    {102, 0x24, true},   // Home
    {103, 0x26, true},   // Up
    {104, 0x21, true},   // Page Up
    {105, 0x25, true},   // Left
    {106, 0x27, true},   // Right
    {107, 0x23, true},   // End
    {108, 0x28, true},   // Down
    {109, 0x22, true},   // Page Down
    {110, 0x2D, true},   // Insert
    {111, 0x2E, true},   // Delete
    {113, 0xAD, true},   // Mute
    {114, 0xAE, true},   // Volume Down
    {115, 0xAF, true},   // Volume Up
    {119, 0x13, false},  // Pause
    {125, 0x5B, true},   // left Windows
    {126, 0x5C, true},   // right Windows
    {127, 0x5D, true},   // Menu
    {128, 0xB2, true},   // Stop (media)
    {140, 0xB7, true},   // Calculator
    {155, 0xB4, true},   // Mail
    {156, 0xAB, true},   // Bookmarks
    {157, 0xB6, true},   // Computer
    {158, 0xA6, true},   // Back
    {159, 0xA7, true},   // Forward
    {163, 0xB0, true},   // Next track
    {164, 0xB3, true},   // Play/Pause
    {165, 0xB1, true},   // Previous track
    {166, 0xB2, true},   // Stop
    {172, 0xAC, true},   // Home page
    {173, 0xA8, true},   // Refresh
    {183, 0x7C, false}, {184, 0x7D, false}, {185, 0x7E, false}, {186, 0x7F, false},  // F13..F16
    {187, 0x80, false}, {188, 0x81, false}, {189, 0x82, false}, {190, 0x83, false},  // F17..F20
    {191, 0x84, false}, {192, 0x85, false}, {193, 0x86, false}, {194, 0x87, false},  // F21..F24
    {217, 0xAA, true},   // Search
    {226, 0xB5, true},   // Media select
};

constexpr std::size_t kTableSize = 256;

constexpr std::array<EvdevRow, kTableSize> Index() {
    std::array<EvdevRow, kTableSize> index{};
    for (const EvdevRow& row : kRows) index[row.evdev] = row;
    return index;
}
constexpr auto kIndex = Index();

}  // namespace

std::optional<VirtualKey> VirtualKeyOfEvdev(std::uint32_t evdevCode) {
    if (evdevCode >= kTableSize || kIndex[evdevCode].vk == 0) return std::nullopt;
    return VirtualKey{kIndex[evdevCode].vk, kIndex[evdevCode].extended};
}

}  // namespace corvane::platform
