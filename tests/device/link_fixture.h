#pragma once

#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "device/device_kind.h"
#include "device/device_link.h"
#include "device/report_packet.h"
#include "virtual/virtual_hid_bus.h"

namespace corvane::testing {

// A virtual bus and a link to one of its devices, opened and connected as a presence watcher
// leaves it.
struct LinkedDevice {
    explicit LinkedDevice(device::DeviceKind kind) : kind(kind), link(bus) {
        link.SetIdentity(device::kVendorId, device::ProductIdOf(kind), device::kVendorUsage,
                         device::kVendorUsagePage);
        opened = device::OpenMatchingDevice(link);
        link.connected = opened == device::OpenMatchResult::Opened;
        Device().ClearRequests();
        Device().ResetPacketCount();
    }
    virt::VirtualDevice& Device() { return bus.Device(kind); }

    device::DeviceKind kind;
    virt::VirtualHidBus bus;
    device::DeviceLink link;
    device::OpenMatchResult opened = device::OpenMatchResult::NotFound;
};

// Parameter records of the five slots, 64 bytes apart, each with its own contents so that an
// answer to the wrong request shows. Byte 0 (the active slot byte of slot 0) stays 0.
using ParamRecord = std::array<std::uint8_t, device::kPayloadSize>;
inline constexpr std::size_t kParamSlots = 5;
inline constexpr std::uint16_t kParamRecordStride = 64;
inline std::uint16_t SlotOffset(std::size_t slot) { return static_cast<std::uint16_t>(slot * kParamRecordStride); }
inline std::array<ParamRecord, kParamSlots> DistinctRecords(virt::VirtualDevice& device) {
    std::array<ParamRecord, kParamSlots> records{};
    for (std::size_t slot = 0; slot < kParamSlots; ++slot) {
        for (std::size_t i = 1; i < device::kPayloadSize; ++i) {
            records[slot][i] = static_cast<std::uint8_t>(0x10 * (slot + 1) + i);
        }
        EXPECT_TRUE(device.SetMemory(virt::MemoryArea::Params, SlotOffset(slot), records[slot]));
    }
    return records;
}

}  // namespace corvane::testing
