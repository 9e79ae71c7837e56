// The macro editors end to end on the real skin and the virtual devices: start-up loading, the
// step edits and inserts, recording from real key and mouse events on a test clock, the macro
// list operations with their files and key repairs, and what an upload puts into the device.

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWindow>

#include "keys/key_entry.h"
#include "macros/macro_action.h"
#include "macros/macro_files.h"
#include "macros/macro_image.h"
#include "pages_fixture.h"
#include "platform/ini_file.h"

namespace corvane::shell::testing {
namespace {

using keys::FunctionKind;
using keys::KeyEntry;
using macros::MacroAction;
using Names = std::vector<std::string>;

constexpr DeviceKind kEditors[] = {DeviceKind::Keyboard, DeviceKind::Mouse};
constexpr std::uint32_t kEvdevA = 30;
constexpr std::uint32_t kEvdevCapsLock = 58;
constexpr int kKeyRowA = 8;             // rows of the key drop-down: the virtual-key table's
constexpr int kKeyRowLeftShift = 1;
constexpr int kMouseMoveLeft = 10;      // entries of the mouse step drop-down
constexpr std::size_t kMouseButton4 = 4;  // a key entry of the mouse's bank

const char* Prefix(DeviceKind kind) { return kind == DeviceKind::Keyboard ? "kb_" : "ms_"; }
std::string What(DeviceKind kind) { return kind == DeviceKind::Keyboard ? "keyboard editor" : "mouse editor"; }

class MacroPagesTest : public PagesTest {
protected:
    std::string N(DeviceKind kind, const std::string& rest) { return Prefix(kind) + rest; }
    std::filesystem::path IndexPath(DeviceKind kind) {
        return DeviceFolder(kind) / (kind == DeviceKind::Keyboard ? "kbMacro.ini" : "msMacro.ini");
    }
    void WriteMacros(DeviceKind kind, const Names& names) {
        std::filesystem::create_directories(DeviceFolder(kind));
        std::ofstream ini(IndexPath(kind));
        ini << "[MACROCOUNT]\ncount=" << names.size() << "\n[MACRONAME]\n";
        for (std::size_t i = 0; i < names.size(); ++i) ini << i << "=" << names[i] << "\n";
    }
    void WriteMacroFile(DeviceKind kind, const std::string& name, const Names& lines) {
        std::ofstream mac(DeviceFolder(kind) / (name + ".mac"));
        mac << "[MACROACTIONCOUNT]\ncount=" << lines.size() << "\n[MACROACTION]\n";
        for (std::size_t i = 0; i < lines.size(); ++i) mac << i << "=" << lines[i] << "\n";
    }
    std::vector<MacroAction> FileSteps(DeviceKind kind, const std::string& name) {
        return macros::ReadSteps((DeviceFolder(kind) / (name + ".mac")).string());
    }
    std::string IndexValue(DeviceKind kind, const char* section, const char* key) {
        return platform::IniFile(IndexPath(kind).string()).ReadString(section, key);
    }

    ui::ItemList* Steps(DeviceKind kind) { return window_->FindList(N(kind, "Macro_list")); }
    ui::ItemList* Names_(DeviceKind kind) { return window_->FindList(N(kind, "MacroName_list")); }
    // The text forms of the rows, in order.
    Names Rows(DeviceKind kind) {
        Names rows;
        for (int i = 0; i < Steps(kind)->Count(); ++i) rows.push_back(Steps(kind)->ItemAt(i)->UserData());
        return rows;
    }
    // Label j of row i of an editor row (0 name, 1 mark or distance, 2 delay).
    std::string Label(DeviceKind kind, int row, int j) {
        auto* r = Steps(kind)->ItemAt(row);
        return r && r->ChildAt(j) ? r->ChildAt(j)->Text() : std::string("<none>");
    }
    int Selected(DeviceKind kind) { return Steps(kind)->CurSel(); }
    void ClickRow(DeviceKind kind, int row) {
        ASSERT_TRUE(Steps(kind)->SelectItem(row, true));
        Raise("itemclick", Steps(kind)->ItemAt(row), row);
    }
    void SelectMacro(DeviceKind kind, int index) { ASSERT_TRUE(Names_(kind)->SelectItem(index, true)); }
    bool Editing(DeviceKind kind) { return Find(N(kind, "macro_tab_saveorcancel"))->IsVisible(); }
    void Confirm(bool yes) {
        window_->SetMessageBoxResponder([this, yes](const ui::MessageBoxRequest& r) {
            boxes_.push_back(r.textId);
            return yes ? ui::kMessageConfirmed : ui::kMessageDismissed;
        });
    }

