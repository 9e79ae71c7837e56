#pragma once

#include <string>
#include <string_view>

namespace corvane::platform {

// The text with every byte that is not part of a well-formed UTF-8 sequence (stray continuation
// bytes, truncated or overlong sequences, surrogates, code points above U+10FFFF) replaced by
// U+FFFD. Names come from files and devices; whatever reads them as UTF-8 gets valid text.
std::string ToValidUtf8(std::string_view text);

}  // namespace corvane::platform
