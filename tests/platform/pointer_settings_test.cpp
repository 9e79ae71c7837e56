#include "platform/pointer_settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "test_home.h"

namespace corvane::platform {
namespace {

TEST(PointerSettings, TheSessionChoosesTheBackend) {
    struct Case {
        const char* desktop;
        const char* session;
        const char* display;
        PointerDesktop expected;
    };
    for (const Case& c : {Case{"GNOME", "wayland", "", PointerDesktop::Gnome},
                          Case{"ubuntu:GNOME", "x11", ":0", PointerDesktop::Gnome},
                          Case{"KDE", "wayland", ":1", PointerDesktop::Kde},
                          Case{"kde", "x11", ":0", PointerDesktop::Kde},
                          Case{"XFCE", "x11", ":0", PointerDesktop::X11},
                          Case{"", "", ":0", PointerDesktop::X11},
                          Case{"sway", "wayland", ":0", PointerDesktop::None},  // XWayland only
                          Case{"GNOMEISH", "", "", PointerDesktop::None}}) {
        EXPECT_EQ(DetectPointerDesktop(c.desktop, c.session, c.display), c.expected)
            << c.desktop << "/" << c.session << "/" << c.display;
    }
}

TEST(PointerSettings, SpeedMapsOntoEachDesktopsScale) {
    struct Case {
        int speed;
        double acceleration;
        int numerator;
    };
    for (const Case& c : {Case{10, 0.0, 20}, Case{20, 1.0, 40}, Case{1, -0.9, 2}, Case{0, -0.9, 2},
                          Case{25, 1.0, 40}, Case{15, 0.5, 30}}) {
        EXPECT_DOUBLE_EQ(SpeedToAcceleration(c.speed), c.acceleration) << c.speed;
        EXPECT_EQ(SpeedToXAcceleration(c.speed).numerator, c.numerator) << c.speed;
        EXPECT_EQ(SpeedToXAcceleration(c.speed).denominator, 10) << c.speed;
    }
}

TEST(PointerSettings, KdeWritesItsInputAndGlobalSettingsKeepingTheRest) {
    testing::TestHome home;
    const std::filesystem::path folder = home.root() + "/config";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "kcminputrc") << "[Keyboard]\nRepeatDelay=600\n";
    auto kde = MakeKdePointerSettings(folder.string());
    EXPECT_EQ(kde->Name(), "kde");
    EXPECT_TRUE(kde->CanSetPointerSpeed());
    EXPECT_TRUE(kde->CanSetWheelLines());
    EXPECT_TRUE(kde->SetPointerSpeed(15));
    EXPECT_TRUE(kde->SetWheelLines(3));
    kde->AnnounceChange();  // no session bus here: nothing to tell, nothing breaks
    const std::string input = testing::ReadText((folder / "kcminputrc").string());
    EXPECT_NE(input.find("RepeatDelay=600"), std::string::npos);
    EXPECT_NE(input.find("[Mouse]"), std::string::npos);
    EXPECT_NE(input.find("XLbInptPointerAcceleration=0.5"), std::string::npos);
    EXPECT_NE(testing::ReadText((folder / "kdeglobals").string()).find("WheelScrollLines=3"), std::string::npos);
}

TEST(PointerSettings, WithoutABackendNothingIsPromised) {
    auto none = MakeNoPointerSettings();
    EXPECT_FALSE(none->CanSetPointerSpeed());
    EXPECT_FALSE(none->CanSetWheelLines());
    EXPECT_FALSE(none->SetPointerSpeed(10));
    EXPECT_FALSE(none->SetWheelLines(3));
}

}  // namespace
}  // namespace corvane::platform
