#include "shell/session_foreground.h"

#include <cstdlib>

#include "shell/kwin_foreground.h"

namespace corvane::shell {

std::unique_ptr<platform::ForegroundProcess> MakeSessionForeground() {
    const platform::EnvLookup env = [](const char* name) { return std::getenv(name); };
    const platform::DesktopSession session = platform::DetectDesktopSession(env);
    if (session == platform::DesktopSession::KWinWayland) return MakeKWinForeground();
    return platform::MakeForegroundProcess(session, env);
}

}  // namespace corvane::shell
