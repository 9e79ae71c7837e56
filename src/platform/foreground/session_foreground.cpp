#include "platform/foreground/session_foreground.h"

#include <cstdlib>

#include "platform/foreground/kwin_foreground.h"

namespace corvane::platform {

std::unique_ptr<platform::ForegroundProcess> MakeSessionForeground() {
    const platform::EnvLookup env = [](const char* name) { return std::getenv(name); };
    const platform::DesktopSession session = platform::DetectDesktopSession(env);
    if (session == platform::DesktopSession::KWinWayland) return MakeKWinForeground();
    return platform::MakeForegroundProcess(session, env);
}

}  // namespace corvane::platform
