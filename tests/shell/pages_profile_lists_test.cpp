// Profile list management end to end: new, delete, copy, rename, import and export on the real
// skin, with the index file and the profile files checked after each.

#include "pages_fixture.h"
#include "platform/atomic_file.h"

#include <cstdlib>

namespace corvane::shell::testing {
namespace {

constexpr std::size_t kBrightness = 2;
constexpr std::size_t kKindOffset = profiles::kHeaderDeviceKindOffset;

std::string Names(ui::ItemList* list) {
    std::string all;
    for (int i = 0; i < list->Count(); ++i) all += (i ? "|" : "") + list->ItemAt(i)->UserData();
    return all;
}

class ProfileListsTest : public PagesTest {
protected:
    ui::ItemList* List(ProfileFamily family) { return window_->FindCombo(profiles::Family(family).listControl); }

    // An index of the family's names (selection 0), each with a file from the shipped default
    // that has its own brightness or first key byte.
    std::string Section(ProfileFamily family, const std::vector<std::string>& names, std::string extra = {}) {
        const auto& s = profiles::Family(family).sections;
        std::string ini = "[" + std::string(s.count) + "]\ncount=" + std::to_string(names.size()) + "\n[" +
                          std::string(s.select) + "]\nselect=0\n[" + std::string(s.names) + "]\n";
        for (std::size_t i = 0; i < names.size(); ++i) {
            ini += std::to_string(i) + "=" + names[i] + "\n";
            WriteProfile(family, names[i], [i](Bytes& p) { p[kBrightness] = static_cast<std::uint8_t>(1 + i); });
        }
        return ini + extra;
    }
    // Boxes answered "confirm" from now on for these ids.
    void Confirm(std::vector<std::string> ids) {
        window_->SetMessageBoxResponder([this, ids](const ui::MessageBoxRequest& r) {
            boxes_.push_back(r.textId);
            return std::count(ids.begin(), ids.end(), r.textId) ? ui::kMessageConfirmed : ui::kMessageDismissed;
        });
    }
    void ChooseFile(std::optional<std::string> path) {
        window_->SetFileDialogResponder([this, path](const ui::FileDialogRequest& r) {
            dialogs_.push_back(r);
            return path;
        });
    }
    profiles::FamilyIndex Index(ProfileFamily family) { return profiles::ReadFamilyIndex(family); }

