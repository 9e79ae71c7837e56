// Process watchers with a foreground source the test sets: which profile each pass chooses,
// what it tells the debug output, and how the loop ends.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/debug_out.h"
#include "platform/event.h"
#include "profiles/process_watcher.h"
#include "test_home.h"

namespace corvane::profiles {
namespace {

using platform::ForegroundApp;
using Status = ForegroundApp::Status;

struct FakeForeground : platform::ForegroundProcess {
    ForegroundApp app;
    int calls = 0;
    std::string_view Backend() const override { return "fake"; }
    ForegroundApp Current() override {
        ++calls;
        return app;
    }
};

struct RecordingHost : WatcherHost {
    std::vector<std::pair<ProfileFamily, std::optional<int>>> choices;
    std::function<void()> onChoice;
    bool answer = true;
    bool ApplyWatcherChoice(ProfileFamily family, std::optional<int> linked) override {
        choices.emplace_back(family, linked);
        if (onChoice) onChoice();
        return answer;
    }
};

ForegroundApp Found(const std::string& path) { return {Status::Found, path}; }

class ProcessWatcherTest : public ::testing::Test {
protected:
    // Mouse key profiles p0..p3 with the given link flags and programs.
    void WriteLinks(const std::vector<std::pair<const char*, const char*>>& links) {
        std::string ini = "[PROFILECOUNT]\ncount=" + std::to_string(links.size()) + "\n[PROFILESELECT]\nselect=0\n";
        std::string names = "[PROFILENAME]\n", flags = "[PROFILELIKEEXE]\n", programs = "[PROCESS]\n";
        for (std::size_t i = 0; i < links.size(); ++i) {
            names += std::to_string(i) + "=p" + std::to_string(i) + "\n";
            flags += std::to_string(i) + "=" + links[i].first + "\n";
            programs += std::to_string(i) + "=" + links[i].second + "\n";
        }
        testing::WriteText(home_.ms() + "msProfile.ini", ini + names + flags + programs);
    }

