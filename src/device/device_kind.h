#pragma once

#include <cstdint>
#include <string_view>

#include "platform/log.h"

namespace corvane::device {

// The three peripherals. The numeric values are the device-kind codes stored in profile headers.
enum class DeviceKind : std::uint8_t { Keyboard = 1, Mouse = 2, MousePad = 3 };

inline constexpr DeviceKind kAllDeviceKinds[] = {DeviceKind::Keyboard, DeviceKind::Mouse,
                                                 DeviceKind::MousePad};

// Control-name prefix of the kind: "kb_", "ms_", "mp_".
constexpr std::string_view DevicePrefix(DeviceKind kind) {
    switch (kind) {
        case DeviceKind::Keyboard: return "kb_";
        case DeviceKind::Mouse: return "ms_";
        case DeviceKind::MousePad: return "mp_";
    }
    return "";
}

// Index 0, 1, 2 for arrays kept per kind.
constexpr std::size_t KindIndex(DeviceKind kind) {
    return static_cast<std::size_t>(kind) - 1;
}

// Identity of the vendor collection every device speaks the command protocol on.
inline constexpr std::uint16_t kVendorUsagePage = 0xFF1C;
inline constexpr std::uint16_t kVendorUsage = 0x92;
// Consumer-control collection the keyboard and mouse announce their own events on.
inline constexpr std::uint16_t kConsumerUsagePage = 0x0C;
inline constexpr std::uint16_t kConsumerUsage = 0x01;

// USB identities of the three products (build constants).
inline constexpr std::uint16_t kVendorId = 0x1A2C;
inline constexpr std::uint16_t kKeyboardProductId = 0x4C5E;
inline constexpr std::uint16_t kMouseProductId = 0x4C61;
inline constexpr std::uint16_t kMousePadProductId = 0x4C63;

constexpr std::uint16_t ProductIdOf(DeviceKind kind) {
    switch (kind) {
        case DeviceKind::Keyboard: return kKeyboardProductId;
        case DeviceKind::Mouse: return kMouseProductId;
        case DeviceKind::MousePad: return kMousePadProductId;
    }
    return 0;
}

// The log category of the device's own traffic ("kb", "ms", "mp").
constexpr platform::LogCategory LogCategoryOf(DeviceKind kind) {
    switch (kind) {
        case DeviceKind::Keyboard: return platform::LogCategory::Keyboard;
        case DeviceKind::Mouse: return platform::LogCategory::Mouse;
        case DeviceKind::MousePad: return platform::LogCategory::MousePad;
    }
    return platform::LogCategory::Hid;
}

}  // namespace corvane::device