    std::vector<ui::FileDialogRequest> dialogs_;
};

TEST_F(ProfileListsTest, AddingOnTheKeyboardFillsTheFirstFreeNumberInBothLists) {
    WriteIndex(DeviceKind::Keyboard, Section(ProfileFamily::KbDeng, {"Profile 1", "profile 3"}) +
                                         Section(ProfileFamily::KbKey, {"Profile 1", "profile 3"}));
    Start({DeviceKind::Keyboard});
    Click("kb_pro_deng_add_btn");
    for (ProfileFamily family : {ProfileFamily::KbDeng, ProfileFamily::KbKey}) {
        EXPECT_EQ(Names(List(family)), "Profile 1|profile 3|Profile 2");
        EXPECT_EQ(List(family)->CurSel(), 2);
        EXPECT_EQ(ProfileBytes(family, "Profile 2").size(), kHeader + profiles::Family(family).payloadSize);
        const auto index = Index(family);
        EXPECT_EQ(index.count, 3);
        EXPECT_EQ(index.select, 2);
        EXPECT_EQ(index.names[2], "Profile 2");
        EXPECT_FALSE(index.linked[2]);
    }
    Click("kb_pro_key_add_btn");
    for (ProfileFamily family : {ProfileFamily::KbDeng, ProfileFamily::KbKey}) {
        EXPECT_EQ(Names(List(family)), "Profile 1|profile 3|Profile 2|Profile 4");
    }
    EXPECT_EQ(TextOf("kb_deng_profile_name_edit"), "Profile 4");
}

TEST_F(ProfileListsTest, ANewProfileWithoutADefaultLeavesNothingBehind) {
    WriteIndex(DeviceKind::MousePad, Section(ProfileFamily::MpDeng, {"a"}));
    Start({});
    const auto program = home_ / "empty-program";
    std::filesystem::create_directories(program / "defaults");
    setenv("CORVANE_HOME", program.c_str(), 1);
    Click("mp_pro_deng_add_btn");
    EXPECT_EQ(Boxes("message_text_8"), 1);
    EXPECT_EQ(Names(List(ProfileFamily::MpDeng)), "a");
    EXPECT_EQ(Index(ProfileFamily::MpDeng).count, 1);
    EXPECT_FALSE(std::filesystem::exists(DeviceFolder(DeviceKind::MousePad) / "新配置文件1.led"));
}

TEST_F(ProfileListsTest, CopyAddsCopyUntilTheNameIsFreeAndStartsUnlinked) {
    // Index 2 holds a link left over from an earlier deletion.
    WriteIndex(DeviceKind::Mouse, Section(ProfileFamily::MsKey, {"Game", "game COPY"},
                                          "[PROFILELIKEEXE]\n2=1\n[PROCESS]\n2=/opt/old/old\n"));
    Start({DeviceKind::Mouse});
    PickItem("ms_key_profile_combo", 0);
    Click("ms_pro_key_copy_btn");
    EXPECT_EQ(Names(List(ProfileFamily::MsKey)), "Game|game COPY|Game copy copy");
    EXPECT_EQ(List(ProfileFamily::MsKey)->CurSel(), 2);
    const Bytes source = ProfileBytes(ProfileFamily::MsKey, "Game");
    EXPECT_EQ(ProfileBytes(ProfileFamily::MsKey, "Game copy copy"), source);
    const auto index = Index(ProfileFamily::MsKey);
    EXPECT_EQ(index.count, 3);
    EXPECT_FALSE(index.linked[2]);
    EXPECT_EQ(index.programs[2], " ");
    EXPECT_FALSE(window_->FindOption("ms_key_profile_link_check")->IsSelected());
}

TEST_F(ProfileListsTest, DeletingMovesTheLinksOfTheProfilesBehind) {
    WriteIndex(DeviceKind::MousePad,
               Section(ProfileFamily::MpDeng, {"A", "B", "C"},
                       "[PROFILELIKEDENGEXE]\n0=0\n1=0\n2=1\n[DENGPROCESS]\n0=0\n1=0\n2=/opt/game/Game\n"));
    Start({DeviceKind::MousePad});
    PickItem("mp_deng_profile_combo", 1);
    Click("mp_pro_deng_sub_btn");  // asked, and not confirmed
    EXPECT_EQ(Boxes("message_text_12"), 1);
    EXPECT_EQ(Names(List(ProfileFamily::MpDeng)), "A|B|C");

    Confirm({"message_text_12"});
    Click("mp_pro_deng_sub_btn");
    Flush();
    EXPECT_EQ(Names(List(ProfileFamily::MpDeng)), "A|C");
    EXPECT_FALSE(std::filesystem::exists(DeviceFolder(DeviceKind::MousePad) / "B.led"));
    const auto index = Index(ProfileFamily::MpDeng);
    EXPECT_EQ(index.count, 2);
    EXPECT_EQ(index.names[1], "C");
    EXPECT_TRUE(index.linked[1]);
    EXPECT_EQ(index.programs[1], "/opt/game/Game");
    EXPECT_EQ(index.select, 1);  // the last entry is selected, and shows its link
    EXPECT_TRUE(window_->FindOption("mp_deng_profile_link_check")->IsSelected());
    EXPECT_EQ(TextOf("mp_deng_profile_link_edit"), "Game");
    EXPECT_EQ(Params(DeviceKind::MousePad)[kBrightness], 3);
    // What lay at the old last index stays; nothing reads it.
    EXPECT_EQ(profiles::ReadLinkedProgram(ProfileFamily::MpDeng, 2), "/opt/game/Game");
}

// The keyboard's lighting and key profiles are deleted in pairs; the question names both.
TEST_F(ProfileListsTest, DeletingOnTheKeyboardNamesBothProfilesOfThePair) {
    WriteIndex(DeviceKind::Keyboard, Section(ProfileFamily::KbDeng, {"Day", "Night"}) +
                                         Section(ProfileFamily::KbKey, {"Office", "Games"}));
    Start({DeviceKind::Keyboard});
    PickItem("kb_deng_profile_combo", 1);
    std::vector<ui::MessageBoxRequest> asked;
    window_->SetMessageBoxResponder([&](const ui::MessageBoxRequest& r) {
        asked.push_back(r);
        return ui::kMessageConfirmed;
    });
    Click("kb_pro_deng_sub_btn");
    Flush();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].textId, "message_delete_keyboard_pair");
    EXPECT_EQ(asked[0].textArgs, (std::vector<std::string>{"Night", "Games"}));
    EXPECT_EQ(Names(List(ProfileFamily::KbDeng)), "Day");
    EXPECT_EQ(Names(List(ProfileFamily::KbKey)), "Office");
    const std::string shown = ui::FillInText(window_->LanguageText("message_delete_keyboard_pair"), asked[0].textArgs);
    EXPECT_NE(shown.find("Night"), std::string::npos) << shown;
    EXPECT_NE(shown.find("Games"), std::string::npos) << shown;
}