    testing::TestHome home_;
    FakeForeground foreground_;
    RecordingHost host_;
};

TEST_F(ProcessWatcherTest, ChoosesTheFirstProfileLinkedToTheFullPathIgnoringCase) {
    WriteLinks({{"0", "/opt/game/game"},
                {"1", "/opt/Game/GAME"},
                {"1", "/opt/game/game"},
                {"2", "/usr/bin/editor"},
                {"1", "/usr/bin/other"}});
    struct Case {
        ForegroundApp app;
        std::optional<int> chosen;
    } cases[] = {
        {Found("/opt/game/game"), 1},          // two links to one program: the lower index
        {Found("/OPT/GAME/Game"), 1},          // letter case does not matter
        {Found("/home/u/game/game"), {}},      // the same program elsewhere is another program
        {Found("/usr/bin/editor"), {}},        // a flag of 2 is no link
        {Found("/usr/bin/other"), 4},
        {{Status::Unknown, ""}, {}},
        {{Status::Failed, ""}, {}},
    };
    for (const Case& c : cases) {
        host_.choices.clear();
        foreground_.app = c.app;
        ASSERT_TRUE(ProcessWatcherPass(ProfileFamily::MsKey, foreground_, host_));
        ASSERT_EQ(host_.choices.size(), 1u) << c.app.path;
        EXPECT_EQ(host_.choices[0].second, c.chosen) << c.app.path;
    }
}

TEST_F(ProcessWatcherTest, AForegroundThatCannotBeReadCountsAsNoMatchAndIsLogged) {
    WriteLinks({{"1", "/opt/game/game"}});
    platform::DebugCapture capture;
    foreground_.app = {Status::Failed, ""};
    ASSERT_TRUE(ProcessWatcherPass(ProfileFamily::MsDevice, foreground_, host_));
    EXPECT_EQ(capture.Count(kForegroundFailedText), 1u);
    // Nothing in front is no failure: nothing to log every two seconds.
    foreground_.app = {Status::Unknown, ""};
    ASSERT_TRUE(ProcessWatcherPass(ProfileFamily::MsDevice, foreground_, host_));
    EXPECT_EQ(capture.Count(kForegroundFailedText), 1u);
    ASSERT_EQ(host_.choices.size(), 2u);
    EXPECT_EQ(host_.choices[0].second, std::nullopt);
}

TEST_F(ProcessWatcherTest, KeyboardWatchersLookButNeverChoose) {
    foreground_.app = Found("/opt/game/game");
    for (ProfileFamily family : {ProfileFamily::KbDeng, ProfileFamily::KbKey}) {
        EXPECT_TRUE(ProcessWatcherPass(family, foreground_, host_));
    }
    EXPECT_EQ(foreground_.calls, 2);
    EXPECT_TRUE(host_.choices.empty());
}

TEST_F(ProcessWatcherTest, EachWatcherIndexServesItsFamily) {
    using workers::WorkerIndex;
    EXPECT_EQ(WatcherFamily(WorkerIndex::KbDengProcess), ProfileFamily::KbDeng);
    EXPECT_EQ(WatcherFamily(WorkerIndex::KbKeyProcess), ProfileFamily::KbKey);
    EXPECT_EQ(WatcherFamily(WorkerIndex::MsDeviceProcess), ProfileFamily::MsDevice);
    EXPECT_EQ(WatcherFamily(WorkerIndex::MsKeyProcess), ProfileFamily::MsKey);
    EXPECT_EQ(WatcherFamily(WorkerIndex::MpDengProcess), ProfileFamily::MpDeng);
    EXPECT_EQ(WatcherFamily(WorkerIndex::SyncLighting), std::nullopt);
}

// The pauses wait on the stop event, so a stop ends the watcher at once, with its exit text.
TEST_F(ProcessWatcherTest, StopEndsTheLoopWithItsExitTextWithoutWaitingOutThePause) {
    struct Row {
        ProfileFamily family;
        const char* exitText;
    } rows[] = {{ProfileFamily::MsDevice, "鼠标灯光进程侦测线程设定退出"},
                {ProfileFamily::MsKey, "鼠标按键进程线程设定退出"},
                {ProfileFamily::MpDeng, "鼠标垫灯光进程侦测线程设定退出"},
                {ProfileFamily::KbDeng, "键盘灯光进程侦测线程设定退出"},
                {ProfileFamily::KbKey, "键盘按键进程侦测线程设定退出"}};
    // Stops the watcher during its first look; an hour's pause would fail the test by its time limit.
    struct StoppingForeground : platform::ForegroundProcess {
        platform::Event stop{platform::Event::Reset::Manual};
        int calls = 0;
        std::string_view Backend() const override { return "fake"; }
        ForegroundApp Current() override {
            if (++calls == 1) stop.Set();
            return {};
        }
    };
    for (const Row& row : rows) {
        StoppingForeground source;
        workers::WorkerContext context{source.stop};
        platform::DebugCapture capture;
        RunProcessWatcher(row.family, source, host_, context, {3'600'000, 3'600'000});
        EXPECT_EQ(source.calls, 1) << row.exitText;
        EXPECT_EQ(capture.Count(row.exitText), 1u);
    }
}

TEST_F(ProcessWatcherTest, AHostThatIsGoneEndsTheWatcherWithoutItsExitText) {
    platform::Event stop(platform::Event::Reset::Manual);
    workers::WorkerContext context{stop};
    platform::DebugCapture capture;
    host_.answer = false;
    RunProcessWatcher(ProfileFamily::MsKey, foreground_, host_, context, {3'600'000, 3'600'000});
    EXPECT_EQ(host_.choices.size(), 1u);
    EXPECT_EQ(capture.Count("鼠标按键进程线程设定退出"), 0u);
}

}  // namespace
}  // namespace corvane::profiles