    // Real input of the window, as X11 delivers it (scan code = evdev code + 8).
    void KeyEvent(QEvent::Type type, int qtKey, std::uint32_t evdev, bool repeat = false) {
        QKeyEvent event(type, qtKey, Qt::NoModifier, evdev + 8, 0, 0, {}, repeat);
        QCoreApplication::sendEvent(window_->windowHandle(), &event);
    }
    void MouseEvent(QEvent::Type type, Qt::MouseButton button) {
        const QPointF corner(2, 2);  // the window's own frame, no control
        QMouseEvent event(type, corner, corner, button, type == QEvent::MouseButtonPress ? button : Qt::NoButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(window_->windowHandle(), &event);
        QCoreApplication::processEvents();  // the mouse part is queued
    }

    std::uint64_t clock_ = 100000;
};

// --- start-up ---

TEST_F(MacroPagesTest, StartUpFillsTheListsAndShowsTheLastMacroLikeAUsersChoice) {
    WriteMacros(DeviceKind::Keyboard, {"jump", "reload"});
    WriteMacroFile(DeviceKind::Keyboard, "reload", {"5,0,138,4,1,keyboard_key_A", "15,0,1,1,0,mouse_key_left"});
    Start({DeviceKind::Keyboard, DeviceKind::Mouse});

    EXPECT_EQ(Names_(DeviceKind::Keyboard)->Count(), 2);
    EXPECT_EQ(Names_(DeviceKind::Keyboard)->CurSel(), 1);
    EXPECT_EQ(TextOf("kb_macro_edit_macroname"), "reload");
    EXPECT_EQ(window_->FindCombo("kb_key_fct_combo_23")->Count(), 2);
    // Rows: the step's label (styled by kind), the press/release mark, the delay in ms.
    ASSERT_EQ(Steps(DeviceKind::Keyboard)->Count(), 2);
    EXPECT_EQ(Steps(DeviceKind::Keyboard)->ItemAt(0)->Name(), "kb_macro_action");
    EXPECT_EQ(Steps(DeviceKind::Keyboard)->ItemAt(0)->ChildAt(0)->DisplayedText(), "A");
    EXPECT_EQ(Label(DeviceKind::Keyboard, 0, 2), "50");
    EXPECT_EQ(Label(DeviceKind::Keyboard, 1, 2), "150");
    EXPECT_EQ(Steps(DeviceKind::Keyboard)->ItemAt(1)->ChildAt(0)->DisplayedText(), "Left Click");
    EXPECT_FALSE(Editing(DeviceKind::Keyboard));
    EXPECT_TRUE(Find("kb_macro_btn_redio")->IsEnabled());
    EXPECT_EQ(Find("kb_macro_btn_redio")->DisplayedText(), "Start Recording");
    // The key drop-down holds the 104 ordinary keys in table order.
    auto* keysCombo = window_->FindCombo("kb_macro_combo_keyselect");
    ASSERT_EQ(keysCombo->Count(), 104);
    EXPECT_EQ(keysCombo->ItemAt(kKeyRowA)->DisplayedText(), "A");
    EXPECT_EQ(keysCombo->ItemAt(103)->Text(), "keyboard_key_App");

    // The mouse has no macro yet: its index gets the script section, its controls stay off.
    EXPECT_EQ(Names_(DeviceKind::Mouse)->Count(), 0);
    EXPECT_EQ(IndexValue(DeviceKind::Mouse, "CURSORCOUNT", "count"), "4");
    EXPECT_EQ(IndexValue(DeviceKind::Mouse, "CURSORNAME", "3"), "name_4");
    for (const char* off : {"macro_btn_redio", "macro_btn_save", "macro_btn_up", "macro_btn_deleteall", "macro_mouse_click"}) {
        EXPECT_FALSE(Find(N(DeviceKind::Mouse, off))->IsEnabled()) << off;
    }
    Click("ms_macro_btn_name_add");
    EXPECT_TRUE(Find("ms_macro_btn_redio")->IsEnabled());
    EXPECT_EQ(window_->FindCombo("ms_key_fct_combo_23")->Count(), 1);
    EXPECT_EQ(IndexValue(DeviceKind::Mouse, "MACRONAME", "0"), "name_1");
}

// --- editing steps ---

TEST_F(MacroPagesTest, StepEditsChangeTheRowAndWhatIsSaved) {
    WriteMacros(DeviceKind::Keyboard, {"m"});
    WriteMacroFile(DeviceKind::Keyboard, "m", {"12,0,138,4,1,keyboard_key_A", "5,0,129,1,1,mouse_key_left",
                                               "5,0,10,4,0,keyboard_key_A"});
    Start({DeviceKind::Keyboard});
    const DeviceKind kb = DeviceKind::Keyboard;

    // The first row up and the last row down change nothing, and start no editing.
    for (auto [row, button] : {std::pair{0, "kb_macro_btn_up"}, std::pair{2, "kb_macro_btn_down"}}) {
        Steps(kb)->SelectItem(row, false);
        Click(button);
        EXPECT_EQ(Rows(kb)[0], "12,0,138,4,1,keyboard_key_A") << button;
        EXPECT_EQ(Rows(kb)[2], "5,0,10,4,0,keyboard_key_A") << button;
        EXPECT_EQ(Selected(kb), row);
    }
    EXPECT_FALSE(Editing(kb));

    ClickRow(kb, 0);
    EXPECT_TRUE(Editing(kb));
    EXPECT_FALSE(Names_(kb)->IsEnabled());
    EXPECT_EQ(window_->FindTab("kb_tab_macro_edit")->CurPage(), 1);
    EXPECT_EQ(window_->FindCombo("kb_macro_combo_keyselect")->CurSel(), kKeyRowA);
    EXPECT_EQ(window_->FindCombo("kb_macro_combo_upordown")->CurSel(), 1);
    EXPECT_EQ(TextOf("kb__macro_edit_ActionDelay"), "12");

    struct Change {
        const char* what;
        std::function<void()> act;
        std::string row;
        std::string delayShown;
    };
    const std::vector<Change> changes = {
        {"A to left Shift", [&] { PickItem("kb_macro_combo_keyselect", kKeyRowLeftShift); },
         "12,0,137,2,1,keyboard_key_LShift", "120"},
        {"and back to A", [&] { PickItem("kb_macro_combo_keyselect", kKeyRowA); }, "12,0,138,4,1,keyboard_key_A", "120"},
        {"press to release", [&] { PickItem("kb_macro_combo_upordown", 0); }, "12,0,10,4,0,keyboard_key_A", "120"},
        {"70000 in the delay", [&] { Type("kb__macro_edit_ActionDelay", "70000"); }, "255,255,10,4,0,keyboard_key_A",
         "655350"},
        {"15 in the delay", [&] { Type("kb__macro_edit_ActionDelay", "15"); }, "15,0,10,4,0,keyboard_key_A", "150"},
    };
    for (const Change& c : changes) {
        c.act();
        EXPECT_EQ(Rows(kb)[0], c.row) << c.what;
        EXPECT_EQ(Label(kb, 0, 2), c.delayShown) << c.what;
        EXPECT_EQ(Selected(kb), 0) << c.what;
    }
    Type("kb__macro_edit_ActionDelay", "70000");
    EXPECT_EQ(TextOf("kb__macro_edit_ActionDelay"), "65535");
    Type("kb__macro_edit_ActionDelay", "15");

    // A left press becomes a move left of distance 0; the distance edit stops at 255.
    ClickRow(kb, 1);
    EXPECT_EQ(window_->FindTab("kb_tab_macro_edit")->CurPage(), 2);
    EXPECT_EQ(window_->FindCombo("kb_macro_combo_mouselect")->CurSel(), 0);
    PickItem("kb_macro_combo_mouselect", kMouseMoveLeft);
    EXPECT_EQ(Rows(kb)[1], "5,0,132,0,1,mouse_move_to_left_text");
    EXPECT_TRUE(Find("kb_macro_tab_mou_pointer_skewing")->IsVisible());
    Type("kb_macro_edit_mou_pointer_skewing", "300");
    EXPECT_EQ(TextOf("kb_macro_edit_mou_pointer_skewing"), "255");
    EXPECT_EQ(Rows(kb)[1], "5,0,132,255,1,mouse_move_to_left_text");
    EXPECT_EQ(Label(kb, 1, 1), "255");

    // Moves keep the row selected; the file changes only on save.
    Click("kb_macro_btn_downbottom");
    EXPECT_EQ(Selected(kb), 2);
    EXPECT_EQ(Rows(kb)[2], "5,0,132,255,1,mouse_move_to_left_text");
    EXPECT_EQ(FileSteps(kb, "m")[2].stepKind, 10);
    Click("kb_macro_btn_save");
    EXPECT_FALSE(Editing(kb));
    EXPECT_TRUE(Names_(kb)->IsEnabled());
    EXPECT_EQ(FileSteps(kb, "m"), (std::vector<MacroAction>{{15, 0, 10, 4, 0, "keyboard_key_A"},
                                                            {5, 0, 10, 4, 0, "keyboard_key_A"},
                                                            {5, 0, 132, 255, 1, "mouse_move_to_left_text"}}));

    // Cancel drops the working copy and shows the file again.
    Steps(kb)->SelectItem(0, false);
    Click("kb_macro_btn_delete");
    Click("kb_macro_btn_cancel");
    EXPECT_EQ(Rows(kb).size(), 3u);
    EXPECT_FALSE(Editing(kb));
}

TEST_F(MacroPagesTest, InsertedStepsGoAfterTheSelectionOnTheKeyboardAndBeforeItOnTheMouse) {
    for (DeviceKind kind : kEditors) WriteMacros(kind, {"empty", "three"});
    for (DeviceKind kind : kEditors) {
        WriteMacroFile(kind, "three", {"5,0,138,4,1,keyboard_key_A", "5,0,138,5,1,keyboard_key_B", "5,0,138,6,1,keyboard_key_C"});
    }
    Start({DeviceKind::Keyboard, DeviceKind::Mouse});
    struct Case {
        DeviceKind kind;
        int insertedAt;
        int selectedAfter;
    };
    for (const Case& c : {Case{DeviceKind::Keyboard, 3, 2}, Case{DeviceKind::Mouse, 2, 3}}) {
        SCOPED_TRACE(What(c.kind));
        const DeviceKind kind = c.kind;
        SelectMacro(kind, 0);
        Click(N(kind, "macro_inset_leftkeydown_btn"));
        EXPECT_EQ(Rows(kind), (Names{"5,0,129,1,1,mouse_key_left"}));
        EXPECT_EQ(Selected(kind), 0);
        EXPECT_TRUE(Editing(kind));
        Click(N(kind, "macro_btn_cancel"));

        SelectMacro(kind, 1);
        Steps(kind)->SelectItem(2, false);
        Type(N(kind, "mouse_y_down_edit"), "999");
        EXPECT_EQ(TextOf(N(kind, "mouse_y_down_edit")), "255");
        Click(N(kind, "macro_inset_movedownkey_btn"));
        ASSERT_EQ(Rows(kind).size(), 4u);
        EXPECT_EQ(Rows(kind)[static_cast<std::size_t>(c.insertedAt)], "5,0,5,255,0,mouse_move_to_down_text");
        EXPECT_EQ(Selected(kind), c.selectedAfter);
        EXPECT_EQ(Steps(kind)->ItemAt(c.selectedAfter)->UserData(), "5,0,138,6,1,keyboard_key_C");
        Click(N(kind, "macro_btn_cancel"));
    }
    // The insert panel takes the name panel's place, and each button shows its own page.
    Raise("selectchanged", [&] {
        auto* toggle = window_->FindOption("kb_macro_btn_shubiao");
        toggle->SetSelected(true, false);
        return toggle;
    }());
    EXPECT_TRUE(Find("kb_MacroMouseEvent")->IsVisible());
    EXPECT_FALSE(Find("kb_MacroName")->IsVisible());
    Click("kb_macro_inset_backkey_btn");
    EXPECT_TRUE(Find("kb_macro_inset_backkey_tab")->IsVisible());
    EXPECT_FALSE(Find("kb_macro_inset_leftkey_tab")->IsVisible());
}

// --- recording ---

TEST_F(MacroPagesTest, RecordingTurnsWindowInputIntoStepsWithMeasuredDelays) {
    options_.captureClock = [this] { return clock_; };
    for (DeviceKind kind : kEditors) WriteMacros(kind, {"rec", "other"});
    Start({DeviceKind::Keyboard, DeviceKind::Mouse});
    window_->Show();
    ASSERT_NE(window_->windowHandle(), nullptr);
    struct Case {
        DeviceKind kind;
        const char* shownAfter1234;
    };
    for (const Case& c : {Case{DeviceKind::Keyboard, "1230"}, Case{DeviceKind::Mouse, "1234"}}) {
        SCOPED_TRACE(What(c.kind));
        const DeviceKind kind = c.kind;
        SelectMacro(kind, 0);
        Click(N(kind, "macro_btn_redio"));
        EXPECT_EQ(Find(N(kind, "macro_btn_redio"))->DisplayedText(), "Stop Recording");
        EXPECT_EQ(main_->Hook().Mode(), kind == DeviceKind::Keyboard ? platform::HookMode::KeyboardMacro
                                                                     : platform::HookMode::MouseMacro);
        EXPECT_FALSE(Find(N(kind, "macro_btn_save"))->IsEnabled());
        EXPECT_FALSE(Find(N(kind, "macro_check_time"))->IsEnabled());
        EXPECT_FALSE(Steps(kind)->IsEnabled());
        EXPECT_EQ(Find(N(kind, "macro_step_hint"))->Text(), "ui_recording_hint");

        clock_ += 40;
        KeyEvent(QEvent::KeyPress, Qt::Key_A, kEvdevA);
        clock_ += 500;
        KeyEvent(QEvent::KeyPress, Qt::Key_A, kEvdevA, /*repeat=*/true);  // auto-repeat: no step
        clock_ += 734;
        KeyEvent(QEvent::KeyRelease, Qt::Key_A, kEvdevA);
        clock_ += 20;
        KeyEvent(QEvent::KeyPress, Qt::Key_CapsLock, kEvdevCapsLock);
        clock_ += 10;
        KeyEvent(QEvent::KeyRelease, Qt::Key_CapsLock, kEvdevCapsLock);
        clock_ += 30;
        MouseEvent(QEvent::MouseButtonPress, Qt::LeftButton);
        clock_ += 70;
        MouseEvent(QEvent::MouseButtonRelease, Qt::LeftButton);
        SaveShot(kind == DeviceKind::Keyboard ? "kb_tab" : "ms_tab", N(kind, "macro_Op_tab").c_str(),
                 (N(kind, "macro_recording") + ".png").c_str());
        Click(N(kind, "macro_btn_redio"));
        ClickRow(kind, 2);
        SaveShot(kind == DeviceKind::Keyboard ? "kb_tab" : "ms_tab", N(kind, "macro_Op_tab").c_str(),
                 (N(kind, "macro_recorded") + ".png").c_str());
        Steps(kind)->SelectItem(-1, false);

        EXPECT_FALSE(main_->Hook().KeyboardInstalled());
        EXPECT_FALSE(main_->Hook().MouseInstalled());
        EXPECT_EQ(Find(N(kind, "macro_btn_redio"))->DisplayedText(), "Start Recording");
        EXPECT_TRUE(Find(N(kind, "macro_btn_save"))->IsEnabled());
        EXPECT_TRUE(Editing(kind));
        EXPECT_EQ(Rows(kind), (Names{"123,0,138,4,1,keyboard_key_A", "2,0,10,4,0,keyboard_key_A",
                                     "1,0,138,57,1,keyboard_key_Caplk", "3,0,10,57,0,keyboard_key_Caplk",
                                     "7,0,129,1,1,Left Click", "0,0,1,1,0,Left Click"}));
        EXPECT_EQ(Label(kind, 0, 2), c.shownAfter1234);
        // Mouse buttons are plain rows of their translated text.
        EXPECT_EQ(Steps(kind)->ItemAt(4)->Name(), "macro_action");
        EXPECT_EQ(Steps(kind)->ItemAt(4)->Text(), "Left Click");

        Click(N(kind, "macro_btn_save"));
        EXPECT_EQ(FileSteps(kind, "rec")[0], (MacroAction{123, 0, 0x8A, 4, 1, "keyboard_key_A"}));
        SelectMacro(kind, 1);
        SelectMacro(kind, 0);
        EXPECT_EQ(Label(kind, 0, 2), "1230");
        EXPECT_EQ(Steps(kind)->ItemAt(4)->Name(), N(kind, "macro_action"));
    }

    // The keyboard's saved recording is what its upload puts into the device.
    Click("kb_key_butt_prosave");
    Flush();
    const auto image = macros::ParseImage(Dev(DeviceKind::Keyboard).Memory(virt::MemoryArea::Macros));
    ASSERT_TRUE(image);
    ASSERT_EQ(image->size(), 2u);
    ASSERT_EQ((*image)[0].size(), 6u);
    EXPECT_EQ(macros::StepBytes((*image)[0][0]), (std::array<std::uint8_t, 4>{123, 0, 0x8A, 4}));
    EXPECT_EQ(macros::StepBytes((*image)[0][4]), (std::array<std::uint8_t, 4>{7, 0, 0x81, 1}));
}

TEST_F(MacroPagesTest, RecordingOptionsDecideWhatIsCapturedAndHowLongSteps) {
    options_.captureClock = [this] { return clock_; };
    WriteMacros(DeviceKind::Keyboard, {"rec"});
    Start({DeviceKind::Keyboard});
    window_->Show();
    const DeviceKind kb = DeviceKind::Keyboard;
    auto set = [&](const char* option, bool on) { window_->FindOption(N(kb, option))->SetSelected(on, false); };

    // Only pointer moves chosen: the mouse part runs, no key and no click becomes a step.
    set("macro_keyboard_event", false);
    set("macro_mouse_click", false);
    set("macro_mouse_move", true);
    Click("kb_macro_btn_redio");
    EXPECT_TRUE(main_->Hook().MouseInstalled());
    EXPECT_FALSE(main_->Hook().KeyboardInstalled());
    MouseEvent(QEvent::MouseButtonPress, Qt::LeftButton);
    MouseEvent(QEvent::MouseButtonRelease, Qt::LeftButton);
    KeyEvent(QEvent::KeyPress, Qt::Key_A, kEvdevA);
    Click("kb_macro_btn_redio");
    EXPECT_TRUE(Rows(kb).empty());

    // A fixed delay: every wait is 50 ms.
    set("macro_keyboard_event", true);
    set("macro_check_time", true);
    Click("kb_macro_btn_redio");
    clock_ += 1234;
    KeyEvent(QEvent::KeyPress, Qt::Key_A, kEvdevA);
    clock_ += 777;
    KeyEvent(QEvent::KeyRelease, Qt::Key_A, kEvdevA);
    Click("kb_macro_btn_redio");
    EXPECT_EQ(Rows(kb), (Names{"5,0,138,4,1,keyboard_key_A", "0,0,10,4,0,keyboard_key_A"}));
    EXPECT_EQ(Label(kb, 0, 2), "50");
}

// --- the macro list ---

TEST_F(MacroPagesTest, DeletingAMacroRepairsTheKeysAndRenumbersTheIndex) {
    WriteMacros(DeviceKind::Mouse, {"a", "b", "c"});
    WriteMacroFile(DeviceKind::Mouse, "c", {"5,0,129,1,1,mouse_key_left", "5,0,1,1,0,mouse_key_left"});
    Start({DeviceKind::Mouse});
    const DeviceKind ms = DeviceKind::Mouse;
    const KeyEntry factory = *keys::EntryAt(main_->State(ms).Snapshot().defaultKeyTable, 2);
    main_->State(ms).Update([](device::DeviceImages& images) {
        keys::SetEntry(images.keyBanks[0], kMouseButton4, {FunctionKind::MacroFunction, 2, 1});
        keys::SetEntry(images.keyBanks[3], 2, {FunctionKind::MacroCountFunction, 1, 5});
    });

    // Declining either question changes nothing.
    SelectMacro(ms, 1);
    Click("ms_macro_btn_name_sub");
    EXPECT_EQ(boxes_, (Names{"message_text_2"}));
    EXPECT_EQ(Names_(ms)->Count(), 3);

    Confirm(true);
    boxes_.clear();
    Click("ms_macro_btn_name_sub");
    EXPECT_EQ(boxes_, (Names{"message_text_2", "message_text_4"}));
    const auto banks = main_->State(ms).Snapshot().keyBanks;
    EXPECT_EQ(*keys::EntryAt(banks[0], kMouseButton4), (KeyEntry{FunctionKind::MacroFunction, 1, 1}));
    EXPECT_EQ(*keys::EntryAt(banks[3], 2), factory);
    EXPECT_EQ(Names_(ms)->Count(), 2);
    EXPECT_EQ(Names_(ms)->CurSel(), 0);
    EXPECT_EQ(window_->FindCombo("ms_key_fct_combo_23")->ItemAt(1)->Text(), "c");
    EXPECT_EQ(IndexValue(ms, "MACROCOUNT", "count"), "2");
    EXPECT_EQ(IndexValue(ms, "MACRONAME", "1"), "c");
    EXPECT_EQ(IndexValue(ms, "CURSORCOUNT", "count"), "4");
    EXPECT_TRUE(std::filesystem::exists(DeviceFolder(ms) / "name_1.cur"));

    // The upload sends the renumbered button with the two macros left.
    Click("ms_key_butt_prosave");
    Flush();
    const Bytes keysArea = Dev(ms).Memory(virt::MemoryArea::Keys);
    ASSERT_GE(keysArea.size(), 3 * kMouseButton4 + 3);
    EXPECT_EQ(Bytes(keysArea.begin() + 3 * kMouseButton4, keysArea.begin() + 3 * kMouseButton4 + 3),
              (Bytes{static_cast<std::uint8_t>(FunctionKind::MacroFunction), 1, 1}));
    const auto image = macros::ParseImage(Dev(ms).Memory(virt::MemoryArea::Macros));
    ASSERT_TRUE(image);
    ASSERT_EQ(image->size(), 2u);
    EXPECT_EQ((*image)[1].size(), 2u);
}

TEST_F(MacroPagesTest, RenameNewAndTheRefusalsWhileEditing) {
    WriteMacros(DeviceKind::Keyboard, {"alpha", "beta"});
    WriteMacroFile(DeviceKind::Keyboard, "alpha", {"5,0,138,4,1,keyboard_key_A"});
    WriteMacroFile(DeviceKind::Keyboard, "beta", {"5,0,138,5,1,keyboard_key_B"});
    Start({DeviceKind::Keyboard});
    const DeviceKind kb = DeviceKind::Keyboard;
    window_->FindOption("kb_macro_Op_tab")->SetSelected(true, true);
    SelectMacro(kb, 0);

    struct Rename {
        const char* typed;
        Names boxes;
        std::string name;
    };
    for (const Rename& r : {Rename{"ALPHA", {}, "alpha"}, Rename{"Beta", {"message_text_5"}, "alpha"},
                            Rename{"a/b", {"message_macro_rename_failed"}, "alpha"}, Rename{"Gamma", {}, "Gamma"}}) {
        boxes_.clear();
        Type("kb_macro_edit_macroname", r.typed);
        Click("kb_macro_btn_savemacroname");
        EXPECT_EQ(boxes_, r.boxes) << r.typed;
        EXPECT_EQ(Names_(kb)->ItemAt(0)->Text(), r.name) << r.typed;
        EXPECT_EQ(TextOf("kb_macro_edit_macroname"), r.boxes.empty() ? r.typed : r.name) << r.typed;
        EXPECT_EQ(IndexValue(kb, "MACRONAME", "0"), r.name) << r.typed;
        EXPECT_TRUE(std::filesystem::exists(DeviceFolder(kb) / (r.name + ".mac"))) << r.typed;
    }
    EXPECT_EQ(window_->FindCombo("kb_key_fct_combo_23")->ItemAt(0)->Text(), "Gamma");
    EXPECT_FALSE(std::filesystem::exists(DeviceFolder(kb) / "alpha.mac"));

    // While Gamma is edited, another macro cannot take the step list, a new macro waits, and
    // the page stays.
    Click("kb_macro_btn_deleteall");
    boxes_.clear();
    SelectMacro(kb, 1);
    EXPECT_EQ(Names_(kb)->CurSel(), 0);
    Click("kb_macro_btn_name_add");
    window_->FindOption("kb_deng_Op_tab")->SetSelected(true, true);
    EXPECT_EQ(window_->FindTab("kb_tab_switch")->CurPage(), 1);
    EXPECT_TRUE(window_->FindOption("kb_macro_Op_tab")->IsSelected());
    EXPECT_EQ(boxes_, (Names{"message_text_3", "message_text_3", "message_text_3"}));
    EXPECT_EQ(Names_(kb)->Count(), 2);
    Click("kb_macro_btn_save");
    EXPECT_TRUE(FileSteps(kb, "Gamma").empty());
    EXPECT_EQ(FileSteps(kb, "beta").size(), 1u);

    // New names skip taken ones; the 51st macro is refused with the limit in the text.
    Click("kb_macro_btn_name_add");
    EXPECT_EQ(Names_(kb)->ItemAt(2)->Text(), "name_3");
    EXPECT_EQ(Names_(kb)->CurSel(), 2);
    while (Names_(kb)->Count() < 50) Click("kb_macro_btn_name_add");
    boxes_.clear();
    Click("kb_macro_btn_name_add");
    EXPECT_EQ(boxes_, (Names{"You can create at most 50 macros."}));
}

TEST_F(MacroPagesTest, ImportAndExportCopyTheFiles) {
    WriteMacros(DeviceKind::Keyboard, {"one"});
    WriteMacroFile(DeviceKind::Keyboard, "one", {"5,0,138,4,1,keyboard_key_A"});
    const auto outside = home_ / "shared.mac";
    std::filesystem::create_directories(home_);
    std::ofstream(outside) << "[MACROACTIONCOUNT]\ncount=2\n[MACROACTION]\n0=5,0,129,2,1,mouse_key_right\n"
                              "1=5,0,1,2,0,mouse_key_right\n";
    Start({DeviceKind::Keyboard, DeviceKind::Mouse});
    std::vector<ui::FileDialogRequest> dialogs;
    std::string answer = outside.string();
    window_->SetFileDialogResponder([&](const ui::FileDialogRequest& r) -> std::optional<std::string> {
        dialogs.push_back(r);
        return answer;
    });

    // The keyboard imports into a new macro; the mouse, having none, makes one first.
    Click("kb_macro_btn_import");
    EXPECT_EQ(Names_(DeviceKind::Keyboard)->Count(), 2);
    EXPECT_EQ(FileSteps(DeviceKind::Keyboard, "one").size(), 1u);
    EXPECT_EQ(FileSteps(DeviceKind::Keyboard, "name_2").size(), 2u);
    EXPECT_EQ(Rows(DeviceKind::Keyboard).size(), 2u);
    Click("ms_macro_btn_import");
    EXPECT_EQ(Names_(DeviceKind::Mouse)->Count(), 1);
    EXPECT_EQ(ReadFile((DeviceFolder(DeviceKind::Mouse) / "name_1.mac").string()), ReadFile(outside.string()));
    Click("ms_macro_btn_import");  // over the selected macro this time
    EXPECT_EQ(Names_(DeviceKind::Mouse)->Count(), 1);
    ASSERT_EQ(dialogs.size(), 3u);
    EXPECT_EQ(dialogs[0].filter, "(*.mac) | *.mac ||");
    EXPECT_EQ(dialogs[0].defaultExtension, "mac");

    SelectMacro(DeviceKind::Keyboard, 0);
    answer = (home_ / "out.mac").string();
    Click("kb_macro_btn_export");
    EXPECT_EQ(dialogs.back().mode, ui::FileDialogMode::Save);
    EXPECT_EQ(dialogs.back().defaultName, "one.mac");
    EXPECT_EQ(ReadFile(answer), ReadFile((DeviceFolder(DeviceKind::Keyboard) / "one.mac").string()));
}

}  // namespace
}  // namespace corvane::shell::testing
