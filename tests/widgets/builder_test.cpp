// The skin builder: attribute syntax, resources, pages and includes, layout, custom classes.

#include <QImage>
#include <QProcess>
#include <QTest>

#include "qt_fixture.h"
#include "widgets/skin_attributes.h"
#include "widgets/skin_builder.h"
#include "widgets/skin_controls.h"

namespace corvane::testing {
namespace {

using widgets::Quad;
using ui::ControlKind;

QWidget* W(ui::Control* c) { return dynamic_cast<QWidget*>(c); }

TEST(SkinAttributes, ParsesValueForms) {
    EXPECT_EQ(widgets::ParseColour("#FF0199CB"), 0xFF0199CBu);
    EXPECT_EQ(widgets::ParseColour("#0199CB"), 0xFF0199CBu);
    EXPECT_EQ(widgets::ParseColour("0x80112233"), 0x80112233u);
    for (const char* bad : {"", "#", "#12345", "red", "#GG0000", "#FF0199CB00"}) {
        EXPECT_FALSE(widgets::ParseColour(bad)) << bad;
    }
    EXPECT_EQ(widgets::ParseQuad(" 1, 2 ,3,4"), (Quad{1, 2, 3, 4}));
    EXPECT_FALSE(widgets::ParseQuad("1,2,3"));
    EXPECT_FALSE(widgets::ParseQuad("1,2,x,4"));
    EXPECT_EQ(widgets::ParsePair("800,572"), (std::pair{800, 572}));
    EXPECT_EQ(widgets::ParseBool("TRUE"), true);
    EXPECT_FALSE(widgets::ParseBool("yes"));

    auto list = widgets::ParseAttributeList(
        "bkcolor='#FF0199CB' normalimage=\"file='a.png' corner='4,4,4,4'\"  text='a b'");
    ASSERT_TRUE(list);
    ASSERT_EQ(list->size(), 3u);
    EXPECT_EQ((*list)[1].value, "file='a.png' corner='4,4,4,4'");
    EXPECT_EQ((*list)[2].value, "a b");
    for (const char* bad : {"a=", "a='x", "='x'", "a 'x'"}) EXPECT_FALSE(widgets::ParseAttributeList(bad)) << bad;

    auto image = widgets::ParseImageSpec("file='kb/k.png' dest='1,2,30,40' source='0,0,10,10' corner='2,2,2,2' fade='128'");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->file, "kb/k.png");
    EXPECT_EQ(image->dest, (Quad{1, 2, 30, 40}));
    EXPECT_EQ(image->fade, 128);
    EXPECT_EQ(widgets::ParseImageSpec("ms/key_left_down.png")->file, "ms/key_left_down.png");
    // A plain path keeps spaces, '=' and quotes of its own.
    for (const char* path : {"/home/a b/pic=1.png", "/tmp/it's \"x\".png", "my pic='x'.png", "a=b.png"}) {
        EXPECT_EQ(widgets::ParseImageSpec(path)->file, path);
    }
    EXPECT_FALSE(widgets::ParseImageSpec("file='a.png' fade='300'"));
    EXPECT_FALSE(widgets::ParseImageSpec("corner='1,1,1,1'"));
}

class BuilderTest : public SkinFixture {};

TEST_F(BuilderTest, DefaultsThenStyleThenOwnAttributes) {
    auto& w = Build(R"(<HorizontalLayout>
        <Button name="a" style="big" width="50"/>
        <Button name="b"/>
        <Label name="c"/>
      </HorizontalLayout>)",
                    R"(<Default class="button" value="width='10' textcolor='#FF000001' bkcolor='#FF000002'"/>
                       <Style name="big" value="width='30' textcolor='#FF000003'"/>)");
    EXPECT_EQ(W(w.Find("a"))->width(), 50);
    EXPECT_EQ(w.Find("a")->TextColour(), 0xFF000003u);
    EXPECT_EQ(w.Find("a")->BkColour(), 0xFF000002u);
    EXPECT_EQ(W(w.Find("b"))->width(), 10);
    EXPECT_EQ(w.Find("c")->TextColour(), widgets::look::kText);  // a Button default does not reach labels
}

