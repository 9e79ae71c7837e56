#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace corvane::profiles {

// The window background the user chose, kept in "main.ini" of the data folder.
inline constexpr std::string_view kDefaultBackgroundImage = "common/background.png";

// The stored image when one was chosen ("FLAGS" reads 1), nothing otherwise.
std::optional<std::string> ReadSkinImage();
// Stores a chosen image (FLAGS 1).
bool WriteSkinImage(std::string_view image);
// Back to the skin's own background (FLAGS 0, the default image).
bool ResetSkinImage();

}  // namespace corvane::profiles
