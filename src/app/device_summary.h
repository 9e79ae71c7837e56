#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "device/device_images.h"
#include "device/device_kind.h"

namespace corvane::app {

// What one device read told us, for a short human-readable report.
struct DeviceReadReport {
    device::DeviceKind kind = device::DeviceKind::Keyboard;
    std::string path;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t bankSize = 0;
    device::DeviceImages images;
    std::uint64_t reports = 0;
    std::chrono::microseconds took{0};
};

// A few lines describing the device: identity, keys, active lighting, memory, sensor and DPI.
std::string FormatDeviceReport(const DeviceReadReport& report);

}  // namespace corvane::app