TEST_F(BuilderTest, PlaceholdersIncludesAndPageResources) {
    skin.Write("keyboard_deng.xml", R"(<Page><Style name="page_style" value="textcolor='#FF00FF00'"/>
        <VerticalLayout name="deng_root"><Label name="kb_deng_title" style="page_style"/>
          <Include source="parts/extra.xml"/></VerticalLayout></Page>)");
    skin.Write("parts/extra.xml", R"(<Page><Button name="included_btn" height="20"/><Label name="second"/></Page>)");
    skin.Write("Mouse_DPI.xml", R"(<Page><Label name="dpi_a"/><Label name="dpi_b"/></Page>)");
    auto& w = Build(R"(<HorizontalLayout>
        <KB_DENG_UI name="kb_page" width="300"/>
        <ms_dpi_ui/>
        <Label name="uses_page_style" style="page_style"/>
      </HorizontalLayout>)");
    ui::Control* page = w.Find("kb_page");
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(w.Find("deng_root"), nullptr);  // the placeholder's name applies to the page's root
    EXPECT_EQ(W(page)->width(), 300);
    EXPECT_EQ(page->Kind(), ControlKind::VerticalLayout);
    ASSERT_NE(w.Find("included_btn"), nullptr);
    EXPECT_EQ(w.Find("included_btn")->Parent(), page);
    EXPECT_EQ(w.Find("second")->Parent(), page);
    EXPECT_EQ(w.Find("kb_deng_title")->TextColour(), 0xFF00FF00u);
    EXPECT_EQ(w.Find("uses_page_style")->TextColour(), 0xFF00FF00u);  // page styles are global
    // A page with several layout elements stacks them.
    ui::Control* dpiRoot = w.Find("dpi_a")->Parent();
    EXPECT_EQ(dpiRoot->Kind(), ControlKind::VerticalLayout);
    EXPECT_EQ(dpiRoot->ChildCount(), 2);
}

TEST_F(BuilderTest, ReportsBadSkinsWithFileAndLine) {
    struct Case {
        std::string body;
        std::string expected;
    };
    skin.Write("loop.xml", R"(<Page><Include source="loop.xml"/></Page>)");
    const std::vector<Case> cases = {
        {"<VerticalLayout>\n<Frobnicator/></VerticalLayout>", "layout:2: unknown element <Frobnicator>"},
        {"<VerticalLayout><Label></VerticalLayout>", "layout:1:"},
        {"<VerticalLayout/><VerticalLayout/>", "second one"},
        {"<kb_key_ui/>", "keyboard_key.xml: cannot be read"},
        {"<VerticalLayout><Include source=\"loop.xml\"/></VerticalLayout>", "too deep"},
        {"<VerticalLayout/>", ""},
    };
    for (const auto& c : cases) {
        std::string error;
        auto built = widgets::SkinWindow::LoadText(WindowXml(c.body), skin.Dir(), &error);
        if (c.expected.empty()) {
            EXPECT_TRUE(built) << error;
        } else {
            EXPECT_FALSE(built) << c.body;
            EXPECT_NE(error.find(c.expected), std::string::npos) << error;
        }
    }
    std::string error;
    EXPECT_FALSE(widgets::SkinWindow::LoadText("<Page/>", skin.Dir(), &error));
    EXPECT_NE(error.find("not <Window>"), std::string::npos);
    EXPECT_FALSE(widgets::SkinWindow::Load(skin.Dir(), "XML_MAIN", &error));
}

TEST_F(BuilderTest, LaysOutSequencesStacksAndFloats) {
    auto& w = Build(R"(<VerticalLayout inset="10,10,10,10" childpadding="4">
        <HorizontalLayout name="row" height="100" childpadding="10">
          <Control name="fixed" width="100"/><Control name="flex1"/><Control name="flex2" padding="5,6,7,8"/>
        </HorizontalLayout>
        <Control name="fill"/>
        <HorizontalLayout name="centred" height="40" childalign="center" childvalign="center">
          <Control name="small" width="100" height="20"/>
        </HorizontalLayout>
        <Container name="box" height="50"><Control name="floater" float="true" pos="5,6,25,36"/></Container>
      </VerticalLayout>)");
    auto geo = [&](const char* n) { return W(w.Find(n))->geometry(); };
    // 780 wide inside the inset: 100 fixed, two gaps of 10 and flex2's padding of 12 leave 648
    // for the two flexible controls.
    EXPECT_EQ(geo("row"), QRect(10, 10, 780, 100));
    EXPECT_EQ(geo("fixed"), QRect(0, 0, 100, 100));
    EXPECT_EQ(geo("flex1"), QRect(110, 0, 324, 100));
    EXPECT_EQ(geo("flex2"), QRect(110 + 324 + 10 + 5, 6, 324, 100 - 6 - 8));
    // Heights: 552 inside; 100 + 40 + 50 fixed and three gaps of 4 leave 350 for "fill".
    EXPECT_EQ(geo("fill"), QRect(10, 114, 780, 350));
    EXPECT_EQ(geo("small"), QRect(340, 10, 100, 20));
    EXPECT_EQ(geo("floater"), QRect(5, 6, 20, 30));

    w.Find("fill")->SetVisible(false);  // the others take its place
    EXPECT_EQ(geo("centred").top(), 114);

    w.SetDpi(192);
    EXPECT_EQ(w.size(), QSize(1600, 1144));
    EXPECT_EQ(geo("fixed").width(), 200);
    EXPECT_EQ(geo("floater"), QRect(10, 12, 40, 60));
}

