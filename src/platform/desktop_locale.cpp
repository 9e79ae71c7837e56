#include "platform/desktop_locale.h"

#include <cstdlib>

namespace corvane::platform {

std::string DesktopLocale() {
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value == nullptr || *value == '\0') continue;
        std::string locale(value);
        // LANGUAGE is a priority list "zh_CN:en".
        if (auto colon = locale.find(':'); colon != std::string::npos) locale.resize(colon);
        if (!locale.empty()) return locale;
    }
    return {};
}

bool LocaleIsChinese(std::string_view locale) {
    return locale.size() >= 2 && (locale[0] == 'z' || locale[0] == 'Z') && (locale[1] == 'h' || locale[1] == 'H') &&
           (locale.size() == 2 || locale[2] == '_' || locale[2] == '-' || locale[2] == '.' || locale[2] == '@');
}

}  // namespace corvane::platform
