#include "platform/settings_writer.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/files.h"
#include "platform/save_failures.h"
#include "test_home.h"

namespace corvane::platform {
namespace {

using corvane::testing::ReadText;
using corvane::testing::TestHome;

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

// Keeps the writer thread inside the report of its failed save until Release().
struct Blocker {
    std::mutex mutex;
    std::condition_variable changed;
    bool entered = false;
    bool released = false;
    std::vector<std::string> failures;

    ScopedSaveFailureSink::Sink Sink() {
        return [this](SaveFailure, const std::string& path) {
            std::unique_lock lock(mutex);
            failures.push_back(path);
            entered = true;
            changed.notify_all();
            changed.wait(lock, [&] { return released; });
        };
    }
    void WaitEntered() {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return entered; });
    }
    void Release() {
        std::lock_guard lock(mutex);
        released = true;
        changed.notify_all();
    }
};

TEST(SettingsWriter, WaitingWritesOfOneFileCollapseIntoTheNewestAndNoneIsLost) {
    TestHome home;
    const std::string a = home.root() + "/a.bin";
    const std::string b = home.root() + "/b.bin";
    const std::string unwritable = home.root() + "/missing/folder/x.bin";
    Blocker blocker;
    const ScopedSaveFailureSink sink(blocker.Sink());
    SettingsWriter writer;

    // The writer is held up in a failed write while the saves pile up behind it.
    writer.Write(unwritable, Bytes("x"));
    blocker.WaitEntered();
    for (int i = 0; i <= 20; ++i) writer.Write(a, Bytes("a" + std::to_string(i)));
    writer.Write(b, Bytes("b"));
    EXPECT_FALSE(writer.Idle());
    EXPECT_FALSE(writer.Flush(10));  // still held
    blocker.Release();
    ASSERT_TRUE(writer.Flush());

    EXPECT_EQ(ReadText(a), "a20");
    EXPECT_EQ(ReadText(b), "b");
    const auto stats = writer.GetStats();
    EXPECT_EQ(stats.written, 2u);
    EXPECT_EQ(stats.collapsed, 20u);
    EXPECT_EQ(stats.failed, 1u);
    EXPECT_EQ(blocker.failures, (std::vector<std::string>{unwritable}));
    EXPECT_TRUE(writer.Idle());
}

TEST(SettingsWriter, EndingWritesWhatWaitsAndReplacesTheFileOfAnotherSpelling) {
    TestHome home;
    const std::string existing = home.root() + "/Profile 1.LED";
    ASSERT_TRUE(WriteFileAtomically(existing, std::string_view("old")));
    {
        SettingsWriter writer;
        for (int i = 0; i < 50; ++i) writer.Write(home.root() + "/profile 1.led", Bytes("v" + std::to_string(i)));
        // Gone at once, as at quit right after a change.
    }
    EXPECT_EQ(ReadText(existing), "v49");
    EXPECT_EQ(ListFiles(home.root()), (std::vector<std::string>{"Profile 1.LED"}));
}

}  // namespace
}  // namespace corvane::platform