TEST_F(BuilderTest, CustomClassesAndRegisteredFactories) {
    widgets::RegisterControlClass("GaugeThing", [](widgets::SkinContext& c) {
        return std::make_unique<widgets::SkinWidget>(ControlKind::Wnd, c);
    });
    auto& w = Build(R"(<HorizontalLayout>
        <CircleProgress name="setting_progress" min="0" max="100" value="50"/>
        <Wnd name="host"/><ChartView name="chart" view="histpgram"/><gaugething name="g"/>
      </HorizontalLayout>)");
    EXPECT_EQ(w.Find("setting_progress")->Kind(), ControlKind::CircleProgress);
    EXPECT_EQ(w.FindSlider("setting_progress")->Value(), 50);
    EXPECT_EQ(w.Find("host")->Kind(), ControlKind::Wnd);
    ASSERT_NE(w.FindChart("chart"), nullptr);
    w.FindChart("chart")->AddItem("a", 2);
    EXPECT_EQ(w.FindChart("chart")->ItemCount(), 1);
    EXPECT_EQ(w.Find("g")->Kind(), ControlKind::Wnd);
    EXPECT_EQ(dynamic_cast<widgets::SkinWidget*>(w.Find("g"))->ClassName(), "gaugething");
}

TEST_F(BuilderTest, RingFillsClockwiseFromTheBottom) {
    auto& w = Build(R"(<Container><CircleProgress name="ring" float="true" pos="0,0,100,100"
        min="0" max="100" value="50" bkcolor="#FF0000FF" forecolor="#FFFF0000" thickness="10"/></Container>)");
    ui::Slider* ring = w.FindSlider("ring");
    auto pixel = [&](int x, int y) { return W(ring)->grab().toImage().pixelColor(x, y); };
    const QColor fore(255, 0, 0), back(0, 0, 255);
    struct Case {
        int min, max, value;
        QColor left, right, bottomRight;  // points in the ring at 9, just before 3, and half past 4 o'clock
    };
    const Case cases[] = {
        {0, 100, 50, fore, back, back},    // the half from the bottom through the left to the top
        {0, 100, 0, back, back, back},     // only the background inside the white centre
        {0, 100, 100, fore, fore, fore},
        {50, 100, 75, fore, fore, fore},   // 75 of a span of 50: the minimum is not taken off
        {-100, 100, -50, back, back, fore},  // a negative sweep runs the other way
        {0, 0, 0, back, back, back},       // an empty span draws no value
    };
    for (const Case& c : cases) {
        ring->SetMin(c.min);
        ring->SetMax(c.max);
        ring->SetValue(c.value);
        EXPECT_EQ(pixel(4, 50), c.left) << c.min << ".." << c.max << " " << c.value;
        EXPECT_EQ(pixel(95, 44), c.right) << c.min << ".." << c.max << " " << c.value;
        EXPECT_EQ(pixel(82, 82), c.bottomRight) << c.min << ".." << c.max << " " << c.value;
        EXPECT_EQ(pixel(50, 50), QColor(255, 255, 255));  // the centre disc leaves a 10 px ring
        EXPECT_EQ(pixel(12, 50), QColor(255, 255, 255));
    }
}

