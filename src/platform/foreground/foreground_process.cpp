#include "platform/foreground_process.h"

#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <cstring>
#include <sys/stat.h>

namespace corvane::platform {
namespace {

class UnknownForeground final : public ForegroundProcess {
public:
    std::string_view Backend() const override { return "unknown"; }
    ForegroundApp Current() override { return {}; }
};

bool Set(const EnvLookup& env, const char* name) {
    const char* value = env(name);
    return value != nullptr && *value != '\0';
}

// XDG_CURRENT_DESKTOP is a ":"-separated list ("KDE", "ubuntu:GNOME").
bool DesktopListHas(const EnvLookup& env, std::string_view wanted) {
    const char* value = env("XDG_CURRENT_DESKTOP");
    if (value == nullptr) return false;
    std::string_view list(value);
    while (!list.empty()) {
        const auto end = list.find(':');
        if (list.substr(0, end) == wanted) return true;
        if (end == std::string_view::npos) break;
        list.remove_prefix(end + 1);
    }
    return false;
}

bool IsSocket(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

}  // namespace

ForegroundApp ExecutableOfPid(long pid, const std::string& procRoot) {
    if (pid <= 0) return {};
    const std::string link = procRoot + "/" + std::to_string(pid) + "/exe";
    std::array<char, PATH_MAX> buffer{};
    const ssize_t n = ::readlink(link.c_str(), buffer.data(), buffer.size());
    // A truncated target is no path to compare with.
    if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size()) {
        return {ForegroundApp::Status::Failed, {}};
    }
    return {ForegroundApp::Status::Found, std::string(buffer.data(), static_cast<std::size_t>(n))};
}

DesktopSession DetectDesktopSession(const EnvLookup& env) {
    if (Set(env, "SWAYSOCK")) return DesktopSession::Sway;
    if (Set(env, "HYPRLAND_INSTANCE_SIGNATURE")) return DesktopSession::Hyprland;
    if (Set(env, "WAYLAND_DISPLAY")) {
        return DesktopListHas(env, "KDE") ? DesktopSession::KWinWayland : DesktopSession::Unknown;
    }
    if (Set(env, "DISPLAY")) return DesktopSession::X11;
    return DesktopSession::Unknown;
}

std::unique_ptr<ForegroundProcess> MakeUnknownForeground() { return std::make_unique<UnknownForeground>(); }

std::unique_ptr<ForegroundProcess> MakeForegroundProcess(DesktopSession session, const EnvLookup& env) {
    switch (session) {
        case DesktopSession::X11: return MakeX11Foreground();
        case DesktopSession::Sway:
            if (Set(env, "SWAYSOCK")) return MakeSwayForeground(env("SWAYSOCK"));
            break;
        case DesktopSession::Hyprland: {
            if (!Set(env, "HYPRLAND_INSTANCE_SIGNATURE")) break;
            const std::string tail = std::string("/hypr/") + env("HYPRLAND_INSTANCE_SIGNATURE") + "/.socket.sock";
            // Newer releases keep the socket in the runtime folder, older ones in /tmp.
            if (Set(env, "XDG_RUNTIME_DIR")) {
                const std::string runtime = env("XDG_RUNTIME_DIR") + tail;
                if (IsSocket(runtime)) return MakeHyprlandForeground(runtime);
            }
            return MakeHyprlandForeground("/tmp" + tail);
        }
        case DesktopSession::KWinWayland:
        case DesktopSession::Unknown: break;
    }
    return MakeUnknownForeground();
}

}  // namespace corvane::platform
