#include "profiles/skin_setting.h"

#include "platform/data_folders.h"
#include "platform/ini_file.h"

namespace corvane::profiles {
namespace {

constexpr std::string_view kMainIni = "main.ini";
constexpr std::string_view kSection = "SKINIMAGE";
constexpr std::string_view kFlagsKey = "FLAGS";
constexpr std::string_view kImageKey = "IMAGE";
constexpr int kImageChosen = 1;
constexpr std::string_view kLanguageSection = "LANGUAGE";
constexpr std::string_view kLanguageKey = "ID";
// What the INI reader gives for a missing key.
constexpr std::string_view kMissing = "0";

platform::IniFile MainIni() {
    const std::string folder = platform::DataFolderPath();
    return platform::IniFile(folder.empty() ? std::string() : folder + std::string(kMainIni));
}

bool Store(std::string_view flags, std::string_view image) {
    return MainIni().Update([&](platform::IniDocument& doc) {
        doc.Set(kSection, kFlagsKey, flags);
        doc.Set(kSection, kImageKey, image);
    });
}

}  // namespace

std::optional<std::string> ReadSkinImage() {
    const platform::IniDocument doc = MainIni().Load();
    if (platform::ToInt(doc.Get(kSection, kFlagsKey)) != kImageChosen) return std::nullopt;
    return doc.Get(kSection, kImageKey);
}

bool WriteSkinImage(std::string_view image) { return Store("1", image); }

bool ResetSkinImage() { return Store("0", kDefaultBackgroundImage); }

std::optional<std::string> ReadLanguage() {
    std::string id = MainIni().Load().Get(kLanguageSection, kLanguageKey);
    if (id.empty() || id == kMissing) return std::nullopt;
    return id;
}

bool WriteLanguage(std::string_view languageId) {
    return MainIni().Update([&](platform::IniDocument& doc) { doc.Set(kLanguageSection, kLanguageKey, languageId); });
}

}  // namespace corvane::profiles
