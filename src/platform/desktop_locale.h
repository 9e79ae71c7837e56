#pragma once

#include <string>
#include <string_view>

namespace corvane::platform {

// The locale the desktop session asks programs to show their messages in: the first of
// LANGUAGE, LC_ALL, LC_MESSAGES and LANG that is set (LANGUAGE may list several, the first
// counts). Empty when none is set.
std::string DesktopLocale();

// Whether a locale name ("zh_CN.UTF-8", "zh_TW", "zh") is a Chinese one.
bool LocaleIsChinese(std::string_view locale);

}  // namespace corvane::platform
