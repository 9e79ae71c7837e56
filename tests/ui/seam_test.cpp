// What page code relies on from ui::Window and ui::Control, through the Qt implementation.

#include <QTest>
#include <QElapsedTimer>
#include <QTimer>
#include <QLineEdit>

#include <atomic>
#include <thread>

#include "qt_fixture.h"
#include "widgets/skin_controls.h"

namespace corvane::testing {
namespace {

using ui::ControlKind;

class SeamTest : public SkinFixture {};

QWidget* W(ui::Control* c) { return dynamic_cast<QWidget*>(c); }

TEST_F(SeamTest, FindsByNameIgnoringCaseAndChecksKinds) {
    auto& w = Build(R"(<VerticalLayout name="root">
        <Button name="kb_dkey_37" text="A"/>
        <Slider name="kb_deng_light_slider"/>
        <HorizontalLayout><Label name="Deep_Label"/></HorizontalLayout>
      </VerticalLayout>)");
    ASSERT_NE(w.Find("KB_DKEY_37"), nullptr);
    EXPECT_EQ(w.Find("kb_dkey_37"), w.Find("Kb_DKey_37"));
    EXPECT_EQ(w.Find("kb_dkey_37")->Kind(), ControlKind::Button);
    EXPECT_EQ(w.Find("missing"), nullptr);
    EXPECT_EQ(w.Find(""), nullptr);
    EXPECT_NE(w.FindSlider("KB_DENG_LIGHT_SLIDER"), nullptr);
    EXPECT_EQ(w.FindSlider("kb_dkey_37"), nullptr);  // a button is not a slider
    EXPECT_EQ(w.FindOption("kb_deng_light_slider"), nullptr);
    EXPECT_EQ(w.FindOfKind("deep_label", ControlKind::Label), w.Find("Deep_Label"));
    EXPECT_EQ(w.Find("root")->FindChild("DEEP_LABEL"), w.Find("deep_label"));

    // A renamed control is found under its new name only.
    w.Find("deep_label")->SetName("renamed");
    EXPECT_EQ(w.Find("deep_label"), nullptr);
    EXPECT_NE(w.Find("RENAMED"), nullptr);

    std::vector<std::string> names;
    for (auto* c : w.Controls()) names.push_back(c->Name());
    EXPECT_EQ(names, (std::vector<std::string>{"root", "kb_dkey_37", "kb_deng_light_slider", "", "renamed"}));
}

TEST_F(SeamTest, CommonPropertiesRoundTrip) {
    auto& w = Build(R"(<Container><Label name="l" userdata="u0" text="plain"/></Container>)");
    ui::Control* l = w.Find("l");
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(l->UserData(), "u0");
    l->SetUserData("profile one");
    l->SetTag(42);
    l->SetBkColour(0xFF112233u);
    l->SetTextColour(0xFF445566u);
    l->SetBkImage("file='none.png' corner='1,1,1,1'");
    EXPECT_EQ(l->UserData(), "profile one");
    EXPECT_EQ(l->Tag(), 42);
    EXPECT_EQ(l->BkColour(), 0xFF112233u);
    EXPECT_EQ(l->TextColour(), 0xFF445566u);
    EXPECT_EQ(l->BkImage(), "file='none.png' corner='1,1,1,1'");
    l->SetVisible(false);
    EXPECT_FALSE(l->IsVisible());
    l->SetEnabled(false);
    EXPECT_FALSE(l->IsEnabled());
    EXPECT_TRUE(l->SetAttribute("TextColor", "#FF010203"));
    EXPECT_EQ(l->TextColour(), 0xFF010203u);
    EXPECT_FALSE(l->SetAttribute("no_such_attribute", "1"));
    EXPECT_FALSE(l->SetAttribute("textcolor", "not a colour"));
}

TEST_F(SeamTest, NamedStyleAppliedLater) {
    auto& w = Build(R"(<Container><Label name="l" textcolor="#FF000001"/></Container>)",
                    R"(<Style name="warm" value="textcolor='#FFFF8800' bkcolor='#FF101010'"/>)");
    ui::Control* l = w.Find("l");
    EXPECT_TRUE(l->SetAttribute("style", "warm"));
    EXPECT_EQ(l->TextColour(), 0xFFFF8800u);
    EXPECT_EQ(l->BkColour(), 0xFF101010u);
}

TEST_F(SeamTest, OptionGroupsAndNotifyFlag) {
    auto& w = Build(R"(<HorizontalLayout>
        <Option name="kb_tab" group="dev" selected="true" width="100"/>
        <Option name="ms_tab" group="dev" width="100"/>
        <Option name="mp_tab" group="dev" width="100"/>
        <CheckBox name="kb_Deng_7color_check" width="100"/>
      </HorizontalLayout>)");
    ui::Option* kb = w.FindOption("kb_tab");
    ui::Option* ms = w.FindOption("ms_tab");
    ui::Option* mp = w.FindOption("mp_tab");
    ui::Option* check = w.FindOption("kb_deng_7color_check");
    ASSERT_TRUE(kb && ms && mp && check);
    EXPECT_EQ(ms->Group(), "dev");
    EXPECT_TRUE(kb->IsSelected());

    ms->SetSelected(true, false);
    EXPECT_TRUE(ms->IsSelected());
    EXPECT_FALSE(kb->IsSelected());
    EXPECT_TRUE(recorder.events.empty());

    mp->SetSelected(true, true);
    EXPECT_FALSE(ms->IsSelected());
    EXPECT_EQ(recorder.events, (std::vector<Event>{{"selectchanged", "mp_tab"}}));
    recorder.events.clear();
    mp->SetSelected(true, true);  // no change, nothing raised
    EXPECT_TRUE(recorder.events.empty());

    // The user: a click, then the change; clicking the selected option of a group changes nothing.
    QTest::mouseClick(dynamic_cast<QWidget*>(kb), Qt::LeftButton);
    EXPECT_TRUE(kb->IsSelected());
    EXPECT_FALSE(mp->IsSelected());
    QTest::mouseClick(dynamic_cast<QWidget*>(kb), Qt::LeftButton);
    EXPECT_EQ(recorder.events, (std::vector<Event>{{"click", "kb_tab"}, {"selectchanged", "kb_tab"}, {"click", "kb_tab"}}));
    recorder.events.clear();

    // Without a group an option toggles both ways.
    QTest::mouseClick(dynamic_cast<QWidget*>(check), Qt::LeftButton);
    EXPECT_TRUE(check->IsSelected());
    QTest::mouseClick(dynamic_cast<QWidget*>(check), Qt::LeftButton);
    EXPECT_FALSE(check->IsSelected());
    EXPECT_EQ(recorder.events.size(), 4u);
    EXPECT_EQ(recorder.events[3], (Event{"selectchanged", "kb_Deng_7color_check"}));
}

TEST_F(SeamTest, DisabledAndMouseTransparentControlsDoNotClick) {
    auto& w = Build(R"(<VerticalLayout>
        <Button name="off" enabled="false" height="30"/>
        <Button name="on" height="30"/>
      </VerticalLayout>)");
    QTest::mouseClick(dynamic_cast<QWidget*>(w.Find("off")), Qt::LeftButton);
    QTest::mouseClick(dynamic_cast<QWidget*>(w.Find("on")), Qt::LeftButton);
    EXPECT_EQ(recorder.events, (std::vector<Event>{{"click", "on"}}));
}

TEST_F(SeamTest, PointerEnteringAndLeavingNamedControls) {
    auto& w = Build(R"(<HorizontalLayout><Button name="ms_key_0" width="50"/><Control width="50"/></HorizontalLayout>)");
    std::vector<std::string> seen;
    w.SetNotifySink(nullptr);
    struct HoverSink : ui::NotifySink {
        std::vector<std::string>* seen;
        void Notify(const ui::Notification& n) override { seen->push_back(n.type + ":" + n.sender->Name()); }
    } sink;
    sink.seen = &seen;
    w.SetNotifySink(&sink);
    QWidget* button = W(w.Find("ms_key_0"));
    QWidget* unnamed = button->parentWidget()->childAt(75, 5);
    for (QWidget* target : {button, unnamed}) {
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QApplication::sendEvent(target, &enter);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(target, &leave);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"msenter:ms_key_0", "msleave:ms_key_0"}));  // unnamed: nothing
    w.SetNotifySink(&recorder);
}

