#include "macros/macro_list.h"

#include <algorithm>

#include "keys/key_entry.h"
#include "macros/macro_files.h"
#include "platform/debug_out.h"
#include "platform/files.h"
#include "profiles/profile_index.h"

namespace corvane::macros {
namespace {

using device::DeviceKind;

constexpr std::string_view kNewMacroPrefix = "name_";

std::string Key(std::size_t i) { return std::to_string(i); }

// A name the index file keeps as it is: no line breaks, no blanks at either end (the reader
// trims them) and nothing the file system refuses.
bool StorableName(std::string_view name) {
    if (!platform::IsPlainFileName(name)) return false;
    if (name.find_first_of("\r\n") != std::string_view::npos) return false;
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    return !blank(name.front()) && !blank(name.back());
}

bool PlaysMacro(const keys::KeyEntry& e) {
    return e.kind == keys::FunctionKind::MacroFunction ||
           e.kind == keys::FunctionKind::MacroCountFunction;
}

void SetCursorSection(platform::IniDocument& doc) {
    doc.Set(kCursorCountSection, kCountKey, std::to_string(kCursorScriptCount));
    for (int i = 0; i < kCursorScriptCount; ++i) {
        doc.Set(kCursorNameSection, std::to_string(i), CursorScriptName(i));
    }
}

}  // namespace

std::optional<int> MacroList::macroNumber(std::string_view name) const {
    for (std::size_t i = 0; i < names_.size(); ++i) {
        if (platform::EqualsIgnoreCase(names_[i], name)) return static_cast<int>(i);
    }
    return std::nullopt;
}

void MacroList::Load() {
    if (kind_ == DeviceKind::Mouse) EnsureCursorSection();
    names_.clear();
    const platform::IniDocument doc = MacroIndexFile(kind_).Load();
    const int count = std::clamp(platform::ToInt(doc.Get(kMacroCountSection, kCountKey)), 0, kMaxIndexCount);
    for (int i = 0; i < count; ++i) names_.push_back(doc.Get(kMacroNameSection, Key(i)));
}

std::optional<std::string> MacroList::NewMacro() {
    if (names_.size() >= static_cast<std::size_t>(kMaxMacros)) return std::nullopt;
    std::string name;
    for (std::size_t k = names_.size() + 1;; ++k) {
        name = std::string(kNewMacroPrefix) + std::to_string(k);
        if (!macroNumber(name)) break;
    }
    names_.push_back(name);
    WriteIndexTail();
    return name;
}

void MacroList::WriteIndexTail() const {
    MacroIndexFile(kind_).Update([&](platform::IniDocument& doc) {
        doc.Set(kMacroCountSection, kCountKey, std::to_string(names_.size()));
        if (!names_.empty()) doc.Set(kMacroNameSection, Key(names_.size() - 1), names_.back());
    });
}

std::vector<MacroAction> MacroList::LoadSteps(int number) const {
    if (!Valid(number)) return {};
    return ReadSteps(MacroFilePath(kind_, names_[static_cast<std::size_t>(number)]));
}

bool MacroList::SaveSteps(int number, const std::vector<MacroAction>& steps) {
    if (!Valid(number)) return false;
    WriteIndexTail();
    return WriteSteps(MacroFilePath(kind_, names_[static_cast<std::size_t>(number)]), steps);
}

MacroList::RenameResult MacroList::Rename(int number, std::string_view newName,
                                          const std::vector<MacroAction>& steps) {
    if (!Valid(number)) return RenameResult::Failed;
    const auto at = static_cast<std::size_t>(number);
    if (platform::EqualsIgnoreCase(names_[at], newName)) return RenameResult::Unchanged;
    if (macroNumber(newName)) return RenameResult::NameTaken;
    const std::string oldPath = MacroFilePath(kind_, names_[at]);
    const std::string newPath = MacroFilePath(kind_, newName);
    if (oldPath.empty() || newPath.empty() || !StorableName(newName)) return RenameResult::Failed;
    if (!WriteSteps(oldPath, steps)) return RenameResult::Failed;
    if (!platform::MoveFile(oldPath, newPath)) return RenameResult::Failed;
    // File and index entry change together: an index that cannot take the new name gets the
    // file back under the old one.
    if (!MacroIndexFile(kind_).WriteString(kMacroNameSection, Key(at), newName)) {
        if (!platform::MoveFile(newPath, oldPath)) {
            platform::debugOut("macros: " + newPath + " could not be moved back after the index refused the name");
        }
        return RenameResult::Failed;
    }
    names_[at] = std::string(newName);
    return RenameResult::Renamed;
}

bool MacroList::Delete(int number, device::KeyBanksImage& banks,
                       const device::KeyTableImage& defaults, std::size_t entryCount) {
    if (!Valid(number)) return false;
    entryCount = std::min(entryCount, keys::kMaxKeyEntries);
    for (auto& bank : banks) {
        for (std::size_t e = 0; e < entryCount; ++e) {
            auto entry = *keys::EntryAt(bank, e);
            if (!PlaysMacro(entry)) continue;
            if (entry.param1 == number) {
                keys::SetEntry(bank, e, *keys::EntryAt(defaults, e));
            } else if (entry.param1 > number) {
                --entry.param1;
                keys::SetEntry(bank, e, entry);
            }
        }
    }
    const auto at = static_cast<std::size_t>(number);
    platform::DeleteFile(MacroFilePath(kind_, names_[at]));
    names_.erase(names_.begin() + number);
    return RewriteIndex();
}

bool MacroList::RewriteIndex() const {
    // A fresh document replaces the whole file in one step: no window without an index.
    const platform::IniFile index = MacroIndexFile(kind_);
    if (index.path().empty()) return false;
    return index.Update([&](platform::IniDocument& doc) {
        doc = platform::IniDocument{};
        doc.Set(kMacroCountSection, kCountKey, std::to_string(names_.size()));
        if (kind_ == DeviceKind::Mouse) SetCursorSection(doc);
        for (std::size_t j = 0; j < names_.size(); ++j) doc.Set(kMacroNameSection, Key(j), names_[j]);
    });
}

bool MacroList::Import(int number, const std::string& source) const {
    if (!Valid(number)) return false;
    const std::string target = MacroFilePath(kind_, names_[static_cast<std::size_t>(number)]);
    return !target.empty() && platform::CopyFile(source, target, true);
}

bool MacroList::Export(int number, const std::string& destination) const {
    if (!Valid(number)) return false;
    const std::string source = MacroFilePath(kind_, names_[static_cast<std::size_t>(number)]);
    return !source.empty() && platform::CopyFile(source, destination, true);
}

bool MacroInUse(const device::KeyBanksImage& banks, std::size_t entryCount, int number) {
    entryCount = std::min(entryCount, keys::kMaxKeyEntries);
    for (const auto& bank : banks) {
        for (std::size_t e = 0; e < entryCount; ++e) {
            const auto entry = *keys::EntryAt(bank, e);
            if (PlaysMacro(entry) && entry.param1 == number) return true;
        }
    }
    return false;
}

std::size_t MacroKeyEntryCount(DeviceKind kind, const device::DeviceInfoBlock& info) {
    if (kind == DeviceKind::Keyboard) {
        const auto count = keys::KeyEntryCount(kind, info);
        return (count && *count > 0) ? *count : keys::kMaxKeyEntries;
    }
    if (kind == DeviceKind::Mouse) return keys::kMouseBankEntries;
    return 0;
}

void EnsureCursorSection() {
    const platform::IniFile index = MacroIndexFile(DeviceKind::Mouse);
    if (index.ReadInt(kCursorCountSection, kCountKey) != 0) return;
    index.Update(SetCursorSection);
    const std::string defaults = profiles::DefaultsFolder();
    for (int i = 0; i < kCursorScriptCount; ++i) {
        const std::string name = CursorScriptName(i);
        const auto source = platform::ResolveCaseInsensitive(defaults + name + std::string(kScriptExtension));
        if (source) platform::CopyFile(*source, CursorScriptPath(name), false);
    }
}

}  // namespace corvane::macros
