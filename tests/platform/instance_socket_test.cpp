#include "platform/instance_socket.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace corvane::platform {
namespace {

class InstanceSocketTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/corvane-instance-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        folder_ = tmpl;
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::string folder_;
};

TEST_F(InstanceSocketTest, SecondClaimSeesTheFirstAndReachesIt) {
    InstanceServer first;
    ASSERT_EQ(first.Claim("TORVLINKDRVER", folder_), InstanceClaim::First);
    std::vector<std::string> seen;
    ASSERT_TRUE(first.Serve([&](std::string_view line) {
        seen.emplace_back(line);
        return std::string("ok");
    }));

    InstanceServer second;
    EXPECT_EQ(second.Claim("TORVLINKDRVER", folder_), InstanceClaim::AnotherRuns);

    InstanceClient client;
    ASSERT_TRUE(client.Connect("TORVLINKDRVER", folder_));
    EXPECT_EQ(client.Request("KESTRIN_001"), "ok");
    first.Stop();
    EXPECT_EQ(seen, std::vector<std::string>{"KESTRIN_001"});
    EXPECT_FALSE(std::filesystem::exists(folder_ + "/TORVLINKDRVER"));
}

TEST_F(InstanceSocketTest, StaleSocketOfADeadInstanceIsReplaced) {
    // A socket file whose owner is gone: bound, then closed without removing the file.
    const std::string path = folder_ + "/TORVLINKDRVER";
    {
        int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strcpy(addr.sun_path, path.c_str());
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        ::close(fd);
    }
    InstanceClient before;
    EXPECT_FALSE(before.Connect("TORVLINKDRVER", folder_));

    InstanceServer server;
    ASSERT_EQ(server.Claim("TORVLINKDRVER", folder_), InstanceClaim::First);
    ASSERT_TRUE(server.Serve([](std::string_view) { return std::string("here"); }));
    InstanceClient after;
    ASSERT_TRUE(after.Connect("TORVLINKDRVER", folder_));
    EXPECT_EQ(after.Request("ping"), "here");
}

TEST_F(InstanceSocketTest, RefusedPeerGetsNoAnswerAndHandlerNeverRuns) {
    InstanceServer server;
    ASSERT_EQ(server.Claim("TORVLINKDRVER", folder_), InstanceClaim::First);
    int calls = 0;
    std::vector<PeerCredentials> asked;
    ASSERT_TRUE(server.Serve(
        [&](std::string_view) {
            ++calls;
            return std::string("ok");
        },
        [&](const PeerCredentials& peer) {
            asked.push_back(peer);
            return false;  // as if the peer ran under another user id
        }));
    InstanceClient client;
    ASSERT_TRUE(client.Connect("TORVLINKDRVER", folder_));
    EXPECT_EQ(client.Request("click closebtn", 2000), std::nullopt);
    server.Stop();
    EXPECT_EQ(calls, 0);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].uid, ::getuid());
    EXPECT_EQ(asked[0].pid, ::getpid());
}

TEST_F(InstanceSocketTest, BadLinesAreRefusedAndOrderIsKept) {
    InstanceServer server;
    ASSERT_EQ(server.Claim("TORVLINKDRVER", folder_), InstanceClaim::First);
    ASSERT_TRUE(server.Serve([](std::string_view line) { return "got " + std::string(line); }));
    InstanceClient client;
    ASSERT_TRUE(client.Connect("TORVLINKDRVER", folder_));

    EXPECT_EQ(client.Request(std::string("a\0b", 3)), "error: line holds a NUL");
    EXPECT_EQ(client.Request(std::string(kMaxInstanceLineLength + 1, 'x')), "error: line too long");
    InstanceClient again;
    ASSERT_TRUE(again.Connect("TORVLINKDRVER", folder_));
    for (int i = 0; i < 200; ++i) {
        EXPECT_EQ(again.Request("n" + std::to_string(i)), "got n" + std::to_string(i));
    }
}

TEST_F(InstanceSocketTest, TheLockAloneDecidesWhenNoSocketCanBeMade) {
    // A folder where the socket should be, and a folder path too long for a socket address.
    std::filesystem::create_directory(folder_ + "/TORVLINKDRVER");
    std::filesystem::create_directory(folder_ + "/TORVLINKDRVER/x");  // not removable by unlink
    const std::string deep = folder_ + "/" + std::string(120, 'd');
    std::filesystem::create_directory(deep);
    for (const std::string& where : {folder_, deep}) {
        InstanceServer first;
        ASSERT_EQ(first.Claim("TORVLINKDRVER", where), InstanceClaim::First) << where;
        EXPECT_FALSE(first.Listening());
        EXPECT_FALSE(first.Serve([](std::string_view) { return std::string("ok"); }));
        InstanceServer second;
        EXPECT_EQ(second.Claim("TORVLINKDRVER", where), InstanceClaim::AnotherRuns) << where;
    }
}

