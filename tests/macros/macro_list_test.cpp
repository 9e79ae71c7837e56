#include "macros/macro_list.h"
#include "macros/macro_image.h"

#include <gtest/gtest.h>

#include "keys/key_entry.h"
#include "macros/macro_files.h"
#include "platform/atomic_file.h"
#include "platform/files.h"
#include "test_home.h"

namespace corvane::macros {
namespace {

using corvane::testing::ReadText;
using corvane::testing::TestHome;
using corvane::testing::WriteText;
using device::DeviceKind;
using keys::FunctionKind;
using keys::KeyEntry;
using Names = std::vector<std::string>;

std::vector<MacroAction> Steps(int n) {
    std::vector<MacroAction> steps;
    for (int i = 0; i < n; ++i) {
        steps.push_back({static_cast<std::uint8_t>(i + 1), 0, 0x8A, 4, 1, "keyboard_key_A"});
    }
    return steps;
}

TEST(MacroList, NewMacroNamesAndLimit) {
    TestHome home;
    WriteText(home.kb() + "kbMacro.ini", "[MACROCOUNT]\ncount=2\n[MACRONAME]\n0=name_1\n1=Name_3\n");
    MacroList list(DeviceKind::Keyboard);
    list.Load();
    EXPECT_EQ(list.names(), (Names{"name_1", "Name_3"}));
    EXPECT_EQ(list.NewMacro(), "name_4");  // name_3 is taken in another spelling
    EXPECT_EQ(MacroIndexFile(DeviceKind::Keyboard).ReadString(kMacroNameSection, "2"), "name_4");
    EXPECT_EQ(MacroIndexFile(DeviceKind::Keyboard).ReadInt(kMacroCountSection, kCountKey), 3);
    EXPECT_FALSE(platform::FileExists(home.kb() + "name_4.mac"));  // no file until a save
    while (list.size() < static_cast<std::size_t>(kMaxMacros)) ASSERT_TRUE(list.NewMacro());
    EXPECT_FALSE(list.NewMacro());
    EXPECT_EQ(list.size(), 50u);
}

TEST(MacroList, HugeCountsAreBoundedByWhatTheDeviceCanHold) {
    TestHome home;
    std::string index = "[MACROCOUNT]\ncount=2000000000\n[MACRONAME]\n";
    for (int i = 0; i < 60; ++i) index += std::to_string(i) + "=m" + std::to_string(i) + "\n";
    WriteText(home.kb() + "kbMacro.ini", index);
    WriteText(home.kb() + "m0.mac", "[MACROACTIONCOUNT]\ncount=2000000000\n[MACROACTION]\n0=1,0,138,4,1,keyboard_key_A\n");
    MacroList list(DeviceKind::Keyboard);
    list.Load();
    EXPECT_EQ(list.size(), static_cast<std::size_t>(kMaxMacros));
    EXPECT_EQ(MacroImageFiles(DeviceKind::Keyboard).size(), static_cast<std::size_t>(kMaxMacros));
    const auto steps = list.LoadSteps(0);
    EXPECT_EQ(steps.size(), static_cast<std::size_t>(kMaxStepCount));
    // The longest macro still fits one image.
    const auto records = ReadImageSteps({home.kb() + "m0.mac"});
    EXPECT_LE(ImageSize(records), kMaxImageSize);
    EXPECT_FALSE(BuildImage(records).empty());
}

TEST(MacroList, SaveLoadRenameImportExport) {
    TestHome home;
    MacroList list(DeviceKind::Keyboard);
    list.Load();
    ASSERT_TRUE(list.NewMacro());
    ASSERT_TRUE(list.SaveSteps(0, Steps(5)));
    ASSERT_TRUE(list.SaveSteps(0, Steps(3)));
    const std::string file = ReadText(home.kb() + "name_1.mac");
    EXPECT_NE(file.find("4=5,0,138,4,1,keyboard_key_A"), std::string::npos);  // stale keys stay
    EXPECT_EQ(list.LoadSteps(0), Steps(3));

    EXPECT_EQ(list.Rename(0, "NAME_1", Steps(3)), MacroList::RenameResult::Unchanged);
    ASSERT_TRUE(list.NewMacro());
    EXPECT_EQ(list.Rename(0, "Name_2", Steps(3)), MacroList::RenameResult::NameTaken);
    EXPECT_EQ(list.Rename(0, "Combo", Steps(2)), MacroList::RenameResult::Renamed);
    EXPECT_EQ(list.names(), (Names{"Combo", "name_2"}));
    EXPECT_FALSE(platform::FileExists(home.kb() + "name_1.mac"));
    EXPECT_EQ(ReadStepCount(home.kb() + "Combo.mac"), 2);
    EXPECT_EQ(MacroIndexFile(DeviceKind::Keyboard).ReadString(kMacroNameSection, "0"), "Combo");

    // A failed move keeps name, file and index entry.
    WriteText(home.kb() + "taken.mac", "[MACROACTIONCOUNT]\ncount=7\n");
    for (const char* refused : {"taken", "../outside", "a/b", ""}) {
        EXPECT_EQ(list.Rename(0, refused, Steps(2)), MacroList::RenameResult::Failed) << refused;
        EXPECT_EQ(list.names()[0], "Combo");
        EXPECT_TRUE(platform::FileExists(home.kb() + "Combo.mac"));
        EXPECT_EQ(MacroIndexFile(DeviceKind::Keyboard).ReadString(kMacroNameSection, "0"), "Combo");
    }
    EXPECT_EQ(ReadStepCount(home.kb() + "taken.mac"), 7);
    // Blanks at either end would not survive the index file.
    EXPECT_EQ(list.Rename(0, " Combo2", Steps(2)), MacroList::RenameResult::Failed);

    EXPECT_TRUE(list.Export(0, home.root() + "/out.mac"));
    EXPECT_EQ(ReadText(home.root() + "/out.mac"), ReadText(home.kb() + "Combo.mac"));
    EXPECT_FALSE(list.Export(1, home.root() + "/none.mac"));  // never saved: no file
    EXPECT_TRUE(list.Import(1, home.kb() + "taken.mac"));
    EXPECT_EQ(list.LoadSteps(1).size(), 7u);
    EXPECT_FALSE(list.Import(1, home.root() + "/missing.mac"));
}

TEST(MacroList, DeleteRenumbersEveryEntryOfEveryBank) {
    TestHome home;
    MacroList list(DeviceKind::Mouse);
    list.Load();
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(list.NewMacro());
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(list.SaveSteps(i, Steps(i + 1)));

    device::KeyBanksImage banks{};
    device::KeyTableImage defaults{};
    const KeyEntry factory{FunctionKind::MouseButtonFunction, 0x04, 0};
    keys::SetEntry(defaults, 41, factory);
    keys::SetEntry(defaults, 0, keys::kLeftClickEntry);
    keys::SetEntry(banks[0], 2, {FunctionKind::MacroFunction, 2, 1});      // later macro
    keys::SetEntry(banks[4], 41, {FunctionKind::MacroCountFunction, 1, 9});  // the deleted one
    keys::SetEntry(banks[3], 20, {FunctionKind::MacroCountFunction, 2, 5});
    keys::SetEntry(banks[1], 7, {FunctionKind::MacroFunction, 0, 0});      // earlier macro
    keys::SetEntry(banks[2], 5, {FunctionKind::KeyboardKeyFunction, 2, 4});  // not a macro

    const std::size_t entries = MacroKeyEntryCount(DeviceKind::Mouse, device::DeviceInfoBlock{});
    EXPECT_EQ(entries, 42u);
    EXPECT_TRUE(MacroInUse(banks, entries, 1));
    EXPECT_FALSE(MacroInUse(banks, 6, 1));  // only found past the first six entries
    ASSERT_TRUE(list.Delete(1, banks, defaults, entries));

    EXPECT_EQ(keys::EntryAt(banks[0], 2), (KeyEntry{FunctionKind::MacroFunction, 1, 1}));
    EXPECT_EQ(keys::EntryAt(banks[4], 41), factory);
    EXPECT_EQ(keys::EntryAt(banks[3], 20), (KeyEntry{FunctionKind::MacroCountFunction, 1, 5}));
    EXPECT_EQ(keys::EntryAt(banks[1], 7), (KeyEntry{FunctionKind::MacroFunction, 0, 0}));
    EXPECT_EQ(keys::EntryAt(banks[2], 5), (KeyEntry{FunctionKind::KeyboardKeyFunction, 2, 4}));
    EXPECT_EQ(list.names(), (Names{"name_1", "name_3"}));
    EXPECT_FALSE(platform::FileExists(home.ms() + "name_2.mac"));
    EXPECT_EQ(list.LoadSteps(1).size(), 3u);  // name_3 is now macro 1

    ASSERT_TRUE(list.Delete(0, banks, defaults, entries));
    ASSERT_TRUE(list.Delete(0, banks, defaults, entries));
    EXPECT_EQ(ReadText(home.ms() + "msMacro.ini"),
              "[MACROCOUNT]\ncount=0\n[CURSORCOUNT]\ncount=4\n[CURSORNAME]\n0=name_1\n1=name_2\n"
              "2=name_3\n3=name_4\n");
}

TEST(MacroList, KeyboardEntryCountFollowsTheDevice) {
    device::DeviceInfoBlock info{};
    EXPECT_EQ(MacroKeyEntryCount(DeviceKind::Keyboard, info), 170u);  // not reported yet
    info[device::kInfoKeyCount] = 104;
    EXPECT_EQ(MacroKeyEntryCount(DeviceKind::Keyboard, info), 104u);
}

TEST(MacroList, CursorSectionAndShippedScripts) {
    TestHome home;
    for (int i = 1; i <= 4; ++i) {
        WriteText(home.defaults() + "name_" + std::to_string(i) + ".cur", "[MACROACTIONCOUNT]\ncount=9\n");
    }
    WriteText(home.ms() + "name_2.cur", "[MACROACTIONCOUNT]\ncount=3\n");  // the user's own
    MacroList list(DeviceKind::Mouse);
    list.Load();
    EXPECT_TRUE(list.names().empty());
    EXPECT_EQ(MacroIndexFile(DeviceKind::Mouse).ReadString(kCursorNameSection, "3"), "name_4");
    EXPECT_EQ(ReadStepCount(home.ms() + "name_1.cur"), 9);
    EXPECT_EQ(ReadStepCount(home.ms() + "name_2.cur"), 3);
    EXPECT_FALSE(platform::FileExists(home.kb() + "kbMacro.ini"));
}

TEST(MacroList, RenameTheIndexRefusesKeepsTheOldFileAndName) {
    TestHome home;
    MacroList list(DeviceKind::Keyboard);
    list.Load();
    ASSERT_TRUE(list.NewMacro());
    ASSERT_TRUE(list.SaveSteps(0, Steps(2)));
    // An index that cannot be replaced (a folder took its place) refuses the new name.
    const std::string index = home.kb() + "kbMacro.ini";
    const std::string indexText = ReadText(index);
    ASSERT_TRUE(platform::DeleteFile(index));
    ASSERT_TRUE(platform::EnsureFolder(index));
    EXPECT_EQ(list.Rename(0, "Combo", Steps(3)), MacroList::RenameResult::Failed);
    EXPECT_EQ(list.names(), (Names{"name_1"}));
    EXPECT_TRUE(platform::FileExists(home.kb() + "name_1.mac"));
    EXPECT_FALSE(platform::FileExists(home.kb() + "Combo.mac"));
    EXPECT_EQ(indexText.find("Combo"), std::string::npos);
}

}  // namespace
}  // namespace corvane::macros
