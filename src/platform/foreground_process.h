#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace corvane::platform {

// The program whose window is in front, as far as the desktop tells.
struct ForegroundApp {
    enum class Status {
        Found,    // path is the full path of its executable
        Unknown,  // no window in front, or the desktop does not say which
        Failed,   // a process owns the window but its executable could not be read
    };
    Status status = Status::Unknown;
    std::string path;
};

// Which program is in front. One backend per desktop session, chosen at run time; every call
// may come from any thread (implementations serialise their own connection).
class ForegroundProcess {
public:
    virtual ~ForegroundProcess() = default;
    // "x11", "kwin", "sway", "hyprland" or "unknown" (a desktop that does not tell programs
    // which window has the focus, such as GNOME on Wayland).
    virtual std::string_view Backend() const = 0;
    virtual ForegroundApp Current() = 0;
};

// The executable of a process from procRoot/PID/exe. Unknown for pid 0 or below.
ForegroundApp ExecutableOfPid(long pid, const std::string& procRoot = "/proc");

enum class DesktopSession { X11, KWinWayland, Sway, Hyprland, Unknown };
using EnvLookup = std::function<const char*(const char*)>;
// The session from the environment: a Wayland compositor we can ask wins over XWayland's
// DISPLAY; another Wayland session is Unknown (its X11 view only sees XWayland windows).
DesktopSession DetectDesktopSession(const EnvLookup& env);

// Always "unknown".
std::unique_ptr<ForegroundProcess> MakeUnknownForeground();
// _NET_ACTIVE_WINDOW and _NET_WM_PID of the X display (empty: $DISPLAY).
std::unique_ptr<ForegroundProcess> MakeX11Foreground(std::string display = {});
// i3 IPC GET_TREE on the Sway socket.
std::unique_ptr<ForegroundProcess> MakeSwayForeground(std::string socketPath);
// "j/activewindow" on the Hyprland request socket.
std::unique_ptr<ForegroundProcess> MakeHyprlandForeground(std::string socketPath);
// The backend for this session that needs no UI library (KWin is in the Qt-based session backend); Unknown
// when none applies or its socket is not named in the environment.
std::unique_ptr<ForegroundProcess> MakeForegroundProcess(DesktopSession session, const EnvLookup& env);

}  // namespace corvane::platform
