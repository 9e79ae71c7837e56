// The main window on Linux desktops: the tray menu and its commands, the language, the
// background picker, the window's caption and state buttons, closing, message boxes, and a
// desktop without a notification area.

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "main_wnd_fixture.h"
#include "platform/debug_out.h"
#include "platform/desktop_locale.h"
#include "profiles/skin_setting.h"
#include "widgets/skin_menu.h"

namespace corvane::shell {
namespace {

int OpenMenus() {
    int open = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMenu*>(w) != nullptr && w->isVisible()) ++open;
    }
    return open;
}

// The message box windows open at the moment (skinned windows with a "MessageText").
std::vector<widgets::SkinWindow*> OpenBoxes() {
    std::vector<widgets::SkinWindow*> boxes;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* window = dynamic_cast<widgets::SkinWindow*>(w);
        if (window != nullptr && window->isVisible() && window->Find("MessageText") != nullptr) boxes.push_back(window);
    }
    return boxes;
}

// With CORVANE_SHOT_DIR set, the tests leave pictures of what they opened there; the picture
// of a pop-up shows it over the window it belongs to.
void Shot(const char* name, QWidget& widget, QWidget* popup = nullptr) {
    const char* dir = std::getenv("CORVANE_SHOT_DIR");
    if (dir == nullptr || *dir == '\0') return;
    QPixmap picture = widget.grab();
    if (popup != nullptr) {
        QPainter painter(&picture);
        painter.drawPixmap(popup->geometry().topLeft() - widget.geometry().topLeft(), popup->grab());
    }
    picture.save(QString::fromStdString((std::filesystem::path(dir) / name).string()));
}

class WindowTest : public MainWndTest {
protected:
    void Click(widgets::SkinWindow& window, const std::string& name, int nth = 0) {
        std::vector<ui::Control*> found;
        for (ui::Control* c : window.Controls()) {
            if (ui::EqualsIgnoreCase(c->Name(), name)) found.push_back(c);
        }
        ASSERT_LT(static_cast<std::size_t>(nth), found.size()) << name;
        QTest::mouseClick(dynamic_cast<QWidget*>(found[static_cast<std::size_t>(nth)]), Qt::LeftButton);
    }
    void Restart(MainWndOptions options = testing::QuickMainWndOptions()) {
        main_.reset();
        window_.reset();
        boxes_.clear();
        Start({}, options);
    }
};

TEST_F(WindowTest, TrayMenuOpensOnceWithExitAndItsCommandsDoWhatTheySay) {
    Start({});
    main_->OpenTrayMenu({300, 300});
    main_->OpenTrayMenu({320, 320});
    EXPECT_EQ(OpenMenus(), 1);
    ui::Menu* menu = main_->Tray().OpenedMenu();
    ASSERT_NE(menu, nullptr);
    std::vector<std::string> names;
    for (const auto& item : menu->Items()) names.push_back(item.name);
    // The skin's hidden items stay hidden; "Exit" comes last.
    EXPECT_EQ(names, (std::vector<std::string>{"lan", "exit"}));
    EXPECT_EQ(menu->Items().back().text, "Exit");
    if (auto* skinMenu = dynamic_cast<widgets::SkinMenu*>(menu)) Shot("tray-menu.png", *skinMenu->Widget());

    // Items without an action, and one the program does not know, which shows its own text.
    for (const char* name : {"qianting", "MENU_IMPORT", "Menu_Export"}) main_->OnMenuCommand({name, "x", ""});
    EXPECT_TRUE(boxes_.empty());
    main_->OnMenuCommand({"about", "Corvane 1.0", ""});
    EXPECT_EQ(boxes_, (std::vector<std::string>{"Corvane 1.0"}));

    // A choice reaches the window once the menu has gone: "exit" ends the program.
    ASSERT_TRUE(menu->Choose("exit"));
    EXPECT_FALSE(main_->Destroyed());
    ASSERT_TRUE(RunUntil([&] { return main_->Destroyed(); }));
}

TEST_F(WindowTest, LanguageSwitchesToTheOtherOneAndIsKeptForTheNextStart) {
    setenv("LANG", "en_US.UTF-8", 1);
    Start({});
    ASSERT_EQ(window_->Language(), "en");
    main_->OnMenuCommand({"LAN", "", ""});
    EXPECT_EQ(window_->Language(), "cn");
    EXPECT_EQ(profiles::ReadLanguage(), "cn");
    Restart();
    EXPECT_EQ(window_->Language(), "cn");
    main_->OnMenuCommand({"lan", "", ""});
    EXPECT_EQ(window_->Language(), "en");
    Restart();
    EXPECT_EQ(window_->Language(), "en");
}

