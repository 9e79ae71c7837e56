#include "profiles/profile_index.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <span>
#include <vector>

#include "platform/data_folders.h"
#include "platform/debug_out.h"
#include "platform/files.h"
#include "profiles/profile_file.h"

namespace corvane::profiles {
namespace {

using device::DeviceKind;

constexpr std::string_view kDefaultsSubfolder = "defaults/";
constexpr std::string_view kMissingText = "配置文件丢失";
constexpr std::string_view kBadFormatText = "配置文件格式错误";
constexpr std::string_view kLinked = "1";
constexpr std::string_view kNotLinked = "0";

std::string Key(int index) { return std::to_string(index); }

}  // namespace

std::string DeviceFolder(DeviceKind kind) {
    switch (kind) {
        case DeviceKind::Keyboard: return platform::KeyboardFolderPath();
        case DeviceKind::Mouse: return platform::MouseFolderPath();
        case DeviceKind::MousePad: return platform::PadFolderPath();
    }
    return {};
}

std::string DefaultsFolder() { return platform::ProgramFolder() + std::string(kDefaultsSubfolder); }

platform::IniFile ProfileIndexFile(ProfileFamily family) {
    const FamilyInfo& f = Family(family);
    const std::string folder = DeviceFolder(f.device);
    return platform::IniFile(folder.empty() ? std::string() : folder + std::string(f.indexFile));
}

std::string ProfilePath(ProfileFamily family, std::string_view name) {
    const FamilyInfo& f = Family(family);
    if (!platform::IsPlainFileName(name)) return {};
    const std::string folder = DeviceFolder(f.device);
    if (folder.empty()) return {};
    return folder + std::string(name) + std::string(f.extension);
}

bool IsUsableProfileName(ProfileFamily family, std::string_view name) {
    constexpr std::size_t kNameMax = NAME_MAX;
    return platform::IsPlainFileName(name) && name.find_first_of("\r\n") == std::string_view::npos &&
           name.size() + Family(family).extension.size() <= kNameMax;
}

std::string RefreshedDefaultProfilePath(ProfileFamily family) {
    // The data folder itself, not the device folder: there a profile of the same name would
    // share the file.
    const std::string folder = platform::DataFolderPath();
    if (family != ProfileFamily::KbKey || folder.empty()) return {};
    return folder + std::string(Family(family).defaultFile);
}

std::string DefaultProfilePath(ProfileFamily family) {
    const std::string refreshed = RefreshedDefaultProfilePath(family);
    if (!refreshed.empty() && platform::FileExists(refreshed)) return refreshed;
    return DefaultsFolder() + std::string(Family(family).defaultFile);
}

int BoundedProfileCount(ProfileFamily family, int count) {
    if (count <= kMaxProfiles) return count;
    platform::debugOut("profiles: " + std::string(Family(family).indexFile) + " holds a count of " +
                       std::to_string(count) + "; only the first " + std::to_string(kMaxProfiles) +
                       " entries are used");
    return kMaxProfiles;
}

namespace {

FamilyIndex FamilyIndexOf(ProfileFamily family, const platform::IniDocument& doc) {
    const IndexSections& s = Family(family).sections;
    FamilyIndex index;
    index.count = BoundedProfileCount(family, platform::ToInt(doc.Get(s.count, kCountKey)));
    index.select = platform::ToInt(doc.Get(s.select, kSelectKey));
    for (int i = 0; i < index.count; ++i) {
        index.names.push_back(doc.Get(s.names, Key(i)));
        index.linked.push_back(platform::ToInt(doc.Get(s.links, Key(i))) == 1);
        index.programs.push_back(doc.Get(s.programs, Key(i)));
    }
    return index;
}

// Entry i of a family's list, as the index stores it; false when a value cannot stand in the file.
bool SetEntry(platform::IniDocument& doc, const IndexSections& s, int i, const IndexEntry& e) {
    const bool name = doc.Set(s.names, Key(i), e.name);
    const bool link = doc.Set(s.links, Key(i), e.linked ? kLinked : kNotLinked);
    return doc.Set(s.programs, Key(i), e.program) && name && link;
}

}  // namespace

FamilyIndex ReadFamilyIndex(ProfileFamily family) {
    return FamilyIndexOf(family, ProfileIndexFile(family).Load());
}

int ReadProfileCount(ProfileFamily family) {
    return BoundedProfileCount(family, ProfileIndexFile(family).ReadInt(Family(family).sections.count, kCountKey));
}

std::string ReadProfileName(ProfileFamily family, int index) {
    return ProfileIndexFile(family).ReadString(Family(family).sections.names, Key(index));
}

std::optional<std::string> FindProfileName(ProfileFamily family, int index) {
    return ProfileIndexFile(family).Load().GetIfPresent(Family(family).sections.names, Key(index));
}

int ReadSelect(ProfileFamily family) {
    const IndexSections& s = Family(family).sections;
    const platform::IniDocument doc = ProfileIndexFile(family).Load();
    const int count = BoundedProfileCount(family, platform::ToInt(doc.Get(s.count, kCountKey)));
    const int select = platform::ToInt(doc.Get(s.select, kSelectKey));
    if (select == 0 || (select > 0 && select < count)) return select;
    platform::debugOut("profiles: " + std::string(Family(family).indexFile) + " selects " +
                       std::to_string(select) + " of " + std::to_string(count) + "; entry 0 is used");
    return 0;
}

bool ReadLinkFlag(ProfileFamily family, int index) {
    return ProfileIndexFile(family).ReadInt(Family(family).sections.links, Key(index)) == 1;
}

std::string ReadLinkedProgram(ProfileFamily family, int index) {
    return ProfileIndexFile(family).ReadString(Family(family).sections.programs, Key(index));
}

bool WriteProfileCount(ProfileFamily family, int count) {
    return ProfileIndexFile(family).WriteInt(Family(family).sections.count, kCountKey, count);
}

bool WriteProfileName(ProfileFamily family, int index, std::string_view name) {
    return ProfileIndexFile(family).WriteString(Family(family).sections.names, Key(index), name);
}

bool WriteSelect(ProfileFamily family, int index) {
    return ProfileIndexFile(family).WriteInt(Family(family).sections.select, kSelectKey, index);
}

bool WriteFamilyEntries(ProfileFamily family, const std::vector<IndexEntry>& entries) {
    const FamilyEntries list{family, entries};
    return WriteFamilyEntries(std::span<const FamilyEntries>(&list, 1));
}

bool WriteFamilyEntries(std::span<const FamilyEntries> lists) {
    if (lists.empty()) return true;
    const std::string_view file = Family(lists.front().family).indexFile;
    for (const FamilyEntries& list : lists) {
        if (Family(list.family).indexFile != file) {
            platform::debugOut("profiles: one write for lists of different index files refused");
            return false;
        }
    }
    bool accepted = true;
    const bool stored = ProfileIndexFile(lists.front().family).Update([&](platform::IniDocument& doc) {
        for (const FamilyEntries& list : lists) {
            const IndexSections& s = Family(list.family).sections;
            accepted = doc.Set(s.count, kCountKey, std::to_string(list.entries.size())) && accepted;
            for (std::size_t i = 0; i < list.entries.size(); ++i) {
                accepted = SetEntry(doc, s, static_cast<int>(i), list.entries[i]) && accepted;
            }
        }
    });
    return accepted && stored;
}

bool RenameFamilyEntry(ProfileFamily family, int index, int count, std::string_view name) {
    const IndexSections& s = Family(family).sections;
    bool accepted = true;
    const bool stored = ProfileIndexFile(family).Update([&](platform::IniDocument& doc) {
        accepted = doc.Set(s.count, kCountKey, std::to_string(count));
        accepted = doc.Set(s.names, Key(index), name) && accepted;
    });
    return accepted && stored;
}

bool WriteFamilyLink(ProfileFamily family, int index, bool linked, std::string_view program) {
    const IndexSections& s = Family(family).sections;
    bool accepted = true;
    const bool stored = ProfileIndexFile(family).Update([&](platform::IniDocument& doc) {
        accepted = doc.Set(s.links, Key(index), linked ? kLinked : kNotLinked);
        accepted = doc.Set(s.programs, Key(index), program) && accepted;
    });
    return accepted && stored;
}

bool AppendFamilyEntry(ProfileFamily family, int index, std::string_view name) {
    const IndexSections& s = Family(family).sections;
    bool accepted = true;
    const bool stored = ProfileIndexFile(family).Update([&](platform::IniDocument& doc) {
        accepted = doc.Set(s.count, kCountKey, std::to_string(index + 1));
        // The new entry starts unlinked, whatever an earlier list left there.
        accepted = SetEntry(doc, s, index, IndexEntry{std::string(name)}) && accepted;
    });
    return accepted && stored;
}

std::optional<std::string> MessageForReadResult(int result) {
    if (result == kProfileMissing) return std::string(kMessageFileMissing);
    if (result == kProfileBadFormat) return std::string(kMessageBadFormat);
    return std::nullopt;
}

namespace {

// Why an index file that exists could not be read whole, or nothing when it was (or is missing).
std::optional<std::string> UnreadableIndexReason(const platform::WholeFile& file) {
    switch (file.outcome) {
        case platform::ReadOutcome::Ok:
        case platform::ReadOutcome::Missing: return std::nullopt;
        case platform::ReadOutcome::NotRegular: return "not a regular file";
        case platform::ReadOutcome::TooLarge: return "larger than 16 MiB";
        case platform::ReadOutcome::Failed: return std::string("cannot be read: ") + std::strerror(file.error);
    }
    return std::nullopt;
}

// An index whose list has holes (entries below the count without a name, as an older version or
// an end in the middle of a change could leave) is written back without them, in one write, the
// selection following its entry. The entries kept; nothing when the list was whole.
std::optional<std::vector<IndexEntry>> RepairHoles(ProfileFamily family, const platform::IniDocument& doc,
                                                   const FamilyIndex& index) {
    if (index.count <= 0) return std::nullopt;
    const IndexSections& s = Family(family).sections;
    std::vector<IndexEntry> kept;
    int select = 0;
    for (int i = 0; i < index.count; ++i) {
        const auto name = doc.GetIfPresent(s.names, Key(i));
        if (!name || name->empty()) continue;
        if (i == index.select) select = static_cast<int>(kept.size());
        kept.push_back({*name, index.linked[static_cast<std::size_t>(i)], index.programs[static_cast<std::size_t>(i)]});
    }
    if (std::cmp_equal(kept.size(), index.count)) return std::nullopt;
    platform::debugOut("profiles: " + ProfileIndexFile(family).path() + " counts " + std::to_string(index.count) +
                       " " + std::string(Family(family).id) + " profiles but names " + std::to_string(kept.size()) +
                       "; the list is repaired to the named ones");
    if (kept.empty()) return kept;  // the caller starts the list anew
    ProfileIndexFile(family).Update([&](platform::IniDocument& d) {
        d.Set(s.count, kCountKey, std::to_string(kept.size()));
        for (std::size_t i = 0; i < kept.size(); ++i) SetEntry(d, s, static_cast<int>(i), kept[i]);
        d.Set(s.select, kSelectKey, std::to_string(select));
    });
    return kept;
}

}  // namespace

ProfileIndexLoad LoadProfileIndex(DeviceKind kind) {
    ProfileIndexLoad load;
    for (const ProfileFamily family : FamiliesOf(kind)) load.lists.push_back({family, {}});
    for (FamilyList& list : load.lists) {
        const FamilyInfo& f = Family(list.family);
        const std::string indexPath = ProfileIndexFile(list.family).path();
        // An index that exists but cannot be read is no first run: nothing is written, not the
        // index and no profile, and the user is told. The family shows what stands on disk.
        const platform::WholeFile file = platform::ReadWholeFile(indexPath);
        if (const auto reason = UnreadableIndexReason(file)) {
            platform::debugOut("profiles: " + indexPath + " " + *reason + "; its profiles are left as they are");
            if (!load.unreadableIndex) load.unreadableIndex = UnreadableIndex{indexPath, *reason};
            if (platform::FileExists(ProfilePath(list.family, f.firstRunName))) list.names.emplace_back(f.firstRunName);
            continue;
        }
        const platform::IniDocument doc = file.outcome == platform::ReadOutcome::Ok
                                              ? platform::IniDocument::Parse(std::span<const std::uint8_t>(file.bytes))
                                              : platform::IniDocument{};
        const FamilyIndex index = FamilyIndexOf(list.family, doc);
        const auto repaired = RepairHoles(list.family, doc, index);
        if (repaired && !repaired->empty()) {
            for (const IndexEntry& entry : *repaired) list.names.push_back(entry.name);
            continue;
        }
        if (index.count != 0 && !repaired) {
            list.names = index.names;  // empty for a negative count
            continue;
        }
        const IndexSections& s = f.sections;
        auto writeFirstEntry = [&] {
            ProfileIndexFile(list.family).Update([&](platform::IniDocument& doc) {
                doc.Set(s.count, kCountKey, "1");
                doc.Set(s.links, Key(0), kNotLinked);
                doc.Set(s.names, Key(0), f.firstRunName);
                doc.Set(s.select, kSelectKey, "0");
            });
        };
        // A profile of the first run's name already there (an index lost or emptied) is the
        // user's: it is listed, never replaced by the shipped default.
        if (platform::FileExists(ProfilePath(list.family, f.firstRunName))) {
            platform::debugOut("profiles: " + indexPath + " lists no " + std::string(f.firstRunName) +
                               " profile; the existing file is kept and listed");
            list.names.emplace_back(f.firstRunName);
            writeFirstEntry();
            continue;
        }
        // First run of this family: its first profile is a copy of the shipped default.
        std::vector<std::uint8_t> payload(f.payloadSize, 0);
        const int result = ReadProfileFile(DefaultProfilePath(list.family), payload);
        if (const auto message = MessageForReadResult(result)) {
            load.message = message;
            break;  // this family and the device's later ones stay empty
        }
        WriteProfileFile(ProfilePath(list.family, f.firstRunName), payload, f.device);
        list.names.emplace_back(f.firstRunName);
        writeFirstEntry();
    }
    return load;
}

int LoadProfile(ProfileFamily family, int index, const SettingBlocks& blocks) {
    const FamilyInfo& f = Family(family);
    std::vector<std::uint8_t> payload(f.payloadSize, 0);
    // An entry without a name has no file: never one called "0".
    const auto name = FindProfileName(family, index);
    const int result = ReadProfileFile(name ? ProfilePath(family, *name) : std::string(), payload);
    if (result == kProfileMissing) {
        platform::debugOut(kMissingText);
    } else if (result == kProfileBadFormat) {
        platform::debugOut(kBadFormatText);
    } else {
        LoadPayload(family, payload, blocks);
    }
    return result;
}

int LoadKeyboardColours(int index, const SettingBlocks& blocks) {
    if (!blocks.customColourState || !blocks.keyColourTable) return kProfileMissing;
    std::vector<std::uint8_t> payload(Family(ProfileFamily::KbDeng).payloadSize, 0);
    const auto name = FindProfileName(ProfileFamily::KbDeng, index);
    const int result = ReadProfileFile(name ? ProfilePath(ProfileFamily::KbDeng, *name) : std::string(), payload);
    if (result != kProfileReadOk) return result;
    const std::span<const std::uint8_t> bytes(payload);
    std::copy_n(bytes.subspan(kKbPayloadColourStateOffset).begin(), blocks.customColourState->size(),
                blocks.customColourState->begin());
    std::copy_n(bytes.subspan(kKbPayloadColourTableOffset).begin(), blocks.keyColourTable->size(),
                blocks.keyColourTable->begin());
    return result;
}

bool SaveProfile(ProfileFamily family, int index, const SettingBlocks& blocks, platform::SettingsWriter* writer) {
    const auto payload = AssemblePayload(family, blocks);
    if (!payload) return false;
    return SaveProfilePayload(family, index, *payload, writer);
}

bool SaveProfilePayload(ProfileFamily family, int index, std::span<const std::uint8_t> payload,
                        platform::SettingsWriter* writer) {
    const auto name = FindProfileName(family, index);
    if (!name) {
        platform::debugOut("profiles: " + std::string(Family(family).indexFile) + " entry " +
                           std::to_string(index) + " has no name; nothing saved");
        return false;
    }
    return WriteProfileFile(ProfilePath(family, *name), payload, Family(family).device, writer);
}

bool SaveSelectedProfile(ProfileFamily family, const SettingBlocks& blocks, platform::SettingsWriter* writer) {
    return SaveProfile(family, ReadSelect(family), blocks, writer);
}

}  // namespace corvane::profiles
