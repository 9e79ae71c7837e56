#pragma once

// A private X server (Xvfb) for tests, and a client that plays the window manager's part:
// windows that name their process, and the root window's note of which one is active.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

namespace corvane::testing {

// A child process started from a program file; killed and reaped when it goes.
class ChildProcess {
public:
    explicit ChildProcess(std::vector<std::string> argv) {
        std::vector<char*> args;
        for (auto& a : argv) args.push_back(a.data());
        args.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        const int null = ::open("/dev/null", O_RDWR);
        posix_spawn_file_actions_adddup2(&actions, null, STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, null, STDERR_FILENO);
        if (posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(null);
    }
    ~ChildProcess() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    pid_t Pid() const { return pid_; }

private:
    pid_t pid_ = -1;
};

// The full path of a program found on PATH, none when it is not installed.
inline std::optional<std::string> FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    for (std::size_t start = 0; start <= dirs.size();) {
        const std::size_t end = std::min(dirs.find(':', start), dirs.size());
        const std::string candidate = dirs.substr(start, end - start) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return std::nullopt;
}

// Xvfb on a free display number it picks itself (-displayfd).
class Xvfb {
public:
    Xvfb() {
        const auto program = FindProgram("Xvfb");
        if (!program) return;
        int fds[2];
        if (::pipe(fds) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        const int null = ::open("/dev/null", O_RDWR);
        posix_spawn_file_actions_adddup2(&actions, null, STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, null, STDERR_FILENO);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        std::string fd = std::to_string(fds[1]);
        std::vector<std::string> argv = {*program, "-displayfd", fd, "-nolisten", "tcp", "-screen", "0", "320x200x24"};
        std::vector<char*> args;
        for (auto& a : argv) args.push_back(a.data());
        args.push_back(nullptr);
        const bool spawned = posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ) == 0;
        posix_spawn_file_actions_destroy(&actions);
        ::close(null);
        ::close(fds[1]);
        if (!spawned) {
            pid_ = -1;
            ::close(fds[0]);
            return;
        }
        // Xvfb writes the display number once it accepts clients.
        std::string number;
        char c;
        while (::read(fds[0], &c, 1) == 1 && c != '\n') number += c;
        ::close(fds[0]);
        if (!number.empty()) display_ = ":" + number;
    }
    ~Xvfb() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;

    static bool Installed() { return FindProgram("Xvfb").has_value(); }
    // Empty when the server did not start.
    const std::string& Display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

// What a window manager and its clients do to the root and client windows.
class WindowManagerStandIn {
public:
    explicit WindowManagerStandIn(const std::string& display) {
        connection_ = xcb_connect(display.c_str(), nullptr);
        if (xcb_connection_has_error(connection_)) return;
        screen_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
        active_ = Atom("_NET_ACTIVE_WINDOW");
        pid_ = Atom("_NET_WM_PID");
    }
    ~WindowManagerStandIn() { xcb_disconnect(connection_); }
    WindowManagerStandIn(const WindowManagerStandIn&) = delete;
    WindowManagerStandIn& operator=(const WindowManagerStandIn&) = delete;

    bool Ok() const { return xcb_connection_has_error(connection_) == 0 && screen_ != nullptr; }

    // A mapped window whose _NET_WM_PID names pid (none when pid is 0).
    xcb_window_t Window(std::uint32_t pid) {
        const xcb_window_t w = xcb_generate_id(connection_);
        xcb_create_window(connection_, XCB_COPY_FROM_PARENT, w, screen_->root, 0, 0, 10, 10, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen_->root_visual, 0, nullptr);
        if (pid != 0) {
            xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, w, pid_, XCB_ATOM_CARDINAL, 32, 1, &pid);
        }
        xcb_map_window(connection_, w);
        Sync();
        return w;
    }
    void Activate(xcb_window_t window) {
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, screen_->root, active_, XCB_ATOM_WINDOW, 32, 1,
                            &window);
        Sync();
    }

private:
    xcb_atom_t Atom(const char* name) {
        auto cookie = xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection_, cookie, nullptr);
        const xcb_atom_t atom = reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
        std::free(reply);
        return atom;
    }
    void Sync() { std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr)); }

    xcb_connection_t* connection_ = nullptr;
    xcb_screen_t* screen_ = nullptr;
    xcb_atom_t active_ = XCB_ATOM_NONE;
    xcb_atom_t pid_ = XCB_ATOM_NONE;
};

// A copy of a small system program under another path: a process whose executable the test
// chooses. It sleeps until killed.
inline std::string CopySleeper(const std::filesystem::path& folder, const std::string& name) {
    std::filesystem::create_directories(folder);
    const auto target = folder / name;
    std::filesystem::copy_file(FindProgram("sleep").value_or("/bin/sleep"), target,
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::permissions(target, std::filesystem::perms::owner_all);
    return target.string();
}

}  // namespace corvane::testing
