#include "profiles/profile_family.h"

namespace corvane::profiles {
namespace {

using device::DeviceKind;

constexpr IndexSections kLightingSections{"PROFILEDENGCOUNT", "PROFILEDENGNAME",
                                          "PROFILEDENGSELECT", "PROFILELIKEDENGEXE",
                                          "DENGPROCESS"};
constexpr IndexSections kKeySections{"PROFILECOUNT", "PROFILENAME", "PROFILESELECT",
                                     "PROFILELIKEEXE", "PROCESS"};
constexpr IndexSections kDeviceSections{"PROFILEDEVICECOUNT", "PROFILEDEVICENAME",
                                        "PROFILEDEVICESELECT", "PROFILELIKEDEVICEEXE",
                                        "DEVICEPROCESS"};

constexpr std::string_view kKeyboardFirstName = "Profile 1";
constexpr std::string_view kKeyboardPrefix = "Profile ";
constexpr std::string_view kMouseFirstName = "新配置文件1";
constexpr std::string_view kMousePrefix = "新配置文件";

constexpr std::array<FamilyInfo, 6> kFamilies = {{
    {ProfileFamily::KbDeng, "kb_deng", DeviceKind::Keyboard, ProfileKind::LightingProfile,
     "kbProfile.ini", ".led", "kbdengdefault.led", "kb_deng_profile_combo",
     "kb_deng_profile_name_edit", kKeyboardFirstName, kKeyboardPrefix,
     kKeyboardLightingPayloadSize, WatcherMode::PollsOnly, kLightingSections},
    {ProfileFamily::KbKey, "kb_key", DeviceKind::Keyboard, ProfileKind::KeyProfile,
     "kbProfile.ini", ".pro", "kbkeydefault.pro", "kb_key_profile_combo",
     "kb_key_profile_name_edit", kKeyboardFirstName, kKeyboardPrefix, kKeyPayloadSize,
     WatcherMode::PollsOnly, kKeySections},
    {ProfileFamily::MsDevice, "ms_device", DeviceKind::Mouse, ProfileKind::DeviceProfile,
     "msProfile.ini", ".config", "msdevicedefault.config", "ms_device_profile_combo",
     "ms_device_profile_name_edit", kMouseFirstName, kMousePrefix, kMouseDevicePayloadSize,
     WatcherMode::Switches, kDeviceSections},
    {ProfileFamily::MsDeng, "ms_deng", DeviceKind::Mouse, ProfileKind::LightingProfile,
     "msProfile.ini", ".led", "msdengdefault.led", "ms_deng_profile_combo",
     "ms_deng_profile_name_edit", kMouseFirstName, kMousePrefix, kLightingPayloadSize,
     WatcherMode::None, kLightingSections},
    {ProfileFamily::MsKey, "ms_key", DeviceKind::Mouse, ProfileKind::KeyProfile,
     "msProfile.ini", ".pro", "mskeydefault.pro", "ms_key_profile_combo",
     "ms_key_profile_name_edit", kMouseFirstName, kMousePrefix, kKeyPayloadSize,
     WatcherMode::Switches, kKeySections},
    {ProfileFamily::MpDeng, "mp_deng", DeviceKind::MousePad, ProfileKind::LightingProfile,
     "mpProfile.ini", ".led", "mpdengdefault.led", "mp_deng_profile_combo",
     "mp_deng_profile_name_edit", kMouseFirstName, kMousePrefix, kLightingPayloadSize,
     WatcherMode::Switches, kLightingSections},
}};

constexpr std::array<ProfileFamily, 2> kKeyboardFamilies = {ProfileFamily::KbDeng,
                                                            ProfileFamily::KbKey};
constexpr std::array<ProfileFamily, 3> kMouseFamilies = {
    ProfileFamily::MsDevice, ProfileFamily::MsDeng, ProfileFamily::MsKey};
constexpr std::array<ProfileFamily, 1> kPadFamilies = {ProfileFamily::MpDeng};

}  // namespace

const FamilyInfo& Family(ProfileFamily family) {
    return kFamilies[static_cast<std::size_t>(family)];
}

std::span<const ProfileFamily> FamiliesOf(device::DeviceKind kind) {
    switch (kind) {
        case DeviceKind::Keyboard: return kKeyboardFamilies;
        case DeviceKind::Mouse: return kMouseFamilies;
        case DeviceKind::MousePad: return kPadFamilies;
    }
    return {};
}

std::string NewProfileName(ProfileFamily family, int n) {
    return std::string(Family(family).newNamePrefix) + std::to_string(n);
}

}  // namespace corvane::profiles
