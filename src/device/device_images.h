#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <utility>

#include "device/device_kind.h"

namespace corvane::device {

// Raw in-memory images of a device's state, byte for byte as the device holds them. Typed views
// (key entries, lighting fields, mouse settings) live in keys/ and lighting/; this layer only
// moves bytes.

inline constexpr std::size_t kDeviceInfoSize = 33;
inline constexpr std::size_t kKeyTableSize = 512;          // one key bank in memory and in profiles
inline constexpr std::size_t kKeyBankCount = 5;
inline constexpr std::size_t kLightingBlockSize = 64;      // one parameter record per slot
inline constexpr std::size_t kLightingSlotCount = 5;
inline constexpr std::size_t kParamTransferSize = 56;      // bytes of a record that travel
inline constexpr std::size_t kMaxActiveLightingSize = 41;

using DeviceInfoBlock = std::array<std::uint8_t, kDeviceInfoSize>;
using KeyTableImage = std::array<std::uint8_t, kKeyTableSize>;
using KeyBanksImage = std::array<KeyTableImage, kKeyBankCount>;
using LightingBlockImage = std::array<std::uint8_t, kLightingBlockSize>;
using LightingSlotsImage = std::array<LightingBlockImage, kLightingSlotCount>;
// Storage for the largest record; only ActiveLightingSize(kind) bytes are meaningful.
using ActiveLightingImage = std::array<std::uint8_t, kMaxActiveLightingSize>;

// Offsets within the device information block.
inline constexpr std::size_t kInfoKeyCount = 5;        // keyboard: number of keys
inline constexpr std::size_t kInfoMacroCapacity = 6;   // macro memory in units of 128 bytes
inline constexpr std::size_t kInfoSensorFirst = 9;     // mouse: bytes 9..14 describe the sensor

// Offset 0 of the parameter area and of ActiveLighting: the active on-device slot.
inline constexpr std::size_t kActiveSlotOffset = 0;

// Keyboard-only blocks kept beside the lighting record: the custom colour pen/set state and the
// five per-key colour sets (126 keys x RGB each).
inline constexpr std::size_t kKeyboardKeyCount = 126;
inline constexpr std::size_t kColourSetCount = 5;
inline constexpr std::size_t kColourSetSize = kKeyboardKeyCount * 3;
inline constexpr std::size_t kCustomColourStateSize = 4;
using CustomColourStateImage = std::array<std::uint8_t, kCustomColourStateSize>;
using KeyColourTableImage = std::array<std::uint8_t, kColourSetCount * kColourSetSize>;

// Mouse only: pointer speed and wheel lines travel in bytes 23 and 24 of the mouse lighting block.
inline constexpr std::size_t kMousePointerSpeedOffset = 23;
inline constexpr std::size_t kMouseWheelSpeedOffset = 24;

constexpr std::size_t ActiveLightingSize(DeviceKind kind) {
    switch (kind) {
        case DeviceKind::Keyboard: return 41;
        case DeviceKind::Mouse: return 23;
        case DeviceKind::MousePad: return 21;
    }
    return 0;
}

constexpr bool HasKeyTables(DeviceKind kind) { return kind != DeviceKind::MousePad; }

// One set per device kind. Filled by the state transfers, edited by the pages; shared between
// threads only through DeviceState below.
struct DeviceImages {
    DeviceInfoBlock info{};
    KeyTableImage defaultKeyTable{};
    KeyBanksImage keyBanks{};
    LightingSlotsImage lightingSlots{};
    ActiveLightingImage activeLighting{};
};

// The images of one device kind, shared by the UI thread, the presence watcher that reads an
// arriving device and the lighting threads. Every access goes through the guard; device I/O is
// never done while holding it (transfers read into locals and commit).
class DeviceState {
public:
    DeviceState() = default;
    explicit DeviceState(const DeviceImages& initial) : images_(initial) {}
    DeviceState(const DeviceState&) = delete;
    DeviceState& operator=(const DeviceState&) = delete;

    DeviceImages Snapshot() const {
        std::lock_guard guard(mutex_);
        return images_;
    }
    // Runs f(const DeviceImages&) under the guard and returns its result.
    template <class F>
    auto Read(F&& f) const {
        std::lock_guard guard(mutex_);
        return std::forward<F>(f)(static_cast<const DeviceImages&>(images_));
    }
    // Runs f(DeviceImages&) under the guard and returns its result.
    template <class F>
    auto Update(F&& f) {
        std::lock_guard guard(mutex_);
        return std::forward<F>(f)(images_);
    }

private:
    mutable std::mutex mutex_;
    DeviceImages images_;
};

}  // namespace corvane::device
