#pragma once

#include <cstdint>

namespace corvane::shell {

// Messages the main window handles, by the numbers its workers, hooks and tray use. "Post"
// queues a message for the UI thread; "send" waits until the UI thread has handled it.
enum class WindowMessage : std::uint32_t {
    // The registered hand-over message of a second start (and the presence announcement).
    Announce = 0xC1A5,
    TrayCallback = 0x401,
    MenuCommand = 0x479,
    MouseDataChanged = 0x901,
    MouseSlotSwitched = 0x902,
    MousePadRead = 0xA01,
    MousePadSlotSwitched = 0xA02,
    ZoneOverlayColour = 0xA03,
    ZoneOverlayAlpha = 0xA04,
    KeyboardRestored = 0xB01,
    KeyboardSlotSwitched = 0xB02,
    KeyboardFactoryTable = 0xB03,
    ShowProgress = 0xC00,
    StartProgressTimer = 0xC01,
    LastDeviceRemoved = 0xC05,
};

enum class TimerId : int {
    Progress = 1,  // once, 1000 ms after an upload: hide "setting_progress"
    Flush = 2,     // every 10 ms while lighting records wait: send them
    Repaint = 7,   // once: repaint the whole window after an arrival or a tray click
};

inline constexpr int kFlushPeriodMs = 10;
inline constexpr int kProgressHideMs = 1000;
inline constexpr int kShutdownLimitMs = 10000;
inline constexpr int kWindowInitPauseMs = 100;
inline constexpr int kTopmostPauseMs = 10;
inline constexpr int kTrayRepaintMs = 10;
inline constexpr int kNoTrayNoticeMs = 1500;

}  // namespace corvane::shell
