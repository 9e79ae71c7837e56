#include "platform/log.h"

#include <gtest/gtest.h>

#include <array>
#include <thread>
#include <vector>

namespace corvane::platform {
namespace {

using C = LogCategory;
using L = LogLevel;

// Puts the configuration back to what the environment gave, whatever a test set.
struct RestoreLogConfiguration {
    ~RestoreLogConfiguration() { ConfigureLog(""); }
};

TEST(Log, SpecsNarrowByCategoryAndLevel) {
    RestoreLogConfiguration restore;
    struct Case {
        const char* setting;
        C category;
        L level;
        bool enabled;
    };
    const std::array<Case, 9> cases{{
        {"kb:trace", C::Keyboard, L::Trace, true},
        {"kb:trace", C::Mouse, L::Warn, false},    // left out: errors only
        {"kb:trace", C::Mouse, L::Error, true},
        {"kb:trace, ms:info", C::Mouse, L::Info, true},
        {"kb:trace,ms:info", C::Mouse, L::Debug, false},
        {"*:debug", C::Settings, L::Debug, true},
        {"*:debug,hid:off", C::Hid, L::Error, false},
        {"hid:off,*:warn", C::Hid, L::Warn, true},  // later entries win
        {"*:off", C::Shell, L::Error, false},
    }};
    for (const Case& c : cases) {
        ASSERT_TRUE(ConfigureLog(c.setting)) << c.setting;
        EXPECT_EQ(LogEnabled(c.category, c.level), c.enabled) << c.setting << " " << LevelName(c.level);
    }
}

TEST(Log, MalformedSpecsChangeNothing) {
    RestoreLogConfiguration restore;
    ASSERT_TRUE(ConfigureLog("*:off"));
    for (const char* bad : {"kb", "kb:loud", "keyboard:debug", "kb:debug,,ms", ":debug"}) {
        EXPECT_FALSE(ConfigureLog(bad)) << bad;
        EXPECT_FALSE(LogEnabled(C::Keyboard, L::Error)) << bad;
    }
    // Nothing is ever enabled at "off".
    ASSERT_TRUE(ConfigureLog("*:trace"));
    EXPECT_FALSE(LogEnabled(C::Keyboard, L::Off));
}

TEST(Log, CapturesTakeTheirLevelWhateverStderrGets) {
    RestoreLogConfiguration restore;
    ASSERT_TRUE(ConfigureLog("*:off"));
    EXPECT_FALSE(LogEnabled(C::Mouse, L::Debug));
    {
        LogCapture debug(L::Debug);
        EXPECT_TRUE(LogEnabled(C::Mouse, L::Debug));
        EXPECT_FALSE(LogEnabled(C::Mouse, L::Trace));
        Log(C::Mouse, L::Debug, "kept");
        Log(C::Mouse, L::Trace, "too detailed");
        LogCapture errors(L::Error);
        Log(C::Keyboard, L::Error, "both");
        ASSERT_EQ(debug.Records().size(), 2u);
        EXPECT_EQ(debug.Records()[1].category, C::Keyboard);
        EXPECT_EQ(errors.CountContaining("both"), 1u);
        EXPECT_EQ(errors.CountContaining("kept"), 0u);
    }
    // The last capture gone, disabled records cost nothing again.
    EXPECT_FALSE(LogEnabled(C::Mouse, L::Debug));
}

TEST(Log, ConcurrentWritersLoseNothing) {
    LogCapture capture;
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t) {
        writers.emplace_back([] {
            for (int i = 0; i < 200; ++i) Log(C::Workers, L::Trace, "x");
        });
    }
    for (auto& w : writers) w.join();
    EXPECT_EQ(capture.CountContaining("x"), 800u);
}

TEST(Log, HexBytes) {
    const std::array<std::uint8_t, 3> bytes{0x04, 0xAB, 0x00};
    EXPECT_EQ(HexBytes(bytes.data(), bytes.size()), "04 ab 00");
    EXPECT_EQ(HexBytes(bytes.data(), 0), "");
}

}  // namespace
}  // namespace corvane::platform
