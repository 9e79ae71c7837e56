#include "profiles/profile_index.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <vector>

#include "platform/debug_out.h"
#include "platform/files.h"
#include "platform/ini_file.h"
#include "profiles/profile_file.h"
#include "profiles/skin_setting.h"
#include "test_home.h"

namespace corvane::profiles {
namespace {

using corvane::testing::ReadBytes;
using corvane::testing::ReadText;
using corvane::testing::TestHome;
using corvane::testing::WriteBytes;
using corvane::testing::WriteText;
using device::DeviceKind;
using Bytes = std::vector<std::uint8_t>;
using Names = std::vector<std::string>;

Bytes ProfileBytes(std::size_t payloadSize, std::uint8_t fill, std::uint8_t kind) {
    Bytes b(kProfileHeaderSize + payloadSize, fill);
    std::fill_n(b.begin(), kProfileHeaderSize, 0);
    b[0] = 0xAA;
    b[1] = 0x55;
    b[4] = kind;
    return b;
}

void ShipDefault(const TestHome& home, ProfileFamily family, std::uint8_t fill,
                 std::string fileName = {}) {
    const FamilyInfo& f = Family(family);
    if (fileName.empty()) fileName = std::string(f.defaultFile);
    WriteBytes(home.defaults() + fileName,
               ProfileBytes(f.payloadSize, fill, static_cast<std::uint8_t>(f.device)));
}

const Names& NamesOf(const ProfileIndexLoad& load, ProfileFamily family) {
    for (const FamilyList& l : load.lists) {
        if (l.family == family) return l.names;
    }
    static const Names none;
    return none;
}

TEST(ProfileIndex, CountsAndNamesAsRead) {
    TestHome home;
    WriteText(home.kb() + "kbProfile.ini",
              "[PROFILEDENGCOUNT]\ncount=1\n[PROFILEDENGNAME]\n0=Light\n"
              "[PROFILECOUNT]\ncount=3\n[PROFILENAME]\n0=A\n1=B\n"
              "[PROFILELIKEEXE]\n0=1\n1=2\n2=x\n[PROCESS]\n0=/usr/bin/game\n"
              "[PROFILESELECT]\nselect=2abc\n");
    const ProfileIndexLoad load = LoadProfileIndex(DeviceKind::Keyboard);
    EXPECT_FALSE(load.message);
    EXPECT_EQ(NamesOf(load, ProfileFamily::KbDeng), Names{"Light"});
    // Entry 2 has no name: the list is repaired to the named entries, the selection with it.
    EXPECT_EQ(NamesOf(load, ProfileFamily::KbKey), (Names{"A", "B"}));

    const FamilyIndex keys = ReadFamilyIndex(ProfileFamily::KbKey);
    EXPECT_EQ(keys.count, 2);
    EXPECT_EQ(keys.select, 0);
    EXPECT_EQ(keys.linked, (std::vector<bool>{true, false}));  // only exactly 1 links
    EXPECT_EQ(keys.programs, (Names{"/usr/bin/game", "0"}));
    EXPECT_FALSE(ReadLinkFlag(ProfileFamily::KbKey, 1));

    WriteText(home.kb() + "kbProfile.ini", "[PROFILEDENGCOUNT]\ncount=-1\n[PROFILECOUNT]\ncount=abc\n");
    ShipDefault(home, ProfileFamily::KbKey, 0x22);
    const ProfileIndexLoad negative = LoadProfileIndex(DeviceKind::Keyboard);
    EXPECT_TRUE(NamesOf(negative, ProfileFamily::KbDeng).empty());  // no first-run profile
    EXPECT_FALSE(platform::FileExists(home.kb() + "Profile 1.led"));
    // Text that is not a number is a count of 0: a first run for that family.
    EXPECT_EQ(NamesOf(negative, ProfileFamily::KbKey), Names{"Profile 1"});
}

// A list operation stores the family's whole list at once, beside the other family's sections.
TEST(ProfileIndex, AListIsWrittenWholeInOneWrite) {
    TestHome home;
    WriteText(home.kb() + "kbProfile.ini",
              "[PROFILEDENGCOUNT]\ncount=1\n[PROFILEDENGNAME]\n0=Light\n[PROFILECOUNT]\ncount=3\n"
              "[PROFILENAME]\n0=A\n1=B\n2=C\n[PROFILESELECT]\nselect=2\n");
    ASSERT_TRUE(WriteFamilyEntries(ProfileFamily::KbKey, {{"A", false, " "}, {"C", true, "/usr/bin/game"}}));
    const FamilyIndex keys = ReadFamilyIndex(ProfileFamily::KbKey);
    EXPECT_EQ(keys.count, 2);
    EXPECT_EQ(keys.names, (Names{"A", "C"}));
    EXPECT_EQ(keys.linked, (std::vector<bool>{false, true}));
    EXPECT_EQ(keys.programs, (Names{" ", "/usr/bin/game"}));
    EXPECT_EQ(keys.select, 2);  // left to the caller
    EXPECT_EQ(ReadFamilyIndex(ProfileFamily::KbDeng).names, Names{"Light"});

    ASSERT_TRUE(AppendFamilyEntry(ProfileFamily::KbKey, 2, "D"));
    const FamilyIndex appended = ReadFamilyIndex(ProfileFamily::KbKey);
    EXPECT_EQ(appended.names, (Names{"A", "C", "D"}));
    EXPECT_EQ(appended.linked, (std::vector<bool>{false, true, false}));
    EXPECT_EQ(appended.programs[2], " ");

    // The keyboard's pair in one write; lists of different files are refused, nothing written.
    const std::vector<FamilyEntries> pair = {{ProfileFamily::KbDeng, {{"L1"}, {"L2"}}},
                                             {ProfileFamily::KbKey, {{"K1"}, {"K2"}}}};
    ASSERT_TRUE(WriteFamilyEntries(pair));
    EXPECT_EQ(ReadFamilyIndex(ProfileFamily::KbDeng).names, (Names{"L1", "L2"}));
    EXPECT_EQ(ReadFamilyIndex(ProfileFamily::KbKey).names, (Names{"K1", "K2"}));
    const std::vector<FamilyEntries> mixed = {{ProfileFamily::KbDeng, {{"M"}}}, {ProfileFamily::MsKey, {{"M"}}}};
    EXPECT_FALSE(WriteFamilyEntries(mixed));
    EXPECT_EQ(ReadFamilyIndex(ProfileFamily::KbDeng).names, (Names{"L1", "L2"}));
}

TEST(ProfileIndex, FirstStartCreatesKeyboardProfilesFromDefaults) {
    TestHome home;
    ShipDefault(home, ProfileFamily::KbDeng, 0x11);
    ShipDefault(home, ProfileFamily::KbKey, 0x22, "KBKEYDEFAULT.PRO");  // any spelling
    const ProfileIndexLoad load = LoadProfileIndex(DeviceKind::Keyboard);
    EXPECT_FALSE(load.message);
    EXPECT_EQ(NamesOf(load, ProfileFamily::KbDeng), Names{"Profile 1"});
    EXPECT_EQ(NamesOf(load, ProfileFamily::KbKey), Names{"Profile 1"});
    EXPECT_EQ(ReadBytes(home.kb() + "Profile 1.led"), ProfileBytes(1958, 0x11, 1));
    EXPECT_EQ(ReadBytes(home.kb() + "Profile 1.pro"), ProfileBytes(512, 0x22, 1));
    EXPECT_EQ(ReadText(home.kb() + "kbProfile.ini"),
              "[PROFILEDENGCOUNT]\ncount=1\n[PROFILELIKEDENGEXE]\n0=0\n[PROFILEDENGNAME]\n"
              "0=Profile 1\n[PROFILEDENGSELECT]\nselect=0\n"
              "[PROFILECOUNT]\ncount=1\n[PROFILELIKEEXE]\n0=0\n[PROFILENAME]\n0=Profile 1\n"
              "[PROFILESELECT]\nselect=0\n");
}

// Only an index that does not exist is a first run. One that exists but cannot be read leaves
// the index and every profile as they are and says which file and why; one that reads as empty
// or as noise lists the user's existing first profile instead of replacing it with the default.
TEST(ProfileIndex, AnIndexThatCannotBeReadNeverCostsTheUsersProfiles) {
    struct Case {
        const char* what;
        void (*make)(const std::string& index);
        bool readable;
    };
    const Case cases[] = {
        {"a folder", [](const std::string& index) { std::filesystem::create_directory(index); }, false},
        {"a FIFO", [](const std::string& index) { ASSERT_EQ(::mkfifo(index.c_str(), 0600), 0); }, false},
        {"a link to /dev/zero", [](const std::string& index) { std::filesystem::create_symlink("/dev/zero", index); },
         false},
        {"larger than the limit",
         [](const std::string& index) {
             WriteText(index, "[X]\n");
             std::filesystem::resize_file(index, 17u << 20);
         },
         false},
        {"empty", [](const std::string& index) { WriteText(index, ""); }, true},
        {"noise", [](const std::string& index) { WriteBytes(index, Bytes{0xFF, 0x00, 0x5B, 0x9A, 0x3D, 0x0A, 0x01}); },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestHome home;
        ShipDefault(home, ProfileFamily::KbDeng, 0x11);
        ShipDefault(home, ProfileFamily::KbKey, 0x22);
        const Bytes mine = ProfileBytes(1958, 0x77, 1);
        WriteBytes(home.kb() + "Profile 1.led", mine);
        const std::string index = home.kb() + "kbProfile.ini";
        c.make(index);
        const ProfileIndexLoad load = LoadProfileIndex(DeviceKind::Keyboard);
        EXPECT_EQ(ReadBytes(home.kb() + "Profile 1.led"), mine);
        EXPECT_EQ(NamesOf(load, ProfileFamily::KbDeng), Names{"Profile 1"});
        EXPECT_EQ(load.unreadableIndex.has_value(), !c.readable);
        if (!c.readable) {
            EXPECT_EQ(load.unreadableIndex->path, index);
            EXPECT_FALSE(platform::FileExists(home.kb() + "Profile 1.pro"));  // nothing created either
            EXPECT_TRUE(NamesOf(load, ProfileFamily::KbKey).empty());
        } else {
            EXPECT_EQ(ReadProfileName(ProfileFamily::KbDeng, 0), "Profile 1");
            EXPECT_EQ(ReadBytes(home.kb() + "Profile 1.pro"), ProfileBytes(512, 0x22, 1));  // a real first run
        }
    }
}

TEST(ProfileIndex, MissingOrDamagedDefaultStopsTheDevice) {
    TestHome home;
    ShipDefault(home, ProfileFamily::KbKey, 0x22);
    const ProfileIndexLoad kb = LoadProfileIndex(DeviceKind::Keyboard);
    EXPECT_EQ(kb.message, "message_text_8");
    EXPECT_EQ(kb.lists.size(), 2u);
    EXPECT_TRUE(NamesOf(kb, ProfileFamily::KbKey).empty());
    EXPECT_FALSE(platform::FileExists(home.kb() + "kbProfile.ini"));
    EXPECT_FALSE(platform::FileExists(home.kb() + "Profile 1.pro"));

    // The mouse: the device family is fine, the lighting default is damaged.
    ShipDefault(home, ProfileFamily::MsDevice, 0x33);
    WriteText(home.defaults() + "msdengdefault.led", "not a profile");
    ShipDefault(home, ProfileFamily::MsKey, 0x44);
    const ProfileIndexLoad ms = LoadProfileIndex(DeviceKind::Mouse);
    EXPECT_EQ(ms.message, "message_text_9");
    EXPECT_EQ(NamesOf(ms, ProfileFamily::MsDevice), Names{"新配置文件1"});
    EXPECT_TRUE(NamesOf(ms, ProfileFamily::MsDeng).empty());
    EXPECT_TRUE(NamesOf(ms, ProfileFamily::MsKey).empty());
    EXPECT_EQ(ReadBytes(home.ms() + "新配置文件1.config"), ProfileBytes(576, 0x33, 2));
    EXPECT_FALSE(platform::FileExists(home.ms() + "新配置文件1.pro"));
    EXPECT_EQ(ReadProfileName(ProfileFamily::MsDevice, 0), "新配置文件1");
}

// What an older version or an end in the middle of a change left: entries below the count without
// a name. The start keeps the named ones in order with their links and the selected one selected.
TEST(ProfileIndex, HolesInAListAreRepairedAtStart) {
    TestHome home;
    ShipDefault(home, ProfileFamily::MsDeng, 0x11);  // the list between them starts anew
    WriteText(home.ms() + "msProfile.ini",
              "[PROFILECOUNT]\ncount=4\n[PROFILENAME]\n0=A\n1=\n3=D\n[PROFILESELECT]\nselect=3\n"
              "[PROFILELIKEEXE]\n3=1\n[PROCESS]\n3=/usr/bin/game\n"
              "[PROFILEDEVICECOUNT]\ncount=2\n[PROFILEDEVICENAME]\n0=X\n1=Y\n[PROFILEDEVICESELECT]\nselect=1\n");
    const ProfileIndexLoad load = LoadProfileIndex(DeviceKind::Mouse);
    EXPECT_EQ(NamesOf(load, ProfileFamily::MsKey), (Names{"A", "D"}));
    const FamilyIndex keys = ReadFamilyIndex(ProfileFamily::MsKey);
    EXPECT_EQ(keys.count, 2);
    EXPECT_EQ(keys.names, (Names{"A", "D"}));
    EXPECT_EQ(keys.select, 1);
    EXPECT_EQ(keys.linked, (std::vector<bool>{false, true}));
    EXPECT_EQ(keys.programs[1], "/usr/bin/game");
    // A whole list beside it is left as it was.
    const FamilyIndex device = ReadFamilyIndex(ProfileFamily::MsDevice);
    EXPECT_EQ(device.names, (Names{"X", "Y"}));
    EXPECT_EQ(device.select, 1);
}

TEST(ProfileIndex, CountZeroWithLeftoversOverwritesNameZero) {
    TestHome home;
    ShipDefault(home, ProfileFamily::MpDeng, 0x55);
    WriteText(home.mp() + "mpProfile.ini",
              "[PROFILEDENGCOUNT]\ncount=0\n[PROFILEDENGNAME]\n0=Old\n1=Older\n");
    const ProfileIndexLoad load = LoadProfileIndex(DeviceKind::MousePad);
    EXPECT_EQ(NamesOf(load, ProfileFamily::MpDeng), Names{"新配置文件1"});
    EXPECT_EQ(ReadProfileName(ProfileFamily::MpDeng, 0), "新配置文件1");
    EXPECT_EQ(ReadProfileName(ProfileFamily::MpDeng, 1), "Older");
    EXPECT_EQ(ReadProfileCount(ProfileFamily::MpDeng), 1);
    EXPECT_EQ(ReadBytes(home.mp() + "新配置文件1.led"), ProfileBytes(64, 0x55, 3));
}

TEST(ProfileIndex, LoadAndSaveFollowTheIndex) {
    TestHome home;
    WriteProfileCount(ProfileFamily::MsKey, 2);
    WriteProfileName(ProfileFamily::MsKey, 0, "First");
    WriteProfileName(ProfileFamily::MsKey, 1, "Second");
    WriteSelect(ProfileFamily::MsKey, 1);
    WriteBytes(home.ms() + "First.pro", ProfileBytes(512, 0x66, 2));

    device::DeviceImages ms;
    const SettingBlocks blocks{.mouse = &ms};
    platform::DebugCapture debug;
    EXPECT_EQ(LoadProfile(ProfileFamily::MsKey, 1, blocks), kProfileMissing);
    EXPECT_TRUE(debug.Contains("配置文件丢失"));
    EXPECT_EQ(ms.keyBanks[0][0], 0);
    WriteText(home.ms() + "Second.pro", "garbage");
    EXPECT_EQ(LoadProfile(ProfileFamily::MsKey, 1, blocks), kProfileBadFormat);
    EXPECT_TRUE(debug.Contains("配置文件格式错误"));
    EXPECT_EQ(LoadProfile(ProfileFamily::MsKey, 0, blocks), kProfileReadOk);
    EXPECT_EQ(ms.keyBanks[0][511], 0x66);

    // Saving goes to the profile recorded as selected, not the one just loaded.
    ASSERT_TRUE(SaveSelectedProfile(ProfileFamily::MsKey, blocks));
    EXPECT_EQ(ReadBytes(home.ms() + "Second.pro"), ProfileBytes(512, 0x66, 2));
}

TEST(ProfileIndex, HostileCountsAndSelectionsStayInsideTheList) {
    // Index files as a careless edit or a damaged disk leaves them: a count that would allocate
    // without bound, a selection outside the list, an entry without a name.
    struct Case {
        const char* index;
        int count;
        int select;
    };
    const Case cases[] = {
        {"[PROFILECOUNT]\ncount=2000000000\n[PROFILENAME]\n0=A\n[PROFILESELECT]\nselect=0\n", kMaxProfiles, 0},
        {"[PROFILECOUNT]\ncount=-5\n[PROFILESELECT]\nselect=0\n", -5, 0},
        {"[PROFILECOUNT]\ncount=1\n[PROFILENAME]\n0=A\n[PROFILESELECT]\nselect=2000000000\n", 1, 0},
        {"[PROFILECOUNT]\ncount=1\n[PROFILENAME]\n0=A\n[PROFILESELECT]\nselect=-5\n", 1, 0},
        {"[PROFILECOUNT]\ncount=3\n[PROFILENAME]\n0=A\n[PROFILESELECT]\nselect=2\n", 3, 2},
    };
    for (const Case& c : cases) {
        TestHome home;
        WriteText(home.ms() + "msProfile.ini", c.index);
        const FamilyIndex index = ReadFamilyIndex(ProfileFamily::MsKey);
        EXPECT_EQ(index.count, c.count) << c.index;
        EXPECT_LE(index.names.size(), static_cast<std::size_t>(kMaxProfiles));
        EXPECT_EQ(ReadSelect(ProfileFamily::MsKey), c.select) << c.index;

        device::DeviceImages ms;
        const SettingBlocks blocks{.mouse = &ms};
        const bool named = c.select == 0 && c.count != -5;
        EXPECT_EQ(SaveSelectedProfile(ProfileFamily::MsKey, blocks), named) << c.index;
        EXPECT_EQ(platform::FileExists(home.ms() + "A.pro"), named) << c.index;
        EXPECT_EQ(LoadProfile(ProfileFamily::MsKey, 2, blocks), kProfileMissing);
        // No file is ever made from a missing name.
        EXPECT_EQ(platform::ListFiles(home.ms()), named ? Names({"A.pro", "msProfile.ini"}) : Names({"msProfile.ini"}))
            << c.index;
    }
}

TEST(ProfileIndex, NamesThatAreNotFileNamesTouchNothing) {
    TestHome home;
    for (const char* bad : {"../../escape", "", ".", "..", "a/b"}) {
        EXPECT_EQ(ProfilePath(ProfileFamily::KbKey, bad), "") << bad;
    }
    WriteProfileName(ProfileFamily::KbKey, 0, "../../escape");
    device::DeviceImages kb;
    const SettingBlocks blocks{.keyboard = &kb};
    platform::DebugCapture debug;
    EXPECT_EQ(LoadProfile(ProfileFamily::KbKey, 0, blocks), kProfileMissing);
    EXPECT_FALSE(SaveSelectedProfile(ProfileFamily::KbKey, blocks));
    EXPECT_TRUE(debug.Contains("文件打开失败"));
    EXPECT_FALSE(platform::FileExists(home.data() + "escape.pro"));
    EXPECT_FALSE(platform::FileExists(home.root() + "/home/Documents/escape.pro"));
}

TEST(ProfileIndex, UsableNamesFitOneLineAndTheFileSystemsNameLimit) {
    const std::string longest(255 - 4, 'x');  // with ".led"
    struct Case {
        std::string name;
        bool usable;
    } cases[] = {{"Game", true},         {"新配置文件2", true},     {longest, true},
                 {longest + "x", false}, {"", false},               {".", false},
                 {"..", false},          {"a/b", false},            {"two\nlines", false},
                 {"cr\r", false},        {std::string("n\0ul", 4), false}};
    for (const Case& c : cases) {
        EXPECT_EQ(IsUsableProfileName(ProfileFamily::MsDeng, c.name), c.usable) << c.name.size();
    }
    EXPECT_FALSE(IsUsableProfileName(ProfileFamily::MsDevice, longest));  // ".config" is longer
}

TEST(SkinSetting, ChosenImageSurvivesAndResetForgetsIt) {
    TestHome home;
    EXPECT_FALSE(ReadSkinImage());
    ASSERT_TRUE(WriteSkinImage("skin/bg2.png"));
    EXPECT_EQ(ReadSkinImage(), "skin/bg2.png");
    ASSERT_TRUE(ResetSkinImage());
    EXPECT_FALSE(ReadSkinImage());
    EXPECT_EQ(ReadText(home.data() + "main.ini"), "[SKINIMAGE]\nFLAGS=0\nIMAGE=common/background.png\n");
}

}  // namespace
}  // namespace corvane::profiles