TEST_F(WindowTest, FirstStartFollowsTheDesktopLocaleAndTheCommandLineWins) {
    struct Case {
        const char* lang;
        const char* option;
        const char* expected;
    };
    for (const Case& c : {Case{"zh_CN.UTF-8", "", "cn"}, Case{"zh_TW", "", "cn"}, Case{"de_DE.UTF-8", "", "en"},
                          Case{"C", "", "en"}, Case{"zh_CN.UTF-8", "en", "en"}}) {
        setenv("LANG", c.lang, 1);
        MainWndOptions options = testing::QuickMainWndOptions();
        options.language = c.option;
        Restart(options);
        EXPECT_EQ(window_->Language(), c.expected) << c.lang << " " << c.option;
    }
    setenv("LANG", "C.UTF-8", 1);
}

TEST(DesktopLocale, ChineseLocales) {
    for (const char* chinese : {"zh", "zh_CN.UTF-8", "zh_TW", "ZH-hk", "zh@pinyin"}) {
        EXPECT_TRUE(platform::LocaleIsChinese(chinese)) << chinese;
    }
    for (const char* other : {"", "z", "en_US", "zhx", "C", "de_ZH"}) EXPECT_FALSE(platform::LocaleIsChinese(other)) << other;
    setenv("LANGUAGE", "zh_CN:en", 1);
    EXPECT_EQ(platform::DesktopLocale(), "zh_CN");
    unsetenv("LANGUAGE");
}

TEST_F(WindowTest, PickerImageIsKeptAcrossARestartColourAndOwnFileAreNot) {
    Start({});
    window_->Show();
    auto* skinbtn = dynamic_cast<QWidget*>(window_->Find("skinbtn"));
    main_->Notify({"click", window_->Find("skinbtn"), 0});
    CSkinFrame* frame = main_->SkinFrame();
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(frame->IsOpen());
    // Right-aligned under the button.
    const QRect picker = frame->Window().geometry();
    const QPoint corner = skinbtn->mapToGlobal(QPoint(skinbtn->width(), skinbtn->height()));
    EXPECT_EQ(picker.topRight() + QPoint(1, 0), corner);

    Shot("picker.png", *window_, &frame->Window());
    auto* root = window_->Find("root");
    Click(frame->Window(), "skin_image_btn", 2);
    const std::string chosen = root->BkImage();
    EXPECT_EQ(chosen, "common/bg_ember.png");
    EXPECT_EQ(root->BkColour(), 0u);
    Click(frame->Window(), "skin_color");
    EXPECT_EQ(frame->Window().FindTab("skin_tab")->CurPage(), 1);
    Click(frame->Window(), "skin_color_btn", 3);
    EXPECT_EQ(root->BkImage(), "");
    EXPECT_NE(root->BkColour(), 0u);

    Restart();
    EXPECT_EQ(window_->Find("root")->BkImage(), chosen);  // the colour was not stored

    // The user's own picture, with characters a skin image description would take apart.
    const auto own = home_->Path() / "my pic=1 'x'.png";
    QImage(4, 4, QImage::Format_ARGB32).save(QString::fromStdString(own.string()));
    window_->SetFileDialogResponder([&](const ui::FileDialogRequest& r) -> std::optional<std::string> {
        EXPECT_EQ(r.defaultExtension, "png");
        return own.string();
    });
    window_->Show();
    main_->Notify({"click", window_->Find("skinbtn"), 0});
    Click(main_->SkinFrame()->Window(), "skin_Custom");
    ASSERT_TRUE(RunUntil([&] { return window_->Find("root")->BkImage() == own.string(); }));
    EXPECT_FALSE(main_->SkinFrame()->IsOpen());
    window_->LoadAllImages();
    EXPECT_EQ(window_->MissingImages().count(own.string()), 0u);

    Restart();
    EXPECT_EQ(window_->Find("root")->BkImage(), chosen);
    // Back to the skin's own picture, stored as not chosen.
    window_->Show();
    main_->Notify({"click", window_->Find("skinbtn"), 0});
    Click(main_->SkinFrame()->Window(), "skin_reset");
    EXPECT_EQ(window_->Find("root")->BkImage(), "common/background.png");
    EXPECT_FALSE(profiles::ReadSkinImage());
}

TEST_F(WindowTest, PickerClosesOnAClickOutside) {
    Start({});
    window_->Show();
    main_->Notify({"click", window_->Find("skinbtn"), 0});
    ASSERT_TRUE(main_->SkinFrame()->IsOpen());
    // While it is open the picker sees every press; one outside it closes it.
    QTest::mouseClick(&main_->SkinFrame()->Window(), Qt::LeftButton, {}, QPoint(-40, 200));
    EXPECT_TRUE(RunUntil([&] { return !main_->SkinFrame()->IsOpen(); }, 1000));
}