TEST_F(SeamTest, CombosAndListsKeepUserDataAndSelection) {
    auto& w = Build(R"(<VerticalLayout>
        <Combo name="kb_deng_combo_modeSelect" height="26">
          <ListLabelElement text="Static" userdata="0"/>
          <ListLabelElement text="Breathing" userdata="1"/>
        </Combo>
        <List name="kb_deng_profile_combo" itemheight="25"/>
      </VerticalLayout>)");
    ui::ItemList* combo = w.FindCombo("KB_DENG_COMBO_MODESELECT");
    ui::ItemList* list = w.FindList("kb_deng_profile_combo");
    ASSERT_TRUE(combo && list);
    EXPECT_EQ(w.FindList("kb_deng_combo_modeSelect"), nullptr);  // a combo is not a list
    ASSERT_EQ(combo->Count(), 2);
    EXPECT_EQ(combo->ItemAt(1)->UserData(), "1");
    EXPECT_EQ(combo->CurSel(), -1);
    EXPECT_TRUE(combo->SelectItem(1, false));
    EXPECT_EQ(combo->CurSel(), 1);
    EXPECT_TRUE(recorder.events.empty());
    EXPECT_TRUE(combo->SelectItem(0, true));
    EXPECT_EQ(recorder.events, (std::vector<Event>{{"itemselect", "kb_deng_combo_modeSelect", 0}}));
    EXPECT_FALSE(combo->SelectItem(2, false));
    EXPECT_EQ(combo->CurSel(), 0);

    list->AddLabelRow("Default", "Default", 25);
    list->AddLabelRow("Game", "game_file", 25);
    ui::Control* first = list->InsertLabelRow(0, "First", "first");
    ASSERT_EQ(list->Count(), 3);
    EXPECT_EQ(list->IndexOf(first), 0);
    EXPECT_EQ(list->ItemAt(2)->Text(), "Game");
    EXPECT_EQ(list->ItemAt(2)->UserData(), "game_file");
    list->SelectItem(2, false);
    list->InsertLabelRow(0, "Zero", "zero");  // the selected row stays selected as rows move
    EXPECT_EQ(list->CurSel(), 3);
    EXPECT_EQ(list->ItemAt(list->CurSel())->UserData(), "game_file");
    EXPECT_TRUE(list->RemoveAt(3));  // removing the selected row clears the selection
    EXPECT_EQ(list->CurSel(), -1);
    EXPECT_EQ(list->Count(), 3);
    EXPECT_FALSE(list->RemoveAt(3));
    list->RemoveAll();
    EXPECT_EQ(list->Count(), 0);
    EXPECT_EQ(list->ItemAt(0), nullptr);
}