// An index the program cannot read (here a folder) costs the user nothing: the profile on disk
// is listed as it stands, and the user is told once which file could not be read and why.
TEST_F(ProfileListsTest, AnUnreadableIndexIsToldOnceAndItsProfilesStay) {
    WriteProfile(ProfileFamily::KbDeng, "Profile 1", [](Bytes& p) { p[kBrightness] = 1; });
    const Bytes before = ProfileBytes(ProfileFamily::KbDeng, "Profile 1");
    std::filesystem::create_directories(DeviceFolder(DeviceKind::Keyboard) / "kbProfile.ini");
    Start({DeviceKind::Keyboard});
    EXPECT_EQ(Boxes("message_profile_index_unreadable"), 1);
    EXPECT_EQ(Names(List(ProfileFamily::KbDeng)), "Profile 1");
    EXPECT_EQ(ProfileBytes(ProfileFamily::KbDeng, "Profile 1"), before);
    EXPECT_TRUE(std::filesystem::is_directory(DeviceFolder(DeviceKind::Keyboard) / "kbProfile.ini"));
}

TEST_F(ProfileListsTest, TheLastProfileIsNeverDeleted) {
    Start({});
    Confirm({"message_text_12"});
    for (const char* button : {"mp_pro_deng_sub_btn", "kb_pro_key_sub_btn"}) Click(button);
    EXPECT_EQ(Boxes("message_text_11"), 2);
    EXPECT_EQ(Boxes("message_text_12"), 0);
    EXPECT_EQ(List(ProfileFamily::MpDeng)->Count(), 1);
    EXPECT_EQ(List(ProfileFamily::KbDeng)->Count(), 1);
    EXPECT_EQ(ProfileBytes(ProfileFamily::KbDeng, "Profile 1").size(), kHeader + 1958);
}

TEST_F(ProfileListsTest, RenameRefusesNamesTakenOrUnfitForAFileBeforeWritingAnything) {
    WriteIndex(DeviceKind::Mouse, Section(ProfileFamily::MsDeng, {"Game", "Race"}));
    Start({});
    PickItem("ms_deng_profile_combo", 0);
    const auto before = std::filesystem::directory_iterator(DeviceFolder(DeviceKind::Mouse));
    const std::size_t files = std::distance(before, {});
    struct Case {
        std::string name;
        const char* box;
    } cases[] = {{"GAME", "message_text_15"}, {"race", "message_text_15"},  {"", "message_text_14"},
                 {".", "message_text_14"},    {"..", "message_text_14"},     {"a/b", "message_text_14"},
                 {"a\nb", "message_text_14"}};
    for (const Case& c : cases) {
        boxes_.clear();
        window_->FindEdit("ms_deng_profile_name_edit")->SetText(c.name);
        Click("ms_deng_profile_edit_save_btn");
        EXPECT_EQ(Boxes(c.box), 1) << c.name;
        EXPECT_EQ(Index(ProfileFamily::MsDeng).names[0], "Game") << c.name;
    }
    EXPECT_EQ(static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(DeviceFolder(DeviceKind::Mouse)), {})),
              files);

    const Bytes game = ProfileBytes(ProfileFamily::MsDeng, "Game");
    window_->FindEdit("ms_deng_profile_name_edit")->SetText("Speed run");
    Click("ms_deng_profile_edit_save_btn");
    EXPECT_EQ(Names(List(ProfileFamily::MsDeng)), "Speed run|Race");
    EXPECT_EQ(ProfileBytes(ProfileFamily::MsDeng, "Speed run"), game);
    EXPECT_FALSE(std::filesystem::exists(DeviceFolder(DeviceKind::Mouse) / "Game.led"));
    EXPECT_EQ(Index(ProfileFamily::MsDeng).names[0], "Speed run");
    EXPECT_EQ(List(ProfileFamily::MsDeng)->CurSel(), 0);
}

