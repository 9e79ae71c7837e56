// Which program is in front: the session chosen from the environment, the executable of a
// process, and each backend against what its desktop sends (recorded answers over a local
// socket, and a real X server).

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <thread>

#include "platform/foreground/socket_exchange.h"
#include "platform/foreground_process.h"
#include "test_home.h"
#include "x11_display.h"

namespace corvane::platform {
namespace {

using Status = ForegroundApp::Status;

std::string OwnExecutable() { return std::filesystem::read_symlink("/proc/self/exe").string(); }

TEST(ForegroundSession, ChosenFromTheEnvironment) {
    using Env = std::map<std::string, std::string>;
    struct Case {
        Env env;
        DesktopSession session;
    } cases[] = {
        {{{"DISPLAY", ":0"}}, DesktopSession::X11},
        {{{"DISPLAY", ":0"}, {"WAYLAND_DISPLAY", "wayland-0"}, {"XDG_CURRENT_DESKTOP", "KDE"}},
         DesktopSession::KWinWayland},
        // XWayland's DISPLAY would only show X11 windows: GNOME on Wayland tells nothing.
        {{{"DISPLAY", ":0"}, {"WAYLAND_DISPLAY", "wayland-0"}, {"XDG_CURRENT_DESKTOP", "ubuntu:GNOME"}},
         DesktopSession::Unknown},
        {{{"WAYLAND_DISPLAY", "wayland-1"}, {"SWAYSOCK", "/run/user/1000/sway-ipc.sock"}}, DesktopSession::Sway},
        {{{"WAYLAND_DISPLAY", "wayland-1"}, {"HYPRLAND_INSTANCE_SIGNATURE", "abc"}}, DesktopSession::Hyprland},
        {{{"XDG_CURRENT_DESKTOP", "KDE"}, {"DISPLAY", ":1"}}, DesktopSession::X11},  // Plasma on X11
        {{{"DISPLAY", ""}}, DesktopSession::Unknown},
        {{}, DesktopSession::Unknown},
    };
    for (const Case& c : cases) {
        const auto session = DetectDesktopSession([&](const char* name) -> const char* {
            const auto it = c.env.find(name);
            return it == c.env.end() ? nullptr : it->second.c_str();
        });
        EXPECT_EQ(session, c.session) << (c.env.empty() ? "" : c.env.begin()->first);
    }
}

TEST(ForegroundSession, ExecutableOfAProcess) {
    const ForegroundApp self = ExecutableOfPid(::getpid());
    EXPECT_EQ(self.status, Status::Found);
    EXPECT_EQ(self.path, OwnExecutable());
    EXPECT_EQ(ExecutableOfPid(0).status, Status::Unknown);
    // A process that cannot be looked into (gone, or another user's) is a failure.
    testing::TestHome home;
    EXPECT_EQ(ExecutableOfPid(4242, home.root()).status, Status::Failed);
}

// Answers each connection on a local socket with one recorded reply and keeps what was asked.
class RecordedPeer {
public:
    RecordedPeer(std::string path, std::size_t requestSize, std::vector<std::string> replies)
        : path_(std::move(path)) {
        listener_ = UniqueFd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path_.c_str(), sizeof address.sun_path - 1);
        EXPECT_EQ(::bind(listener_.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(::listen(listener_.Get(), 4), 0);
        thread_ = std::thread([this, requestSize, replies = std::move(replies)] {
            for (const std::string& reply : replies) {
                UniqueFd peer(::accept(listener_.Get(), nullptr, nullptr));
                if (!peer) return;
                const auto request = ReadExact(peer.Get(), requestSize, 2000);
                requests_.push_back(request ? std::string(request->begin(), request->end()) : std::string());
                WriteAll(peer.Get(), {reinterpret_cast<const std::uint8_t*>(reply.data()), reply.size()}, 2000);
            }
        });
    }
    ~RecordedPeer() { Join(); }
    void Join() {
        if (thread_.joinable()) thread_.join();
    }
    const std::vector<std::string>& Requests() const { return requests_; }

private:
    std::string path_;
    UniqueFd listener_;
    std::thread thread_;
    std::vector<std::string> requests_;
};

std::string I3Message(std::uint32_t type, const std::string& payload) {
    std::string m = "i3-ipc";
    const auto length = static_cast<std::uint32_t>(payload.size());
    m.append(reinterpret_cast<const char*>(&length), 4);
    m.append(reinterpret_cast<const char*>(&type), 4);
    return m + payload;
}

// The shape of a GET_TREE answer of Sway: outputs, workspaces, tiled and floating windows.
std::string SwayTree(const std::string& focusedTiled, const std::string& focusedFloating) {
    return R"({"id":1,"type":"root","focused":false,"nodes":[{"id":3,"type":"output","name":"HDMI-A-1","focused":false,)"
           R"("nodes":[{"id":4,"type":"workspace","name":"1","focused":false,"nodes":[)"
           R"({"id":7,"type":"con","name":"term","pid":1,"app_id":"foot","focused":)" + focusedTiled +
           R"(,"nodes":[],"floating_nodes":[]}],"floating_nodes":[)"
           R"({"id":9,"type":"floating_con","name":"game","pid":)" + std::to_string(::getpid()) +
           R"(,"app_id":null,"window_properties":{"class":"Game"},"focused":)" + focusedFloating +
           R"(,"nodes":[],"floating_nodes":[]}]}]}],"floating_nodes":[]})";
}

TEST(ForegroundBackends, SwayFindsTheFocusedWindowInTheTree) {
    testing::TestHome home;
    const std::string socket = home.root() + "/sway-ipc.sock";
    const std::string getTree = I3Message(4, "");
    RecordedPeer peer(socket, getTree.size(),
                      {I3Message(4, SwayTree("false", "true")),
                       I3Message(4, SwayTree("false", "false")),   // an empty workspace has the focus
                       I3Message(4, "{\"truncated\":"),            // not JSON
                       I3Message(2, SwayTree("false", "true")),    // an answer to another request
                       "not-ipc" + std::string(7, '\0')});
    auto sway = MakeSwayForeground(socket);
    EXPECT_EQ(sway->Backend(), "sway");
    const ForegroundApp found = sway->Current();
    EXPECT_EQ(found.status, Status::Found);
    EXPECT_EQ(found.path, OwnExecutable());
    for (int i = 0; i < 4; ++i) EXPECT_EQ(sway->Current().status, Status::Unknown) << i;
    peer.Join();
    ASSERT_EQ(peer.Requests().size(), 5u);
    EXPECT_EQ(peer.Requests()[0], getTree);
    // Nobody listening any more.
    EXPECT_EQ(sway->Current().status, Status::Unknown);
}

TEST(ForegroundBackends, HyprlandAsksForTheActiveWindow) {
    testing::TestHome home;
    const std::string socket = home.root() + "/.socket.sock";
    const std::string request = "j/activewindow";
    const std::string pid = std::to_string(::getpid());
    RecordedPeer peer(socket, request.size(),
                      {R"({"address":"0x55d0a1c0","mapped":true,"class":"game","title":"Game","pid":)" + pid +
                           R"(,"xwayland":true,"workspace":{"id":1,"name":"1"}})",
                       "{}",                      // nothing active
                       R"({"pid":-1})",
                       "unknown request"});
    auto hyprland = MakeHyprlandForeground(socket);
    const ForegroundApp found = hyprland->Current();
    EXPECT_EQ(found.status, Status::Found);
    EXPECT_EQ(found.path, OwnExecutable());
    for (int i = 0; i < 3; ++i) EXPECT_EQ(hyprland->Current().status, Status::Unknown) << i;
    peer.Join();
    ASSERT_EQ(peer.Requests().size(), 4u);
    EXPECT_EQ(peer.Requests()[0], request);
}

TEST(ForegroundBackends, HyprlandSocketIsFoundInTheRuntimeFolderFirst) {
    testing::TestHome home;
    std::filesystem::create_directories(home.root() + "/hypr/sig");
    const std::string socket = home.root() + "/hypr/sig/.socket.sock";
    RecordedPeer peer(socket, 14, {R"({"pid":)" + std::to_string(::getpid()) + "}"});
    const std::map<std::string, std::string> env = {{"HYPRLAND_INSTANCE_SIGNATURE", "sig"},
                                                    {"XDG_RUNTIME_DIR", home.root()}};
    const EnvLookup lookup = [&](const char* name) -> const char* {
        const auto it = env.find(name);
        return it == env.end() ? nullptr : it->second.c_str();
    };
    auto backend = MakeForegroundProcess(DetectDesktopSession(lookup), lookup);
    EXPECT_EQ(backend->Backend(), "hyprland");
    EXPECT_EQ(backend->Current().path, OwnExecutable());
}

TEST(ForegroundBackends, X11ReadsTheActiveWindowAndItsProcess) {
    if (!testing::Xvfb::Installed()) GTEST_SKIP() << "Xvfb is not installed";
    testing::Xvfb server;
    ASSERT_FALSE(server.Display().empty()) << "Xvfb did not start";
    testing::TestHome home;
    const std::string game = testing::CopySleeper(home.root() + "/games", "game");
    testing::ChildProcess child({game, "60"});
    ASSERT_GT(child.Pid(), 0);

    testing::WindowManagerStandIn wm(server.Display());
    ASSERT_TRUE(wm.Ok());
    auto x11 = MakeX11Foreground(server.Display());
    EXPECT_EQ(x11->Backend(), "x11");
    EXPECT_EQ(x11->Current().status, Status::Unknown);  // no active window yet

    wm.Activate(wm.Window(static_cast<std::uint32_t>(child.Pid())));
    // The child may still be the spawning test process for a moment.
    ForegroundApp app;
    for (int i = 0; i < 200 && app.path != game; ++i) {
        app = x11->Current();
        if (app.path != game) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(app.status, Status::Found);
    EXPECT_EQ(app.path, game);

    wm.Activate(wm.Window(0));  // a window that does not name its process
    EXPECT_EQ(x11->Current().status, Status::Unknown);
    wm.Activate(wm.Window(static_cast<std::uint32_t>(::getpid())));
    EXPECT_EQ(x11->Current().path, OwnExecutable());
}

TEST(ForegroundBackends, X11WithoutAServerIsUnknown) {
    auto x11 = MakeX11Foreground(":987");
    EXPECT_EQ(x11->Current().status, Status::Unknown);
}

}  // namespace
}  // namespace corvane::platform
