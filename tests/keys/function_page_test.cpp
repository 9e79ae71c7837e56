#include "keys/function_page.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "keys/key_code_tables.h"

namespace corvane::keys {
namespace {

using device::DeviceKind;
using FK = FunctionKind;

constexpr KeyEntry kSomeDefault{FK::KeyboardKeyFunction, 0, 0x04};

struct BuildCase {
    const char* what;
    FunctionKind kind;
    std::function<void(FunctionPageState&)> fill;
    std::optional<KeyEntry> expected;
};

TEST(FunctionPage, BuildEntryPerKind) {
    const BuildCase cases[] = {
        {"default copies the factory entry", FK::DefaultFunction, [](auto&) {}, kSomeDefault},
        {"button row", FK::MouseButtonFunction, [](auto& p) { p.SetCombo(11, 1); },
         KeyEntry{FK::MouseButtonFunction, 0x04, 0}},
        {"button without selection", FK::MouseButtonFunction, [](auto&) {}, std::nullopt},
        {"swing right amount 5", FK::LeftRightSwingFunction,
         [](auto& p) { p.SetCombo(12, 1); p.SetEdit(15, "5"); },
         KeyEntry{FK::LeftRightSwingFunction, 0, 0x85}},
        {"swing right amount 0", FK::LeftRightSwingFunction,
         [](auto& p) { p.SetCombo(12, 1); p.SetEdit(15, "0"); },
         KeyEntry{FK::LeftRightSwingFunction, 0, 0x80}},
        {"swing nibbles 15/15", FK::LeftRightSwingFunction,
         [](auto& p) { p.SetCombo(12, 0); p.SetEdit(17, "15"); p.SetEdit(20, "15"); p.SetEdit(15, "127"); },
         KeyEntry{FK::LeftRightSwingFunction, 0xFF, 0x7F}},
        {"up/down uses its own controls", FK::UpDownSwingFunction,
         [](auto& p) { p.SetCombo(13, 1); p.SetEdit(16, "3"); p.SetEdit(18, "2"); p.SetEdit(19, "9");
                       p.SetEdit(17, "15"); p.SetEdit(15, "100"); },
         KeyEntry{FK::UpDownSwingFunction, 0x29, 0x83}},
        {"negative and oversized edits stay in range", FK::UpDownSwingFunction,
         [](auto& p) { p.SetCombo(13, 0); p.SetEdit(16, "-1"); p.SetEdit(18, "99"); p.SetEdit(19, "x"); },
         KeyEntry{FK::UpDownSwingFunction, 0xF0, 0x00}},
        {"swing without a direction chosen goes left", FK::LeftRightSwingFunction,
         [](auto& p) { p.SetEdit(15, "5"); }, KeyEntry{FK::LeftRightSwingFunction, 0, 0x05}},
        {"dpi cycle", FK::DpiStepFunction, [](auto& p) { p.SetCombo(14, 2); },
         KeyEntry{FK::DpiStepFunction, 3, 0}},
        {"fire key", FK::FireKeyFunction, [](auto& p) { p.SetEdit(11, "255"); p.SetEdit(12, "7"); },
         KeyEntry{FK::FireKeyFunction, 255, 7}},
        {"empty key field", FK::KeyboardKeyFunction,
         [](auto& p) { p.capturedKey = KeyEntry{FK::KeyboardKeyFunction, 0, 0x05}; }, std::nullopt},
        {"captured key", FK::KeyboardKeyFunction,
         [](auto& p) { p.SetEdit(21, "keyboard_key_B"); p.capturedKey = KeyEntry{FK::KeyboardKeyFunction, 0, 0x05}; },
         KeyEntry{FK::KeyboardKeyFunction, 0, 0x05}},
        {"media row", FK::MediaKeyFunction, [](auto& p) { p.SetCombo(21, 17); },
         KeyEntry{FK::MediaKeyFunction, 0x8A, 0x01}},
        {"media past the table", FK::MediaKeyFunction, [](auto& p) { p.SetCombo(21, 18); }, std::nullopt},
        {"system wake", FK::SystemKeyFunction, [](auto& p) { p.SetCombo(22, 2); },
         KeyEntry{FK::SystemKeyFunction, 0x04, 0}},
        {"macro without selection", FK::MacroFunction, [](auto& p) { p.SetCombo(24, 2); }, std::nullopt},
        {"macro option 3", FK::MacroFunction, [](auto& p) { p.SetCombo(23, 6); p.SetCombo(24, 3); },
         KeyEntry{FK::MacroFunction, 6, 3}},
        {"macro repeat count", FK::MacroFunction,
         [](auto& p) { p.SetCombo(23, 2); p.SetCombo(24, 4); p.SetEdit(25, "42"); },
         KeyEntry{FK::MacroCountFunction, 2, 42}},
        {"cursor script", FK::CursorScriptFunction, [](auto& p) { p.SetCombo(25, 3); },
         KeyEntry{FK::CursorScriptFunction, 3, 0}},
        {"kind the editor cannot create", static_cast<FK>(0x15), [](auto&) {}, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FunctionPageState page;
        c.fill(page);
        EXPECT_EQ(BuildEntry(c.kind, page, kSomeDefault), c.expected);
    }
}

// Every entry the editor can create, per device.
std::vector<KeyEntry> CreatableEntries(DeviceKind device) {
    std::vector<KeyEntry> all;
    for (const auto* table : {&ButtonChoices}) {
        for (const auto& row : *table) all.push_back(row.Entry());
    }
    for (const auto& row : DpiStepChoices) all.push_back(row.Entry());
    for (const auto& row : MediaKeyChoices) all.push_back(row.Entry());
    for (const auto& row : SystemKeyChoices) all.push_back(row.Entry());
    for (const auto& row : VirtualKeyTable) {
        if (row.kind == FK::KeyboardKeyFunction) all.push_back(row.Entry());
    }
    for (int p1 = 0; p1 < 256; ++p1) {
        for (int p2 = 0; p2 < 256; ++p2) {
            const auto a = static_cast<std::uint8_t>(p1);
            const auto b = static_cast<std::uint8_t>(p2);
            all.push_back({FK::LeftRightSwingFunction, a, b});
            all.push_back({FK::UpDownSwingFunction, a, b});
            all.push_back({FK::FireKeyFunction, a, b});
        }
    }
    for (std::uint8_t macro = 0; macro < 50; ++macro) {
        for (std::uint8_t option = 0; option < 4; ++option) all.push_back({FK::MacroFunction, macro, option});
        for (int count : {0, 1, 99, 255}) {
            all.push_back({FK::MacroCountFunction, macro, static_cast<std::uint8_t>(count)});
        }
    }
    if (device == DeviceKind::Mouse) {
        for (std::uint8_t script = 0; script < 4; ++script) all.push_back({FK::CursorScriptFunction, script, 0});
    }
    return all;
}

TEST(FunctionPage, ShowThenBuildGivesTheEntryBack) {
    for (const auto device : {DeviceKind::Keyboard, DeviceKind::Mouse}) {
        FunctionPageState page;  // one page throughout: earlier kinds must not leak into later ones
        page.macroItems = 50;
        for (const auto& entry : CreatableEntries(device)) {
            ASSERT_TRUE(ShowEntry(device, entry, kFnKeyEntry, page));
            const auto kind = KindOfItem(device, page.kindItem);
            ASSERT_TRUE(kind);
            ASSERT_EQ(BuildEntry(*kind, page, kFnKeyEntry), entry)
                << int(entry.kind) << " " << int(entry.param1) << " " << int(entry.param2);
        }
    }
}

TEST(FunctionPage, ShowEntrySpecialCases) {
    FunctionPageState page;
    ASSERT_TRUE(ShowEntry(DeviceKind::Keyboard, {FK::MediaKeyFunction, 0x83, 0x01}, kSomeDefault, page));
    EXPECT_EQ(page.kindItem, 7);
    EXPECT_EQ(page.Combo(21), 0);

    // An explicit assignment equal to the factory entry shows as the default item.
    ASSERT_TRUE(ShowEntry(DeviceKind::Mouse, kLeftClickEntry, kLeftClickEntry, page));
    EXPECT_EQ(page.kindItem, 0);

    // Kinds the editor cannot create leave the page alone.
    const auto before = page;
    EXPECT_FALSE(ShowEntry(DeviceKind::Mouse, {static_cast<FK>(0x50), 1, 2}, kSomeDefault, page));
    EXPECT_FALSE(ShowEntry(DeviceKind::Keyboard, {FK::CursorScriptFunction, 1, 0}, kSomeDefault, page));
    EXPECT_EQ(page.kindItem, before.kindItem);
    EXPECT_EQ(page.combos, before.combos);

    // A macro number past the macro list clears the macro combo, so building stores nothing.
    page.macroItems = 3;
    page.SetCombo(23, 1);
    ASSERT_TRUE(ShowEntry(DeviceKind::Mouse, {FK::MacroFunction, 3, 1}, kSomeDefault, page));
    EXPECT_EQ(page.Combo(23), kNoSelection);
    EXPECT_EQ(page.Combo(24), 1);
    EXPECT_FALSE(BuildEntry(FK::MacroFunction, page, kSomeDefault));

    // Mouse kind list differs from the keyboard's.
    ASSERT_TRUE(ShowEntry(DeviceKind::Mouse, {FK::KeyboardKeyFunction, 0x01, 0}, kSomeDefault, page));
    EXPECT_EQ(page.kindItem, 6);
    EXPECT_EQ(page.Edit(21), "keyboard_key_LCtrl");
}

TEST(FunctionPage, EditTextClampingAndParsing) {
    EXPECT_EQ(ClampedEditText(25, "300"), "255");
    EXPECT_EQ(ClampedEditText(15, "128"), "127");
    EXPECT_EQ(ClampedEditText(17, "16"), "15");
    EXPECT_FALSE(ClampedEditText(17, "15"));
    EXPECT_FALSE(ClampedEditText(25, "abc"));
    EXPECT_FALSE(ClampedEditText(21, "999"));  // the key field takes no number

    const std::pair<const char*, long> parses[] = {
        {"", 0}, {"abc", 0}, {"12abc", 12}, {"  7", 7}, {"+3", 3}, {"-5", -5},
        {"99999999999999999999", 2147483647L},
    };
    for (const auto& [text, value] : parses) EXPECT_EQ(ParseDecimal(text), value) << text;
}

TEST(FunctionPage, StoreEntryWritesOnlyWhenThePageHoldsAValue) {
    KeyTable bank{};
    DefaultKeyTable defaults{};
    SetEntry(defaults, 4, kSomeDefault);
    SetEntry(bank, 4, {FK::FireKeyFunction, 1, 2});
    FunctionPageState page;
    EXPECT_FALSE(StoreEntry(bank, 4, FK::KeyboardKeyFunction, page, defaults));
    EXPECT_EQ(EntryAt(bank, 4), (KeyEntry{FK::FireKeyFunction, 1, 2}));
    EXPECT_TRUE(StoreEntry(bank, 4, FK::DefaultFunction, page, defaults));
    EXPECT_EQ(EntryAt(bank, 4), kSomeDefault);
    EXPECT_FALSE(StoreEntry(bank, kMaxKeyEntries, FK::DefaultFunction, page, defaults));
}

}  // namespace
}  // namespace corvane::keys
