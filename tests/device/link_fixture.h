#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "device/device_kind.h"
#include "device/device_link.h"
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

}  // namespace corvane::testing