TEST_F(SeamTest, ContainerAndTextRows) {
    auto& w = Build(R"(<List name="kb_Macro_list"><ListHeader><ListHeaderItem width="100"/><ListHeaderItem/></ListHeader></List>)",
                    R"(<Style name="macro_label_text_style" value="width='60' align='right'"/>)");
    ui::ItemList* list = w.FindList("kb_macro_list");
    ASSERT_NE(list, nullptr);
    ui::Control* row = list->InsertContainerRow(
        -1, "kb_macro_action", "1,129,4,5,0,keyboard_key_A", 30,
        {{"keyboard_key_A", "", true}, {"", "macro_label_text_style", false}, {"50", "macro_label_text_style", false}});
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->Kind(), ControlKind::ListContainerElement);
    EXPECT_EQ(row->Name(), "kb_macro_action");
    EXPECT_EQ(row->UserData(), "1,129,4,5,0,keyboard_key_A");
    ASSERT_EQ(row->ChildCount(), 3);
    EXPECT_TRUE(row->ChildAt(0)->IsResourceText());
    EXPECT_EQ(row->ChildAt(2)->Text(), "50");
    EXPECT_EQ(dynamic_cast<QWidget*>(row->ChildAt(2))->width(), 60);  // the style's width

    ui::Control* text = list->InsertTextRow(0, "macro_action", "data", 25, {"Left", "▼", "120"});
    EXPECT_EQ(text->Kind(), ControlKind::ListTextElement);
    EXPECT_EQ(list->IndexOf(row), 1);
    EXPECT_EQ(list->ItemAt(0)->UserData(), "data");
}

