#pragma once

// Shared by the tests that run the program's main window on the real skin and the virtual
// devices: timings that keep the tests quick, with the Qt helpers of qt_fixture.h.

#include "qt_fixture.h"
#include "shell/main_wnd.h"

namespace corvane::testing {

// Short presence pauses, no "windowinit" pause, no tray icon (but behaving as if there were one).
inline shell::MainWndOptions QuickMainWndOptions() {
    shell::MainWndOptions options;
    options.presenceTiming = {1, 5, 10, 1, 1};
    options.windowInitPauseMs = 0;
    options.tray = shell::TrayMode::Hidden;
    return options;
}

}  // namespace corvane::testing
