#include "virtual/virtual_hid_bus.h"

namespace corvane::virt {

using device::DeviceKind;

VirtualHidBus::VirtualHidBus(std::optional<std::filesystem::path> memoryFolder, bool pluggedIn) {
    for (DeviceKind kind : device::kAllDeviceKinds) {
        auto& slot = devices_[device::KindIndex(kind)];
        slot = VirtualDevice::Create(kind, 0, memoryFolder);
        if (!pluggedIn) slot->Unplug();
    }
}

VirtualHidBus::~VirtualHidBus() { PersistAll(); }

VirtualDevice& VirtualHidBus::Device(DeviceKind kind) { return *devices_[device::KindIndex(kind)]; }

void VirtualHidBus::SetLatency(std::chrono::nanoseconds latency) {
    for (auto& device : devices_) device->SetLatency(latency);
}

void VirtualHidBus::SetSharedNode(bool shared) {
    for (auto& device : devices_) device->SetSharedNode(shared);
}

void VirtualHidBus::PersistAll() {
    for (auto& device : devices_) device->Persist();
}

bool VirtualHidBus::Enumerate(std::vector<std::string>& paths) {
    ++enumerations_;
    paths.clear();
    for (auto& device : devices_) {
        for (auto& path : device->Paths()) paths.push_back(std::move(path));
    }
    return true;
}

std::optional<VirtualHidBus::Target> VirtualHidBus::Find(const std::string& path) {
    for (auto& device : devices_) {
        for (Collection c : {Collection::Vendor, Collection::Consumer}) {
            if (device->HasCollection(c) && device->Path(c) == path) return Target{device.get(), c};
        }
    }
    return std::nullopt;
}

std::unique_ptr<device::HidDevice> VirtualHidBus::Open(const std::string& path,
                                                       const device::HidOpenOptions& options) {
    const auto target = Find(path);
    if (!target) return nullptr;
    return target->device->Open(target->collection, options);
}

bool VirtualHidBus::StillPresent(const std::string& path) {
    const auto target = Find(path);
    return target && target->device->IsPlugged();
}

}  // namespace corvane::virt
