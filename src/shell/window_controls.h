#pragma once

// Names of the main window's controls that belong to one device kind, and the plain confirmation
// box the window shows; shared by the parts of the window's behaviour.

#include <array>

#include "device/device_kind.h"
#include "ui/window.h"

namespace corvane::shell {

struct DeviceControlNames {
    const char* tab;       // the device's tab in the title area
    const char* sameMode;  // the button that gives every device this device's effect
};

// By KindIndex.
inline constexpr std::array<DeviceControlNames, 3> kDeviceControlNames = {{
    {"kb_tab", "kb_deng_same_mode"},
    {"ms_tab", "ms_deng_same_mode"},
    {"mp_tab", "mp_deng_same_mode"},
}};

inline const DeviceControlNames& ControlNames(device::DeviceKind kind) {
    return kDeviceControlNames[device::KindIndex(kind)];
}

// A message box with its one confirm button; timed boxes close by themselves.
inline ui::MessageBoxRequest ConfirmBox(const char* textId, bool timed = false) {
    ui::MessageBoxRequest request;
    request.textId = textId;
    request.buttons = ui::MessageButtons::Confirm;
    request.timed = timed;
    return request;
}

}  // namespace corvane::shell