TEST_F(ProfileListsTest, ImportTakesOnlyProfileFilesAndAppliesThem) {
    Start({DeviceKind::MousePad});
    const std::string name = "新配置文件1";
    const Bytes before = ProfileBytes(ProfileFamily::MpDeng, name);
    const auto folder = home_ / "downloads";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "bad.led", std::ios::binary) << std::string(80, '\x55');
    ChooseFile((folder / "bad.led").string());
    Click("mp_pro_deng_import_btn");
    EXPECT_EQ(Boxes("message_text_9"), 1);
    EXPECT_EQ(ProfileBytes(ProfileFamily::MpDeng, name), before);
    ASSERT_EQ(dialogs_.size(), 1u);
    EXPECT_EQ(dialogs_[0].mode, ui::FileDialogMode::Open);
    EXPECT_EQ(dialogs_[0].filter, "(*.led) | *.led ||");
    EXPECT_EQ(dialogs_[0].defaultExtension, "led");

    // A good file of another device kind: its payload comes in under the pad's kind.
    Bytes payload(64, 0);
    payload[kBrightness] = 4;
    ASSERT_TRUE(profiles::WriteProfileFile((folder / "good.led").string(), payload, DeviceKind::Keyboard));
    ChooseFile((folder / "good.led").string());
    Click("mp_pro_deng_import_btn");
    Flush();
    const Bytes imported = ProfileBytes(ProfileFamily::MpDeng, name);
    ASSERT_EQ(imported.size(), kHeader + 64);
    EXPECT_EQ(imported[kKindOffset], 3);
    EXPECT_EQ(imported[kHeader + kBrightness], 4);
    EXPECT_EQ(Params(DeviceKind::MousePad)[kBrightness], 4);
}

TEST_F(ProfileListsTest, ExportWritesTheWholeProfileAndAsksBeforeReplacingAFile) {
    Start({DeviceKind::Keyboard});
    const auto target = home_ / "lighting.led";
    ChooseFile(target.string());
    Click("kb_pro_deng_export_btn");
    const Bytes exported = ReadFile(target.string());
    ASSERT_EQ(exported.size(), 1974u);
    EXPECT_EQ(exported[0], 0xAA);
    EXPECT_EQ(exported[1], 0x55);
    EXPECT_EQ(exported[kKindOffset], 1);
    EXPECT_EQ(Boxes("profile_export_overwrite"), 0);
    ASSERT_EQ(dialogs_.size(), 1u);
    EXPECT_EQ(dialogs_[0].mode, ui::FileDialogMode::Save);
    EXPECT_FALSE(dialogs_[0].confirmOverwrite);  // the program asks, in its own box

    std::ofstream(target, std::ios::binary | std::ios::trunc) << "mine";
    Click("kb_pro_deng_export_btn");  // not confirmed
    EXPECT_EQ(Boxes("profile_export_overwrite"), 1);
    EXPECT_EQ(ReadFile(target.string()).size(), 4u);
    Confirm({"profile_export_overwrite"});
    Click("kb_pro_deng_export_btn");
    EXPECT_EQ(ReadFile(target.string()), exported);
}

// A change's save may still wait in the writer (a slow disk) when the user copies, exports or
// imports: what is read, and what an import writes, comes after it.
TEST_F(ProfileListsTest, ListOperationsReadAfterTheWaitingSave) {
    Start({DeviceKind::Keyboard});
    const auto target = home_ / "lighting.led";
    platform::ScopedAtomicWriteFault slow(platform::AtomicWriteFault::SlowDisk);
    Slide("kb_deng_light_slider", 1);
    ChooseFile(target.string());
    Click("kb_pro_deng_export_btn");
    EXPECT_EQ(ReadFile(target.string()).at(kHeader + kBrightness), 1);

    Slide("kb_deng_light_slider", 3);
    Click("kb_pro_deng_copy_btn");
    Flush();
    ui::ItemList* list = List(ProfileFamily::KbDeng);
    const auto copy = profiles::ProfilePath(ProfileFamily::KbDeng, list->ItemAt(list->Count() - 1)->UserData());
    EXPECT_EQ(ReadFile(copy).at(kHeader + kBrightness), 3);

    // The imported file replaces the profile; the earlier change's save does not land over it.
    PickItem("kb_deng_profile_combo", 0);
    Flush();
    Slide("kb_deng_light_slider", 2);
    ChooseFile(target.string());
    Click("kb_pro_deng_import_btn");
    Flush();
    const auto first = profiles::ProfilePath(ProfileFamily::KbDeng, list->ItemAt(0)->UserData());
    EXPECT_EQ(ReadFile(first).at(kHeader + kBrightness), 1);
}

