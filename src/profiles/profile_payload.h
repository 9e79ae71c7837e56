#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "device/device_images.h"
#include "profiles/profile_family.h"

namespace corvane::profiles {

// The in-memory setting blocks a profile is spread over and assembled from. The owner keeps
// the blocks; this names them. A family needs only its own device's blocks (and, for the
// keyboard lighting family, the colour blocks; for the mouse lighting families the pointer
// values); the others may stay null.
struct SettingBlocks {
    device::DeviceImages* keyboard = nullptr;
    device::DeviceImages* mouse = nullptr;
    device::DeviceImages* pad = nullptr;
    device::CustomColourStateImage* customColourState = nullptr;
    device::KeyColourTableImage* keyColourTable = nullptr;
    std::uint8_t* pointerSpeed = nullptr;
    std::uint8_t* wheelSpeed = nullptr;
};

// Offsets within the keyboard lighting payload.
inline constexpr std::size_t kKbPayloadSlotOffset = 0;
inline constexpr std::size_t kKbPayloadColourStateOffset = device::kLightingBlockSize;
inline constexpr std::size_t kKbPayloadColourTableOffset =
    kKbPayloadColourStateOffset + device::kCustomColourStateSize;
static_assert(kKbPayloadColourTableOffset + device::kColourSetCount * device::kColourSetSize ==
              kKeyboardLightingPayloadSize);

// Offsets within the mouse device payload: the key bank, then the lighting block.
inline constexpr std::size_t kMsDevicePayloadLightingOffset = device::kKeyTableSize;
static_assert(kMsDevicePayloadLightingOffset + device::kLightingBlockSize ==
              kMouseDevicePayloadSize);

// Spreads a payload of exactly the family's size over the blocks (bank 0, slot 0, the active
// record and the family's extras). A pointer or wheel speed of 0 becomes 1. False, changing
// nothing, when the size is wrong or a needed block is missing.
bool LoadPayload(ProfileFamily family, std::span<const std::uint8_t> payload,
                 const SettingBlocks& blocks);

// Builds the family's payload from the blocks. First writes the active record (and, for the
// mouse, the pointer values) into slot 0, as the device keeps them. Nothing when a needed
// block is missing.
std::optional<std::vector<std::uint8_t>> AssemblePayload(ProfileFamily family,
                                                         const SettingBlocks& blocks);

}  // namespace corvane::profiles
