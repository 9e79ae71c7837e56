// corvane-devices: starts the three virtual devices, finds each through the HID channel as the
// presence watchers do, reads its complete state and prints what it found.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string_view>

#include "app/device_summary.h"
#include "device/device_images.h"
#include "device/device_kind.h"
#include "device/device_link.h"
#include "device/state_transfer.h"
#include "virtual/virtual_hid_bus.h"

namespace {

using namespace corvane;

constexpr std::string_view kMemoryOption = "--memory=";

void PrintUsage() {
    std::puts("usage: corvane-devices [--memory=DIR]\n"
              "  --memory=DIR  the virtual devices keep their memory in DIR across runs");
}

}  // namespace

int main(int argc, char** argv) {
    std::optional<std::filesystem::path> memoryFolder;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.starts_with(kMemoryOption) && arg.size() > kMemoryOption.size()) {
            memoryFolder = std::filesystem::path(arg.substr(kMemoryOption.size()));
        } else {
            PrintUsage();
            return arg == "--help" || arg == "-h" ? 0 : 2;
        }
    }

    virt::VirtualHidBus bus(memoryFolder);
    int exitCode = 0;
    for (device::DeviceKind kind : device::kAllDeviceKinds) {
        device::DeviceLink link(bus);
        link.SetIdentity(device::kVendorId, device::ProductIdOf(kind), device::kVendorUsage,
                         device::kVendorUsagePage);
        if (device::OpenMatchingDevice(link) != device::OpenMatchResult::Opened) {
            std::fprintf(stderr, "no device with product id %04x found\n", device::ProductIdOf(kind));
            exitCode = 1;
            continue;
        }
        link.connected = true;

        device::DeviceState state;
        const auto start = std::chrono::steady_clock::now();
        const device::ReadStateResult result = device::ReadDeviceState(kind, link, state);
        const auto took = std::chrono::steady_clock::now() - start;

        app::DeviceReadReport report;
        report.kind = kind;
        report.path = link.Channel().DevicePath();
        report.vendorId = link.Channel().Attributes().vendorId;
        report.productId = link.Channel().Attributes().productId;
        report.bankSize = link.BankSize();
        report.images = state.Snapshot();
        report.reports = link.ReportsWritten() + link.ReportsRead();
        report.took = std::chrono::duration_cast<std::chrono::microseconds>(took);
        std::fputs(app::FormatDeviceReport(report).c_str(), stdout);
        if (result == device::ReadStateResult::TooManyKeys) {
            std::puts("  (too many keys for a key bank: read stopped)");
            exitCode = 1;
        } else if (result == device::ReadStateResult::Incomplete) {
            std::puts("  (the device did not answer every request: nothing read)");
            exitCode = 1;
        }
    }
    return exitCode;
}
