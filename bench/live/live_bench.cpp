// Live lighting under load: the real program, offscreen, on its three virtual devices with the
// 1 ms latency model, every device animating at its fastest speed. Prints the CPU use of the
// program per core over a measuring window with the window shown and minimised, frames per
// second per device, the measured frame interval against its ideal (pause + report time), and
// how long a lighting change made in the window takes to show on the device while frames stream.
//
//   live_bench [PROGRAM] [SECONDS] [CHANGES]   (defaults: corvane beside this binary, 30, 20)

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/instance_socket.h"
#include "platform/tick.h"

namespace {

using corvane::platform::InstanceClient;
using corvane::platform::SleepMs;
using corvane::platform::TickMs;

constexpr const char* kInstanceName = "TORVLINKDRVER";
constexpr int kLatencyUs = 1000;
// One report crosses twice (request, answer), each taking the latency.
constexpr double kReportMs = 2.0 * kLatencyUs / 1000.0;
constexpr int kLightingStartMs = 3500;  // the device threads start 3 s after the window

struct Device {
    const char* kind;
    const char* tab;
    double pauseMs;  // pause per frame at the fastest speed of the chosen mode
    int reports;     // reports per frame (56 colour bytes each)
};
// The first effect of each device: keyboard rainbow at speed 0 (2 ms and 378 bytes), mouse wave
// (100 ms and 60 bytes), pad wave at speed 0 (9 ms and 45 bytes). The pad's page stays in view
// while the shown window is measured: its picture follows every frame.
const Device kDevices[] = {{"kb", "kb_tab", 2, 7}, {"ms", "ms_tab", 100, 2}, {"mp", "mp_tab", 9, 1}};

std::string Fail(const std::string& what) {
    std::fprintf(stderr, "live_bench: %s\n", what.c_str());
    std::exit(1);
}

// What one thread used: time on a CPU (the scheduler's own account, in ns: exact even for threads
// that run a few microseconds at a time, which tick-sampled utime/stime are not) and how often it
// slept and woke.
struct ThreadUse {
    long long runNs = 0;
    long long wakes = 0;  // voluntary context switches
};

long long VoluntarySwitches(const std::filesystem::path& status) {
    std::ifstream in(status);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("voluntary_ctxt_switches:", 0) == 0) return std::stoll(line.substr(24));
    }
    return 0;
}

