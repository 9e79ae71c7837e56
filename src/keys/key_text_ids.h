#pragma once

#include <span>
#include <string_view>

namespace corvane::keys {

// Every language-file id the key tables show (key names, choice labels, kind labels). The skin
// must define each of them in both language files.
std::span<const std::string_view> KeyTextIds();

}  // namespace corvane::keys
