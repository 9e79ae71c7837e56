#pragma once

#include <functional>
#include <optional>
#include <string_view>

#include "device/device_kind.h"
#include "device/device_link.h"
#include "platform/settings_writer.h"
#include "profiles/profile_payload.h"

namespace corvane::macros {

// Shows a message box with a language text id; `number` fills the text's "%d" where it has one.
using MessageHook = std::function<void(std::string_view id, int number)>;

inline constexpr std::string_view kMessageTooManySteps = "message_text_16";

// Sends all macros of the keyboard or mouse, as stored, to the device, then the current key
// bank (so key entries and macro numbers agree), then saves the device's key profile (mouse:
// device profile) in effect: entry profileIndex, or the one recorded as "select" when none is
// given. 1 when it ran; 0 when the image does not fit the device's macro memory
// ("message_text_16" with the number of steps to remove): then nothing is sent or saved.
// A missing or failing device still gets its profile saved; deviceResult, when given, receives
// the first transfer result that was not kSuccess (kSuccess when the device took everything).
[[nodiscard]] int UploadMacros(device::DeviceLink& link, device::DeviceKind kind,
                               const profiles::SettingBlocks& blocks, const MessageHook& showMessage,
                               platform::SettingsWriter* writer = nullptr, int* deviceResult = nullptr,
                               std::optional<int> profileIndex = std::nullopt);

// Sends the mouse's four cursor scripts. 1 when sent or nothing to send; 0, silently, when the
// image is larger than the script memory.
// deviceResult as for UploadMacros.
[[nodiscard]] int UploadCursorScripts(device::DeviceLink& link, int* deviceResult = nullptr);

}  // namespace corvane::macros
