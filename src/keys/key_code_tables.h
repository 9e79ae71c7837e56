#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "keys/key_entry.h"

namespace corvane::keys {

// One row of a code table: for the choice tables the tag is the row number, for the virtual-key
// table a Windows virtual-key code (or one of the pseudo codes below).
struct KeyCodeRow {
    std::uint16_t tag = 0;
    FunctionKind kind = FunctionKind::DefaultFunction;
    std::uint8_t param1 = 0;
    std::uint8_t param2 = 0;

    constexpr KeyEntry Entry() const { return KeyEntry{kind, param1, param2}; }
    friend constexpr bool operator==(const KeyCodeRow&, const KeyCodeRow&) = default;
};

// Size of a row in its packed form (tag, kind, param1, param2, pad).
inline constexpr std::size_t kKeyCodeRowSize = 6;

// Capture reports the keypad Enter (VK_RETURN with the extended flag) under this code.
inline constexpr std::uint16_t kVirtualKeyReturn = 0x0D;
inline constexpr std::uint16_t kKeypadEnterCode = 0x101;
// Rows that never come from a key press.
inline constexpr std::uint16_t kPowerKeyCode = 0x103;
inline constexpr std::uint16_t kSleepKeyCode = 0x104;
inline constexpr std::uint16_t kWakeKeyCode = 0x105;

namespace table_detail {
inline constexpr FunctionKind B = FunctionKind::MouseButtonFunction;
inline constexpr FunctionKind K = FunctionKind::KeyboardKeyFunction;
inline constexpr FunctionKind M = FunctionKind::MediaKeyFunction;
inline constexpr FunctionKind S = FunctionKind::SystemKeyFunction;
inline constexpr FunctionKind Fn = FunctionKind::FnKeyFunction;

// Screen key rows: a key by HID usage, a modifier alone, the empty key entry, the Fn key.
constexpr KeyEntry Key(std::uint8_t usage) { return {K, 0, usage}; }
constexpr KeyEntry Mod(std::uint8_t bits) { return {K, bits, 0}; }
inline constexpr KeyEntry kNone{K, 0, 0};
inline constexpr KeyEntry kFn{Fn, 0x02, 0x02};

// Choice rows are tagged with their row number.
template <std::size_t N>
constexpr std::array<KeyCodeRow, N> Numbered(std::array<KeyCodeRow, N> rows) {
    for (std::size_t i = 0; i < N; ++i) rows[i].tag = static_cast<std::uint16_t>(i);
    return rows;
}
}  // namespace table_detail

// Combo "_11": mouse buttons (param1 = one bit of the HID mouse button byte).
inline constexpr auto ButtonChoices = table_detail::Numbered<5>({{
    {0, table_detail::B, 0x01, 0x00},
    {0, table_detail::B, 0x04, 0x00},
    {0, table_detail::B, 0x02, 0x00},
    {0, table_detail::B, 0x10, 0x00},
    {0, table_detail::B, 0x08, 0x00},
}});
inline constexpr std::array<std::string_view, 5> ButtonChoiceLabels = {
    "mouse_key_left", "mouse_key_middle", "mouse_key_right", "mouse_key_forward", "mouse_key_back"};

// Combos "_12" and "_13": only the kind of these rows is used; the item sets the direction bit.
inline constexpr auto LeftRightSwingChoices = table_detail::Numbered<2>({{
    {0, FunctionKind::LeftRightSwingFunction, 0xFF, 0xFF},
    {0, FunctionKind::LeftRightSwingFunction, 0xFF, 0x01},
}});
inline constexpr auto UpDownSwingChoices = table_detail::Numbered<2>({{
    {0, FunctionKind::UpDownSwingFunction, 0x01, 0x01},
    {0, FunctionKind::UpDownSwingFunction, 0xFF, 0xFF},
}});

// Combo "_14".
inline constexpr auto DpiStepChoices = table_detail::Numbered<3>({{
    {0, FunctionKind::DpiStepFunction, 1, 0},
    {0, FunctionKind::DpiStepFunction, 2, 0},
    {0, FunctionKind::DpiStepFunction, 3, 0},
}});
inline constexpr std::array<std::string_view, 3> DpiStepLabels = {
    "mouse_key_DPI_add", "mouse_key_DPI_sub", "mouse_key_DPI_loop"};

// Combo "_21": consumer-page usages, param1 low byte, param2 high byte.
inline constexpr auto MediaKeyChoices = table_detail::Numbered<18>({{
    {0, table_detail::M, 0x83, 0x01},  // AL Consumer Control Configuration
    {0, table_detail::M, 0xCD, 0x00},  // Play/Pause
    {0, table_detail::M, 0xB7, 0x00},  // Stop
    {0, table_detail::M, 0xB6, 0x00},  // Scan Previous Track
    {0, table_detail::M, 0xB5, 0x00},  // Scan Next Track
    {0, table_detail::M, 0xEA, 0x00},  // Volume Decrement
    {0, table_detail::M, 0xE9, 0x00},  // Volume Increment
    {0, table_detail::M, 0xE2, 0x00},  // Mute
    {0, table_detail::M, 0x23, 0x02},  // AC Home
    {0, table_detail::M, 0x27, 0x02},  // AC Refresh
    {0, table_detail::M, 0x26, 0x02},  // AC Stop
    {0, table_detail::M, 0x24, 0x02},  // AC Back
    {0, table_detail::M, 0x25, 0x02},  // AC Forward
    {0, table_detail::M, 0x2A, 0x02},  // AC Bookmarks
    {0, table_detail::M, 0x21, 0x02},  // AC Search
    {0, table_detail::M, 0x94, 0x01},  // AL Local Machine Browser
    {0, table_detail::M, 0x92, 0x01},  // AL Calculator
    {0, table_detail::M, 0x8A, 0x01},  // AL Email Reader
}});
inline constexpr std::array<std::string_view, 18> MediaKeyLabels = {
    "media_text", "media_play",  "media_stop",    "media_prev",   "media_next",   "media_vol_sub",
    "media_vol_add", "media_mute", "web_text",    "web_refresh",  "wed_stop",     "wed_back",
    "wed_forward", "wed_favorite", "web_search",  "media_mypc",   "media_calc",   "media_mail"};

// Combo "_22": HID system control bits.
inline constexpr auto SystemKeyChoices = table_detail::Numbered<3>({{
    {0, table_detail::S, 0x01, 0x00},
    {0, table_detail::S, 0x02, 0x00},
    {0, table_detail::S, 0x04, 0x00},
}});
inline constexpr std::array<std::string_view, 3> SystemKeyLabels = {
    "system_power", "system_sleep", "system_wake_up"};

// Label ids of the kinds that have no table.
inline constexpr std::string_view kLeftSwingLabel = "mouse_key_left_Swing";
inline constexpr std::string_view kRightSwingLabel = "mouse_key_right_Swing";
inline constexpr std::string_view kUpSwingLabel = "mouse_key_up_Swing";
inline constexpr std::string_view kDownSwingLabel = "mouse_key_down_Swing";
inline constexpr std::string_view kFireKeyLabel = "mouse_key_fire_key";
inline constexpr std::array<std::string_view, 4> CursorScriptLabels = {"GUN_1", "GUN_2", "GUN_3",
                                                                       "GUN_4"};
// Joins a key's default name and its assignment in the screen key tooltip.
inline constexpr std::string_view kKeySetLabel = "Key_Set";

inline constexpr std::size_t kVirtualKeyRows = 124;

// Captured key presses by virtual-key code, first match wins; KeyNames is parallel to it.
inline constexpr std::array<KeyCodeRow, kVirtualKeyRows> VirtualKeyTable = {{
    {0x0A2, table_detail::K, 0x01, 0x00},
    {0x0A0, table_detail::K, 0x02, 0x00},
    {0x0A4, table_detail::K, 0x04, 0x00},
    {0x05B, table_detail::K, 0x08, 0x00},
    {0x0A3, table_detail::K, 0x10, 0x00},
    {0x0A1, table_detail::K, 0x20, 0x00},
    {0x0A5, table_detail::K, 0x40, 0x00},
    {0x05C, table_detail::K, 0x80, 0x00},
    {0x041, table_detail::K, 0x00, 0x04},
    {0x042, table_detail::K, 0x00, 0x05},
    {0x043, table_detail::K, 0x00, 0x06},
    {0x044, table_detail::K, 0x00, 0x07},
    {0x045, table_detail::K, 0x00, 0x08},
    {0x046, table_detail::K, 0x00, 0x09},
    {0x047, table_detail::K, 0x00, 0x0A},
    {0x048, table_detail::K, 0x00, 0x0B},
    {0x049, table_detail::K, 0x00, 0x0C},
    {0x04A, table_detail::K, 0x00, 0x0D},
    {0x04B, table_detail::K, 0x00, 0x0E},
    {0x04C, table_detail::K, 0x00, 0x0F},
    {0x04D, table_detail::K, 0x00, 0x10},
    {0x04E, table_detail::K, 0x00, 0x11},
    {0x04F, table_detail::K, 0x00, 0x12},
    {0x050, table_detail::K, 0x00, 0x13},
    {0x051, table_detail::K, 0x00, 0x14},
    {0x052, table_detail::K, 0x00, 0x15},
    {0x053, table_detail::K, 0x00, 0x16},
    {0x054, table_detail::K, 0x00, 0x17},
    {0x055, table_detail::K, 0x00, 0x18},
    {0x056, table_detail::K, 0x00, 0x19},
    {0x057, table_detail::K, 0x00, 0x1A},
    {0x058, table_detail::K, 0x00, 0x1B},
    {0x059, table_detail::K, 0x00, 0x1C},
    {0x05A, table_detail::K, 0x00, 0x1D},
    {0x031, table_detail::K, 0x00, 0x1E},
    {0x032, table_detail::K, 0x00, 0x1F},
    {0x033, table_detail::K, 0x00, 0x20},
    {0x034, table_detail::K, 0x00, 0x21},
    {0x035, table_detail::K, 0x00, 0x22},
    {0x036, table_detail::K, 0x00, 0x23},
    {0x037, table_detail::K, 0x00, 0x24},
    {0x038, table_detail::K, 0x00, 0x25},
    {0x039, table_detail::K, 0x00, 0x26},
    {0x030, table_detail::K, 0x00, 0x27},
    {0x00D, table_detail::K, 0x00, 0x28},
    {0x01B, table_detail::K, 0x00, 0x29},
    {0x008, table_detail::K, 0x00, 0x2A},
    {0x009, table_detail::K, 0x00, 0x2B},
    {0x020, table_detail::K, 0x00, 0x2C},
    {0x0BD, table_detail::K, 0x00, 0x2D},
    {0x0BB, table_detail::K, 0x00, 0x2E},
    {0x0DB, table_detail::K, 0x00, 0x2F},
    {0x0DD, table_detail::K, 0x00, 0x30},
    {0x0DC, table_detail::K, 0x00, 0x31},
    {0x0BA, table_detail::K, 0x00, 0x33},
    {0x0DE, table_detail::K, 0x00, 0x34},
    {0x0C0, table_detail::K, 0x00, 0x35},
    {0x0BC, table_detail::K, 0x00, 0x36},
    {0x0BE, table_detail::K, 0x00, 0x37},
    {0x0BF, table_detail::K, 0x00, 0x38},
    {0x014, table_detail::K, 0x00, 0x39},
    {0x070, table_detail::K, 0x00, 0x3A},
    {0x071, table_detail::K, 0x00, 0x3B},
    {0x072, table_detail::K, 0x00, 0x3C},
    {0x073, table_detail::K, 0x00, 0x3D},
    {0x074, table_detail::K, 0x00, 0x3E},
    {0x075, table_detail::K, 0x00, 0x3F},
    {0x076, table_detail::K, 0x00, 0x40},
    {0x077, table_detail::K, 0x00, 0x41},
    {0x078, table_detail::K, 0x00, 0x42},
    {0x079, table_detail::K, 0x00, 0x43},
    {0x07A, table_detail::K, 0x00, 0x44},
    {0x07B, table_detail::K, 0x00, 0x45},
    {0x02C, table_detail::K, 0x00, 0x46},
    {0x091, table_detail::K, 0x00, 0x47},
    {0x013, table_detail::K, 0x00, 0x48},
    {0x02D, table_detail::K, 0x00, 0x49},
    {0x024, table_detail::K, 0x00, 0x4A},
    {0x021, table_detail::K, 0x00, 0x4B},
    {0x02E, table_detail::K, 0x00, 0x4C},
    {0x023, table_detail::K, 0x00, 0x4D},
    {0x022, table_detail::K, 0x00, 0x4E},
    {0x027, table_detail::K, 0x00, 0x4F},
    {0x025, table_detail::K, 0x00, 0x50},
    {0x028, table_detail::K, 0x00, 0x51},
    {0x026, table_detail::K, 0x00, 0x52},
    {0x090, table_detail::K, 0x00, 0x53},
    {0x06F, table_detail::K, 0x00, 0x54},
    {0x06A, table_detail::K, 0x00, 0x55},
    {0x06D, table_detail::K, 0x00, 0x56},
    {0x06B, table_detail::K, 0x00, 0x57},
    {0x101, table_detail::K, 0x00, 0x58},
    {0x061, table_detail::K, 0x00, 0x59},
    {0x062, table_detail::K, 0x00, 0x5A},
    {0x063, table_detail::K, 0x00, 0x5B},
    {0x064, table_detail::K, 0x00, 0x5C},
    {0x065, table_detail::K, 0x00, 0x5D},
    {0x066, table_detail::K, 0x00, 0x5E},
    {0x067, table_detail::K, 0x00, 0x5F},
    {0x068, table_detail::K, 0x00, 0x60},
    {0x069, table_detail::K, 0x00, 0x61},
    {0x060, table_detail::K, 0x00, 0x62},
    {0x06E, table_detail::K, 0x00, 0x63},
    {0x05D, table_detail::K, 0x00, 0x65},
    {0x0B7, table_detail::M, 0x92, 0x01},
    {0x0AC, table_detail::M, 0x23, 0x02},
    {0x0B3, table_detail::M, 0xCD, 0x00},
    {0x0AA, table_detail::M, 0x21, 0x02},
    {0x0B4, table_detail::M, 0x8A, 0x01},
    {0x0AF, table_detail::M, 0xE9, 0x00},
    {0x0AD, table_detail::M, 0xE2, 0x00},
    {0x0B2, table_detail::M, 0xB7, 0x00},
    {0x0AE, table_detail::M, 0xEA, 0x00},
    {0x0AB, table_detail::M, 0x2A, 0x02},
    {0x0A7, table_detail::M, 0x25, 0x02},
    {0x0A6, table_detail::M, 0x24, 0x02},
    {0x0B1, table_detail::M, 0xB6, 0x00},
    {0x0B0, table_detail::M, 0xB5, 0x00},
    {0x0B6, table_detail::M, 0x94, 0x01},
    {0x0A8, table_detail::M, 0x27, 0x02},
    {0x0B5, table_detail::M, 0x83, 0x01},
    {0x103, table_detail::S, 0x01, 0x00},
    {0x104, table_detail::S, 0x02, 0x00},
    {0x105, table_detail::S, 0x04, 0x00},}};

inline constexpr std::array<std::string_view, kVirtualKeyRows> KeyNames = {
    "keyboard_key_LCtrl",
    "keyboard_key_LShift",
    "keyboard_key_LAlt",
    "keyboard_key_LWin",
    "keyboard_key_RCtrl",
    "keyboard_key_RShift",
    "keyboard_key_RAlt",
    "keyboard_key_RWin",
    "keyboard_key_A",
    "keyboard_key_B",
    "keyboard_key_C",
    "keyboard_key_D",
    "keyboard_key_E",
    "keyboard_key_F",
    "keyboard_key_G",
    "keyboard_key_H",
    "keyboard_key_I",
    "keyboard_key_J",
    "keyboard_key_K",
    "keyboard_key_L",
    "keyboard_key_M",
    "keyboard_key_N",
    "keyboard_key_O",
    "keyboard_key_P",
    "keyboard_key_Q",
    "keyboard_key_R",
    "keyboard_key_S",
    "keyboard_key_T",
    "keyboard_key_U",
    "keyboard_key_V",
    "keyboard_key_W",
    "keyboard_key_X",
    "keyboard_key_Y",
    "keyboard_key_Z",
    "keyboard_key_1",
    "keyboard_key_2",
    "keyboard_key_3",
    "keyboard_key_4",
    "keyboard_key_5",
    "keyboard_key_6",
    "keyboard_key_7",
    "keyboard_key_8",
    "keyboard_key_9",
    "keyboard_key_0",
    "keyboard_key_Enter",
    "keyboard_key_Esc",
    "keyboard_key_BackSpace",
    "keyboard_key_Tab",
    "keyboard_key_Space",
    "keyboard_key_-",
    "keyboard_key_=",
    "keyboard_key_[",
    "keyboard_key_]",
    "keyboard_key_xiegang",
    "keyboard_key_;",
    "keyboard_key_'",
    "keyboard_key_`",
    "keyboard_key_<",
    "keyboard_key_.",
    "keyboard_key_/",
    "keyboard_key_Caplk",
    "keyboard_key_F1",
    "keyboard_key_F2",
    "keyboard_key_F3",
    "keyboard_key_F4",
    "keyboard_key_F5",
    "keyboard_key_F6",
    "keyboard_key_F7",
    "keyboard_key_F8",
    "keyboard_key_F9",
    "keyboard_key_F10",
    "keyboard_key_F11",
    "keyboard_key_F12",
    "keyboard_key_Print Scr",
    "keyboard_key_Scroll Lock",
    "keyboard_key_Pause",
    "keyboard_key_Insert",
    "keyboard_key_Home",
    "keyboard_key_Page Up",
    "keyboard_key_Delete",
    "keyboard_key_End",
    "keyboard_key_Page Down",
    "keyboard_key_Right",
    "keyboard_key_Left",
    "keyboard_key_Down",
    "keyboard_key_Up",
    "keyboard_key_Num Lock",
    "keyboard_key_Num /",
    "keyboard_key_Num *",
    "keyboard_key_Num -",
    "keyboard_key_Num +",
    "keyboard_key_Num Enter",
    "keyboard_key_Num 1",
    "keyboard_key_Num 2",
    "keyboard_key_Num 3",
    "keyboard_key_Num 4",
    "keyboard_key_Num 5",
    "keyboard_key_Num 6",
    "keyboard_key_Num 7",
    "keyboard_key_Num 8",
    "keyboard_key_Num 9",
    "keyboard_key_Num 0",
    "keyboard_key_Decimal",
    "keyboard_key_App",
    "keyboard_key_Launch App2",
    "keyboard_key_Browaer Home",
    "keyboard_key_Media Play Pause",
    "keyboard_key_Browser Search",
    "keyboard_key_Launch Mail",
    "keyboard_key_Volume Up",
    "keyboard_key_Volume Mute",
    "keyboard_key_Media Stop",
    "keyboard_key_Volume Down",
    "keyboard_key_Browser Favorites",
    "keyboard_key_Browser ForWard",
    "keyboard_key_Browser Back",
    "keyboard_key_Media Prev Track",
    "keyboard_key_Media Next Track",
    "keyboard_key_Computer",
    "keyboard_key_Browser Refresh",
    "keyboard_key_Launch Media Select",
    "keyboard_key_Power",
    "keyboard_key_Sleep",
    "keyboard_key_Wakeup",};

inline constexpr std::size_t kScreenKeyCount = 126;
// Screen key whose entry index marks "no such key on this keyboard".
inline constexpr int kNoScreenKey = 126;
inline constexpr std::size_t kFnScreenKey = 110;

namespace table_detail {
constexpr std::array<KeyEntry, kScreenKeyCount> MakeScreenKeyDefaults() {
    return {
        // clang-format off
        Key(0x29), Key(0x3A), Key(0x3B), Key(0x3C), Key(0x3D), Key(0x3E), Key(0x3F), Key(0x40),  // 0
        Key(0x41), Key(0x42), Key(0x43), Key(0x44), Key(0x45), Key(0x46), Key(0x47), Key(0x48),  // 8
        kNone, kNone, kNone, kNone, kNone, Key(0x35), Key(0x1E), Key(0x1F),  // 16
        Key(0x20), Key(0x21), Key(0x22), Key(0x23), Key(0x24), Key(0x25), Key(0x26), Key(0x27),  // 24
        Key(0x2D), Key(0x2E), Key(0x2A), Key(0x49), Key(0x4A), Key(0x4B), Key(0x53), Key(0x54),  // 32
        Key(0x55), Key(0x56), Key(0x2B), Key(0x14), Key(0x1A), Key(0x08), Key(0x15), Key(0x17),  // 40
        Key(0x1C), Key(0x18), Key(0x0C), Key(0x12), Key(0x13), Key(0x2F), Key(0x30), Key(0x31),  // 48
        Key(0x4C), Key(0x4D), Key(0x4E), Key(0x5F), Key(0x60), Key(0x61), kNone, Key(0x39),  // 56
        Key(0x04), Key(0x16), Key(0x07), Key(0x09), Key(0x0A), Key(0x0B), Key(0x0D), Key(0x0E),  // 64
        Key(0x0F), Key(0x33), Key(0x34), Key(0x28), Key(0x5C), Key(0x5D), Key(0x5E), kNone,  // 72
        kNone, kNone, kNone, kNone, Mod(0x02), Key(0x1D), Key(0x1B), Key(0x06),  // 80
        Key(0x19), Key(0x05), Key(0x11), Key(0x10), Key(0x36), Key(0x37), Key(0x38), Mod(0x20),  // 88
        Key(0x52), Key(0x59), Key(0x5A), Key(0x5B), kNone, kNone, Key(0x64), kNone,  // 96
        kNone, Mod(0x01), Mod(0x08), Mod(0x04), Key(0x2C), Mod(0x40), kFn, Key(0x65),  // 104
        Mod(0x10), Key(0x50), Key(0x51), Key(0x4F), Key(0x62), Key(0x63), Key(0x58), Key(0x57),  // 112
        kNone, kNone, kNone, kNone, kNone, Mod(0x80),  // 120
        // clang-format on
    };
}
}  // namespace table_detail

// Expected factory entry of every keyboard screen key ("kb_key_" n), used to find its entry.
inline constexpr auto ScreenKeyDefaults = table_detail::MakeScreenKeyDefaults();

// The row of `item`; none past the end of the table.
constexpr std::optional<KeyCodeRow> ChoiceRow(std::span<const KeyCodeRow> table, std::size_t item) {
    if (item >= table.size()) return std::nullopt;
    return table[item];
}

// The first item whose row has these parameters.
constexpr std::optional<std::size_t> FindChoice(std::span<const KeyCodeRow> table,
                                                std::uint8_t param1, std::uint8_t param2) {
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (table[i].param1 == param1 && table[i].param2 == param2) return i;
    }
    return std::nullopt;
}