TEST_F(SeamTest, RowClickSelectsThenReportsTheRowAndMayRemoveIt) {
    auto& w = Build(R"(<List name="kb_Macro_list" itemheight="30"/>)");
    ui::ItemList* list = w.FindList("kb_macro_list");
    ASSERT_NE(list, nullptr);
    list->InsertContainerRow(-1, "kb_macro_action", "a", 30, {{"x", "", false}});
    ui::Control* second = list->InsertContainerRow(-1, "kb_macro_action", "b", 30, {{"y", "", false}});
    w.NeedUpdate();
    int selectedAtClick = -2;
    recorder.onNotify = [&](const ui::Notification& n) {
        if (n.type == "itemclick") {
            selectedAtClick = list->CurSel();
            list->RemoveAll();  // a handler may remove the row that reported the click
        }
    };
    // Click on the row's label: labels pass the press to their row.
    QTest::mouseClick(dynamic_cast<QWidget*>(second->ChildAt(0)), Qt::LeftButton);
    EXPECT_EQ(selectedAtClick, 1);
    EXPECT_EQ(recorder.events,
              (std::vector<Event>{{"itemselect", "kb_Macro_list", 1}, {"itemclick", "kb_macro_action", 1}}));
    EXPECT_EQ(list->Count(), 0);
}

TEST_F(SeamTest, ComboPopupSelectsOnUserChoice) {
    auto& w = Build(R"(<VerticalLayout><Combo name="c" height="26" width="200">
        <ListLabelElement text="One" userdata="1"/><ListLabelElement text="Two" userdata="2"/>
      </Combo><Control/></VerticalLayout>)");
    ui::ItemList* combo = w.FindCombo("c");
    QTest::mouseClick(dynamic_cast<QWidget*>(combo), Qt::LeftButton);
    auto* item = dynamic_cast<QWidget*>(combo->ItemAt(1));
    ASSERT_TRUE(item->isVisible());
    QTest::mouseClick(item, Qt::LeftButton);
    EXPECT_EQ(combo->CurSel(), 1);
    EXPECT_FALSE(item->isVisible());
    EXPECT_EQ(recorder.events, (std::vector<Event>{{"click", "c"}, {"itemselect", "c", 1}}));
}

TEST_F(SeamTest, ResourceTextFollowsTheLanguage) {
    skin.WriteLanguages();
    auto& w = Build(R"(<VerticalLayout>
        <Label name="by_attr" text="greeting" resourcetext="true"/>
        <Label name="by_at" text="@greeting"/>
        <Label name="plain" text="greeting"/>
        <Combo name="c"/>
      </VerticalLayout>)");
    EXPECT_EQ(w.Language(), "en");
    EXPECT_EQ(w.Find("by_attr")->DisplayedText(), "Hello");
    EXPECT_EQ(w.Find("by_at")->Text(), "greeting");
    EXPECT_EQ(w.Find("plain")->DisplayedText(), "greeting");
    ui::Control* item = w.FindCombo("c")->AddLabelRow("item_a", "a", 0, true);
    ui::Control* later = w.Find("plain");
    later->SetResourceText(true);

    ASSERT_TRUE(w.SetLanguage("CN"));
    EXPECT_EQ(w.Language(), "cn");
    EXPECT_EQ(w.Find("by_at")->DisplayedText(), "你好");
    EXPECT_EQ(item->DisplayedText(), "苹果");
    EXPECT_EQ(later->DisplayedText(), "你好");
    EXPECT_EQ(w.LanguageText("ITEM_A"), "苹果");
    EXPECT_EQ(w.LanguageText("no_such_id"), "no_such_id");
    EXPECT_FALSE(w.SetLanguage("fr"));
    EXPECT_EQ(w.Language(), "cn");

    // Ids the language file lacks can come from the owner's text query.
    w.SetTextQuery([](std::string_view lang, std::string_view id) -> std::optional<std::string> {
        if (id == "titletext") return std::string(lang == "en" ? "Title" : "标题");
        return std::nullopt;
    });
    EXPECT_EQ(w.LanguageText("titletext"), "标题");
}

