#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "device/device_kind.h"
#include "platform/ini_file.h"
#include "platform/settings_writer.h"
#include "profiles/profile_family.h"
#include "profiles/profile_payload.h"

namespace corvane::profiles {

// Folder of a device's settings (created on demand), ending in "/".
std::string DeviceFolder(device::DeviceKind kind);
// The shipped defaults folder of the program, ending in "/".
std::string DefaultsFolder();

// The device's index file: "kbProfile.ini", "msProfile.ini", "mpProfile.ini".
platform::IniFile ProfileIndexFile(ProfileFamily family);

// Device folder + name + extension. Empty when the name cannot be a file name (empty, "." or
// "..", "/" or NUL in it): every file step on it then fails as for a missing file.
std::string ProfilePath(ProfileFamily family, std::string_view name);
// Whether a name the user typed can name the family's profile file: a plain file name without
// line breaks (the index file keeps one name per line) that fits the file system's name limit
// together with the extension.
bool IsUsableProfileName(ProfileFamily family, std::string_view name);
// The family's default profile: the copy refreshed from the keyboard's factory table when there
// is one (keyboard keys only), else the shipped file (found without regard to case when read).
std::string DefaultProfilePath(ProfileFamily family);
// Where the refreshed copy is kept: in the user's data folder, since the program folder is
// read-only once installed. Empty for families without one.
std::string RefreshedDefaultProfilePath(ProfileFamily family);

// Profiles one family can hold; an index file that counts more is read up to this many.
inline constexpr int kMaxProfiles = 1000;

// One family's part of the index file, read in one go. Numbers that are not numbers read as 0;
// a link counts only when its flag reads exactly 1. A count below 1 gives no names.
struct FamilyIndex {
    int count = 0;
    int select = 0;
    std::vector<std::string> names;     // names[i] for i < count ("0" where missing)
    std::vector<bool> linked;           // per name
    std::vector<std::string> programs;  // per name, "0" where missing
};
FamilyIndex ReadFamilyIndex(ProfileFamily family);

int ReadProfileCount(ProfileFamily family);
std::string ReadProfileName(ProfileFamily family, int index);
// The name of entry index, or nothing when the index file has none (the lists show "0" then,
// but no file is ever built from a missing name).
std::optional<std::string> FindProfileName(ProfileFamily family, int index);
// "select", or 0 when it points outside the list (logged).
int ReadSelect(ProfileFamily family);
bool ReadLinkFlag(ProfileFamily family, int index);
std::string ReadLinkedProgram(ProfileFamily family, int index);

// What the index stores as the program of an entry that is not linked.
inline constexpr std::string_view kNotLinkedProgram = " ";

// One entry of a family's list as the index stores it.
struct IndexEntry {
    std::string name;
    bool linked = false;
    std::string program = std::string(kNotLinkedProgram);
};
// Replaces the family's list in its index file (count, names, link flags, programs) in one
// atomic write. What lies past the new count stays (nothing reads it); "select" is left as it is.
bool WriteFamilyEntries(ProfileFamily family, const std::vector<IndexEntry>& entries);
// The same for several families that keep their lists in one index file (the keyboard's pair),
// all in one atomic write, so the lists never go out of step. False, with nothing written, for
// families of different files.
struct FamilyEntries {
    ProfileFamily family;
    std::vector<IndexEntry> entries;
};
bool WriteFamilyEntries(std::span<const FamilyEntries> lists);
// Appends one entry (count, name, unlinked) in one atomic write.
bool AppendFamilyEntry(ProfileFamily family, int index, std::string_view name);
// Entry index gets a new name (and the count the list has) in one atomic write.
bool RenameFamilyEntry(ProfileFamily family, int index, int count, std::string_view name);
// Entry index's link flag and program in one atomic write.
bool WriteFamilyLink(ProfileFamily family, int index, bool linked, std::string_view program);

// Writes store decimal text; their results may be ignored, as the callers do.
bool WriteProfileCount(ProfileFamily family, int count);
bool WriteProfileName(ProfileFamily family, int index, std::string_view name);
bool WriteSelect(ProfileFamily family, int index);

// The lists of one device's families, built from its index file at start-up; a family whose
// count is 0 gets its first profile from the shipped default file, unless a profile of that
// name exists (it is kept and listed). An index file that exists but cannot be read is left as
// it is and so is every profile. Showing the lists is the page's job.
struct FamilyList {
    ProfileFamily family;
    std::vector<std::string> names;
};
// An index file that exists but could not be read whole: which, and why.
struct UnreadableIndex {
    std::string path;
    std::string reason;
};
struct ProfileIndexLoad {
    std::vector<FamilyList> lists;       // every family of the device, in build order
    std::optional<std::string> message;  // "message_text_8"/"message_text_9" to show, if any
    std::optional<UnreadableIndex> unreadableIndex;
};
ProfileIndexLoad LoadProfileIndex(device::DeviceKind kind);

// Reads profile index's file into the blocks (zero-filled buffer of the family's size).
// Returns the ReadProfileFile result; on failure the blocks stay as they were and the debug
// text "配置文件丢失" or "配置文件格式错误" is emitted.
int LoadProfile(ProfileFamily family, int index, const SettingBlocks& blocks);

// Only the per-key colour blocks (pen, set index, five colour sets) of keyboard lighting
// profile index: the keyboard does not hold them, so a save of what was read from the device
// takes them from the profile. The result of the read; the blocks are unchanged unless it is ok.
int LoadKeyboardColours(int index, const SettingBlocks& blocks);


// Writes the blocks into the file of entry index (through the writer when one is given). False
// when the entry has no name or the write failed.
bool SaveProfile(ProfileFamily family, int index, const SettingBlocks& blocks,
                 platform::SettingsWriter* writer = nullptr);
// The same with the payload already assembled from the blocks.
bool SaveProfilePayload(ProfileFamily family, int index, std::span<const std::uint8_t> payload,
                        platform::SettingsWriter* writer);
// SaveProfile into the entry recorded as "select", for callers with no list on screen. While a
// linked program's profile is in effect "select" still names the user's own choice, so the
// window saves into the entry its list shows instead.
bool SaveSelectedProfile(ProfileFamily family, const SettingBlocks& blocks,
                         platform::SettingsWriter* writer = nullptr);

// Message ids of the profile operations.
inline constexpr std::string_view kMessageFileMissing = "message_text_8";
inline constexpr std::string_view kMessageBadFormat = "message_text_9";
// The message for a failed ReadProfileFile result (nothing for success).
std::optional<std::string> MessageForReadResult(int result);

}  // namespace corvane::profiles
