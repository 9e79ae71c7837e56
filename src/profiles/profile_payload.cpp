#include "profiles/profile_payload.h"

#include <algorithm>

namespace corvane::profiles {
namespace {

using device::DeviceImages;
using device::DeviceKind;
using Bytes = std::span<const std::uint8_t>;

constexpr std::size_t kBank0 = 0;
constexpr std::size_t kSlot0 = 0;
constexpr std::uint8_t kMinimumSpeed = 1;

template <typename Block>
void CopyInto(Block& block, Bytes source) {
    std::copy_n(source.begin(), block.size(), block.begin());
}

// Slot 0 -> active record, as the device does when a profile is applied.
void SlotToActive(DeviceImages& images, DeviceKind kind) {
    const auto& slot = images.lightingSlots[kSlot0];
    std::copy_n(slot.begin(), device::ActiveLightingSize(kind), images.activeLighting.begin());
}

void ActiveToSlot(DeviceImages& images, DeviceKind kind) {
    auto& slot = images.lightingSlots[kSlot0];
    std::copy_n(images.activeLighting.begin(), device::ActiveLightingSize(kind), slot.begin());
}

bool HasMouseLighting(const SettingBlocks& b) {
    return b.mouse && b.pointerSpeed && b.wheelSpeed;
}

void LoadMouseLighting(Bytes block, const SettingBlocks& b) {
    auto& slot = b.mouse->lightingSlots[kSlot0];
    CopyInto(slot, block);
    SlotToActive(*b.mouse, DeviceKind::Mouse);
    *b.pointerSpeed = std::max(slot[device::kMousePointerSpeedOffset], kMinimumSpeed);
    *b.wheelSpeed = std::max(slot[device::kMouseWheelSpeedOffset], kMinimumSpeed);
}

void AssembleMouseLighting(const SettingBlocks& b, std::vector<std::uint8_t>& out) {
    ActiveToSlot(*b.mouse, DeviceKind::Mouse);
    auto& slot = b.mouse->lightingSlots[kSlot0];
    slot[device::kMousePointerSpeedOffset] = *b.pointerSpeed;
    slot[device::kMouseWheelSpeedOffset] = *b.wheelSpeed;
    out.insert(out.end(), slot.begin(), slot.end());
}

}  // namespace

bool LoadPayload(ProfileFamily family, std::span<const std::uint8_t> payload,
                 const SettingBlocks& b) {
    if (payload.size() != Family(family).payloadSize) return false;
    switch (family) {
        case ProfileFamily::KbKey:
            if (!b.keyboard) return false;
            CopyInto(b.keyboard->keyBanks[kBank0], payload);
            return true;
        case ProfileFamily::MsKey:
            if (!b.mouse) return false;
            CopyInto(b.mouse->keyBanks[kBank0], payload);
            return true;
        case ProfileFamily::KbDeng:
            if (!b.keyboard || !b.customColourState || !b.keyColourTable) return false;
            CopyInto(b.keyboard->lightingSlots[kSlot0], payload.subspan(kKbPayloadSlotOffset));
            SlotToActive(*b.keyboard, DeviceKind::Keyboard);
            CopyInto(*b.customColourState, payload.subspan(kKbPayloadColourStateOffset));
            CopyInto(*b.keyColourTable, payload.subspan(kKbPayloadColourTableOffset));
            return true;
        case ProfileFamily::MsDevice:
            if (!HasMouseLighting(b)) return false;
            CopyInto(b.mouse->keyBanks[kBank0], payload);
            LoadMouseLighting(payload.subspan(kMsDevicePayloadLightingOffset), b);
            return true;
        case ProfileFamily::MsDeng:
            if (!HasMouseLighting(b)) return false;
            LoadMouseLighting(payload, b);
            return true;
        case ProfileFamily::MpDeng:
            if (!b.pad) return false;
            CopyInto(b.pad->lightingSlots[kSlot0], payload);
            SlotToActive(*b.pad, DeviceKind::MousePad);
            return true;
    }
    return false;
}

std::optional<std::vector<std::uint8_t>> AssemblePayload(ProfileFamily family,
                                                         const SettingBlocks& b) {
    std::vector<std::uint8_t> out;
    out.reserve(Family(family).payloadSize);
    switch (family) {
        case ProfileFamily::KbKey:
            if (!b.keyboard) return std::nullopt;
            out.assign(b.keyboard->keyBanks[kBank0].begin(), b.keyboard->keyBanks[kBank0].end());
            break;
        case ProfileFamily::MsKey:
            if (!b.mouse) return std::nullopt;
            out.assign(b.mouse->keyBanks[kBank0].begin(), b.mouse->keyBanks[kBank0].end());
            break;
        case ProfileFamily::KbDeng: {
            if (!b.keyboard || !b.customColourState || !b.keyColourTable) return std::nullopt;
            ActiveToSlot(*b.keyboard, DeviceKind::Keyboard);
            const auto& slot = b.keyboard->lightingSlots[kSlot0];
            out.insert(out.end(), slot.begin(), slot.end());
            out.insert(out.end(), b.customColourState->begin(), b.customColourState->end());
            out.insert(out.end(), b.keyColourTable->begin(), b.keyColourTable->end());
            break;
        }
        case ProfileFamily::MsDevice:
            if (!HasMouseLighting(b)) return std::nullopt;
            out.assign(b.mouse->keyBanks[kBank0].begin(), b.mouse->keyBanks[kBank0].end());
            AssembleMouseLighting(b, out);
            break;
        case ProfileFamily::MsDeng:
            if (!HasMouseLighting(b)) return std::nullopt;
            AssembleMouseLighting(b, out);
            break;
        case ProfileFamily::MpDeng: {
            if (!b.pad) return std::nullopt;
            ActiveToSlot(*b.pad, DeviceKind::MousePad);
            const auto& slot = b.pad->lightingSlots[kSlot0];
            out.assign(slot.begin(), slot.end());
            break;
        }
    }
    return out;
}

}  // namespace corvane::profiles
