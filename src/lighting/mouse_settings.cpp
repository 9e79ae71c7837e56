#include "lighting/mouse_settings.h"

#include <algorithm>
#include <cctype>

#include "platform/bytes.h"

namespace corvane::lighting {

const std::array<SensorDpiProfile, 4> SensorDpiProfiles = {{
    {0x3325, 200, "200", "5000"},
    {0x3050, 250, "250", "4000"},
    {0x3360, 100, "100", "12000"},
    {0x3310, 50, "50", "5000"},
}};

MouseInfo ReadMouseInfo(const DeviceInfoBlock& info) {
    return MouseInfo{platform::LoadLe16(info, kSensorIdOffset), info[kDpiStepOffset],
                     info[kDpiStepsOffset], platform::LoadLe16(info, kDpiBaseOffset)};
}

std::optional<SensorDpiProfile> FindSensorProfile(std::uint16_t sensorId) {
    for (const auto& profile : SensorDpiProfiles) {
        if (profile.sensorId == sensorId) return profile;
    }
    return std::nullopt;
}

MouseInfo WithSensorProfile(MouseInfo info) {
    if (const auto profile = FindSensorProfile(info.sensorId)) info.dpiBase = profile->dpiBase;
    return info;
}

std::optional<std::uint8_t> DpiPosition(const ActiveLightingImage& m, std::size_t level) {
    if (level < 1 || level > kDpiLevelCount) return std::nullopt;
    return m[kDpiLevelOffsets[level - 1]];
}

bool SetDpiPosition(ActiveLightingImage& m, std::size_t level, std::uint8_t position) {
    if (level < 1 || level > kDpiLevelCount) return false;
    m[kDpiLevelOffsets[level - 1]] = position;
    return true;
}

unsigned DpiValue(const MouseInfo& info, std::uint8_t position) {
    return unsigned{position} * info.dpiStep + WithSensorProfile(info).dpiBase;
}

std::optional<std::size_t> HighlightedDpiLevel(const ActiveLightingImage& m) {
    const std::size_t current = CurrentDpiLevel(m);
    if (current >= kDpiLevelCount) return std::nullopt;
    return current + 1;
}

std::uint8_t PointerSpeedFromSlider(int position) {
    return static_cast<std::uint8_t>(std::clamp(2 * position + 2, kPointerSpeedMin, kPointerSpeedMax));
}

int SliderFromPointerSpeed(std::uint8_t pointerSpeed) {
    return (std::clamp<int>(pointerSpeed, kPointerSpeedMin, kPointerSpeedMax) - 1) / 2;
}

std::uint8_t PointerSpeed(const LightingBlockImage& block) {
    return static_cast<std::uint8_t>(
        std::clamp<int>(block[kPointerSpeedOffset], kPointerSpeedMin, kPointerSpeedMax));
}

std::uint8_t WheelSpeed(const LightingBlockImage& block) {
    return static_cast<std::uint8_t>(
        std::clamp<int>(block[kWheelSpeedOffset], kWheelSpeedMin, kWheelSpeedMax));
}

void SetPointerSpeed(LightingBlockImage& block, std::uint8_t speed) {
    block[kPointerSpeedOffset] = speed;
}

void SetWheelSpeed(LightingBlockImage& block, std::uint8_t lines) { block[kWheelSpeedOffset] = lines; }

int StepWheelSpeed(std::string_view shown, bool up) {
    std::size_t at = 0;
    while (at < shown.size() && std::isspace(static_cast<unsigned char>(shown[at]))) ++at;
    int w = 0;
    for (; at < shown.size() && std::isdigit(static_cast<unsigned char>(shown[at])); ++at) {
        w = std::min(kWheelSpeedMax + 1, w * 10 + (shown[at] - '0'));
    }
    if (up) return std::min(std::max(w, kWheelSpeedMin) + 1, kWheelSpeedMax);
    return std::max(std::min(w, kWheelSpeedMax) - 1, kWheelSpeedMin);
}

MouseDeviceConfigImage MouseDeviceConfig::ToBytes() const {
    MouseDeviceConfigImage bytes{};
    std::copy(keyBank.begin(), keyBank.end(), bytes.begin());
    std::copy(lighting.begin(), lighting.end(), bytes.begin() + device::kKeyTableSize);
    return bytes;
}

MouseDeviceConfig MouseDeviceConfig::FromBytes(const MouseDeviceConfigImage& bytes) {
    MouseDeviceConfig config;
    std::copy_n(bytes.begin(), device::kKeyTableSize, config.keyBank.begin());
    std::copy_n(bytes.begin() + device::kKeyTableSize, device::kLightingBlockSize,
                config.lighting.begin());
    return config;
}

}  // namespace corvane::lighting
