#pragma once

// A private X server (Xvfb) for tests, and a client that plays the window manager's part:
// windows that name their process, and the root window's note of which one is active.

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "child_process.h"

namespace corvane::testing {

// Xvfb on a free display number it picks itself (-displayfd).
class Xvfb {
public:
    Xvfb() {
        const auto program = FindProgram("Xvfb");
        if (!program) return;
        OutputPipe pipe;
        server_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{*program, "-displayfd", std::to_string(pipe.WriteFd()), "-nolisten", "tcp",
                                     "-screen", "0", "320x200x24"},
            pipe.ReadFd());
        // Xvfb writes the display number once it accepts clients.
        const std::string number = pipe.ReadLine();
        if (server_->Pid() > 0 && !number.empty()) display_ = ":" + number;
    }

    static bool Installed() { return FindProgram("Xvfb").has_value(); }
    // Empty when the server did not start.
    const std::string& Display() const { return display_; }

private:
    std::unique_ptr<ChildProcess> server_;
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
