#include "keys/key_code_tables.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "keys/key_text_ids.h"

namespace corvane::keys {
namespace {

TEST(KeyCodeTables, CaptureDistinguishesKeypadEnterAndRefusesOtherKinds) {
    struct Case {
        std::uint16_t vk;
        bool extended;
        std::optional<KeyEntry> entry;
        std::string_view name;
    };
    const Case cases[] = {
        {0x0D, false, KeyEntry{FunctionKind::KeyboardKeyFunction, 0, 0x28}, "keyboard_key_Enter"},
        {0x0D, true, KeyEntry{FunctionKind::KeyboardKeyFunction, 0, 0x58}, "keyboard_key_Num Enter"},
        {0x41, false, KeyEntry{FunctionKind::KeyboardKeyFunction, 0, 0x04}, "keyboard_key_A"},
        {0x5A, true, KeyEntry{FunctionKind::KeyboardKeyFunction, 0, 0x1D}, "keyboard_key_Z"},
        {0x30, false, KeyEntry{FunctionKind::KeyboardKeyFunction, 0, 0x27}, "keyboard_key_0"},
        {0x7B, false, KeyEntry{FunctionKind::KeyboardKeyFunction, 0, 0x45}, "keyboard_key_F12"},
        {0x60, false, KeyEntry{FunctionKind::KeyboardKeyFunction, 0, 0x62}, "keyboard_key_Num 0"},
        {0x5D, false, KeyEntry{FunctionKind::KeyboardKeyFunction, 0, 0x65}, "keyboard_key_App"},
        {0x5B, false, KeyEntry{FunctionKind::KeyboardKeyFunction, 0x08, 0}, "keyboard_key_LWin"},
        {0xA5, false, KeyEntry{FunctionKind::KeyboardKeyFunction, 0x40, 0}, "keyboard_key_RAlt"},
        {0xC0, false, KeyEntry{FunctionKind::KeyboardKeyFunction, 0, 0x35}, "keyboard_key_`"},
        {0xAF, false, std::nullopt, ""},   // volume up: a media row, not a key function
        {0x103, false, std::nullopt, ""},  // power: a system row
        {0x07, false, std::nullopt, ""},   // no row at all
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.vk);
        const auto captured = CaptureKey(c.vk, c.extended);
        ASSERT_EQ(captured.has_value(), c.entry.has_value());
        if (!captured) continue;
        EXPECT_EQ(captured->entry, *c.entry);
        EXPECT_EQ(captured->name, c.name);
    }
}

TEST(KeyCodeTables, RowsAreUniqueWhereFirstMatchWouldHideOne) {
    std::set<std::uint16_t> tags;
    std::set<std::pair<int, int>> keyParams;
    for (const auto& row : VirtualKeyTable) {
        EXPECT_TRUE(tags.insert(row.tag).second) << row.tag;
        if (row.kind == FunctionKind::KeyboardKeyFunction) {
            EXPECT_TRUE(keyParams.insert({row.param1, row.param2}).second) << row.tag;
        }
    }
    // Every media key of the virtual-key table is one of the media choices.
    for (const auto& row : VirtualKeyTable) {
        if (row.kind == FunctionKind::MediaKeyFunction) {
            EXPECT_TRUE(FindChoice(MediaKeyChoices, row.param1, row.param2)) << row.tag;
        }
    }
}

TEST(KeyCodeTables, ChoiceLookups) {
    EXPECT_EQ(FindChoice(MediaKeyChoices, 0x83, 0x01), 0u);
    EXPECT_EQ(FindChoice(MediaKeyChoices, 0x8A, 0x01), 17u);
    EXPECT_EQ(FindChoice(ButtonChoices, 0x10, 0), 3u);
    EXPECT_EQ(FindChoice(SystemKeyChoices, 0x04, 0), 2u);
    EXPECT_FALSE(FindChoice(DpiStepChoices, 4, 0));
    EXPECT_EQ(ChoiceRow(DpiStepChoices, 2)->Entry(), (KeyEntry{FunctionKind::DpiStepFunction, 3, 0}));
    EXPECT_FALSE(ChoiceRow(DpiStepChoices, 3));
    EXPECT_EQ(MediaKeyChoices[17].tag, 17);
    EXPECT_EQ(KeyNameOf(0x01, 0), "keyboard_key_LCtrl");  // first match, before System Power
    EXPECT_FALSE(KeyNameOf(0, 0));
}

TEST(KeyCodeTables, ScreenKeyDefaultsAreKeysExceptTheFnKey) {
    for (std::size_t n = 0; n < ScreenKeyDefaults.size(); ++n) {
        const auto& row = ScreenKeyDefaults[n];
        if (n == kFnScreenKey) {
            EXPECT_EQ(row, kFnKeyEntry);
        } else {
            EXPECT_EQ(row.kind, FunctionKind::KeyboardKeyFunction) << n;
        }
    }
    EXPECT_EQ(ScreenKeyDefaults[0], (KeyEntry{FunctionKind::KeyboardKeyFunction, 0, 0x29}));
    EXPECT_EQ(ScreenKeyDefaults[84], (KeyEntry{FunctionKind::KeyboardKeyFunction, 0x02, 0}));
    EXPECT_EQ(ScreenKeyDefaults[125], (KeyEntry{FunctionKind::KeyboardKeyFunction, 0x80, 0}));
    EXPECT_EQ(ScreenKeyDefaults[16], (KeyEntry{FunctionKind::KeyboardKeyFunction, 0, 0}));
}

TEST(KeyCodeTables, TextIdsAreDistinctAndIncludeEveryName) {
    std::set<std::string_view> ids;
    for (const auto id : KeyTextIds()) {
        EXPECT_FALSE(id.empty());
        EXPECT_TRUE(ids.insert(id).second) << id;
    }
    for (const auto name : KeyNames) EXPECT_TRUE(ids.count(name)) << name;
    EXPECT_TRUE(ids.count("GUN_4"));
    EXPECT_TRUE(ids.count("media_mail"));
}

}  // namespace
}  // namespace corvane::keys
