#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace corvane::virt {

// HID report descriptors of the two collections a virtual device exposes, byte for byte as a
// device would return them.

// Vendor collection (usage page 0xFF1C, usage 0x92): report id 4 with 63 data bytes in each
// direction, i.e. 64-byte reports including the id.
std::span<const std::uint8_t> VendorCollectionDescriptor();

// Consumer control (usage page 0x0C, usage 0x01): report id 3 carrying one 16-bit usage index
// (array of usages 0..0x0FFF).
std::span<const std::uint8_t> ConsumerCollectionDescriptor();

// The descriptor of a device's interface: the vendor collection, then (keyboard and mouse) the
// consumer-control collection, so "col01" and "col02" of a path index them in that order.
std::vector<std::uint8_t> InterfaceDescriptor(bool withConsumerControl);

inline constexpr std::uint8_t kConsumerReportId = 3;
inline constexpr std::size_t kConsumerReportSize = 3;  // id + one 16-bit usage

}  // namespace corvane::virt
