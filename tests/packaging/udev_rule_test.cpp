// The udev rule gives access to exactly the interfaces the program opens: each product's vendor
// and consumer interfaces by vendor id, product id and interface number, through the seat's
// "uaccess" tag and never by a mode that opens them to every user.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "device/device_kind.h"

namespace corvane {
namespace {

using device::DeviceKind;

std::vector<std::string> RuleLines() {
    std::ifstream in(CORVANE_UDEV_RULE);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        const auto start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') continue;
        lines.push_back(line.substr(start));
    }
    return lines;
}

// "0003:1A2C:4C5E" as the kernel names the HID device: bus, ids in upper case.
std::string HidName(std::uint16_t product) {
    char text[sizeof "0003:XXXX:XXXX"];
    std::snprintf(text, sizeof text, "0003:%04X:%04X", device::kVendorId, product);
    return text;
}

bool Has(const std::string& line, const std::string& part) { return line.find(part) != std::string::npos; }

TEST(UdevRule, TagsTheInterfacesOfEachProductForTheSeat) {
    struct Case {
        DeviceKind kind;
        const char* interfaces;  // the value the interface number is matched against
    };
    const Case cases[] = {
        {DeviceKind::Keyboard, "01|02"},  // vendor commands, own events
        {DeviceKind::Mouse, "01|02"},
        {DeviceKind::MousePad, "00"},
    };
    const auto lines = RuleLines();
    ASSERT_FALSE(lines.empty()) << "cannot read " << CORVANE_UDEV_RULE;
    for (const Case& c : cases) {
        const std::string kernels = "KERNELS==\"" + HidName(device::ProductIdOf(c.kind)) + ".*\"";
        int tagged = 0;
        for (const std::string& line : lines) {
            if (!Has(line, kernels)) continue;
            EXPECT_TRUE(Has(line, std::string("ENV{ID_USB_INTERFACE_NUM}==\"") + c.interfaces + "\"")) << line;
            EXPECT_TRUE(Has(line, "TAG+=\"uaccess\"")) << line;
            ++tagged;
        }
        EXPECT_EQ(tagged, 1) << kernels;
    }
}

TEST(UdevRule, LeavesOtherDevicesAndUsersAlone) {
    const auto lines = RuleLines();
    ASSERT_FALSE(lines.empty());
    bool hidrawOnly = false, productsOnly = false, interfaceNumbers = false;
    for (const std::string& line : lines) {
        // Access through the seat only: no mode, group or owner for everybody.
        EXPECT_FALSE(Has(line, "MODE")) << line;
        EXPECT_FALSE(Has(line, "GROUP")) << line;
        EXPECT_FALSE(Has(line, "OWNER")) << line;
        // Every tag is given behind a product and interface match.
        if (Has(line, "uaccess")) {
            EXPECT_TRUE(Has(line, "KERNELS==\"0003:") && Has(line, "ID_USB_INTERFACE_NUM")) << line;
        }
        hidrawOnly = hidrawOnly || line == "SUBSYSTEM!=\"hidraw\", GOTO=\"corvane_end\"";
        if (Has(line, "KERNELS!=") && Has(line, "GOTO=\"corvane_end\"")) {
            productsOnly = true;
            for (DeviceKind kind : device::kAllDeviceKinds) {
                EXPECT_TRUE(Has(line, HidName(device::ProductIdOf(kind)) + ".*")) << line;
            }
        }
        interfaceNumbers = interfaceNumbers || line == "IMPORT{builtin}=\"usb_id\"";
    }
    EXPECT_TRUE(hidrawOnly) << "the rule must skip everything but hidraw nodes";
    EXPECT_TRUE(productsOnly) << "the rule must skip other products before importing anything";
    EXPECT_TRUE(interfaceNumbers) << "ID_USB_INTERFACE_NUM comes from the usb_id builtin";
    // Read before 73-seat-late.rules, which turns the tag into access rights.
    const std::string name = std::string(CORVANE_UDEV_RULE).substr(std::string(CORVANE_UDEV_RULE).rfind('/') + 1);
    EXPECT_LT(name, "73");
}

}  // namespace
}  // namespace corvane
