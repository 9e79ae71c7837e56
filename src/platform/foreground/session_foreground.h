#pragma once

#include <memory>

#include "platform/foreground_process.h"

namespace corvane::platform {

// Which program is in front, asked the way this desktop session allows: KWin over D-Bus on
// Plasma Wayland, otherwise the platform's backends (X11, Sway, Hyprland) or "unknown".
std::unique_ptr<platform::ForegroundProcess> MakeSessionForeground();

}  // namespace corvane::platform