TEST_F(BuilderTest, ChartDrawsItsBackgroundUntilItHasItems) {
    auto& w = Build(R"(<Container><ChartView name="pie" float="true" pos="0,0,100,100" bkcolor="#FF000000"
        showtext="false"/><ChartView name="bars" view="histpgram" float="true" pos="0,100,100,200"
        bkcolor="#FF000000" showtext="false"/></Container>)");
    auto image = [&](const char* name) { return W(w.Find(name))->grab().toImage(); };
    for (const char* name : {"pie", "bars"}) {
        const QImage empty = image(name);
        for (int y = 0; y < empty.height(); y += 7) {
            for (int x = 0; x < empty.width(); x += 7) ASSERT_EQ(empty.pixelColor(x, y), QColor(0, 0, 0)) << name;
        }
    }
    EXPECT_EQ(dynamic_cast<widgets::ChartWidget*>(w.Find("pie"))->CurrentView(), widgets::ChartWidget::View::Pie);
    EXPECT_EQ(dynamic_cast<widgets::ChartWidget*>(w.Find("bars"))->CurrentView(), widgets::ChartWidget::View::Bars);
    for (const char* name : {"pie", "bars"}) {
        w.FindChart(name)->AddItem("a", 3);
        w.FindChart(name)->AddItem("b", 1);
    }
    // The first item takes three quarters clockwise from the top, the second the rest.
    const QImage pie = image("pie");
    EXPECT_EQ(pie.pixelColor(75, 50), pie.pixelColor(50, 75));
    EXPECT_NE(pie.pixelColor(25, 30), pie.pixelColor(75, 50));
    // Bars stand on the bottom, the higher value to its full height.
    const QImage bars = image("bars");
    EXPECT_NE(bars.pixelColor(25, 20), QColor(0, 0, 0));
    EXPECT_EQ(bars.pixelColor(75, 20), QColor(0, 0, 0));
    EXPECT_NE(bars.pixelColor(75, 90), QColor(0, 0, 0));
    w.FindChart("pie")->RemoveAllItems();
    EXPECT_EQ(image("pie").pixelColor(50, 50), QColor(0, 0, 0));
}

TEST_F(BuilderTest, WndKeepsItsWidgetOnItsRectangleAndVisibility) {
    auto& w = Build(R"(<VerticalLayout><Control height="30"/><Wnd name="host" height="40"/></VerticalLayout>)");
    w.resize(200, 100);
    w.NeedUpdate();
    auto* host = dynamic_cast<widgets::WndWidget*>(w.Find("host"));
    ASSERT_NE(host, nullptr);
    QWidget child(&w);
    host->Attach(&child);
    EXPECT_EQ(child.geometry(), QRect(host->mapTo(&w, QPoint(0, 0)), host->size()));
    EXPECT_EQ(child.geometry().top(), 30);
    w.show();
    EXPECT_TRUE(child.isVisible());
    host->SetVisible(false);
    EXPECT_FALSE(child.isVisible());
    host->SetVisible(true);
    w.resize(300, 100);
    EXPECT_TRUE(child.isVisible());
    EXPECT_EQ(child.width(), 300);
    w.hide();
}

TEST_F(BuilderTest, TabFocusShowsARingAndEnterPressesTheButton) {
    auto& w = Build(R"(<HorizontalLayout><Button name="a" width="60" bkcolor="#FF000000"/>
        <Button name="b" width="60" bkcolor="#FF000000"/></HorizontalLayout>)");
    w.resize(200, 40);
    w.NeedUpdate();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    auto* a = W(w.Find("a"));
    auto edge = [&] { return a->grab().toImage().pixelColor(30, 1); };
    a->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(edge(), QColor(0, 0, 0));  // focus from a click shows nothing
    W(w.Find("b"))->setFocus(Qt::MouseFocusReason);
    a->setFocus(Qt::TabFocusReason);
    EXPECT_NE(edge(), QColor(0, 0, 0));
    EXPECT_EQ(a->focusPolicy(), Qt::TabFocus);
    recorder.events.clear();
    QTest::keyClick(a, Qt::Key_Return);
    EXPECT_EQ(recorder.events, (std::vector<Event>{{"click", "a"}}));
}

TEST_F(BuilderTest, TextFromContentAndIdsUsed) {
    skin.WriteLanguages();
    auto& w = Build(R"(<VerticalLayout><Button name="a">@greeting</Button><Label name="b">Esc</Label>
        <Label name="c" text="item_a" resourcetext="true"/></VerticalLayout>)");
    EXPECT_EQ(w.Find("a")->DisplayedText(), "Hello");
    EXPECT_EQ(w.Find("b")->Text(), "Esc");
    EXPECT_EQ(w.TextIdsUsed(), (std::set<std::string>{"greeting", "item_a"}));
    EXPECT_TRUE(w.HasText("cn", "GREETING"));
    EXPECT_FALSE(w.HasText("cn", "missing"));
    EXPECT_EQ(w.Languages(), (std::vector<std::string>{"cn", "en"}));
}

