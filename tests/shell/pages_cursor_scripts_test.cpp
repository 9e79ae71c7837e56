// The mouse's cursor-script page end to end: scripts laid out on a first start, the mouse's
// scripts read at its arrival, bullet edits written to the script files, and the files sent back.

#include "pages_fixture.h"

#include "macros/cursor_scripts.h"
#include "macros/macro_files.h"
#include "macros/macro_image.h"
#include "platform/ini_file.h"

namespace corvane::shell::testing {
namespace {

using macros::MacroAction;

class CursorScriptsTest : public PagesTest {
protected:
    std::string ScriptFile(int script) {
        return (DeviceFolder(DeviceKind::Mouse) / ("name_" + std::to_string(script + 1) + ".cur")).string();
    }
    std::string Line(int script, int step) {
        return platform::IniFile(ScriptFile(script)).ReadString("MACROACTION", std::to_string(step));
    }
    int Count(int script) { return platform::IniFile(ScriptFile(script)).ReadInt("MACROACTIONCOUNT", "count"); }
    // What an option does with a click: the click goes out first, then the option takes it.
    void ClickOption(const std::string& name) {
        auto* option = window_->FindOption(name);
        ASSERT_NE(option, nullptr) << name;
        Raise("click", option);
        option->SetSelected(option->Group().empty() ? !option->IsSelected() : true, /*notify=*/true);
        QCoreApplication::processEvents();
    }
    bool Selected(const std::string& name) { return window_->FindOption(name)->IsSelected(); }
    void AnswerDialogsWith(std::vector<std::string> paths) {
        window_->SetFileDialogResponder([this, paths = std::move(paths)](const ui::FileDialogRequest& r) mutable {
            dialogs_.push_back(r);
            if (paths.empty()) return std::optional<std::string>();
            std::string next = paths.front();
            paths.erase(paths.begin());
            return std::optional<std::string>(next);
        });
    }
    static std::string ScriptText(int count) {
        std::string text = "[MACROACTIONCOUNT]\ncount=" + std::to_string(count) + "\n[MACROACTION]\n";
        for (int j = 0; j < std::min(count, 4); ++j) text += std::to_string(j) + "=1,0,4,1,0,mouse_move_to_right_text\n";
        return text;
    }
    std::vector<ui::FileDialogRequest> dialogs_;
};

TEST_F(CursorScriptsTest, FirstStartInAnEmptyHomeLaysOutTheFourScripts) {
    Start({});
    const platform::IniFile index((DeviceFolder(DeviceKind::Mouse) / "msMacro.ini").string());
    EXPECT_EQ(index.ReadInt("CURSORCOUNT", "count"), 4);
    for (int i = 0; i < 4; ++i) {
        const std::string name = "name_" + std::to_string(i + 1);
        EXPECT_EQ(index.ReadString("CURSORNAME", std::to_string(i)), name);
        const Bytes shipped = ReadFile((BinFolder() / "defaults" / (name + ".cur")).string());
        ASSERT_FALSE(shipped.empty()) << name;
        EXPECT_EQ(ReadFile(ScriptFile(i)), shipped) << name;
    }
}

TEST_F(CursorScriptsTest, MouseImageOfTwoScriptsRewritesOnlyTheirFilesThenShowsScriptOne) {
    // The mouse holds two scripts of its own.
    auto step = [](std::uint8_t delay, std::uint8_t kind, std::uint8_t code) {
        return std::array<std::uint8_t, macros::kStepBytes>{delay, 0, kind, code};
    };
    macros::StepBytesList first(6, step(0, 0x04, 0));
    first[3] = step(7, 0x04, 0);
    first[4] = step(0, 0x84, 9);
    first[5] = step(0, 0x85, 4);
    const macros::StepBytesList second(12, step(1, 0x05, 1));
    const Bytes image = macros::BuildImage({first, second});
    ASSERT_TRUE(Dev(DeviceKind::Mouse).SetMemory(virt::MemoryArea::Scripts, 0, image));
    // The scripts of an earlier start: 3 and 4 are not in the mouse's image.
    std::filesystem::create_directories(DeviceFolder(DeviceKind::Mouse));
    std::ofstream(DeviceFolder(DeviceKind::Mouse) / "msMacro.ini")
        << "[CURSORCOUNT]\ncount=4\n[CURSORNAME]\n0=name_1\n1=name_2\n2=name_3\n3=name_4\n";
    for (int i = 0; i < 4; ++i) std::ofstream(ScriptFile(i)) << ScriptText(180);

    Start({DeviceKind::Mouse});
    EXPECT_EQ(Count(0), 6);
    EXPECT_EQ(Line(0, 3), "7,0,4,0,0,mouse_move_to_right_text");
    EXPECT_EQ(Line(0, 4), "0,0,132,9,1,mouse_move_to_left_text");
    EXPECT_EQ(Count(1), 12);
    EXPECT_EQ(Line(1, 11), "1,0,5,1,0,mouse_move_to_down_text");
    const std::string earlier = ScriptText(180);
    for (int i : {2, 3}) EXPECT_EQ(ReadFile(ScriptFile(i)), Bytes(earlier.begin(), earlier.end())) << i;

    EXPECT_TRUE(Selected("ms_gun_op_0"));
    EXPECT_TRUE(Selected("ms_bullet_op_0"));
    EXPECT_EQ(TextOf("bullet_select_index"), "1");
    EXPECT_EQ(TextOf("ms_cursor_delay_eidt"), "70");
    EXPECT_EQ(TextOf("ms_cursor_x_eidt"), "9");
    EXPECT_TRUE(Selected("ms_cursor_x_check"));
    EXPECT_EQ(TextOf("ms_cursor_y_eidt"), "4");
    EXPECT_TRUE(Selected("ms_cursor_y_check"));

    // The next arrival shows the first script again, whatever was chosen meanwhile.
    ClickOption("ms_gun_op_2");
    EXPECT_TRUE(Selected("ms_gun_op_2"));
    Dev(DeviceKind::Mouse).Unplug();
    ASSERT_TRUE(RunUntil([&] { return !main_->Link(DeviceKind::Mouse).IsConnected(); }));
    Dev(DeviceKind::Mouse).Plug();
    ASSERT_TRUE(RunUntil([&] { return main_->ArrivalComplete(DeviceKind::Mouse); }));
    EXPECT_TRUE(Selected("ms_gun_op_0"));
    EXPECT_FALSE(Selected("ms_gun_op_2"));
    EXPECT_EQ(pages_->CursorScripts().Script(), 0);
}

TEST_F(CursorScriptsTest, BulletEditsRewriteTheBulletsThreeStepsAtOnce) {
    Start({DeviceKind::Mouse});
    ASSERT_EQ(pages_->CursorScripts().CurrentBullet(), 0);
    Type("ms_cursor_delay_eidt", "80");
    ClickOption("ms_cursor_x_check");
    Type("ms_cursor_x_eidt", "3");
    Type("ms_cursor_y_eidt", "12");
    EXPECT_EQ(Line(0, 3), "8,0,4,0,0,mouse_move_to_right_text");
    EXPECT_EQ(Line(0, 4), "0,0,132,3,1,mouse_move_to_left_text");
    EXPECT_EQ(Line(0, 5), "0,0,5,12,0,mouse_move_to_down_text");

    const std::string bulletOne[] = {Line(0, 9), Line(0, 10), Line(0, 11)};
    Click("bullet_selected_next");
    EXPECT_EQ(TextOf("bullet_select_index"), "2");
    EXPECT_TRUE(Selected("ms_bullet_op_1"));
    EXPECT_EQ(TextOf("ms_cursor_x_eidt"), "1");  // the shipped bullet, loaded
    EXPECT_TRUE(Selected("ms_cursor_x_check"));
    EXPECT_EQ(Line(0, 9), bulletOne[0]);  // showing a bullet writes nothing

    // Values past the limits are cut; the edit shows what is stored.
    Type("ms_cursor_x_eidt", "300");
    EXPECT_EQ(TextOf("ms_cursor_x_eidt"), "255");
    EXPECT_EQ(Line(0, 10), "0,0,132,255,1,mouse_move_to_left_text");
    Type("ms_cursor_delay_eidt", "70000");
    EXPECT_EQ(TextOf("ms_cursor_delay_eidt"), "65535");
    EXPECT_EQ(Line(0, 9), "153,25,4,0,0,mouse_move_to_right_text");
    EXPECT_EQ(Line(0, 3), "8,0,4,0,0,mouse_move_to_right_text");

    // Another script is another file.
    ClickOption("ms_gun_op_3");
    EXPECT_TRUE(Selected("ms_bullet_op_0"));
    Type("ms_cursor_y_eidt", "40");
    EXPECT_EQ(Line(3, 5), "0,0,5,40,0,mouse_move_to_down_text");
    EXPECT_EQ(Line(0, 5), "0,0,5,12,0,mouse_move_to_down_text");
    SaveShot("ms_tab", "ms_cursor_Op_tab", "cursor-scripts.png");
}

TEST_F(CursorScriptsTest, StepsStopAtBothEndsAndASecondClickPutsTheBulletAway) {
    Start({DeviceKind::Mouse});
    ClickOption("ms_bullet_op_29");
    Click("bullet_selected_next");
    EXPECT_EQ(TextOf("bullet_select_index"), "30");
    EXPECT_TRUE(Selected("ms_bullet_op_29"));
    ClickOption("ms_bullet_op_0");
    Click("bullet_selected_prev");
    EXPECT_EQ(TextOf("bullet_select_index"), "1");
    EXPECT_TRUE(Selected("ms_bullet_op_0"));

    const Bytes file = ReadFile(ScriptFile(0));
    ClickOption("ms_bullet_op_0");
    EXPECT_FALSE(Selected("ms_bullet_op_0"));
    EXPECT_FALSE(Find("cursor_edit_layout")->IsEnabled());
    Type("ms_cursor_delay_eidt", "500");
    Click("bullet_selected_next");
    EXPECT_EQ(ReadFile(ScriptFile(0)), file);

    ClickOption("ms_bullet_op_4");
    EXPECT_TRUE(Find("cursor_edit_layout")->IsEnabled());
    EXPECT_EQ(TextOf("bullet_select_index"), "5");
}

TEST_F(CursorScriptsTest, SaveSendsTheImageOfTheFourFiles) {
    Start({DeviceKind::Mouse});
    Type("ms_cursor_delay_eidt", "250");
    ClickOption("ms_gun_op_2");
    Type("ms_cursor_x_eidt", "17");
    Dev(DeviceKind::Mouse).ClearRequests();
    Click("ms_bulletdate_save_btn");
    Flush();
    const Bytes expected = macros::BuildImage(macros::ReadImageSteps(macros::ScriptImageFiles()));
    ASSERT_GT(expected.size(), macros::kImageHeaderSize);
    const Bytes memory = Dev(DeviceKind::Mouse).Memory(virt::MemoryArea::Scripts);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), memory.begin()));
    EXPECT_EQ(Dev(DeviceKind::Mouse).RequestCount(device::Command::WriteKeyBank), 0u);
    EXPECT_EQ(Boxes("message_scripts_not_sent"), 0);
    // The edits are in what was sent.
    const auto records = macros::ParseImage(memory);
    ASSERT_TRUE(records);
    EXPECT_EQ(macros::DelayMs((*records)[0][3]), 250u);
    EXPECT_EQ((*records)[2][4].code, 17);
}

