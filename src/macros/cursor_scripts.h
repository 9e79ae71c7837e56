#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "device/device_link.h"
#include "macros/macro_action.h"

namespace corvane::macros {

// The display label of a step rebuilt from its bytes: the mouse button or move id, the key's
// text id by usage, the modifier's by its bit; kUnknownStepLabel when nothing matches.
inline constexpr std::string_view kUnknownStepLabel = "unknown_step";
std::string StepLabel(const MacroAction& step);

// Reads the script image from the mouse (header first, then the whole image). Nothing when a
// read fails or the image lacks its mark. Leaves setting mode in every case.
std::optional<std::vector<std::uint8_t>> ReadScriptImage(device::DeviceLink& link);

// Rewrites the script files named in the mouse index ("CURSORNAME"/i) from the image's records,
// with labels rebuilt from the step kinds. Scripts the image does not hold stay as they are.
// False when the image is not a valid script image (nothing is written then).
bool RewriteScriptFiles(std::span<const std::uint8_t> image);

// Both, as at mouse arrival. True when the files were rewritten.
bool ReadScriptsFromMouse(device::DeviceLink& link);

}  // namespace corvane::macros
