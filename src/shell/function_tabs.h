#pragma once

#include <functional>

#include "device/device_kind.h"
#include "shell/routing.h"
#include "ui/window.h"

namespace corvane::shell {

// The function tabs of the keyboard and mouse pages: each selects its page of the device's
// switch, except that the macro page stays while a macro is edited. Leaving or entering the key page hides the device's function panel (`hidePanel`); on
// the keyboard the profile panels show only on the pages whose settings profiles hold.
void RegisterFunctionTabs(Router& router, ui::Window& window,
                          std::function<void(device::DeviceKind)> hidePanel);

}  // namespace corvane::shell
