#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace corvane::profiles {

// The window background and the language the user chose, kept in "main.ini" of the data folder.
inline constexpr std::string_view kDefaultBackgroundImage = "common/background.png";

// The stored image when one was chosen ("FLAGS" reads 1), nothing otherwise.
std::optional<std::string> ReadSkinImage();
// Stores a chosen image (FLAGS 1).
bool WriteSkinImage(std::string_view image);
// Back to the skin's own background (FLAGS 0, the default image).
bool ResetSkinImage();

// The language the user switched to last ("en", "cn"), nothing before the first switch.
std::optional<std::string> ReadLanguage();
bool WriteLanguage(std::string_view languageId);

}  // namespace corvane::profiles