TEST_F(SeamTest, SliderRaisesMoveDuringDragAndValueAtItsEnd) {
    auto& w = Build(R"(<VerticalLayout><Slider name="kb_deng_light_slider" width="210" height="20"
        min="0" max="100" value="0" thumbsize="10,10"/><Control/></VerticalLayout>)");
    ui::Slider* s = w.FindSlider("kb_deng_light_slider");
    ASSERT_NE(s, nullptr);
    s->SetValue(150);  // clamped, raises nothing
    EXPECT_EQ(s->Value(), 100);
    s->SetValue(0);
    EXPECT_TRUE(recorder.events.empty());

    auto* widget = dynamic_cast<QWidget*>(s);
    // Track from x=5 (value 0) to x=205 (value 100): 2 px per step.
    QTest::mousePress(widget, Qt::LeftButton, {}, QPoint(5, 10));
    QTest::mouseMove(widget, QPoint(55, 10));
    QTest::mouseMove(widget, QPoint(105, 10));
    QTest::mouseRelease(widget, Qt::LeftButton, {}, QPoint(105, 10));
    EXPECT_EQ(s->Value(), 50);
    EXPECT_EQ(recorder.events, (std::vector<Event>{{"movevaluechanged", "kb_deng_light_slider", 25},
                                                   {"movevaluechanged", "kb_deng_light_slider", 50},
                                                   {"valuechanged", "kb_deng_light_slider", 50}}));
    s->SetMin(60);
    EXPECT_EQ(s->Value(), 60);
    EXPECT_EQ(s->Min(), 60);
}

TEST_F(SeamTest, TabLayoutShowsOnlyTheSelectedPage) {
    auto& w = Build(R"(<TabLayout name="tab_switch" selectedid="1">
        <Container name="p0"/><Container name="p1"/><Container name="p2"/>
      </TabLayout>)");
    ui::TabLayout* tab = w.FindTab("TAB_SWITCH");
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(tab->PageCount(), 3);
    EXPECT_EQ(tab->CurPage(), 1);
    EXPECT_TRUE(w.Find("p1")->IsVisible());
    EXPECT_FALSE(w.Find("p0")->IsVisible());
    EXPECT_TRUE(tab->SelectPage(2));
    EXPECT_EQ(tab->CurPage(), 2);
    EXPECT_FALSE(w.Find("p1")->IsVisible());
    EXPECT_TRUE(w.Find("p2")->IsVisible());
    EXPECT_EQ(dynamic_cast<QWidget*>(w.Find("p2"))->size(), QSize(800, 572));
    EXPECT_FALSE(tab->SelectPage(3));
    EXPECT_FALSE(tab->SelectPage(-1));
    EXPECT_EQ(tab->CurPage(), 2);
    EXPECT_TRUE(recorder.events.empty());
}

TEST_F(SeamTest, OverlayDrawsItsColourWithItsAlpha) {
    auto& w = Build(R"(<Container bkcolor="#FF000000"><Button name="kb_dkey_0" float="true" pos="0,0,40,40"
        bkcolor="#FF000000" bordersize="0"/></Container>)");
    ui::Control* key = w.Find("kb_dkey_0");
    auto* widget = dynamic_cast<QWidget*>(key);
    auto centre = [&] { return widget->grab().toImage().pixelColor(20, 20); };
    key->SetOverlayColour(0xFFFF0000u);
    key->SetOverlayAlpha(255);
    EXPECT_EQ(centre(), QColor(0, 0, 0));  // the overlay is off until switched on
    key->SetOverlayEnabled(true);
    EXPECT_TRUE(key->IsOverlayEnabled());
    const QColor full = centre();  // the glow is strongest in the middle
    EXPECT_GE(full.red(), 240);
    EXPECT_EQ(full.green(), 0);
    key->SetOverlayAlpha(0);
    EXPECT_EQ(key->OverlayAlpha(), 0);
    EXPECT_EQ(centre(), QColor(0, 0, 0));
    key->SetOverlayAlpha(128);
    const QColor half = centre();
    EXPECT_NEAR(half.red(), 125, 8);
    EXPECT_EQ(half.green(), 0);
}

