#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/device_kind.h"
#include "device/hid_backend.h"
#include "virtual/virtual_device.h"

namespace corvane::virt {

// A HID backend holding the three virtual devices (keyboard, mouse, mouse pad). With a memory
// folder each device keeps its memory there across runs.
class VirtualHidBus : public device::HidBackend {
public:
    explicit VirtualHidBus(std::optional<std::filesystem::path> memoryFolder = std::nullopt,
                           bool pluggedIn = true);
    ~VirtualHidBus() override;
    VirtualHidBus(const VirtualHidBus&) = delete;
    VirtualHidBus& operator=(const VirtualHidBus&) = delete;

    VirtualDevice& Device(device::DeviceKind kind);
    VirtualDevice& Keyboard() { return Device(device::DeviceKind::Keyboard); }
    VirtualDevice& Mouse() { return Device(device::DeviceKind::Mouse); }
    VirtualDevice& MousePad() { return Device(device::DeviceKind::MousePad); }

    void SetLatency(std::chrono::nanoseconds latency);  // for all three
    void SetSharedNode(bool shared);                     // for all three, see VirtualDevice
    void PersistAll();

    bool Enumerate(std::vector<std::string>& paths) override;
    // How often the bus was listed: a watcher's passes, for tests that wait for them.
    std::uint64_t Enumerations() const { return enumerations_.load(); }
    std::unique_ptr<device::HidDevice> Open(const std::string& path,
                                            const device::HidOpenOptions& options) override;
    bool StillPresent(const std::string& path) override;

private:
    struct Target {
        VirtualDevice* device = nullptr;
        Collection collection = Collection::Vendor;
    };
    std::optional<Target> Find(const std::string& path);

    std::array<std::shared_ptr<VirtualDevice>, 3> devices_;
    std::atomic<std::uint64_t> enumerations_{0};
};

}  // namespace corvane::virt
