#include <gtest/gtest.h>

#include "keys/key_entry.h"
#include "keys/key_labels.h"
#include "keys/screen_key_map.h"

namespace corvane::keys {
namespace {

using FK = FunctionKind;

TEST(KeyEntry, BankAccessStaysInsideTheTable) {
    KeyTable table{};
    EXPECT_TRUE(SetEntry(table, 169, {FK::FireKeyFunction, 1, 2}));
    EXPECT_EQ(table[507], 0x14);
    EXPECT_EQ(table[509], 2);
    EXPECT_FALSE(SetEntry(table, 170, {FK::FireKeyFunction, 1, 2}));
    EXPECT_FALSE(EntryAt(table, 170));
    EXPECT_EQ(table[510], 0);

    device::DeviceInfoBlock info{};
    info[device::kInfoKeyCount] = 170;
    EXPECT_EQ(BankByteCount(device::DeviceKind::Keyboard, info), 510u);
    info[device::kInfoKeyCount] = 171;
    EXPECT_FALSE(BankByteCount(device::DeviceKind::Keyboard, info));
    EXPECT_EQ(BankByteCount(device::DeviceKind::Mouse, info), 126u);
}

TEST(KeyEntry, MouseLeftClickRule) {
    KeyTable bank{};
    SetEntry(bank, 0, kLeftClickEntry);
    EXPECT_TRUE(IsOnlyLeftClick(bank, 0));
    EXPECT_FALSE(IsOnlyLeftClick(bank, 1));
    SetEntry(bank, 8, kLeftClickEntry);
    EXPECT_FALSE(IsOnlyLeftClick(bank, 0));
    EXPECT_FALSE(IsOnlyLeftClick(bank, 8));
    // Entries past 8 do not count.
    KeyTable other{};
    SetEntry(other, 2, kLeftClickEntry);
    SetEntry(other, 9, kLeftClickEntry);
    EXPECT_TRUE(IsOnlyLeftClick(other, 2));
    EXPECT_TRUE(HasLeftClick(other));
    EXPECT_FALSE(HasLeftClick(KeyTable{}));
}

TEST(ScreenKeyMap, MapsToTheFirstMatchingFactoryEntry) {
    // A small keyboard: Esc, F1, an empty entry twice, the Fn key, and A beyond keyCount.
    const KeyEntry entries[] = {
        ScreenKeyDefaults[1], ScreenKeyDefaults[0], {FK::KeyboardKeyFunction, 0, 0},
        {FK::KeyboardKeyFunction, 0, 0}, kFnKeyEntry, ScreenKeyDefaults[64]};
    const auto defaults = MakeKeyTable(entries);
    auto map = EmptyScreenKeyMap();
    BuildScreenKeyMap(map, defaults, 5);
    EXPECT_EQ(map[0], 1);
    EXPECT_EQ(map[1], 0);
    EXPECT_EQ(map[16], 2);  // every empty screen key takes the first empty entry
    EXPECT_EQ(map[125 - 1], 2);
    EXPECT_EQ(map[kFnScreenKey], 4);
    EXPECT_EQ(map[64], kNoScreenKey);  // A lies past keyCount
    EXPECT_EQ(map[2], kNoScreenKey);

    // A rebuild keeps values that find no match.
    map[2] = 7;
    BuildScreenKeyMap(map, defaults, 6);
    EXPECT_EQ(map[2], 7);
    EXPECT_EQ(map[64], 5);
}

TEST(KeyLabels, LabelPerKind) {
    using S = EntryLabel::Source;
    const std::pair<KeyEntry, EntryLabel> cases[] = {
        {{FK::KeyboardKeyFunction, 0, 0x58}, {S::TextId, "keyboard_key_Num Enter", 0}},
        {{FK::DefaultFunction, 0x02, 0}, {S::TextId, "keyboard_key_LShift", 0}},
        {{FK::KeyboardKeyFunction, 0, 0}, {}},
        {{FK::MouseButtonFunction, 0x08, 0}, {S::TextId, "mouse_key_back", 0}},
        {{FK::DpiStepFunction, 1, 0}, {S::TextId, "mouse_key_DPI_add", 0}},
        {{static_cast<FK>(0x21), 0xE2, 0}, {S::TextId, "media_mute", 0}},
        {{FK::MediaKeyFunction, 0x83, 0x01}, {S::TextId, "media_text", 0}},
        {{FK::SystemKeyFunction, 2, 0}, {S::TextId, "system_sleep", 0}},
        {{FK::LeftRightSwingFunction, 0, 0x85}, {S::TextId, "mouse_key_right_Swing", 0}},
        {{FK::LeftRightSwingFunction, 0, 0x05}, {S::TextId, "mouse_key_left_Swing", 0}},
        {{FK::UpDownSwingFunction, 0, 0x80}, {S::TextId, "mouse_key_down_Swing", 0}},
        {{FK::UpDownSwingFunction, 0, 0x7F}, {S::TextId, "mouse_key_up_Swing", 0}},
        {{FK::FireKeyFunction, 9, 9}, {S::TextId, "mouse_key_fire_key", 0}},
        {{FK::CursorScriptFunction, 3, 0}, {S::TextId, "GUN_4", 0}},
        {{FK::CursorScriptFunction, 4, 0}, {}},
        {{FK::MacroCountFunction, 12, 3}, {S::MacroName, {}, 12}},
        {{FK::FnKeyFunction, 2, 2}, {}},
    };
    for (const auto& [entry, label] : cases) {
        EXPECT_EQ(LabelOf(entry), label) << int(entry.kind) << " " << int(entry.param1);
    }
}

}  // namespace
}  // namespace corvane::keys