TEST_F(SeamTest, EditRaisesTextChangedOnlyForUserEdits) {
    auto& w = Build(R"(<VerticalLayout><Edit name="ms_DPI_edit_R" height="26" maxchar="3" numberonly="true"/><Control/></VerticalLayout>)");
    ui::Edit* edit = w.FindEdit("ms_dpi_edit_r");
    ASSERT_NE(edit, nullptr);
    edit->SetText("12");
    EXPECT_TRUE(recorder.events.empty());
    auto* line = dynamic_cast<widgets::EditWidget*>(edit)->LineEdit();
    line->setFocus();
    edit->SetCaret(2);
    QTest::keyClicks(line, "3x4");  // not a digit: refused; beyond three characters: refused
    EXPECT_EQ(edit->Text(), "123");
    ASSERT_EQ(recorder.events.size(), 1u);
    EXPECT_EQ(recorder.events[0], (Event{"textchanged", "ms_DPI_edit_R"}));
    edit->SetSelection(1, -1);
    EXPECT_EQ(edit->SelectedText(), "23");
    edit->SetCaret(1);
    EXPECT_EQ(edit->Caret(), 1);
    QTest::keyClick(line, Qt::Key_Return);
    EXPECT_EQ(recorder.events.back(), (Event{"return", "ms_DPI_edit_R"}));
}

TEST_F(SeamTest, PaletteKeepsColourAndReportsUserPicks) {
    auto& w = Build(R"(<VerticalLayout><ColorPalette name="kb_deng_Color_Pallet" height="120" palletheight="96" barheight="14"/><Control/></VerticalLayout>)");
    ui::ColourPalette* p = w.FindPalette("kb_deng_color_pallet");
    ASSERT_NE(p, nullptr);
    p->SetSelectedColour(0xFF0199CBu);
    EXPECT_EQ(p->SelectedColour(), 0xFF0199CBu);
    p->SetSelectedColour(0xFFFF0000u);
    EXPECT_EQ(p->SelectedColour(), 0xFFFF0000u);
    EXPECT_TRUE(recorder.events.empty());
    auto* widget = dynamic_cast<QWidget*>(p);
    QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(0, 1));  // hue 0, full saturation
    ASSERT_EQ(recorder.events.size(), 1u);
    EXPECT_EQ(recorder.events[0].type, "colorchanged");
    EXPECT_EQ(p->SelectedColour() & 0xFFFF0000u, 0xFFFF0000u);
    EXPECT_LE(p->SelectedColour() & 0xFFFFu, 0x0303u);
    QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(0, 110));  // brightness bar, far left: black
    EXPECT_EQ(p->SelectedColour(), 0xFF000000u);
}

TEST_F(SeamTest, PostAndSendRunOnTheUiThread) {
    auto& w = Build("<Container/>");
    const auto uiThread = std::this_thread::get_id();
    std::vector<int> order;
    std::atomic<bool> sent{false};
    std::thread worker([&] {
        w.Post([&] { order.push_back(1); });
        w.Post([&] { order.push_back(2); });
        sent = w.Send([&] {
            EXPECT_EQ(std::this_thread::get_id(), uiThread);
            order.push_back(3);
        });
    });
    while (!sent) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    worker.join();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    // On the UI thread itself Send runs at once.
    bool ran = false;
    EXPECT_TRUE(w.Send([&] { ran = true; }));
    EXPECT_TRUE(ran);
}

TEST_F(SeamTest, RejectCallsReleasesAWaitingSender) {
    auto& w = Build("<Container/>");
    std::atomic<bool> aboutToSend{false};
    std::atomic<int> result{-1};
    bool ran = false;
    std::thread worker([&] {
        aboutToSend = true;
        result = w.Send([&] { ran = true; }) ? 1 : 0;
    });
    while (!aboutToSend) std::this_thread::yield();
    w.RejectCalls();  // as before waiting for workers at shutdown: the UI thread does not drain
    worker.join();
    EXPECT_EQ(result, 0);
    QCoreApplication::processEvents();
    EXPECT_FALSE(ran);
}

