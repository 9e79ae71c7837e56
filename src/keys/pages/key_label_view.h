#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "device/device_kind.h"
#include "keys/key_entry.h"
#include "keys/screen_key_map.h"
#include "ui/window.h"

namespace corvane::keys::pages {

// What the key pictures show of a bank: the mouse buttons' texts and tooltips, the keyboard
// keys' tooltips ("Default name → assigned function" when the key carries another function).
struct KeyLabelSource {
    const KeyTable& bank;
    const DefaultKeyTable& defaults;
    std::size_t entryCount = 0;                 // keyboard: keyCount
    const ScreenKeyMap* screenKeyMap = nullptr;  // keyboard only
    const std::vector<std::string>& macroNames;  // by macro number
};

void RefreshKeyLabels(ui::Window& window, device::DeviceKind kind, const KeyLabelSource& source);

// The macro names of a device's macro index, by macro number.
std::vector<std::string> ReadMacroNames(device::DeviceKind kind);

}  // namespace corvane::keys::pages
