// corvane-ctl against a stand-in instance, and against the real program on its virtual devices.

#include "ctl/ctl_session.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "platform/instance_socket.h"
#include "platform/version.h"
#include "scripting/command_syntax.h"

namespace corvane::ctl {
namespace {

class CtlTest : public ::testing::Test {
public:
    void SetUp() override {
        char tmpl[] = "/tmp/corvane-ctl-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        folder_ = tmpl;
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    // Runs corvane-ctl with its runtime folder pointed here; returns the exit status.
    int RunCtl(const std::string& args, std::string* output, const std::string& input = {}) {
        const std::string in = folder_ + "/stdin";
        std::ofstream(in) << input;
        const std::string command = "XDG_RUNTIME_DIR=" + folder_ + " " + CORVANE_CTL + " " + args + " <" + in;
        FILE* pipe = ::popen(command.c_str(), "r");
        if (!pipe) return -1;
        char buffer[4096];
        std::string out;
        while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
        const int status = ::pclose(pipe);
        if (output) *output = out;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

#ifdef CORVANE_PROGRAM
    // Starts the real program offscreen with its runtime folder here and its home at home; the
    // arguments choose the devices. With stderrPath its standard error goes to that file.
    pid_t StartProgram(const std::string& home, std::vector<std::string> args, const std::string& stderrPath = {}) {
        args.insert(args.begin(), CORVANE_PROGRAM);
        args.emplace_back("--no-screenshots");
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        const std::string config = home + "/.config";
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);
            ::setenv("HOME", home.c_str(), 1);
            ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
            if (!stderrPath.empty() && std::freopen(stderrPath.c_str(), "w", stderr) == nullptr) ::_exit(126);
            ::execv(CORVANE_PROGRAM, argv.data());
            ::_exit(127);
        }
        EXPECT_GE(pid, 0);
        return pid;
    }