std::string FirstLine(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

class Program {
public:
    Program(const std::string& path, const std::filesystem::path& home) : home_(home) {
        std::filesystem::create_directories(home / "run");
        std::filesystem::permissions(home / "run", std::filesystem::perms::owner_all);
        pid_ = fork();
        if (pid_ == 0) {
            setenv("HOME", home.c_str(), 1);
            setenv("XDG_RUNTIME_DIR", (home / "run").c_str(), 1);
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
            const std::string latency = "--virtual-latency-us=" + std::to_string(kLatencyUs);
            execl(path.c_str(), path.c_str(), "--virtual-devices", latency.c_str(), "--no-screenshots",
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        const auto deadline = TickMs() + 20000;
        while (!client_.Connect(kInstanceName, (home / "run").string())) {
            if (TickMs() > deadline) Fail("the program did not start listening");
            SleepMs(50);
        }
    }
    ~Program() {
        (void)client_.Request("quit", 20000);
        int status = 0;
        waitpid(pid_, &status, 0);
        std::error_code ec;
        std::filesystem::remove_all(home_, ec);
    }

    std::string Run(const std::string& line) {
        const auto reply = client_.Request(line, 30000);
        if (!reply) Fail("no reply to: " + line);
        if (reply->rfind("ok", 0) != 0) Fail(line + " -> " + *reply);
        return *reply;
    }

    // Every thread's use, summed by thread name.
    std::map<std::string, ThreadUse> Threads() const {
        std::map<std::string, ThreadUse> byName;
        std::error_code ec;
        for (const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(pid_) + "/task", ec)) {
            ThreadUse& sum = byName[FirstLine(task.path() / "comm")];
            const std::string schedstat = FirstLine(task.path() / "schedstat");
            if (!schedstat.empty()) sum.runNs += std::stoll(schedstat);
            sum.wakes += VoluntarySwitches(task.path() / "status");
        }
        return byName;
    }

private:
    std::filesystem::path home_;
    pid_t pid_ = -1;
    InstanceClient client_;
};

// "previewFrames":N and "preview":"hex" of a `virtual KIND state` reply.
std::uint64_t FramesOf(const std::string& reply) {
    const auto at = reply.find("\"previewFrames\":");
    if (at == std::string::npos) Fail("no frame count in: " + reply);
    return std::stoull(reply.substr(at + 16));
}
bool PreviewDark(const std::string& reply) {
    const auto at = reply.find("\"preview\":\"");
    if (at == std::string::npos) Fail("no preview in: " + reply);
    const auto end = reply.find('"', at + 11);
    const std::string hex = reply.substr(at + 11, end - at - 11);
    return !hex.empty() && hex.find_first_not_of('0') == std::string::npos;
}

struct Window {
    double cpuPercent;
    std::vector<double> fps;
    struct Thread {
        double percent;  // of a core
        double wakes;    // per second
        std::string name;
        bool operator<(const Thread& o) const { return percent < o.percent; }
    };
    std::vector<Thread> threads;  // by thread name, largest first
};

Window Measure(Program& p, int seconds) {
    std::vector<std::uint64_t> before;
    for (const Device& d : kDevices) before.push_back(FramesOf(p.Run(std::string("virtual ") + d.kind + " state")));
    const auto threads0 = p.Threads();
    const auto t0 = TickMs();
    SleepMs(seconds * 1000);
    const auto threads1 = p.Threads();
    const double elapsed = static_cast<double>(TickMs() - t0) / 1000.0;
    Window w{0, {}, {}};
    for (const auto& [name, now] : threads1) {
        const auto was = threads0.find(name);
        const ThreadUse before = was == threads0.end() ? ThreadUse{} : was->second;
        const double percent = 100.0 * static_cast<double>(now.runNs - before.runNs) / 1e9 / elapsed;
        const double wakes = static_cast<double>(now.wakes - before.wakes) / elapsed;
        w.cpuPercent += percent;
        if (percent >= 0.005 || wakes >= 1) w.threads.push_back({percent, wakes, name});
    }
    std::sort(w.threads.rbegin(), w.threads.rend());
    for (std::size_t i = 0; i < std::size(kDevices); ++i) {
        const auto after = FramesOf(p.Run(std::string("virtual ") + kDevices[i].kind + " state"));
        w.fps.push_back(static_cast<double>(after - before[i]) / elapsed);
    }
    return w;
}

void Print(const char* label, const Window& w) {
    std::printf("%-8s CPU %.2f %% of a core\n", label, w.cpuPercent);
    std::printf("  by thread (%% of a core, wake-ups per second):\n");
    for (const auto& t : w.threads) std::printf("    %-16s %5.2f %6.0f\n", t.name.c_str(), t.percent, t.wakes);
    for (std::size_t i = 0; i < std::size(kDevices); ++i) {
        const Device& d = kDevices[i];
        const double ideal = d.pauseMs + d.reports * kReportMs;
        const double interval = w.fps[i] > 0 ? 1000.0 / w.fps[i] : 0;
        std::printf("  %s  %6.1f frames/s  interval %6.2f ms  ideal %6.2f ms  ratio %.3f\n", d.kind, w.fps[i],
                    interval, ideal, interval / ideal);
    }
}

// Time from a brightness change in the window until the keyboard's streamed colours show it:
// darkening shows once a whole frame of the new brightness has arrived (every zone black);
// lighting up shows with the first report of such a frame.
void ChangeLatency(Program& p, int changes) {
    std::vector<double> toDark, toLit;
    bool dark = false;
    for (int i = 0; i < changes; ++i) {
        dark = !dark;
        const auto t0 = TickMs();
        p.Run(std::string("value kb_deng_light_slider ") + (dark ? "15" : "0"));
        while (PreviewDark(p.Run("virtual kb state")) != dark) {
            if (TickMs() - t0 > 2000) Fail("the change did not reach the keyboard");
        }
        (dark ? toDark : toLit).push_back(static_cast<double>(TickMs() - t0));
        SleepMs(50);
    }
    const auto print = [](const char* what, std::vector<double>& ms) {
        std::sort(ms.begin(), ms.end());
        std::printf("change on device, %s: median %.0f ms, 90th %.0f ms, max %.0f ms (%zu changes)\n", what,
                    ms[ms.size() / 2], ms[ms.size() * 9 / 10], ms.back(), ms.size());
    };
    print("whole frame", toDark);
    if (!toLit.empty()) print("first report", toLit);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string program = argc > 1 ? argv[1]
                                         : (std::filesystem::canonical("/proc/self/exe").parent_path() / "corvane").string();
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 30;
    const int changes = argc > 3 ? std::max(1, std::atoi(argv[3])) : 20;
    signal(SIGPIPE, SIG_IGN);
    const auto home = std::filesystem::temp_directory_path() / ("corvane-live-bench-" + std::to_string(getpid()));
    Program p(program, home);
    for (const Device& d : kDevices) p.Run(std::string("wait connected ") + d.kind + " 20000");
    p.Run("boxes auto confirm");
    // Every device in its first effect at the fastest speed and full brightness.
    const char* setup[] = {
        "select kb_tab on", "item kb_deng_combo_modeSelect 0", "value kb_deng_speed_slider 3",
        "value kb_deng_light_slider 0", "select ms_tab on", "item ms_deng_combo_modeSelect1 0",
        "value ms_deng_light_slider 0", "select mp_tab on", "item mp_deng_combo_modeSelect 0",
        "value mp_deng_speed_slider 14", "value mp_deng_light_slider 0", "wait idle",
    };
    for (const char* line : setup) p.Run(line);
    SleepMs(kLightingStartMs);

    std::printf("live lighting, 1 ms per report crossing, %d s per window\n", seconds);
    Print("shown", Measure(p, seconds));
    p.Run("select kb_tab on");
    ChangeLatency(p, changes);
    p.Run("click minbtn");
    SleepMs(500);
    Print("hidden", Measure(p, seconds));
    return 0;
}
