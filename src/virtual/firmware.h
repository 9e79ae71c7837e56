#pragma once

#include <cstdint>
#include <vector>

#include "device/device_kind.h"
#include "device/report_packet.h"
#include "virtual/device_memory.h"

namespace corvane::virt {

// Bit set of memory areas.
using AreaMask = std::uint32_t;
constexpr AreaMask MaskOf(MemoryArea area) { return AreaMask{1} << static_cast<unsigned>(area); }

// Lighting zones the device shows preview colours on, 3 bytes (red, green, blue) each.
inline constexpr std::size_t kPreviewZoneBytes = 3;
inline constexpr std::size_t kKeyboardPreviewZones = 126;
inline constexpr std::size_t kMousePreviewZones = 20;
inline constexpr std::size_t kPadPreviewZones = 15;
std::size_t PreviewZones(device::DeviceKind kind);
inline constexpr std::uint8_t kSlotCount = 5;
inline constexpr std::size_t kActiveSlotOffset = 0;  // of the parameter area

// The command side of one virtual device: its memory and the answer to every request. Not
// thread-safe; VirtualDevice serialises the calls.
class Firmware {
public:
    explicit Firmware(device::DeviceKind kind);
    Firmware(device::DeviceKind kind, DeviceMemory memory);

    // The answer to one request (report id 4, status 0 on success, 0xFF for a request the device
    // rejects: bad checksum, unknown command, length above 56, or an access outside the area).
    device::ReportPacket Handle(const device::ReportPacket& request);

    // Areas changed since the last TakeAreasToPersist that should be written now: at leaving
    // setting mode, after a parameter write, after the final (short) packet of a write outside
    // setting mode, and after a factory reset.
    AreaMask TakeAreasToPersist();
    // Everything changed and not yet persisted.
    AreaMask TakeDirtyAreas();

    void RestoreFactory();
    // The slot button on the device: slot (0..4) becomes the active one. False for another number.
    bool SwitchActiveSlot(std::uint8_t slot);
    // Preview frames received (a frame starts with the packet at offset 0) and the colours of the
    // last one, 3 bytes per zone of the device.
    std::uint64_t PreviewFrames() const { return previewFrames_; }
    std::vector<std::uint8_t> PreviewColours() const;
    // Power is gone: setting mode ends and every change is due to be kept.
    void PowerLoss();
    bool InSettingMode() const { return settingMode_; }
    device::DeviceKind Kind() const { return kind_; }
    DeviceMemory& Memory() { return memory_; }
    const DeviceMemory& Memory() const { return memory_; }

private:
    std::uint8_t ReadArea(MemoryArea area, const device::ReportPacket& request,
                          device::ReportPacket& answer) const;
    std::uint8_t WriteArea(MemoryArea area, const device::ReportPacket& request);

    device::DeviceKind kind_;
    DeviceMemory memory_;
    bool settingMode_ = false;
    std::uint64_t previewFrames_ = 0;
    AreaMask dirty_ = 0;
    AreaMask persistNow_ = 0;
};

}  // namespace corvane::virt
