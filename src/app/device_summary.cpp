#include "app/device_summary.h"

#include <cstdio>

#include "platform/bytes.h"

namespace corvane::app {

namespace {

using device::DeviceKind;

// Lighting record fields shown in the summary.
constexpr std::size_t kMode = 1;
constexpr std::size_t kBrightness = 2;
constexpr std::size_t kSpeed = 3;
constexpr std::size_t kSevenColour = 5;
constexpr std::size_t kRed = 6;
// Mouse information and record fields.
constexpr std::size_t kSensorId = 9;
constexpr std::size_t kDpiStep = 11;
constexpr std::size_t kDpiBase = 13;
constexpr std::size_t kDpi1 = 15;      // levels 1..4
constexpr std::size_t kDpiLevel = 19;
constexpr std::size_t kDpi5 = 20;      // levels 5, 6
constexpr std::size_t kMacroUnit = 128;

std::string_view KindName(DeviceKind kind) {
    switch (kind) {
        case DeviceKind::Keyboard: return "keyboard";
        case DeviceKind::Mouse: return "mouse";
        case DeviceKind::MousePad: return "mouse pad";
    }
    return "";
}

template <class... Args>
void Append(std::string& out, const char* format, Args... args) {
    char line[256];
    std::snprintf(line, sizeof line, format, args...);
    out += line;
}

}  // namespace

std::string FormatDeviceReport(const DeviceReadReport& r) {
    const auto& info = r.images.info;
    const auto& active = r.images.activeLighting;
    std::string out;
    Append(out, "%s  %s  %04x:%04x\n", std::string(KindName(r.kind)).c_str(), r.path.c_str(),
           r.vendorId, r.productId);
    if (r.kind == DeviceKind::Keyboard) {
        Append(out, "  keys %u, bank size %u bytes\n", info[device::kInfoKeyCount], r.bankSize);
    } else if (r.kind == DeviceKind::Mouse) {
        Append(out, "  bank size %u bytes\n", r.bankSize);
    }
    Append(out, "  active slot %u: mode %u, brightness %u, speed %u, colour #%02X%02X%02X%s\n",
           active[device::kActiveSlotOffset], active[kMode], active[kBrightness], active[kSpeed],
           active[kRed], active[kRed + 1], active[kRed + 2],
           active[kSevenColour] ? " (seven-colour cycle)" : "");
    if (device::HasKeyTables(r.kind)) {
        Append(out, "  macro memory %zu bytes\n", info[device::kInfoMacroCapacity] * kMacroUnit);
    }
    if (r.kind == DeviceKind::Mouse) {
        const unsigned step = info[kDpiStep];
        const unsigned base = platform::LoadLe16(info, kDpiBase);
        const std::uint8_t positions[6] = {active[kDpi1],     active[kDpi1 + 1], active[kDpi1 + 2],
                                           active[kDpi1 + 3], active[kDpi5],     active[kDpi5 + 1]};
        Append(out, "  sensor 0x%04X, DPI", platform::LoadLe16(info, kSensorId));
        for (std::uint8_t p : positions) Append(out, " %u", p * step + base);
        Append(out, " (level %u)\n", active[kDpiLevel] + 1u);
    }
    Append(out, "  %llu reports in %.1f ms\n", static_cast<unsigned long long>(r.reports),
           static_cast<double>(r.took.count()) / 1000.0);
    return out;
}

}  // namespace corvane::app
