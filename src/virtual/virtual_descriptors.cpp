#include "virtual/virtual_descriptors.h"

#include <algorithm>
#include <iterator>

namespace corvane::virt {

namespace {

// clang-format off
constexpr std::uint8_t kVendorDescriptor[] = {
    0x06, 0x1C, 0xFF,  // Usage Page (vendor 0xFF1C)
    0x09, 0x92,        // Usage (0x92)
    0xA1, 0x01,        // Collection (Application)
    0x85, 0x04,        //   Report ID (4)
    0x15, 0x00,        //   Logical Minimum (0)
    0x26, 0xFF, 0x00,  //   Logical Maximum (255)
    0x75, 0x08,        //   Report Size (8)
    0x95, 0x3F,        //   Report Count (63)
    0x09, 0x01,        //   Usage (1)
    0x81, 0x02,        //   Input (Data, Variable, Absolute)
    0x09, 0x02,        //   Usage (2)
    0x95, 0x3F,        //   Report Count (63)
    0x91, 0x02,        //   Output (Data, Variable, Absolute)
    0xC0,              // End Collection
};

constexpr std::uint8_t kConsumerDescriptor[] = {
    0x05, 0x0C,        // Usage Page (Consumer)
    0x09, 0x01,        // Usage (Consumer Control)
    0xA1, 0x01,        // Collection (Application)
    0x85, 0x03,        //   Report ID (3)
    0x19, 0x00,        //   Usage Minimum (0)
    0x2A, 0xFF, 0x0F,  //   Usage Maximum (0x0FFF)
    0x15, 0x00,        //   Logical Minimum (0)
    0x26, 0xFF, 0x0F,  //   Logical Maximum (0x0FFF)
    0x75, 0x10,        //   Report Size (16)
    0x95, 0x01,        //   Report Count (1)
    0x81, 0x00,        //   Input (Data, Array, Absolute)
    0xC0,              // End Collection
};
// clang-format on

}  // namespace

std::span<const std::uint8_t> VendorCollectionDescriptor() { return kVendorDescriptor; }

std::span<const std::uint8_t> ConsumerCollectionDescriptor() { return kConsumerDescriptor; }

std::vector<std::uint8_t> InterfaceDescriptor(bool withConsumerControl) {
    const std::size_t vendor = std::size(kVendorDescriptor);
    const std::size_t consumer = withConsumerControl ? std::size(kConsumerDescriptor) : 0;
    std::vector<std::uint8_t> bytes(vendor + consumer);
    std::copy_n(kVendorDescriptor, vendor, bytes.begin());
    std::copy_n(kConsumerDescriptor, consumer, bytes.begin() + static_cast<std::ptrdiff_t>(vendor));
    return bytes;
}

}  // namespace corvane::virt
