#pragma once

#include <cstdint>
#include <optional>

#include "platform/input_capture.h"

namespace corvane::platform {

// Keys are captured by their physical position: the kernel's input event code of a key (its
// evdev code) names the position, whatever layout or Num Lock state the desktop applies. The key
// tables are keyed by the Windows virtual-key code and extended flag that the same position has
// on a US layout, so the position is translated to that: left and right modifiers stay apart,
// the keypad is always the keypad (Num Lock on or off), the keypad Enter is Enter with the
// extended flag, and on a French or German layout the key right of Tab is still the one the
// keyboard reports as Q.

// The virtual key of an evdev key code; none for codes the tables have no use for.
std::optional<VirtualKey> VirtualKeyOfEvdev(std::uint32_t evdevCode);

// Under X11 and Wayland a key's native scan code is the XKB keycode: the evdev code plus 8.
inline constexpr std::uint32_t kXkbKeycodeOffset = 8;

}  // namespace corvane::platform
