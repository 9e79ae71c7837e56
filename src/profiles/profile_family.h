#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "device/device_kind.h"

namespace corvane::profiles {

// The six named profile lists. Each keeps its profiles in the device's data folder and its list
// in the device's index file.
enum class ProfileFamily { KbDeng, KbKey, MsDevice, MsDeng, MsKey, MpDeng };

enum class ProfileKind { KeyProfile, LightingProfile, DeviceProfile };

// What the family's process watcher does with a linked program in the foreground.
enum class WatcherMode { None, PollsOnly, Switches };

// Payload sizes of the profile files (without the 16-byte header).
inline constexpr std::size_t kKeyPayloadSize = 512;
inline constexpr std::size_t kKeyboardLightingPayloadSize = 1958;
inline constexpr std::size_t kMouseDevicePayloadSize = 576;
inline constexpr std::size_t kLightingPayloadSize = 64;

// The five index sections of a family; the keys inside are the same for every family.
struct IndexSections {
    std::string_view count;    // key kCountKey
    std::string_view names;    // keys "0" .. "n-1"
    std::string_view select;   // key kSelectKey
    std::string_view links;    // keys "0" .. "n-1": "1" linked, "0" not
    std::string_view programs; // keys "0" .. "n-1": path of the linked program
};

inline constexpr std::string_view kCountKey = "count";
inline constexpr std::string_view kSelectKey = "select";

struct FamilyInfo {
    ProfileFamily family;
    std::string_view id;  // "kb_deng", also the prefix of the family's control names
    device::DeviceKind device;
    ProfileKind kind;
    std::string_view indexFile;
    std::string_view extension;
    std::string_view defaultFile;  // in the program's defaults folder
    std::string_view listControl;
    std::string_view nameEditControl;
    std::string_view firstRunName;
    std::string_view newNamePrefix;  // a new profile is this followed by a number
    std::size_t payloadSize;
    WatcherMode watcher;
    IndexSections sections;
};

const FamilyInfo& Family(ProfileFamily family);

inline constexpr std::array<ProfileFamily, 6> kAllFamilies = {
    ProfileFamily::KbDeng, ProfileFamily::KbKey, ProfileFamily::MsDevice,
    ProfileFamily::MsDeng, ProfileFamily::MsKey, ProfileFamily::MpDeng};

// The families of one device, in the order their lists are built.
std::span<const ProfileFamily> FamiliesOf(device::DeviceKind kind);

// The family's name for new profile number n: "Profile 2", "新配置文件2".
std::string NewProfileName(ProfileFamily family, int n);

}  // namespace corvane::profiles