TEST_F(CursorScriptsTest, SaveWithoutTheMouseTellsTheUser) {
    Start({DeviceKind::Keyboard});
    Click("ms_bulletdate_save_btn");
    Flush();
    EXPECT_EQ(Boxes("message_scripts_not_sent"), 1);
}

TEST_F(CursorScriptsTest, ImportExportAndResetWorkOnTheCurrentScript) {
    const std::string big = (home_ / "big.cur").string(), small = (home_ / "small.cur").string(),
                      exported = (home_ / "out.cur").string();
    std::ofstream(big) << ScriptText(181);
    std::ofstream(small) << ScriptText(4);
    Start({DeviceKind::Mouse});
    AnswerDialogsWith({big, small, exported});
    ClickOption("ms_gun_op_1");
    const Bytes second = ReadFile(ScriptFile(1));

    Click("ms_bulletdate_import_btn");  // too long
    EXPECT_EQ(Boxes("message_text_18"), 1);
    EXPECT_EQ(ReadFile(ScriptFile(1)), second);
    ASSERT_EQ(dialogs_.size(), 1u);
    EXPECT_EQ(dialogs_[0].mode, ui::FileDialogMode::Open);
    EXPECT_EQ(dialogs_[0].defaultExtension, "cur");

    Click("ms_bulletdate_import_btn");
    EXPECT_EQ(ReadFile(ScriptFile(1)), ReadFile(small));
    EXPECT_EQ(TextOf("ms_cursor_delay_eidt"), "10");  // its step 3, shown at once
    // The short script: bullet 1 is not there, reads as zero, and is written when edited.
    Click("bullet_selected_next");
    EXPECT_EQ(TextOf("ms_cursor_delay_eidt"), "0");
    EXPECT_EQ(TextOf("ms_cursor_x_eidt"), "0");
    Type("ms_cursor_delay_eidt", "50");
    EXPECT_EQ(Count(1), 12);
    EXPECT_EQ(Line(1, 9), "5,0,4,0,0,mouse_move_to_right_text");

    Click("ms_bulletdate_export_btn");
    EXPECT_EQ(ReadFile(exported), ReadFile(ScriptFile(1)));
    EXPECT_EQ(dialogs_.back().mode, ui::FileDialogMode::Save);

    Click("ms_bulletdate_reset_btn");
    EXPECT_EQ(ReadFile(ScriptFile(1)), ReadFile((BinFolder() / "defaults" / "name_2.cur").string()));
    EXPECT_TRUE(Selected("ms_bullet_op_0"));
    EXPECT_EQ(Count(0), 180);  // the other scripts stay
}

}  // namespace
}  // namespace corvane::shell::testing