// At the limit a connection that spoke a moment ago keeps its place and the newcomer is told why
// it is turned away; one silent for long enough makes room, the ones used last survive.
TEST_F(InstanceSocketTest, IdleConnectionsDoNotLockScriptingOut) {
    auto echo = [](std::string_view line) { return "got " + std::string(line); };
    auto fill = [&](std::vector<InstanceClient>& clients) {
        for (auto& c : clients) {
            ASSERT_TRUE(c.Connect("TORVLINKDRVER", folder_));
            EXPECT_EQ(c.Request("hello"), "got hello");
        }
    };
    auto serve = [&](InstanceServer& server, InstanceLimits limits) {
        ASSERT_EQ(server.Claim("TORVLINKDRVER", folder_), InstanceClaim::First);
        ASSERT_TRUE(server.Serve(echo, SameUserPeer, limits));
    };
    {
        constexpr InstanceLimits kLimits{4, 60000};
        InstanceServer server;
        serve(server, kLimits);
        std::vector<InstanceClient> busy(kLimits.connections);
        fill(busy);
        InstanceClient early;
        ASSERT_TRUE(early.Connect("TORVLINKDRVER", folder_));
        EXPECT_EQ(early.Request("room?"), "error: too many connections");
        EXPECT_EQ(busy.front().Request("still here"), "got still here");
    }
    constexpr InstanceLimits kLimits{4, 100};
    InstanceServer server;
    serve(server, kLimits);
    std::vector<InstanceClient> idle(kLimits.connections);
    fill(idle);
    std::this_thread::sleep_for(std::chrono::milliseconds(kLimits.idleCloseMs + 50));
    EXPECT_EQ(idle.back().Request("again"), "got again");
    InstanceClient late;
    ASSERT_TRUE(late.Connect("TORVLINKDRVER", folder_));
    EXPECT_EQ(late.Request("room now?"), "got room now?");
    // The connection used last survives the crowding.
    EXPECT_EQ(idle.back().Request("again"), "got again");
}

// Many scripts at once, each sending a line every 50 ms: every line is answered, in order.
TEST_F(InstanceSocketTest, FiftyScriptsAtOnceAreAllServed) {
    InstanceServer server;
    ASSERT_EQ(server.Claim("TORVLINKDRVER", folder_), InstanceClaim::First);
    // One line at a time, as the window's thread runs them.
    std::mutex window;
    ASSERT_TRUE(server.Serve([&window](std::string_view line) {
        std::lock_guard lock(window);
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        return "got " + std::string(line);
    }));
    constexpr int kScripts = 50;
    constexpr int kLines = 20;
    std::atomic<int> answered{0};
    std::vector<std::thread> scripts;
    for (int s = 0; s < kScripts; ++s) {
        scripts.emplace_back([&, s] {
            InstanceClient client;
            if (!client.Connect("TORVLINKDRVER", folder_)) return;
            for (int i = 0; i < kLines; ++i) {
                const std::string line = std::to_string(s) + ":" + std::to_string(i);
                if (client.Request(line) == "got " + line) ++answered;
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        });
    }
    for (auto& t : scripts) t.join();
    EXPECT_EQ(answered.load(), kScripts * kLines);
}

TEST(UserRuntimeFolder, IsOwnedByUs) {
    const std::string folder = UserRuntimeFolder();
    ASSERT_FALSE(folder.empty());
    struct stat st {};
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, ::getuid());
}

// The lock goes where this user alone may write: a runtime folder its owner made read-only, or
// a /tmp folder that is a link (as another user's would be refused), hands over to the next
// place, ending in the user's cache folder, which every start with the same home finds.
TEST(UserRuntimeFolder, FallsBackToAFolderWeOwnAndMayWrite) {
    const auto root = std::filesystem::temp_directory_path() / ("corvane-runtime-" + std::to_string(::getpid()));
    std::filesystem::create_directories(root);
    const std::string xdg = (root / "xdg").string();
    ASSERT_EQ(::mkdir(xdg.c_str(), 0700), 0);
    const std::string tmp = (root / "tmp-corvane").string();
    const std::string cache = (root / "cache").string();

    RuntimeFolderPlaces places{xdg, tmp, cache};
    EXPECT_EQ(ChooseRuntimeFolder(places), xdg);
    ASSERT_EQ(::chmod(xdg.c_str(), 0500), 0);
    EXPECT_EQ(ChooseRuntimeFolder(places), tmp);
    struct stat st {};
    ASSERT_EQ(::stat(tmp.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    std::filesystem::remove(tmp);
    std::filesystem::create_directory_symlink(root, tmp);
    EXPECT_EQ(ChooseRuntimeFolder(places), cache + "/corvane");
    ASSERT_EQ(::stat((cache + "/corvane").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    // The claim works there, and a second claim of the same places sees the first.
    InstanceServer first;
    EXPECT_EQ(first.Claim("T", ChooseRuntimeFolder(places)), InstanceClaim::First);
    InstanceServer second;
    EXPECT_EQ(second.Claim("T", ChooseRuntimeFolder(places)), InstanceClaim::AnotherRuns);

    EXPECT_EQ(ChooseRuntimeFolder({"", "", ""}), "");
    EXPECT_EQ(ChooseRuntimeFolder({"relative", "", "also-relative"}), "");
    first.Stop();
    ::chmod(xdg.c_str(), 0700);
    std::filesystem::remove_all(root);
}

}  // namespace
}  // namespace corvane::platform