TEST_F(WindowTest, CaptionCentringStateButtonsAndTheWindowManagersClose) {
    Start({});
    EXPECT_EQ(window_->windowTitle(), "Corvane Driver");
    const QRect area = window_->screen()->availableGeometry();
    EXPECT_LE((window_->geometry().center() - area.center()).manhattanLength(), 2);

    window_->Show();
    EXPECT_TRUE(window_->Find("maxbtn")->IsVisible());
    EXPECT_FALSE(window_->Find("restorebtn")->IsVisible());
    main_->Notify({"click", window_->Find("maxbtn"), 0});
    ASSERT_TRUE(RunUntil([&] { return window_->isMaximized(); }, 1000));
    EXPECT_FALSE(window_->Find("maxbtn")->IsVisible());
    EXPECT_TRUE(window_->Find("restorebtn")->IsVisible());
    main_->Notify({"click", window_->Find("restorebtn"), 0});
    ASSERT_TRUE(RunUntil([&] { return !window_->isMaximized(); }, 1000));
    EXPECT_TRUE(window_->Find("maxbtn")->IsVisible());

    platform::DebugCapture debug;
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(window_.get(), &activate);
    EXPECT_TRUE(debug.Contains("61d0d"));

    // Alt+F4 or the title bar's close: the same shutdown as the close button.
    window_->close();
    EXPECT_TRUE(main_->Destroyed());
    EXPECT_TRUE(debug.Contains("退出测试"));
}

TEST_F(WindowTest, InWindowScaleStaysWithinTheScreen) {
    Start({});
    // The scale stops where the window still fits the screen's free area, never below 100 %.
    const QRect area = window_->screen()->availableGeometry();
    const double fit = std::min(area.width() / 800.0, area.height() / 572.0);
    const int largest = std::max(96, static_cast<int>(fit * 96));
    EXPECT_EQ(window_->DpiWithinScreen(192), std::min(192, largest));
    EXPECT_EQ(window_->DpiWithinScreen(96), 96);
    window_->SetDpi(window_->DpiWithinScreen(192));
    EXPECT_TRUE(window_->width() <= area.width() || window_->width() == 800);
    EXPECT_TRUE(window_->height() <= area.height() || window_->height() == 572);
}

TEST_F(WindowTest, SpaceBarDoesNotPressAFocusedButton) {
    Start({});
    window_->Show();
    int clicks = 0;
    struct Counter : ui::NotifySink {
        int* n;
        ui::NotifySink* next;
        void Notify(const ui::Notification& note) override {
            if (note.type == "click") ++*n;
            next->Notify(note);
        }
    } counter;
    counter.n = &clicks;
    counter.next = main_.get();
    window_->SetNotifySink(&counter);
    auto* button = dynamic_cast<QWidget*>(window_->Find("minbtn"));
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Space);
    EXPECT_EQ(clicks, 0);
    window_->SetNotifySink(main_.get());
}

// Real boxes rather than the responder: closing one by the window manager or with Escape is a
// "no", and the path that opened it can open it again.
TEST_F(WindowTest, BoxClosedByTheWindowManagerOrEscapeReturnsZeroAndClearsItsGuard) {
    Start({});
    window_->SetMessageBoxResponder({});
    const QRect area = window_->screen()->availableGeometry();
    int closed = 0;
    auto closeNextBox = [&](bool escape) {
        QTimer::singleShot(0, [&, escape] {
            RunUntil([] { return !OpenBoxes().empty(); }, 2000);
            auto boxes = OpenBoxes();
            ASSERT_EQ(boxes.size(), 1u);
            // The window is hidden: the box sits in the middle of the screen.
            EXPECT_LE((boxes[0]->geometry().center() - area.center()).manhattanLength(), 2);
            if (escape) QTest::keyClick(boxes[0], Qt::Key_Escape);
            else boxes[0]->close();
            ++closed;
        });
    };
    closeNextBox(false);
    main_->ShowFromTray();
    EXPECT_EQ(closed, 1);
    closeNextBox(true);
    main_->ShowFromTray();
    EXPECT_EQ(closed, 2);

    ui::MessageBoxRequest request;
    request.textId = "message_text_1";
    closeNextBox(false);
    EXPECT_EQ(window_->ShowMessageBox(request), ui::kMessageDismissed);
}

TEST_F(WindowTest, WithoutANotificationAreaTheWindowShowsAndSaysWhenNoDeviceIsThere) {
    MainWndOptions options = testing::QuickMainWndOptions();
    options.tray = TrayMode::Absent;
    options.noTrayNoticeMs = 20;
    Start({}, options);
    EXPECT_TRUE(window_->IsShown());
    ASSERT_TRUE(RunUntil([&] { return Boxes("message_text_1") == 1; }));
    EXPECT_TRUE(window_->IsShown());
    // The tray's paths never leave it hidden either.
    main_->HandleMessage(WindowMessage::Announce, 0, 0);
    EXPECT_TRUE(window_->IsShown());

    main_.reset();
    window_.reset();
    boxes_.clear();
    Start({DeviceKind::Mouse}, options);
    ASSERT_TRUE(RunUntil([&] { return main_->ArrivalComplete(DeviceKind::Mouse); }));
    RunUntil([] { return false; }, 60);
    EXPECT_EQ(Boxes("message_text_1"), 0);
    bus_->Mouse().Unplug();
    ASSERT_TRUE(RunUntil([&] { return Boxes("message_text_20") == 1; }));
    RunUntil([] { return false; }, 30);
    EXPECT_TRUE(window_->IsShown());
}

}  // namespace
}  // namespace corvane::shell