TEST_F(BuilderTest, ImagesByStateAndMissingOnesNoted) {
    QImage red(4, 4, QImage::Format_ARGB32);
    red.fill(QColor(255, 0, 0));
    red.save(QString::fromStdString((skin.Dir() / "red.png").string()));
    QImage green(4, 4, QImage::Format_ARGB32);
    green.fill(QColor(0, 255, 0));
    green.save(QString::fromStdString((skin.Dir() / "green.png").string()));
    auto& w = Build(R"(<Container><Option name="o" float="true" pos="0,0,20,20" normalimage="red.png"
        selectedimage="file='green.png' dest='0,0,10,10'"/><Control name="gone" float="true" pos="20,0,30,10" bkimage="nope.png"/></Container>)");
    auto pixel = [&](int x, int y) { return W(w.Find("o"))->grab().toImage().pixelColor(x, y); };
    EXPECT_EQ(pixel(15, 15), QColor(255, 0, 0));
    w.FindOption("o")->SetSelected(true, false);
    EXPECT_EQ(pixel(5, 5), QColor(0, 255, 0));
    EXPECT_NE(pixel(15, 15), QColor(255, 0, 0));  // a selected image replaces the normal one
    w.LoadAllImages();
    EXPECT_EQ(w.MissingImages(), (std::set<std::string>{"nope.png"}));
}

// A FIFO, a device or a folder named as an image (a background the user picked) is not an
// image: it is refused at once, never opened in a way that waits for a writer.
TEST_F(BuilderTest, ImagesThatAreNotRegularFilesAreRefusedWithoutBlocking) {
    const auto fifo = skin.Dir() / "fifo.png";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", skin.Dir() / "zero.png");
    std::filesystem::create_directory(skin.Dir() / "folder.png");
    auto& w = Build(R"(<Container><Control name="a" float="true" pos="0,0,10,10" bkimage="fifo.png"/>
        <Control name="b" float="true" pos="10,0,20,10" bkimage="zero.png"/>
        <Control name="c" float="true" pos="20,0,30,10" bkimage="folder.png"/>
        <Control name="d" float="true" pos="30,0,40,10" bkimage="fifo.png"/></Container>)");
    QElapsedTimer timer;
    timer.start();
    w.LoadAllImages();
    EXPECT_LT(timer.elapsed(), 2000);
    EXPECT_EQ(w.MissingImages(), (std::set<std::string>{"fifo.png", "folder.png", "zero.png"}));
}

TEST_F(BuilderTest, WindowInitComesOnceFromTheEventLoop) {
    auto& w = Build("<Container name=\"root\"/>");
    w.Launch(false);
    w.Launch(false);
    EXPECT_TRUE(recorder.events.empty());
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(recorder.events, (std::vector<Event>{{"windowinit", "root"}}));
}

TEST(SkinShot, RendersAFixtureSkinAtEachScale) {
    TempSkin skin;
    skin.WriteLanguages();
    skin.Write("res.xml", R"(<Res><Layout id="XML_MAIN" file="main.xml"/><Language id="en" file="lan_en.xml"/>
        <Language id="cn" file="lan_cn.xml"/></Res>)");
    skin.Write("main.xml", WindowXml(R"(<TabLayout name="tab_switch"><Label name="p0" text="@greeting"/>
        <Label name="p1"/></TabLayout>)"));
    const auto out = (skin.Dir() / "shot.png").string();
    for (const auto& [scale, size] : std::vector<std::pair<std::string, QSize>>{{"1", {800, 572}}, {"2", {1600, 1144}}}) {
        QProcess tool;
        tool.start(CORVANE_SKINSHOT, {"--skin", QString::fromStdString(skin.Dir().string()), "--select", "p1",
                                      "--lang", "cn", "--scale", QString::fromStdString(scale), "--out",
                                      QString::fromStdString(out)});
        ASSERT_TRUE(tool.waitForFinished(20000));
        EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
        EXPECT_EQ(QImage(QString::fromStdString(out)).size(), size);
    }
    QProcess bad;
    bad.start(CORVANE_SKINSHOT, {"--skin", QString::fromStdString(skin.Dir().string()), "--lang", "fr", "--out", QString::fromStdString(out)});
    ASSERT_TRUE(bad.waitForFinished(20000));
    EXPECT_EQ(bad.exitCode(), 1);
}

}  // namespace
}  // namespace corvane::testing
