#pragma once

#include <QObject>

#include <cstdint>
#include <optional>

#include "platform/input_capture.h"

class QKeyEvent;
class QWidget;

namespace corvane::shell {

// Feeds the capture from the program's own window: every key and mouse-button event that Qt
// delivers to that window passes the capture first (an event filter on the window, so no
// privileges are needed and no other program's input is ever seen). While the capture's
// keyboard part is on, the keys it swallows never reach a control of the window — Tab, Space,
// Enter and Escape included; mouse events always go on.
class CaptureFeeder : public QObject {
public:
    CaptureFeeder(QWidget& window, platform::CDeviceHook& hook);
    ~CaptureFeeder() override;
    CaptureFeeder(const CaptureFeeder&) = delete;
    CaptureFeeder& operator=(const CaptureFeeder&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool FilterKey(const QKeyEvent& event);

    QWidget& window_;
    platform::CDeviceHook& hook_;
    std::optional<std::uint32_t> scanCodeOffset_;
};

// What a platform's native scan code is above the evdev code: 8 under X11 and Wayland (and the
// offscreen platform, whose events the tests make the way X11 delivers them); none where the
// scan code is not known to be one, so the Qt key is used.
std::optional<std::uint32_t> ScanCodeOffsetOf(const QString& platformName);

// The physical key of a key event: from its native scan code when the platform gives one,
// otherwise from the Qt key (which follows the layout, and cannot tell left from right).
std::optional<platform::VirtualKey> CapturedKeyOf(const QKeyEvent& event,
                                                  std::optional<std::uint32_t> scanCodeOffset);

}  // namespace corvane::shell