TEST_F(SeamTest, MessageBoxAndFileDialogGoThroughResponders) {
    auto& w = Build("<Container/>");
    std::vector<ui::MessageBoxRequest> asked;
    w.SetMessageBoxResponder([&](const ui::MessageBoxRequest& r) {
        asked.push_back(r);
        return ui::kMessageConfirmed;
    });
    EXPECT_EQ(w.ShowMessageBox({"", "message_text_12", ui::MessageButtons::ConfirmCancel, false}), 1);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].textId, "message_text_12");

    w.SetFileDialogResponder([](const ui::FileDialogRequest& r) -> std::optional<std::string> {
        if (r.mode == ui::FileDialogMode::Save) return std::nullopt;  // the user cancels
        return "/tmp/" + r.defaultName;
    });
    EXPECT_EQ(w.ShowFileDialog({ui::FileDialogMode::Open, "(*.mac) | *.mac ||", "a.mac", "mac"}), "/tmp/a.mac");
    EXPECT_EQ(w.ShowFileDialog({ui::FileDialogMode::Save, "(*.mac) | *.mac ||", "a.mac", "mac"}), std::nullopt);
}

TEST_F(SeamTest, SkinMessageBoxAnswersWithItsButtons) {
    skin.WriteLanguages();
    skin.Write("res.xml", R"(<Res><Layout id="XML_MSG" file="msgbox.xml"/></Res>)");
    skin.Write("msgbox.xml", R"(<Window size="360,160"><VerticalLayout>
        <Label name="MessageTitle"/><Text name="MessageText"/>
        <HorizontalLayout height="30"><Button name="CONFIRM_BTN"/><Button name="cancel_btn"/></HorizontalLayout>
      </VerticalLayout></Window>)");
    auto& w = Build("<Container/>");
    std::string shownText;
    QTimer::singleShot(0, [&] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            auto* box = dynamic_cast<widgets::SkinWindow*>(top);
            if (!box || box == &w || !box->isVisible()) continue;
            shownText = box->Find("MessageText")->DisplayedText();
            QTest::mouseClick(dynamic_cast<QWidget*>(box->Find("confirm_btn")), Qt::LeftButton);
        }
    });
    EXPECT_EQ(w.ShowMessageBox({"", "greeting", ui::MessageButtons::ConfirmCancel, false}), ui::kMessageConfirmed);
    EXPECT_EQ(shownText, "Hello");
    // A timed box closes itself with 0.
    EXPECT_EQ(w.ShowMessageBox({"", "greeting", ui::MessageButtons::Confirm, true}), ui::kMessageDismissed);
}

// Each way of closing the box, whatever the case of the button names in the skin, and the
// timed box's own close after half a second.
TEST_F(SeamTest, SkinMessageBoxResultsByButtonAndTimer) {
    skin.WriteLanguages();
    skin.Write("res.xml", R"(<Res><Layout id="XML_MSG" file="msgbox.xml"/></Res>)");
    skin.Write("msgbox.xml", R"(<Window size="360,160"><VerticalLayout>
        <HorizontalLayout height="30"><Label name="MessageTitle"/><Button name="CloseBtn"/></HorizontalLayout>
        <Text name="MessageText"/>
        <HorizontalLayout height="30"><Button name="Confirm_Btn"/><Button name="CANCEL_btn"/></HorizontalLayout>
      </VerticalLayout></Window>)");
    auto& w = Build("<Container/>");
    const std::pair<const char*, int> cases[] = {
        {"confirm_btn", ui::kMessageConfirmed},
        {"cancel_btn", ui::kMessageDismissed},
        {"closebtn", ui::kMessageDismissed},
    };
    for (const auto& [button, expected] : cases) {
        QTimer::singleShot(0, [&, button = button] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                auto* box = dynamic_cast<widgets::SkinWindow*>(top);
                if (!box || box == &w || !box->isVisible()) continue;
                QTest::mouseClick(dynamic_cast<QWidget*>(box->Find(button)), Qt::LeftButton);
            }
        });
        EXPECT_EQ(w.ShowMessageBox({"", "greeting", ui::MessageButtons::ConfirmCancel, false}), expected)
            << button;
    }
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(w.ShowMessageBox({"", "greeting", ui::MessageButtons::Confirm, true}), ui::kMessageDismissed);
    // A coarse Qt timer may fire up to 5 % early.
    EXPECT_GE(timer.elapsed(), 450);
    EXPECT_LT(timer.elapsed(), 3000);
}

}  // namespace
}  // namespace corvane::testing
