// Reads the complete state of the three virtual devices with the 1 ms per report latency model
// and compares the time with the ideal (reports x latency plus the fixed pause before leaving
// setting mode); then measures the CPU time of one exchange with no latency.

#include <sys/prctl.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

#include "device/device_images.h"
#include "device/device_kind.h"
#include "device/device_link.h"
#include "device/state_transfer.h"
#include "virtual/virtual_hid_bus.h"

namespace {

using namespace corvane;
using Clock = std::chrono::steady_clock;

constexpr auto kLatency = std::chrono::milliseconds(1);
constexpr int kRounds = 5;
constexpr int kCpuExchanges = 20000;

double ProcessCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

void Connect(device::DeviceLink& link, device::DeviceKind kind) {
    link.SetIdentity(device::kVendorId, device::ProductIdOf(kind), device::kVendorUsage,
                     device::kVendorUsagePage);
    if (device::OpenMatchingDevice(link) == device::OpenMatchResult::Opened) link.connected = true;
}

struct RoundResult {
    double measuredMs = 0;
    double idealMs = 0;
    std::uint64_t reports = 0;
};

RoundResult ReadAllOnce(virt::VirtualHidBus& bus, bool print) {
    RoundResult total;
    for (device::DeviceKind kind : device::kAllDeviceKinds) {
        device::DeviceLink link(bus);
        Connect(link, kind);
        device::DeviceState state;
        const auto start = Clock::now();
        // Only the time counts here; the virtual devices always have a bank that fits.
        (void)device::ReadDeviceState(kind, link, state);
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        const std::uint64_t reports = link.ReportsWritten() + link.ReportsRead();
        const double ideal = static_cast<double>(reports) *
                                 std::chrono::duration<double, std::milli>(kLatency).count() +
                             device::DeviceLink::kExitSettingPauseMs;
        if (print) {
            std::printf("  %-9s %4llu reports  measured %7.2f ms  ideal %7.2f ms  ratio %.4f\n",
                        std::string(device::DevicePrefix(kind)).c_str(),
                        static_cast<unsigned long long>(reports), ms, ideal, ms / ideal);
        }
        total.measuredMs += ms;
        total.idealMs += ideal;
        total.reports += reports;
    }
    return total;
}

}  // namespace

int main() {
    // Wake-ups as close to their deadline as the kernel allows.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);

    virt::VirtualHidBus bus;
    bus.SetLatency(kLatency);
    std::printf("Full state read, %lld ms per report (ideal includes the 10 ms pause before "
                "leaving setting mode):\n",
                static_cast<long long>(kLatency.count()));
    std::vector<double> ratios;
    for (int round = 0; round < kRounds; ++round) {
        const RoundResult r = ReadAllOnce(bus, round == 0);
        ratios.push_back(r.measuredMs / r.idealMs);
        std::printf("round %d: %llu reports, measured %.2f ms, ideal %.2f ms, ratio %.4f\n", round + 1,
                    static_cast<unsigned long long>(r.reports), r.measuredMs, r.idealMs,
                    r.measuredMs / r.idealMs);
    }
    std::sort(ratios.begin(), ratios.end());
    std::printf("median ratio %.4f (worst %.4f)\n", ratios[ratios.size() / 2], ratios.back());

    bus.SetLatency(std::chrono::nanoseconds(0));
    device::DeviceLink link(bus);
    Connect(link, device::DeviceKind::Mouse);
    std::array<std::uint8_t, 56> record{};
    for (int i = 0; i < 1000; ++i) (void)link.ReadParamRecord(record, 64);  // warm up; only timed below
    int failures = 0;
    const double cpu0 = ProcessCpuSeconds();
    const auto wall0 = Clock::now();
    for (int i = 0; i < kCpuExchanges; ++i) {
        if (link.ReadParamRecord(record, 64) != device::kSuccess) ++failures;
    }
    const double cpu = ProcessCpuSeconds() - cpu0;
    const double wall = std::chrono::duration<double>(Clock::now() - wall0).count();
    std::printf("Exchange at zero latency: %.2f us CPU, %.2f us wall per exchange (%d exchanges, "
                "%d failed)\n",
                cpu * 1e6 / kCpuExchanges, wall * 1e6 / kCpuExchanges, kCpuExchanges, failures);
    return failures == 0 ? 0 : 1;
}