// Row index in VirtualKeyTable / KeyNames of the first row tagged `code`.
constexpr std::optional<std::size_t> LookupVirtualKey(std::uint16_t code) {
    for (std::size_t i = 0; i < VirtualKeyTable.size(); ++i) {
        if (VirtualKeyTable[i].tag == code) return i;
    }
    return std::nullopt;
}

// The code a key press is looked up under: the keypad Enter has its own.
constexpr std::uint16_t CaptureCode(std::uint16_t virtualKey, bool extended) {
    return (virtualKey == kVirtualKeyReturn && extended) ? kKeypadEnterCode : virtualKey;
}

struct CapturedKey {
    KeyEntry entry;
    std::string_view name;  // text id shown in the key field
};

// A key press captured for the keyboard-key kind; only kind 0x20 rows are accepted.
constexpr std::optional<CapturedKey> CaptureKey(std::uint16_t virtualKey, bool extended) {
    const auto row = LookupVirtualKey(CaptureCode(virtualKey, extended));
    if (!row || VirtualKeyTable[*row].kind != FunctionKind::KeyboardKeyFunction) return std::nullopt;
    return CapturedKey{VirtualKeyTable[*row].Entry(), KeyNames[*row]};
}

// Name of a stored entry: the first virtual-key row with the same two parameters.
constexpr std::optional<std::string_view> KeyNameOf(std::uint8_t param1, std::uint8_t param2) {
    const auto row = FindChoice(VirtualKeyTable, param1, param2);
    if (!row) return std::nullopt;
    return KeyNames[*row];
}

}  // namespace corvane::keys
