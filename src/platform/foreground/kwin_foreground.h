#pragma once

#include <QDBusConnection>
#include <QString>

#include <memory>

#include "platform/foreground_process.h"

namespace corvane::platform {

// KDE Plasma on Wayland tells no ordinary program which window is active, but its window
// manager runs scripts: a small one, loaded over D-Bus, calls back with the pid of every window
// that becomes active. The calls arrive on the UI thread; Current() may be asked from any.
std::unique_ptr<platform::ForegroundProcess> MakeKWinForeground(
    QDBusConnection bus = QDBusConnection::sessionBus(), const QString& kwinService = "org.kde.KWin");

// The script's callback: object path, interface and method on our connection.
inline constexpr const char* kKWinCallbackPath = "/org/corvane/Foreground";
inline constexpr const char* kKWinCallbackInterface = "org.corvane.Foreground";
inline constexpr const char* kKWinCallbackMethod = "activated";
inline constexpr const char* kKWinScriptName = "corvane-foreground";

}  // namespace corvane::platform
