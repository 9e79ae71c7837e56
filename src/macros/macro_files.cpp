#include "macros/macro_files.h"

#include <algorithm>

#include "platform/files.h"
#include "profiles/profile_index.h"

namespace corvane::macros {
namespace {

constexpr std::string_view kKeyboardIndex = "kbMacro.ini";
constexpr std::string_view kMouseIndex = "msMacro.ini";
constexpr std::string_view kCursorNamePrefix = "name_";

int ClampCount(int count) { return std::clamp(count, 0, kMaxStepCount); }

std::string PathIn(const std::string& folder, std::string_view name, std::string_view ext) {
    if (folder.empty() || !platform::IsPlainFileName(name)) return {};
    return folder + std::string(name) + std::string(ext);
}

}  // namespace

std::string MacroFolder(device::DeviceKind kind) {
    if (kind == device::DeviceKind::MousePad) return {};
    return profiles::DeviceFolder(kind);
}

platform::IniFile MacroIndexFile(device::DeviceKind kind) {
    const std::string folder = MacroFolder(kind);
    if (folder.empty()) return platform::IniFile(std::string());
    return platform::IniFile(
        folder + std::string(kind == device::DeviceKind::Keyboard ? kKeyboardIndex : kMouseIndex));
}

std::string MacroFilePath(device::DeviceKind kind, std::string_view name) {
    return PathIn(MacroFolder(kind), name, kMacroExtension);
}

std::string CursorScriptName(int index) {
    return std::string(kCursorNamePrefix) + std::to_string(index + 1);
}

std::string CursorScriptPath(std::string_view name) {
    return PathIn(MacroFolder(device::DeviceKind::Mouse), name, kScriptExtension);
}

int ReadStepCount(const std::string& path) {
    return ClampCount(platform::IniFile(path).ReadInt(kActionCountSection, kCountKey));
}

std::vector<MacroAction> ReadSteps(const std::string& path) {
    const platform::IniDocument doc = platform::IniFile(path).Load();
    const int count = ClampCount(platform::ToInt(doc.Get(kActionCountSection, kCountKey)));
    std::vector<MacroAction> steps;
    steps.reserve(static_cast<std::size_t>(count));
    for (int j = 0; j < count; ++j) {
        steps.push_back(parseAction(doc.Get(kActionSection, std::to_string(j))).value_or(MacroAction{}));
    }
    return steps;
}

namespace {

void SetSteps(platform::IniDocument& doc, const std::vector<MacroAction>& steps) {
    doc.Set(kActionCountSection, kCountKey, std::to_string(steps.size()));
    for (std::size_t j = 0; j < steps.size(); ++j) {
        doc.Set(kActionSection, std::to_string(j), formatAction(steps[j]));
    }
}

}  // namespace

bool WriteSteps(const std::string& path, const std::vector<MacroAction>& steps) {
    if (path.empty()) return false;
    return platform::IniFile(path).Update([&](platform::IniDocument& doc) { SetSteps(doc, steps); });
}

bool ReplaceSteps(const std::string& path, const std::vector<MacroAction>& steps) {
    if (path.empty()) return false;
    return platform::IniFile(path).Update([&](platform::IniDocument& doc) {
        doc = platform::IniDocument{};
        SetSteps(doc, steps);
    });
}

}  // namespace corvane::macros