    // The program's wait status once it has ended; after 15 s it is killed and the test fails.
    static int WaitForExit(pid_t pid, const std::string& after) {
        int status = 0;
        for (int i = 0; i < 600; ++i) {
            if (::waitpid(pid, &status, WNOHANG) == pid) return status;
            ::usleep(25 * 1000);
        }
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        ADD_FAILURE() << "the program did not end after " << after;
        return status;
    }
#endif

protected:
    std::string folder_;
};

TEST_F(CtlTest, ExitStatusFollowsTheReplies) {
    platform::InstanceServer server;
    ASSERT_EQ(server.Claim(platform::kInstanceName, folder_), platform::InstanceClaim::First);
    ASSERT_TRUE(server.Serve([](std::string_view line) {
        if (line.starts_with("bad")) return std::string("error: no control \"x\"");
        return "ok " + std::string(line);
    }));

    std::string out;
    EXPECT_EQ(RunCtl("click kb_pro_deng_add_btn", &out), kExitOk);
    EXPECT_EQ(out, "ok click kb_pro_deng_add_btn\n");
    EXPECT_EQ(RunCtl("bad thing", &out), kExitErrorReply);
    EXPECT_EQ(out, "error: no control \"x\"\n");
    // From standard input: one command a line, stopping at the first error.
    EXPECT_EQ(RunCtl("-", &out, "get a\n\nget b\nbad\nget c\n"), kExitErrorReply);
    EXPECT_EQ(out, "ok get a\nok get b\nerror: no control \"x\"\n");
    EXPECT_EQ(RunCtl("-", &out, "get a\r\nget b\n"), kExitOk);
    EXPECT_EQ(out, "ok get a\nok get b\n");
}

TEST_F(CtlTest, NoInstanceARefusedPeerOrAStaleSocketGiveStatusTwo) {
    std::string out;
    EXPECT_EQ(RunCtl("get kb_tab", &out), kExitNoInstance);

    // A socket file left by an instance that died: nobody listens, and the next instance
    // takes the name over.
    const std::string path = folder_ + "/" + platform::kInstanceName;
    {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strcpy(addr.sun_path, path.c_str());
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        ::close(fd);
    }
    EXPECT_EQ(RunCtl("get kb_tab", &out), kExitNoInstance);

    platform::InstanceServer server;
    ASSERT_EQ(server.Claim(platform::kInstanceName, folder_), platform::InstanceClaim::First);
    int handled = 0;
    // As if every peer ran under another user id.
    ASSERT_TRUE(server.Serve(
        [&](std::string_view) {
            ++handled;
            return std::string("ok");
        },
        [](const platform::PeerCredentials&) { return false; }));
    EXPECT_EQ(RunCtl("get kb_tab", &out), kExitNoInstance);
    server.Stop();
    EXPECT_EQ(handled, 0);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(CtlTest, HelpListsEveryCommandOnALineAndVersionIsTheProjects) {
    std::string help;
    ASSERT_EQ(RunCtl("--help", &help), kExitOk);
    std::istringstream lines(help);
    std::vector<std::string> listed;
    for (std::string line; std::getline(lines, line);) listed.push_back(line);
    for (const scripting::CommandSyntax& c : scripting::kCommandSyntax) {
        const std::string form = "  " + scripting::CommandForm(c) + "  ";
        const auto line = std::find_if(listed.begin(), listed.end(), [&](const std::string& l) {
            return l.rfind(form, 0) == 0 && l.ends_with(c.summary);
        });
        EXPECT_NE(line, listed.end()) << scripting::CommandForm(c) << "\n" << help;
    }

    std::string version;
    ASSERT_EQ(RunCtl("--version", &version), kExitOk);
    EXPECT_EQ(version, std::string("corvane-ctl ") + platform::kVersion + "\n");
#ifdef CORVANE_PROGRAM
    FILE* pipe = ::popen(CORVANE_PROGRAM " --version", "r");
    ASSERT_NE(pipe, nullptr);
    char buffer[128] = {};
    const bool read = std::fgets(buffer, sizeof buffer, pipe) != nullptr;
    EXPECT_EQ(::pclose(pipe), 0);
    ASSERT_TRUE(read);
    EXPECT_EQ(std::string(buffer), std::string("corvane ") + platform::kVersion + "\n");
#endif
}

TEST(CtlReplyLimit, WaitsGetTheirTimeoutAndAMargin) {
    EXPECT_EQ(ReplyLimitFor("get x"), kReplyLimitMs);
    EXPECT_EQ(ReplyLimitFor("wait idle"), kReplyLimitMs);
    EXPECT_EQ(ReplyLimitFor("wait connected kb 300000"), 300000 + kWaitMarginMs);
    EXPECT_EQ(ReplyLimitFor("wait idle 200000"), 200000 + kWaitMarginMs);
    EXPECT_EQ(ReplyLimitFor("wait idle nonsense"), kReplyLimitMs);
}

#ifdef CORVANE_PROGRAM
// The real program, offscreen on its virtual devices, with its own runtime and home folders;
// its stderr goes to a file.
class RealProgramTest : public CtlTest {
protected:
    void SetUp() override {
        CtlTest::SetUp();
        const std::string home = folder_ + "/home";
        std::filesystem::create_directories(home);
        stderrPath_ = folder_ + "/stderr";
        std::vector<std::string> args{"--virtual-devices"};
        if (SharedNode()) args.emplace_back("--virtual-shared-node");
        pid_ = StartProgram(home, args, stderrPath_);
        ASSERT_GE(pid_, 0);
    }

    // Quits the program and checks that it ended cleanly.
    void Quit() {
        std::string out;
        EXPECT_EQ(RunCtl("quit", &out), kExitOk);
        const int programStatus = WaitForExit(pid_, "quit");
        EXPECT_TRUE(WIFEXITED(programStatus) && WEXITSTATUS(programStatus) == 0);
        EXPECT_FALSE(std::filesystem::exists(folder_ + "/" + platform::kInstanceName));
    }

    // Whether each virtual device is one node for both its collections, as hidraw has it.
    virtual bool SharedNode() const { return false; }

    std::string Stderr() const {
        std::ifstream in(stderrPath_);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // Runs the command until its output holds `part` (the program's own threads catch up).
    bool Eventually(const std::string& command, const std::string& part) {
        std::string out;
        for (int i = 0; i < 200; ++i) {
            if (RunCtl(command, &out) == kExitOk && out.find(part) != std::string::npos) return true;
            ::usleep(25 * 1000);
        }
        ADD_FAILURE() << command << ": " << out;
        return false;
    }

    pid_t pid_ = -1;
    std::string stderrPath_;
};

TEST_F(RealProgramTest, DrivesTheRealProgram) {
    std::string out;
    // Started at once: a first wait also waits for the program to listen.
    EXPECT_EQ(RunCtl("wait connected kb 20000", &out), kExitOk) << out;
    EXPECT_EQ(RunCtl("devices", &out), kExitOk);
    EXPECT_NE(out.find("\"kb\":{\"connected\":true"), std::string::npos) << out;
    EXPECT_EQ(RunCtl("get kb_deng_light_slider", &out), kExitOk);
    EXPECT_NE(out.find("\"kind\":\"Slider\""), std::string::npos) << out;
    EXPECT_EQ(RunCtl("-", &out, "boxes auto confirm\nselect kb_tab on\nvalue kb_deng_light_slider 4\nwait idle\n"
                         "get kb_deng_light_slider\n"),
              kExitOk);
    EXPECT_NE(out.find("\"value\":4"), std::string::npos) << out;
    EXPECT_EQ(RunCtl("click no_such_control", &out), kExitErrorReply);
    Quit();
}

class SharedNodeProgramTest : public RealProgramTest {
protected:
    bool SharedNode() const override { return true; }
};

TEST_F(SharedNodeProgramTest, ScriptsPlugUnplugAndBreakTheVirtualDevices) {
    std::string out;
    ASSERT_EQ(RunCtl("wait connected kb 20000", &out), kExitOk) << out;
    ASSERT_EQ(RunCtl("wait connected ms 20000", &out), kExitOk) << out;
    EXPECT_EQ(RunCtl("virtual kb state", &out), kExitOk);
    EXPECT_EQ(out.rfind("ok {\"connected\":true,\"slot\":0,\"previewFrames\":", 0), 0u) << out;
    // The colours of the last frame: 3 bytes for each of the keyboard's 126 positions.
    const auto preview = out.find("\"preview\":\"");
    ASSERT_NE(preview, std::string::npos) << out;
    EXPECT_EQ(out.find('"', preview + 11), preview + 11 + 126 * 6) << out;

    // The keyboard's own slot button: the device switches and the window reads the slot.
    EXPECT_EQ(RunCtl("virtual kb slot 2", &out), kExitOk) << out;
    EXPECT_EQ(RunCtl("virtual kb state", &out), kExitOk);
    EXPECT_EQ(out.rfind("ok {\"connected\":true,\"slot\":2,", 0), 0u) << out;

    // Pulled out: the device says so at once, the program once its watcher has looked.
    EXPECT_EQ(RunCtl("virtual ms unplug", &out), kExitOk) << out;
    EXPECT_EQ(RunCtl("virtual ms state", &out), kExitOk);
    EXPECT_EQ(out.rfind("ok {\"connected\":false,\"slot\":0,", 0), 0u) << out;
    Eventually("devices", "\"ms\":{\"connected\":false");
    EXPECT_EQ(RunCtl("-", &out, "virtual ms plug\nwait connected ms 20000\n"), kExitOk) << out;

    // Every keyboard request answered with status 0xFF until cleared: the lighting write that a
    // brightness change sends fails, and the program says which device, command and code.
    EXPECT_EQ(RunCtl("virtual kb fault status-ff 1 0", &out), kExitOk) << out;
    EXPECT_EQ(RunCtl("-", &out, "boxes auto confirm\nselect kb_tab on\nvalue kb_deng_light_slider 5\nwait idle\n"),
              kExitOk)
        << out;
    EXPECT_NE(Stderr().find("warn kb: WriteParamRecord at offset 0: device error (status 0xFF) (result -102)"),
              std::string::npos)
        << Stderr();
    EXPECT_EQ(RunCtl("virtual kb fault clear", &out), kExitOk) << out;

    struct Refusal {
        const char* command;
        const char* reply;
    };
    const std::string usage = scripting::UsageError("virtual");
    const Refusal refusals[] = {
        {"virtual kb fault melted", "error: unknown fault \"melted\" (no-answer, write-fail, status-ff, "
                                    "status-fe, unplug-mid-transfer, short-answer, wrong-id, garbage, late-answer)"},
        {"virtual kb fault no-answer 0", usage.c_str()},
        {"virtual xx state", usage.c_str()},
        {"virtual kb explode", usage.c_str()},
        {"virtual kb slot 5", "error: usage: virtual kb|ms slot 0..4"},
        {"virtual mp slot 1", "error: the mp has no slot button"},
        {"virtual mp restore", "error: the mp has no restore button"},
        {"virtual kb flash", "error: the kb has no flash button"},
    };
    for (const Refusal& r : refusals) {
        EXPECT_EQ(RunCtl(r.command, &out), kExitErrorReply) << r.command;
        EXPECT_EQ(out, std::string(r.reply) + "\n") << r.command;
    }
    Quit();
}

// Starts the program on its virtual devices (their memory kept in deviceFolder), waits until the
// keyboard is read and the window idle, and quits it.
void RunProgramOnce(CtlTest& test, const std::string& home, const std::string& deviceFolder);

// Per-key colours live only in the profile: starting the program, twice, must not wipe them.
TEST_F(CtlTest, PaintedKeyColoursSurviveRestarts) {
    const std::string home = folder_ + "/home";
    const std::string devices = folder_ + "/devices";
    std::filesystem::create_directories(home);
    RunProgramOnce(*this, home, devices);  // the first start lays out the first profile
    const std::string kb = home + "/Documents/Gaming Keyboard/kb/";
    std::string led;
    for (const auto& entry : std::filesystem::directory_iterator(kb)) {
        if (entry.path().extension() == ".led") led = entry.path().string();
    }
    ASSERT_FALSE(led.empty());
    auto read = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::vector<char>(std::istreambuf_iterator<char>(in), {});
    };
    // Paint: pen, set index and colour sets follow the 16-byte header and the 64-byte slot.
    constexpr std::size_t kColoursAt = 16 + 64;
    std::vector<char> painted = read(led);
    ASSERT_EQ(painted.size(), 1974u);
    for (std::size_t i = kColoursAt; i < painted.size(); ++i) painted[i] = static_cast<char>(i * 13 + 1);
    painted[kColoursAt] = 2;  // a valid set index, then the pen
    std::ofstream(led, std::ios::binary).write(painted.data(), static_cast<std::streamsize>(painted.size()));

    for (int run = 0; run < 2; ++run) {
        RunProgramOnce(*this, home, devices);
        const std::vector<char> after = read(led);
        ASSERT_EQ(after.size(), painted.size()) << run;
        EXPECT_TRUE(std::equal(painted.begin() + kColoursAt, painted.end(), after.begin() + kColoursAt)) << run;
    }
}

void RunProgramOnce(CtlTest& test, const std::string& home, const std::string& deviceFolder) {
    const pid_t pid = test.StartProgram(home, {"--virtual-devices=" + deviceFolder});
    ASSERT_GE(pid, 0);
    std::string out;
    EXPECT_EQ(test.RunCtl("-", &out, "wait connected kb 20000\nwait idle\nquit\n"), kExitOk) << out;
    CtlTest::WaitForExit(pid, "quit");
}

// A session that ends sends SIGTERM: the program shuts down as from the tray, and a temporary
// file that a crashed run left behind is gone after the start.
TEST_F(CtlTest, TerminationSignalsQuitInOrder) {
    const std::string home = folder_ + "/home";
    const std::string kb = home + "/Documents/Gaming Keyboard/kb/";
    std::filesystem::create_directories(kb);
    const std::string stale = kb + "kbProfile.ini.tmp999999999_3";
    std::ofstream(stale) << "half-written";
    for (const int signal : {SIGTERM, SIGINT}) {
        const pid_t pid = StartProgram(home, {"--virtual-devices"});
        ASSERT_GE(pid, 0);
        std::string out;
        ASSERT_EQ(RunCtl("wait connected kb 20000", &out), kExitOk) << out;
        EXPECT_FALSE(std::filesystem::exists(stale));
        ::kill(pid, signal);
        const int status = WaitForExit(pid, "signal " + std::to_string(signal));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << signal;
        // Only the orderly shutdown removes the socket.
        EXPECT_FALSE(std::filesystem::exists(folder_ + "/" + platform::kInstanceName)) << signal;
    }
}
#endif

}  // namespace
}  // namespace corvane::ctl