TEST_F(ProfileListsTest, WithNoProfilePickedEveryOperationSaysSoAndOpensNothing) {
    WriteIndex(DeviceKind::Mouse, Section(ProfileFamily::MsDeng, {"a", "b"}));
    Start({});  // no mouse: nothing selects its lighting list
    ASSERT_EQ(List(ProfileFamily::MsDeng)->CurSel(), -1);
    int dialogs = 0;
    window_->SetFileDialogResponder([&](const ui::FileDialogRequest&) {
        ++dialogs;
        return std::optional<std::string>("/usr/bin/true");
    });
    Type("ms_deng_profile_name_edit", "c");
    for (const char* control : {"ms_pro_deng_sub_btn", "ms_pro_deng_copy_btn", "ms_pro_deng_import_btn",
                                "ms_pro_deng_export_btn", "ms_deng_profile_edit_save_btn", "ms_deng_profile_link_btn",
                                "ms_deng_profile_link_check"}) {
        boxes_.clear();
        if (std::string_view(control).ends_with("_check")) {
            window_->FindOption(control)->SetSelected(true, /*notify=*/true);
            EXPECT_FALSE(window_->FindOption(control)->IsSelected());
        } else {
            Click(control);
        }
        EXPECT_EQ(boxes_, std::vector<std::string>{"message_pick_profile_first"}) << control;
    }
    EXPECT_EQ(dialogs, 0);
    EXPECT_EQ(Names(List(ProfileFamily::MsDeng)), "a|b");
    EXPECT_FALSE(profiles::ReadLinkFlag(ProfileFamily::MsDeng, 0));
}

TEST_F(ProfileListsTest, MouseArrivalShowsTheRecordedLightingProfileWithoutApplyingIt) {
    std::string index = Section(ProfileFamily::MsDeng, {"a", "b"});
    index.replace(index.find("select=0"), 8, "select=1");
    WriteIndex(DeviceKind::Mouse, index);
    WriteProfile(ProfileFamily::MsDeng, "b", [](Bytes& p) { p[kBrightness] = 9; });
    const std::uint8_t four[] = {4};
    ASSERT_TRUE(Dev(DeviceKind::Mouse).SetMemory(virt::MemoryArea::Params, kBrightness, four));
    Start({DeviceKind::Mouse});
    EXPECT_EQ(List(ProfileFamily::MsDeng)->CurSel(), 1);
    EXPECT_EQ(TextOf("ms_deng_profile_name_edit"), "b");
    EXPECT_EQ(Params(DeviceKind::Mouse)[kBrightness], 4);
    EXPECT_EQ(Record(DeviceKind::Mouse)[kBrightness], 4);
}

TEST_F(ProfileListsTest, PanelButtonsShowAndHideTheirPanels) {
    Start({});
    struct Case {
        const char* button;
        const char* panel;
    } cases[] = {{"kb_profile_fun_spread_btn", "kb_profile_fun_spead_tab"},
                 {"ms_profile_fun_spread_btn", "ms_profile_fun_spead_tab"},
                 {"mp_profile_fun_spread_btn", "mp_profile_fun_spead_tab"},
                 {"kb_pro_deng_edit_btn", "kb_deng_profile_edit"},
                 {"ms_pro_key_edit_btn", "ms_key_profile_edit"}};
    for (const Case& c : cases) {
        ASSERT_FALSE(Find(c.panel)->IsVisible()) << c.panel;
        Click(c.button);
        EXPECT_TRUE(Find(c.panel)->IsVisible()) << c.panel;
        Click(c.button);
        EXPECT_FALSE(Find(c.panel)->IsVisible()) << c.panel;
    }
}

}  // namespace
}  // namespace corvane::shell::testing
