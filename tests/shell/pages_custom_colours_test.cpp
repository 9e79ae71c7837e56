// Per-key colours of the keyboard (lighting mode 8) end to end: painting, sets, clearing and
// filling as the profile file stores them, the tools and key overlays on the page, and the
// device left alone.

#include "pages_fixture.h"

namespace corvane::shell::testing {
namespace {

constexpr int kPerKeyMode = 8;
constexpr std::size_t kSetIndex = kHeader + 64;
constexpr std::size_t kPen = kSetIndex + 1;
constexpr std::size_t kTable = kSetIndex + 4;
constexpr std::size_t kSetSize = 378;
constexpr std::uint8_t kPaintedAlpha = 220;

constexpr ui::Colour kRed = 0xFFFF0000, kBlue = 0xFF0000FF;

struct Rgb3 {
    std::uint8_t r, g, b;
    friend bool operator==(const Rgb3&, const Rgb3&) = default;
};
Rgb3 Of(ui::Colour c) { return {std::uint8_t(c >> 16), std::uint8_t(c >> 8), std::uint8_t(c)}; }

class CustomColoursTest : public PagesTest {
protected:
    Bytes Led() { return ProfileBytes(ProfileFamily::KbDeng, "Profile 1"); }
    // LED position p of set k in the stored profile.
    Rgb3 Stored(std::size_t set, std::size_t position) {
        const Bytes led = Led();
        const std::size_t at = kTable + kSetSize * set + 3 * position;
        return {led.at(at), led.at(at + 1), led.at(at + 2)};
    }
    Bytes StoredSet(std::size_t set) {
        const Bytes led = Led();
        return Bytes(led.begin() + kTable + kSetSize * set, led.begin() + kTable + kSetSize * (set + 1));
    }
    void Toggle(const std::string& name) {
        auto* option = window_->FindOption(name);
        ASSERT_NE(option, nullptr) << name;
        option->SetSelected(!option->IsSelected(), /*notify=*/true);
    }
    bool Shown(const std::string& name) { return Find(name)->IsVisible(); }
    // The keyboard's profile keeps its per-key colours across the arrival; these tests start
    // from one whose sets are all unpainted, so what a fill or a clear did shows.
    void StartInPerKeyMode() {
        WriteIndex(DeviceKind::Keyboard,
                   "[PROFILEDENGCOUNT]\ncount=1\n[PROFILEDENGNAME]\n0=Profile 1\n[PROFILEDENGSELECT]\nselect=0\n"
                   "[PROFILECOUNT]\ncount=1\n[PROFILENAME]\n0=Profile 1\n[PROFILESELECT]\nselect=0\n");
        WriteProfile(ProfileFamily::KbDeng, "Profile 1", [](Bytes& p) {
            std::fill(p.begin() + (kSetIndex - kHeader), p.end(), std::uint8_t{0});
        });
        WriteProfile(ProfileFamily::KbKey, "Profile 1", [](Bytes&) {});
        Start({DeviceKind::Keyboard});
        PickItem("kb_deng_combo_modeSelect", kPerKeyMode);
        Flush();
        Dev(DeviceKind::Keyboard).ClearRequests();
    }
};

TEST_F(CustomColoursTest, FillKeepsPaintedKeysAndTreatsBlackAsUnpainted) {
    StartInPerKeyMode();
    const Bytes params = Params(DeviceKind::Keyboard);

    PickColour("kb_deng_Color_Pallet", kRed);
    EXPECT_EQ(Find("kb_Deng_custom_colordp_btn")->BkColour(), kRed);
    Click("kb_dkey_0");  // LED 0
    // A black pen from the edits paints key 1 black: the same as never painted.
    Type("kb_Deng_edit_R", "0");
    Click("kb_dkey_1");  // LED 1
    EXPECT_EQ(Stored(0, 1), (Rgb3{0, 0, 0}));
    // A colour button sets the pen too.
    const ui::Colour fourth = Find("kb_Deng_color_btn_4")->BkColour();
    ASSERT_NE(Of(fourth), (Rgb3{0, 0, 0}));
    Click("kb_Deng_color_btn_4");
    const Bytes led = Led();
    EXPECT_EQ((Rgb3{led[kPen], led[kPen + 1], led[kPen + 2]}), Of(fourth));
    Toggle("kb_Deng_all_bright_check");

    EXPECT_EQ(Stored(0, 0), Of(kRed));
    EXPECT_EQ(Stored(0, 1), Of(fourth));
    EXPECT_EQ(Stored(0, 125), Of(fourth));
    EXPECT_EQ(StoredSet(1), Bytes(kSetSize, 0));
    EXPECT_EQ(Find("kb_dkey_0")->OverlayColour(), kRed);
    EXPECT_EQ(Find("kb_dkey_0")->OverlayAlpha(), kPaintedAlpha);
    EXPECT_EQ(Find("kb_dkey_1")->OverlayColour(), fourth | 0xFF000000u);
    EXPECT_EQ(Find("kb_dkey_16")->OverlayAlpha(), 0);  // no LED under it

    // None of it is the device's business.
    QCoreApplication::processEvents();
    Flush();
    EXPECT_EQ(Dev(DeviceKind::Keyboard).RequestCount(device::Command::WriteParamRecord), 0u);
    EXPECT_EQ(Params(DeviceKind::Keyboard), params);
}

TEST_F(CustomColoursTest, PaintingGoesToTheCurrentSetAndClearingLeavesTheOthers) {
    StartInPerKeyMode();
    PickColour("kb_deng_Color_Pallet", kRed);
    Click("kb_dkey_0");
    Click("kb_dkey_105");  // LED 105

    PickItem("kb_deng_combo_curtom_count", 2);
    EXPECT_EQ(Led()[kSetIndex], 2);
    EXPECT_EQ(Stored(0, 0), Of(kRed));  // choosing a set changes no colour
    EXPECT_EQ(StoredSet(2), Bytes(kSetSize, 0));
    EXPECT_EQ(Find("kb_dkey_0")->OverlayAlpha(), 0);  // the picture shows set 2 now

    PickColour("kb_deng_Color_Pallet", kBlue);
    Click("kb_dkey_0");
    Click("kb_dkey_13");  // LED 14
    EXPECT_EQ(Stored(2, 0), Of(kBlue));
    EXPECT_EQ(Stored(2, 14), Of(kBlue));
    EXPECT_EQ(Stored(0, 0), Of(kRed));
    EXPECT_EQ(Stored(0, 14), (Rgb3{0, 0, 0}));

    const Bytes before = Led();
    Toggle("kb_Deng_all_kill_check");
    const Bytes after = Led();
    EXPECT_EQ(StoredSet(2), Bytes(kSetSize, 0));
    for (std::size_t set : {0u, 1u, 3u, 4u}) {
        EXPECT_TRUE(std::equal(before.begin() + kTable + kSetSize * set, before.begin() + kTable + kSetSize * (set + 1),
                               after.begin() + kTable + kSetSize * set))
            << set;
    }
    EXPECT_EQ(Find("kb_dkey_13")->OverlayAlpha(), 0);
    // A set of the picture, for the eye: set 0 with a few keys, the rest filled.
    PickItem("kb_deng_combo_curtom_count", 0);
    PickColour("kb_deng_Color_Pallet", 0xFF30C0FF);
    for (const char* key : {"kb_dkey_22", "kb_dkey_43", "kb_dkey_44", "kb_dkey_45", "kb_dkey_64"}) Click(key);
    SaveShot("kb_tab", "kb_deng_Op_tab", "per-key-painted.png");
    PickItem("kb_deng_combo_curtom_count", 2);
    // Every change of the option clears, the second one too.
    Click("kb_dkey_0");
    Toggle("kb_Deng_all_kill_check");
    EXPECT_EQ(StoredSet(2), Bytes(kSetSize, 0));
}

TEST_F(CustomColoursTest, ToolsAndPaintingBelongToThePerKeyModeOnly) {
    Start({DeviceKind::Keyboard});
    // A pen that would show if a key were painted outside the mode.
    PickItem("kb_deng_combo_modeSelect", kPerKeyMode);
    PickColour("kb_deng_Color_Pallet", kBlue);
    PickItem("kb_deng_combo_modeSelect", 2);
    for (const char* name : {"kb_deng_custom_tool_layout", "kb_deng_custom_select_layout", "kb_deng_custom_color_layout"}) {
        EXPECT_FALSE(Shown(name)) << name;
    }
    for (const char* name : {"kb_deng_direction_layout", "kb_deng_7color_layout", "kb_Deng_colordp_btn"}) {
        EXPECT_TRUE(Shown(name)) << name;
    }
    const Bytes table = StoredSet(0);
    Click("kb_dkey_0");
    EXPECT_EQ(StoredSet(0), table);

    PickItem("kb_deng_combo_modeSelect", kPerKeyMode);
    for (const char* name : {"kb_deng_custom_tool_layout", "kb_deng_custom_select_layout", "kb_deng_custom_color_layout"}) {
        EXPECT_TRUE(Shown(name)) << name;
    }
    for (const char* name : {"kb_deng_direction_layout", "kb_deng_7color_layout", "kb_Deng_colordp_btn"}) {
        EXPECT_FALSE(Shown(name)) << name;
    }
    PickColour("kb_deng_Color_Pallet", kRed);
    const Bytes led = Led();
    for (const char* keyWithoutLed : {"kb_dkey_16", "kb_dkey_62", "kb_dkey_125"}) Click(keyWithoutLed);
    EXPECT_EQ(Led(), led);
    Click("kb_dkey_0");
    EXPECT_EQ(Find("kb_dkey_0")->OverlayAlpha(), kPaintedAlpha);

    // Leaving the mode takes the painted colours off the picture; the profile keeps them.
    PickItem("kb_deng_combo_modeSelect", 3);
    EXPECT_EQ(Find("kb_dkey_0")->OverlayAlpha(), 0);
    EXPECT_EQ(Stored(0, 0), Of(kRed));
    EXPECT_TRUE(Shown("kb_deng_direction_layout"));
}

TEST_F(CustomColoursTest, LoadingAndResettingAProfileShowsItsSetAndPen) {
    WriteIndex(DeviceKind::Keyboard,
               "[PROFILEDENGCOUNT]\ncount=2\n[PROFILEDENGNAME]\n0=p0\n1=p1\n[PROFILEDENGSELECT]\nselect=0\n"
               "[PROFILECOUNT]\ncount=2\n[PROFILENAME]\n0=p0\n1=p1\n[PROFILESELECT]\nselect=0\n");
    WriteProfile(ProfileFamily::KbDeng, "p0", [](Bytes&) {});
    WriteProfile(ProfileFamily::KbDeng, "p1", [](Bytes& p) {
        p[1] = kPerKeyMode;
        p[64] = 3;  // set index
        p[65] = 10, p[66] = 20, p[67] = 30;  // pen
        const std::size_t at = 68 + kSetSize * 3;  // set 3, LED 0
        p[at] = 1, p[at + 1] = 2, p[at + 2] = 3;
    });
    for (const char* name : {"p0", "p1"}) WriteProfile(ProfileFamily::KbKey, name, [](Bytes&) {});
    Start({DeviceKind::Keyboard});

    PickItem("kb_deng_profile_combo", 1);
    EXPECT_EQ(window_->FindCombo("kb_deng_combo_curtom_count")->CurSel(), 3);
    EXPECT_EQ(Find("kb_Deng_custom_colordp_btn")->BkColour(), 0xFF0A141Eu);
    EXPECT_TRUE(Shown("kb_deng_custom_tool_layout"));
    EXPECT_EQ(Find("kb_dkey_0")->OverlayColour(), 0xFF010203u);
    EXPECT_EQ(Find("kb_dkey_0")->OverlayAlpha(), kPaintedAlpha);

    Bytes shipped(profiles::Family(ProfileFamily::KbDeng).payloadSize, 0);
    ASSERT_EQ(profiles::ReadProfileFile(profiles::DefaultProfilePath(ProfileFamily::KbDeng), shipped),
              profiles::kProfileReadOk);
    boxAnswer_ = ui::kMessageConfirmed;  // the reset asks first
    Click("kb_pro_deng_reset_btn");
    EXPECT_EQ(window_->FindCombo("kb_deng_combo_curtom_count")->CurSel(), shipped[64]);
    EXPECT_EQ(Find("kb_Deng_custom_colordp_btn")->BkColour(),
              0xFF000000u | (ui::Colour{shipped[65]} << 16) | (ui::Colour{shipped[66]} << 8) | shipped[67]);
}

}  // namespace
}  // namespace corvane::shell::testing
