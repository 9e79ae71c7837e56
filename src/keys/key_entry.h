#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "device/device_images.h"
#include "device/device_kind.h"

namespace corvane::keys {

// Function kinds of a key entry. The byte in a bank may hold any value (devices and files carry
// kinds the editor cannot create), so an entry's kind is this enum over the whole uint8_t range.
enum class FunctionKind : std::uint8_t {
    DefaultFunction = 0x00,
    MouseButtonFunction = 0x10,
    LeftRightSwingFunction = 0x11,
    UpDownSwingFunction = 0x12,
    DpiStepFunction = 0x13,
    FireKeyFunction = 0x14,
    KeyboardKeyFunction = 0x20,
    MediaKeyFunction = 0x30,
    SystemKeyFunction = 0x40,
    MacroFunction = 0x70,
    MacroCountFunction = 0x71,
    CursorScriptFunction = 0x72,
    FnKeyFunction = 0xA0,
};

constexpr std::uint8_t KindByte(FunctionKind kind) { return static_cast<std::uint8_t>(kind); }

// The function of one key or button: kind, param1, param2 (three bytes in a bank).
struct KeyEntry {
    FunctionKind kind = FunctionKind::DefaultFunction;
    std::uint8_t param1 = 0;
    std::uint8_t param2 = 0;

    friend constexpr bool operator==(const KeyEntry&, const KeyEntry&) = default;
};

inline constexpr std::size_t kKeyEntrySize = 3;
inline constexpr std::size_t kEntryKindOffset = 0;
inline constexpr std::size_t kEntryParam1Offset = 1;
inline constexpr std::size_t kEntryParam2Offset = 2;
// A bank has 512 bytes of room: 170 whole entries, the two bytes after them are carried along.
inline constexpr std::size_t kMaxKeyEntries = device::kKeyTableSize / kKeyEntrySize;

// Mouse bank on the device: 42 entries (126 bytes).
inline constexpr std::size_t kMouseBankEntries = 42;
inline constexpr std::size_t kMouseBankBytes = kMouseBankEntries * kKeyEntrySize;
inline constexpr std::size_t kMousePictureButtons = 7;   // entries 0..6 on the mouse picture
inline constexpr std::size_t kMouseLeftClickScope = 9;   // the left-click rule covers entries 0..8
inline constexpr std::size_t kMouseLabelledButtons = 6;  // key labels show entries 0..5

// One key bank, the five banks of a device, and the factory table: byte images, entry i at 3*i.
using KeyTable = device::KeyTableImage;
using KeyBanks = device::KeyBanksImage;
using DefaultKeyTable = device::KeyTableImage;

inline constexpr KeyEntry kLeftClickEntry{FunctionKind::MouseButtonFunction, 0x01, 0x00};
inline constexpr KeyEntry kFnKeyEntry{FunctionKind::FnKeyFunction, 0x02, 0x02};

// Entry `index` of a bank; none when the entry would not fit in the 512 bytes.
constexpr std::optional<KeyEntry> EntryAt(const KeyTable& table, std::size_t index) {
    if (index >= kMaxKeyEntries) return std::nullopt;
    const std::size_t at = index * kKeyEntrySize;
    return KeyEntry{static_cast<FunctionKind>(table[at + kEntryKindOffset]),
                    table[at + kEntryParam1Offset], table[at + kEntryParam2Offset]};
}

// Writes entry `index`; false (and no change) when it would not fit.
constexpr bool SetEntry(KeyTable& table, std::size_t index, KeyEntry entry) {
    if (index >= kMaxKeyEntries) return false;
    const std::size_t at = index * kKeyEntrySize;
    table[at + kEntryKindOffset] = KindByte(entry.kind);
    table[at + kEntryParam1Offset] = entry.param1;
    table[at + kEntryParam2Offset] = entry.param2;
    return true;
}

// A bank holding `entries` from index 0 (at most 170 are taken), the rest zero.
constexpr KeyTable MakeKeyTable(std::span<const KeyEntry> entries) {
    KeyTable table{};
    for (std::size_t i = 0; i < entries.size() && i < kMaxKeyEntries; ++i) {
        SetEntry(table, i, entries[i]);
    }
    return table;
}

// True when entry `index` equals its factory entry in all three bytes.
constexpr bool IsDefault(const KeyTable& bank, const DefaultKeyTable& defaults, std::size_t index) {
    const auto entry = EntryAt(bank, index);
    return entry && entry == EntryAt(defaults, index);
}

// Number of key entries of a device: the keyboard reports it in its information block; a size
// that does not fit the 512-byte bank is refused (none).
constexpr std::optional<std::size_t> KeyEntryCount(device::DeviceKind kind,
                                                   const device::DeviceInfoBlock& info) {
    switch (kind) {
        case device::DeviceKind::Keyboard: {
            const std::size_t count = info[device::kInfoKeyCount];
            if (count * kKeyEntrySize > device::kKeyTableSize) return std::nullopt;
            return count;
        }
        case device::DeviceKind::Mouse: return kMouseBankEntries;
        case device::DeviceKind::MousePad: return std::nullopt;
    }
    return std::nullopt;
}

// Bytes of a bank that travel to and from the device.
constexpr std::optional<std::size_t> BankByteCount(device::DeviceKind kind,
                                                   const device::DeviceInfoBlock& info) {
    const auto count = KeyEntryCount(kind, info);
    if (!count) return std::nullopt;
    return *count * kKeyEntrySize;
}

// The mouse must keep a left click among entries 0..8: true when entry `index` is the only one.
constexpr bool IsOnlyLeftClick(const KeyTable& mouseBank, std::size_t index) {
    if (index >= kMouseLeftClickScope || EntryAt(mouseBank, index) != kLeftClickEntry) return false;
    for (std::size_t i = 0; i < kMouseLeftClickScope; ++i) {
        if (i != index && EntryAt(mouseBank, i) == kLeftClickEntry) return false;
    }
    return true;
}

// True when at least one of the mouse entries 0..8 is a left click.
constexpr bool HasLeftClick(const KeyTable& mouseBank) {
    for (std::size_t i = 0; i < kMouseLeftClickScope; ++i) {
        if (EntryAt(mouseBank, i) == kLeftClickEntry) return true;
    }
    return false;
}

}  // namespace corvane::keys
