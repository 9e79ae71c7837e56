#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "device/device_images.h"
#include "lighting/colour.h"

namespace corvane::lighting {

using device::ActiveLightingImage;
using device::DeviceInfoBlock;
using device::LightingBlockImage;

// Mouse information block.
inline constexpr std::size_t kSensorIdOffset = device::kInfoSensorFirst;  // 16-bit LE
inline constexpr std::size_t kDpiStepOffset = 11;
inline constexpr std::size_t kDpiStepsOffset = 12;
inline constexpr std::size_t kDpiBaseOffset = 13;  // 16-bit LE

struct MouseInfo {
    std::uint16_t sensorId = 0;
    std::uint8_t dpiStep = 0;
    std::uint8_t dpiSteps = 0;
    std::uint16_t dpiBase = 0;
};
MouseInfo ReadMouseInfo(const DeviceInfoBlock& info);

// Known sensors: DPI at slider position 0 and the texts of the limit labels.
struct SensorDpiProfile {
    std::uint16_t sensorId;
    std::uint16_t dpiBase;
    std::string_view minimumText;
    std::string_view maximumText;
};
extern const std::array<SensorDpiProfile, 4> SensorDpiProfiles;
std::optional<SensorDpiProfile> FindSensorProfile(std::uint16_t sensorId);
// The device's dpiBase unless the sensor is known.
MouseInfo WithSensorProfile(MouseInfo info);

// Mouse record bytes 11..22.
inline constexpr std::size_t kDpiColourOffset = 11;  // red, green, blue
inline constexpr std::size_t kReportRateOffset = 14;
inline constexpr std::size_t kDpiLevelOffset = 19;
inline constexpr std::size_t kSensorHeightOffset = 22;
inline constexpr std::size_t kDpiLevelCount = 6;
// Byte of DPI level 1..6 (levels 5 and 6 come after the current-level byte).
inline constexpr std::array<std::size_t, kDpiLevelCount> kDpiLevelOffsets = {15, 16, 17, 18, 20, 21};

constexpr Rgb DpiColour(const ActiveLightingImage& m) {
    return Rgb{m[kDpiColourOffset], m[kDpiColourOffset + 1], m[kDpiColourOffset + 2]};
}
constexpr void SetDpiColour(ActiveLightingImage& m, Rgb colour) {
    m[kDpiColourOffset] = colour.red;
    m[kDpiColourOffset + 1] = colour.green;
    m[kDpiColourOffset + 2] = colour.blue;
}
constexpr std::uint8_t ReportRate(const ActiveLightingImage& m) { return m[kReportRateOffset]; }
constexpr void SetReportRate(ActiveLightingImage& m, std::uint8_t index) { m[kReportRateOffset] = index; }
constexpr std::uint8_t CurrentDpiLevel(const ActiveLightingImage& m) { return m[kDpiLevelOffset]; }
constexpr std::uint8_t SensorHeight(const ActiveLightingImage& m) { return m[kSensorHeightOffset]; }
constexpr void SetSensorHeight(ActiveLightingImage& m, std::uint8_t v) { m[kSensorHeightOffset] = v; }

// Slider position of level 1..6 (none for another level).
std::optional<std::uint8_t> DpiPosition(const ActiveLightingImage& m, std::size_t level);
bool SetDpiPosition(ActiveLightingImage& m, std::size_t level, std::uint8_t position);
// DPI shown for a slider position: position x dpiStep + dpiBase (with the sensor's base).
unsigned DpiValue(const MouseInfo& info, std::uint8_t position);
// Levels 1..4 are stored when the slider settles; 5 and 6 on every drag step as well.
constexpr bool StoresWhileDragging(std::size_t level) { return level == 5 || level == 6; }
// The level whose labels are highlighted (1..6), none for a current level above 5.
std::optional<std::size_t> HighlightedDpiLevel(const ActiveLightingImage& m);
inline constexpr std::uint32_t kHighlightTextColour = 0xFFFF0000u;
inline constexpr std::uint32_t kNormalTextColour = 0xFFFFFFFFu;

// Pointer settings kept after the record in the mouse LightingBlock (profiles only).
inline constexpr std::size_t kPointerSpeedOffset = device::kMousePointerSpeedOffset;
inline constexpr std::size_t kWheelSpeedOffset = device::kMouseWheelSpeedOffset;
inline constexpr int kPointerSpeedMin = 1;
inline constexpr int kPointerSpeedMax = 20;
inline constexpr int kWheelSpeedMin = 1;
inline constexpr int kWheelSpeedMax = 10;
inline constexpr int kDefaultPointerSlider = 5;
inline constexpr int kDefaultWindowsPointerSpeed = 10;
inline constexpr int kDefaultWheelLines = 3;

// Slider position v stores 2v + 2, limited to 1..20.
std::uint8_t PointerSpeedFromSlider(int position);
// The slider position that stores a speed again (so a loaded profile shows where it was set).
int SliderFromPointerSpeed(std::uint8_t pointerSpeed);
// Stored values as used: pointer speed 1..20, wheel lines 1..10 (a stored 0 reads as 1).
std::uint8_t PointerSpeed(const LightingBlockImage& block);
std::uint8_t WheelSpeed(const LightingBlockImage& block);
void SetPointerSpeed(LightingBlockImage& block, std::uint8_t speed);
void SetWheelSpeed(LightingBlockImage& block, std::uint8_t lines);
// The wheel buttons: up = max(w, 1) + 1 at most 10; down = min(w, 10) - 1 at least 1. `shown` is
// the edit's text (non-numeric reads as 0).
int StepWheelSpeed(std::string_view shown, bool up);

// Payload of a mouse device profile: key bank 0 followed by lighting slot 0.
inline constexpr std::size_t kMouseDeviceConfigSize = device::kKeyTableSize + device::kLightingBlockSize;
using MouseDeviceConfigImage = std::array<std::uint8_t, kMouseDeviceConfigSize>;
struct MouseDeviceConfig {
    device::KeyTableImage keyBank{};
    LightingBlockImage lighting{};

    MouseDeviceConfigImage ToBytes() const;
    static MouseDeviceConfig FromBytes(const MouseDeviceConfigImage& bytes);
};

}  // namespace corvane::lighting
