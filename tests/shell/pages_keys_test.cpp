// The key editors end to end on the real skin and the virtual devices: choosing keys and kinds,
// the parameter encodings, capture from real key events, the labels, the uploads and the files.

#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

#include "keys/key_code_tables.h"
#include "keys/key_entry.h"
#include "macros/upload_marker.h"
#include "pages_fixture.h"
#include "platform/debug_out.h"

namespace corvane::shell::testing {
namespace {

using keys::FunctionKind;
using keys::KeyEntry;

constexpr int kScreenKeyA = 64;   // "kb_key_64" is the A key
constexpr int kScreenKeyEsc = 0;
constexpr int kScreenKeyB = 89;
// Kind combo items.
constexpr int kKbKeyboardKey = 1;
constexpr int kKbMouseButton = 2;
constexpr int kKbLeftRight = 3;
constexpr int kKbUpDown = 4;
constexpr int kKbFire = 6;
constexpr int kKbMacro = 9;
constexpr int kMsMouseButton = 1;
constexpr int kMsKeyboardKey = 6;
constexpr int kMsMacro = 9;

class KeyPagesTest : public PagesTest {
protected:
    KeyEntry Entry(DeviceKind kind, std::size_t index, std::size_t bank = 0) {
        return *keys::EntryAt(main_->State(kind).Snapshot().keyBanks[bank], index);
    }
    std::size_t IndexOf(int screenKey) {
        return static_cast<std::size_t>(pages_->Keys().KeyMap()[static_cast<std::size_t>(screenKey)]);
    }
    // Entry `index` of a saved key bank: the first-run profile of a family.
    Bytes SavedEntry(ProfileFamily family, std::size_t index) {
        const Bytes file = ProfileBytes(family, std::string(profiles::Family(family).firstRunName));
        if (file.size() < kHeader + 3 * index + 3) return {};
        return Bytes(file.begin() + kHeader + 3 * index, file.begin() + kHeader + 3 * index + 3);
    }
    bool Shown(const std::string& name) {
        auto* c = Find(name);
        return c && c->IsVisible();
    }
    void WriteMacros(DeviceKind kind, std::initializer_list<const char*> names) {
        std::filesystem::create_directories(DeviceFolder(kind));
        std::ofstream ini(DeviceFolder(kind) / (kind == DeviceKind::Keyboard ? "kbMacro.ini" : "msMacro.ini"));
        ini << "[MACROCOUNT]\ncount=" << names.size() << "\n[MACRONAME]\n";
        int i = 0;
        for (const char* name : names) ini << i++ << "=" << name << "\n";
    }
    // A key event as the window receives it under X11: native scan code = evdev code + 8.
    void Key(QEvent::Type type, int qtKey, std::uint32_t evdev, Qt::KeyboardModifiers mods = Qt::NoModifier,
             const QString& text = {}) {
        QKeyEvent event(type, qtKey, mods, evdev ? evdev + 8 : 0, 0, 0, text);
        QCoreApplication::sendEvent(window_->windowHandle(), &event);
    }
    void Press(int qtKey, std::uint32_t evdev, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {}) {
        Key(QEvent::KeyPress, qtKey, evdev, mods, text);
        Key(QEvent::KeyRelease, qtKey, evdev, mods, text);
    }
    void ShowWindow() {
        window_->Show();
        ASSERT_NE(window_->windowHandle(), nullptr);
    }
    // Key events that reached a control of the window (not the window itself).
    struct KeySpy : QObject {
        QWidget* window = nullptr;
        std::vector<int> keys;
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (watched->isWidgetType() && event->type() == QEvent::KeyPress &&
                static_cast<QWidget*>(watched)->window() == window) {
                keys.push_back(static_cast<QKeyEvent*>(event)->key());
            }
            return false;
        }
    };
};

// --- choosing keys ---

TEST_F(KeyPagesTest, AKeyShowsItsEntryAndAnEntryEqualToTheDefaultShowsAsTheDefaultItem) {
    Start({DeviceKind::Keyboard});
    EXPECT_FALSE(Shown("kb_tab_function"));
    Click("kb_key_" + std::to_string(kScreenKeyA));
    EXPECT_TRUE(Shown("kb_tab_function"));
    EXPECT_EQ(pages_->Keys().SelectedKey(DeviceKind::Keyboard), IndexOf(kScreenKeyA));
    EXPECT_EQ(window_->FindCombo("kb_key_fct_combo")->CurSel(), 0);
    EXPECT_TRUE(Shown("kb_tab_function_0"));

    // Explicitly assigning the factory function (fire key, then back to A by capture) still
    // shows the default item.
    PickItem("kb_key_fct_combo", kKbFire);
    EXPECT_EQ(Entry(DeviceKind::Keyboard, IndexOf(kScreenKeyA)).kind, FunctionKind::FireKeyFunction);
    EXPECT_TRUE(Shown("kb_tab_function_6"));
    EXPECT_FALSE(Shown("kb_tab_function_0"));
    PickItem("kb_key_fct_combo", kKbKeyboardKey);
    ShowWindow();
    Press(Qt::Key_A, 30, Qt::NoModifier, "a");
    EXPECT_EQ(Entry(DeviceKind::Keyboard, IndexOf(kScreenKeyA)), (KeyEntry{FunctionKind::KeyboardKeyFunction, 0, 0x04}));
    Click("kb_key_" + std::to_string(kScreenKeyB));
    Click("kb_key_" + std::to_string(kScreenKeyA));
    EXPECT_EQ(window_->FindCombo("kb_key_fct_combo")->CurSel(), 0);
    EXPECT_TRUE(Shown("kb_tab_function_0"));
    // Showing the default page ended the capture.
    EXPECT_FALSE(main_->Hook().KeyboardInstalled());
}

TEST_F(KeyPagesTest, AScreenKeyTheKeyboardLacksIgnoresClicks) {
    // This keyboard's factory table has no Esc: its screen key maps nowhere.
    const Bytes other{0x20, 0x00, 0x68};
    Dev(DeviceKind::Keyboard).SetMemory(virt::MemoryArea::FactoryKeys, 0, other);
    Start({DeviceKind::Keyboard});
    EXPECT_EQ(pages_->Keys().KeyMap()[kScreenKeyEsc], keys::kNoScreenKey);
    Click("kb_key_" + std::to_string(kScreenKeyEsc));
    EXPECT_FALSE(Shown("kb_tab_function"));
    EXPECT_FALSE(pages_->Keys().SelectedKey(DeviceKind::Keyboard));
}

TEST_F(KeyPagesTest, TheScreenKeyMapFollowsEveryReadOfTheFactoryTable) {
    Start({DeviceKind::Keyboard});
    ASSERT_EQ(IndexOf(kScreenKeyA), static_cast<std::size_t>(kScreenKeyA));
    // The keyboard's new factory table has A at entry 3; the refresh message re-reads it.
    const Bytes a{0x20, 0x00, 0x04};
    Dev(DeviceKind::Keyboard).SetMemory(virt::MemoryArea::FactoryKeys, 3 * 3, a);
    main_->HandleMessage(WindowMessage::KeyboardFactoryTable, 0, 0);
    Flush();
    EXPECT_EQ(IndexOf(kScreenKeyA), 3u);
}

TEST_F(KeyPagesTest, TheOnlyLeftClickButtonCannotBeEditedUntilAnotherButtonClicksLeft) {
    Start({DeviceKind::Mouse});
    ASSERT_EQ(Entry(DeviceKind::Mouse, 0), keys::kLeftClickEntry);
    Click("ms_key_0");
    EXPECT_EQ(Boxes("message_text_6"), 1);
    EXPECT_FALSE(Shown("ms_tab_function"));
    EXPECT_FALSE(pages_->Keys().SelectedKey(DeviceKind::Mouse));

    // Button 3 becomes a second left click (mouse-button kind, item 0); now both are editable.
    Click("ms_key_3");
    ASSERT_TRUE(Shown("ms_tab_function"));
    PickItem("ms_key_fct_combo", kMsMouseButton);
    PickItem("ms_key_fct_combo_11", 0);
    EXPECT_EQ(Entry(DeviceKind::Mouse, 3), keys::kLeftClickEntry);
    Click("ms_key_0");
    EXPECT_EQ(Boxes("message_text_6"), 1);
    EXPECT_TRUE(Shown("ms_tab_function"));
    EXPECT_EQ(pages_->Keys().SelectedKey(DeviceKind::Mouse), 0u);
}

// --- the parameters and their encodings ---

TEST_F(KeyPagesTest, ParameterPagesEncodeTheirEntries) {
    Start({DeviceKind::Keyboard});
    Click("kb_key_" + std::to_string(kScreenKeyB));
    const std::size_t key = IndexOf(kScreenKeyB);
    struct Row {
        const char* what;
        int kind;
        std::vector<std::pair<std::string, int>> combos;
        std::vector<std::pair<std::string, std::string>> edits;
        KeyEntry expected;
    };
    const Row rows[] = {
        {"right swing 5", kKbLeftRight, {{"_12", 1}}, {{"_15", "5"}, {"_17", "0"}, {"_20", "0"}},
         {FunctionKind::LeftRightSwingFunction, 0x00, 0x85}},
        {"right swing 0", kKbLeftRight, {{"_12", 1}}, {{"_15", "0"}}, {FunctionKind::LeftRightSwingFunction, 0x00, 0x80}},
        {"left swing, nibbles 15/15", kKbLeftRight, {{"_12", 0}}, {{"_15", "7"}, {"_17", "15"}, {"_20", "15"}},
         {FunctionKind::LeftRightSwingFunction, 0xFF, 0x07}},
        {"down swing", kKbUpDown, {{"_13", 1}}, {{"_16", "127"}, {"_18", "2"}, {"_19", "9"}},
         {FunctionKind::UpDownSwingFunction, 0x29, 0xFF}},
        {"nibble typed too large", kKbUpDown, {{"_13", 0}}, {{"_16", "200"}, {"_18", "99"}, {"_19", "x"}},
         {FunctionKind::UpDownSwingFunction, 0xF0, 0x7F}},
        {"fire key", kKbFire, {}, {{"_11", "300"}, {"_12", "12"}}, {FunctionKind::FireKeyFunction, 255, 12}},
        {"middle button", kKbMouseButton, {{"_11", 1}}, {}, {FunctionKind::MouseButtonFunction, 0x04, 0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        PickItem("kb_key_fct_combo", row.kind);
        for (const auto& [combo, item] : row.combos) PickItem("kb_key_fct_combo" + combo, item);
        for (const auto& [edit, text] : row.edits) Type("kb_key_fct_edit" + edit, text);
        EXPECT_EQ(Entry(DeviceKind::Keyboard, key), row.expected);
    }
    // Values above a limit are rewritten to the limit; text that is no number reads 0.
    EXPECT_EQ(TextOf("kb_key_fct_edit_11"), "255");
    EXPECT_EQ(TextOf("kb_key_fct_edit_16"), "127");
    EXPECT_EQ(TextOf("kb_key_fct_edit_18"), "15");
    EXPECT_EQ(TextOf("kb_key_fct_edit_19"), "x");
}

TEST_F(KeyPagesTest, MacroKindStoresPlaybackOrCountAndNothingWithoutAMacro) {
    WriteMacros(DeviceKind::Mouse, {"jump", "reload"});
    Start({DeviceKind::Mouse});
    auto* macros = window_->FindCombo("ms_key_fct_combo_23");
    ASSERT_EQ(macros->Count(), 2);
    EXPECT_EQ(macros->ItemAt(1)->DisplayedText(), "reload");

    Click("ms_key_4");
    const KeyEntry before = Entry(DeviceKind::Mouse, 4);
    PickItem("ms_key_fct_combo", kMsMacro);  // no macro chosen yet: nothing stored
    EXPECT_EQ(Entry(DeviceKind::Mouse, 4), before);
    PickItem("ms_key_fct_combo_23", 1);
    for (int option = 0; option < 4; ++option) {
        PickItem("ms_key_fct_combo_24", option);
        EXPECT_EQ(Entry(DeviceKind::Mouse, 4), (KeyEntry{FunctionKind::MacroFunction, 1, static_cast<std::uint8_t>(option)}));
        EXPECT_FALSE(Shown("ms_tab_function_26"));
    }
    PickItem("ms_key_fct_combo_24", 4);
    EXPECT_TRUE(Shown("ms_tab_function_26"));
    Type("ms_key_fct_edit_25", "300");
    EXPECT_EQ(TextOf("ms_key_fct_edit_25"), "255");
    EXPECT_EQ(Entry(DeviceKind::Mouse, 4), (KeyEntry{FunctionKind::MacroCountFunction, 1, 255}));
    // The button shows the macro's name, as it stands.
    EXPECT_EQ(Find("ms_key_4")->DisplayedText(), "reload");
    EXPECT_EQ(Find("ms_key_4")->ToolTip(), "reload");

    // Another button shown with the count kind reopens the count page with its number.
    Click("ms_key_3");
    Click("ms_key_4");
    EXPECT_EQ(window_->FindCombo("ms_key_fct_combo_24")->CurSel(), 4);
    EXPECT_EQ(TextOf("ms_key_fct_edit_25"), "255");
}

TEST_F(KeyPagesTest, AMacroKindWithAnEmptyMacroListStoresNothing) {
    Start({DeviceKind::Keyboard});
    Click("kb_key_" + std::to_string(kScreenKeyB));
    const KeyEntry before = Entry(DeviceKind::Keyboard, IndexOf(kScreenKeyB));
    PickItem("kb_key_fct_combo", kKbMacro);
    PickItem("kb_key_fct_combo_24", 4);
    Type("kb_key_fct_edit_25", "3");
    EXPECT_EQ(Entry(DeviceKind::Keyboard, IndexOf(kScreenKeyB)), before);
    // The keyboard-key kind with an empty key field stores nothing either.
    PickItem("kb_key_fct_combo", kKbKeyboardKey);
    EXPECT_EQ(TextOf("kb_key_fct_edit_21"), "");
    EXPECT_EQ(Entry(DeviceKind::Keyboard, IndexOf(kScreenKeyB)), before);
}

// --- labels, uploads and files ---

TEST_F(KeyPagesTest, UploadsSendTheEditedBankAndSaveTheKeyProfiles) {
    Start({DeviceKind::Keyboard, DeviceKind::Mouse});
    Click("kb_key_" + std::to_string(kScreenKeyB));
    PickItem("kb_key_fct_combo", kKbMouseButton);
    PickItem("kb_key_fct_combo_11", 2);  // right button
    const std::size_t key = IndexOf(kScreenKeyB);
    // The key's tooltip names its factory key and its new function.
    EXPECT_EQ(Find("kb_key_" + std::to_string(kScreenKeyB))->ToolTip(), "B → Right Click");
    PickItem("kb_key_fct_combo", kKbKeyboardKey);  // capture on
    ASSERT_TRUE(main_->Hook().KeyboardInstalled());
    PickItem("kb_key_fct_combo", kKbMouseButton);

    Click("kb_key_butt_prosave");
    Flush();
    EXPECT_FALSE(Shown("kb_tab_function"));
    EXPECT_FALSE(main_->Hook().KeyboardInstalled());
    const Bytes keys = Dev(DeviceKind::Keyboard).Memory(virt::MemoryArea::Keys);
    EXPECT_EQ(Bytes(keys.begin() + 3 * key, keys.begin() + 3 * key + 3), (Bytes{0x10, 0x02, 0x00}));
    EXPECT_EQ(SavedEntry(ProfileFamily::KbKey, key), (Bytes{0x10, 0x02, 0x00}));

    // The mouse: the edit applies on the button, the upload sends and saves the device profile.
    Click("ms_key_5");
    PickItem("ms_key_fct_combo", 2);      // left/right swing
    Type("ms_key_fct_edit_15", "5");
    PickItem("ms_key_fct_combo_12", 1);
    Click("ms_key_butt_keysave");
    EXPECT_EQ(Entry(DeviceKind::Mouse, 5), (KeyEntry{FunctionKind::LeftRightSwingFunction, 0x00, 0x85}));
    EXPECT_EQ(Find("ms_key_5")->DisplayedText(), "Swing Right");
    Click("ms_key_butt_prosave");
    Flush();
    const Bytes mouseKeys = Dev(DeviceKind::Mouse).Memory(virt::MemoryArea::Keys);
    EXPECT_EQ(Bytes(mouseKeys.begin() + 15, mouseKeys.begin() + 18), (Bytes{0x11, 0x00, 0x85}));
    EXPECT_EQ(SavedEntry(ProfileFamily::MsDevice, 5), (Bytes{0x11, 0x00, 0x85}));
}

TEST_F(KeyPagesTest, TooltipsShowWordsInTheWindowsLanguage) {
    Start({DeviceKind::Mouse});
    EXPECT_EQ(Find("minbtn")->ToolTip(), window_->LanguageText("ui_tip_min"));
    EXPECT_EQ(Find("ms_key_0")->ToolTip(), "Left Click");
    for (auto* control : window_->Controls()) {
        EXPECT_NE(control->ToolTip().rfind('@', 0), 0u) << control->Name() << " " << control->ToolTip();
    }
    ASSERT_TRUE(window_->SetLanguage("cn"));
    EXPECT_EQ(Find("minbtn")->ToolTip(), window_->LanguageText("ui_tip_min"));
    EXPECT_NE(Find("ms_key_0")->ToolTip(), "Left Click");
    EXPECT_EQ(Find("ms_key_0")->ToolTip(), window_->LanguageText("mouse_key_left"));
}

// --- tabs ---

TEST_F(KeyPagesTest, DeviceTabsEndTheCaptureAndKeyboardTabsFitTheProfilePanels) {
    Start({DeviceKind::Keyboard, DeviceKind::Mouse});
    Click("ms_key_3");
    PickItem("ms_key_fct_combo", kMsKeyboardKey);
    ASSERT_EQ(main_->Hook().Mode(), platform::HookMode::MouseKeyEditor);
    ASSERT_TRUE(main_->Hook().KeyboardInstalled());
    window_->FindOption("kb_tab")->SetSelected(true, true);
    EXPECT_FALSE(main_->Hook().KeyboardInstalled());

    auto select = [&](const char* tab) { window_->FindOption(tab)->SetSelected(true, true); };
    select("kb_macro_Op_tab");
    EXPECT_FALSE(Shown("kb_profile_select_tab"));
    EXPECT_FALSE(Shown("kb_profile_fun_spread_btn"));
    select("kb_key_Op_tab");
    EXPECT_TRUE(Shown("kb_profile_select_tab"));
    EXPECT_TRUE(Shown("kb_profile_fun_spread_btn"));
    // An open key page closes with its capture when the keyboard leaves the key page.
    Click("kb_key_" + std::to_string(kScreenKeyB));
    PickItem("kb_key_fct_combo", kKbKeyboardKey);
    ASSERT_TRUE(main_->Hook().KeyboardInstalled());
    select("kb_deng_Op_tab");
    EXPECT_FALSE(Shown("kb_tab_function"));
    EXPECT_FALSE(main_->Hook().KeyboardInstalled());
    EXPECT_TRUE(Shown("kb_profile_select_tab"));
}

// --- key capture from real key events ---

TEST_F(KeyPagesTest, CaptureTakesKeysByPositionWhateverTheLayoutOrNumLock) {
    Start({DeviceKind::Keyboard});
    ShowWindow();
    Click("kb_key_" + std::to_string(kScreenKeyB));
    PickItem("kb_key_fct_combo", kKbKeyboardKey);
    ASSERT_TRUE(main_->Hook().KeyboardInstalled());
    const std::size_t key = IndexOf(kScreenKeyB);
    struct Row {
        const char* what;
        int qtKey;
        std::uint32_t evdev;
        Qt::KeyboardModifiers mods;
        QString text;
        KeyEntry expected;
        const char* field;
    };
    const Row rows[] = {
        {"US A", Qt::Key_A, 30, Qt::NoModifier, "a", {FunctionKind::KeyboardKeyFunction, 0, 0x04}, "A"},
        {"German Z on the Y position", Qt::Key_Z, 21, Qt::NoModifier, "z", {FunctionKind::KeyboardKeyFunction, 0, 0x1C}, "Y"},
        {"French A on the Q position", Qt::Key_A, 16, Qt::NoModifier, "a", {FunctionKind::KeyboardKeyFunction, 0, 0x14}, "Q"},
        {"left Shift", Qt::Key_Shift, 42, Qt::NoModifier, {}, {FunctionKind::KeyboardKeyFunction, 0x02, 0}, "Left Shift"},
        {"right Shift", Qt::Key_Shift, 54, Qt::ShiftModifier, {}, {FunctionKind::KeyboardKeyFunction, 0x20, 0}, "Right Shift"},
        {"AltGr", Qt::Key_AltGr, 100, Qt::NoModifier, {}, {FunctionKind::KeyboardKeyFunction, 0x40, 0}, "Right Alt"},
        {"keypad 1, Num Lock on", Qt::Key_1, 79, Qt::KeypadModifier, "1", {FunctionKind::KeyboardKeyFunction, 0, 0x59}, "Num 1"},
        {"keypad 1, Num Lock off", Qt::Key_End, 79, Qt::KeypadModifier, {}, {FunctionKind::KeyboardKeyFunction, 0, 0x59}, "Num 1"},
        {"keypad Enter", Qt::Key_Enter, 96, Qt::KeypadModifier, "\r", {FunctionKind::KeyboardKeyFunction, 0, 0x58}, "Num Enter"},
        {"main Enter", Qt::Key_Return, 28, Qt::NoModifier, "\r", {FunctionKind::KeyboardKeyFunction, 0, 0x28}, "Enter"},
        {"no scan code: the Qt key", Qt::Key_B, 0, Qt::NoModifier, "b", {FunctionKind::KeyboardKeyFunction, 0, 0x05}, "B"},
        {"a media key changes nothing", Qt::Key_MediaPlay, 164, Qt::NoModifier, {}, {FunctionKind::KeyboardKeyFunction, 0, 0x05}, "B"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Press(row.qtKey, row.evdev, row.mods, row.text);
        EXPECT_EQ(Entry(DeviceKind::Keyboard, key), row.expected);
        EXPECT_EQ(TextOf("kb_key_fct_edit_21"), row.field);
    }
}

TEST_F(KeyPagesTest, WhileCapturingNoControlSeesAKeyButTheLockKeys) {
    Start({DeviceKind::Mouse});
    ShowWindow();
    KeySpy spy;
    spy.window = window_.get();
    qApp->installEventFilter(&spy);
    Find("ms_key_fct_edit_15")->SetFocus();
    platform::DebugCapture debug;

    Press(Qt::Key_Tab, 15);  // not capturing: the edit gets it (and its parents, as it goes up)
    ASSERT_FALSE(spy.keys.empty());
    EXPECT_EQ(spy.keys.front(), Qt::Key_Tab);
    spy.keys.clear();

    Click("ms_key_3");
    PickItem("ms_key_fct_combo", kMsKeyboardKey);
    ASSERT_EQ(main_->Hook().Mode(), platform::HookMode::MouseKeyEditor);
    Find("ms_key_fct_edit_15")->SetFocus();
    Press(Qt::Key_Tab, 15);
    Press(Qt::Key_Space, 57, Qt::NoModifier, " ");
    Press(Qt::Key_Escape, 1);
    EXPECT_TRUE(spy.keys.empty());
    EXPECT_EQ(Entry(DeviceKind::Mouse, 3), (KeyEntry{FunctionKind::KeyboardKeyFunction, 0, 0x29}));
    EXPECT_TRUE(debug.Contains("WM_HOOK_MOU_SINGLEKEY"));
    Press(Qt::Key_CapsLock, 58);
    ASSERT_FALSE(spy.keys.empty());
    EXPECT_TRUE(std::all_of(spy.keys.begin(), spy.keys.end(), [](int k) { return k == Qt::Key_CapsLock; }));
    qApp->removeEventFilter(&spy);
}

// Quitting while the key bank goes out lets it arrive whole: an upload cut short would leave the
// keyboard with half a new bank and half the old one.
TEST_F(KeyPagesTest, QuittingDuringAnUploadLetsItFinish) {
    Start({DeviceKind::Keyboard});
    const std::size_t bankSize = main_->Link(DeviceKind::Keyboard).BankSize();
    main_->State(DeviceKind::Keyboard).Update([&](device::DeviceImages& i) {
        for (std::size_t b = 0; b < bankSize; ++b) i.keyBanks[0][b] = static_cast<std::uint8_t>(0x40 + b % 13);
    });
    const auto expected = main_->State(DeviceKind::Keyboard).Snapshot().keyBanks[0];
    bus_->SetLatency(std::chrono::milliseconds(20));  // the bank takes several reports of 40 ms
    Click("kb_key_butt_prosave");
    main_->Destroy();
    const Bytes keys = Dev(DeviceKind::Keyboard).Memory(virt::MemoryArea::Keys);
    ASSERT_GE(keys.size(), bankSize);
    EXPECT_EQ(Bytes(keys.begin(), keys.begin() + static_cast<std::ptrdiff_t>(bankSize)),
              Bytes(expected.begin(), expected.begin() + static_cast<std::ptrdiff_t>(bankSize)));
}

// An upload the keyboard refused leaves a note in the data folder; its next arrival offers the
// upload again, and once it went through the note is gone.
TEST_F(KeyPagesTest, AnUploadThatDidNotEndWellIsOfferedAgainAtTheNextArrival) {
    Start({DeviceKind::Keyboard});
    Dev(DeviceKind::Keyboard).InjectFault({virt::FaultKind::StatusError, 1, virt::kEveryPacket});
    Click("kb_key_butt_prosave");
    Flush();
    EXPECT_EQ(Boxes("message_upload_failed"), 1);
    EXPECT_TRUE(macros::UploadUnfinished(DeviceKind::Keyboard));

    Dev(DeviceKind::Keyboard).ClearFaults();
    Dev(DeviceKind::Keyboard).Unplug();
    ASSERT_TRUE(RunUntil([&] { return !main_->ArrivalComplete(DeviceKind::Keyboard); }));
    boxAnswer_ = ui::kMessageConfirmed;
    Dev(DeviceKind::Keyboard).Plug();
    ASSERT_TRUE(RunUntil([&] { return Boxes("message_upload_unfinished") == 1; }));
    Flush();
    EXPECT_FALSE(macros::UploadUnfinished(DeviceKind::Keyboard));
    EXPECT_EQ(Boxes("message_upload_failed"), 1);
}

}  // namespace
}  // namespace corvane::shell::testing
