#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace corvane::device {

// Our own HID report descriptor parser: what the rest of the system needs to know about an
// interface (its top-level collection, report lengths, input capabilities) and the unpacking of
// input reports into usages. It never reads past the bytes it is given.

enum class ReportType { Input, Output, Feature };

// Capabilities of one top-level collection. Report byte lengths include the report id byte
// (one byte even when the device does not number its reports), as callers size buffers by them.
struct HidCaps {
    std::uint16_t usage = 0;
    std::uint16_t usagePage = 0;
    std::uint16_t inputReportByteLength = 0;
    std::uint16_t outputReportByteLength = 0;
    std::uint16_t featureReportByteLength = 0;
    std::uint16_t numberInputButtonCaps = 0;
    std::uint16_t numberInputValueCaps = 0;
};

// One input button field: a usage range whose pressed usages appear as a list (array main
// items) or as one bit per usage (variable main items).
struct HidButtonCaps {
    std::uint16_t usagePage = 0;
    std::uint8_t reportId = 0;
    bool isRange = false;
    std::uint16_t usageMin = 0;  // equal to usageMax for a single usage
    std::uint16_t usageMax = 0;
    bool isArray = false;          // array field: reportCount slots holding usage indexes
    std::int32_t logicalMin = 0;   // array field: index of usageMin
    std::int32_t logicalMax = 0;
    std::uint32_t bitOffset = 0;   // from the start of the report data (after the report id byte)
    std::uint16_t bitSize = 0;
    std::uint16_t reportCount = 0;
};

// One input value field; a range covers usageMin..usageMax with one slot each.
struct HidValueCaps {
    std::uint16_t usagePage = 0;
    std::uint8_t reportId = 0;
    bool isRange = false;
    std::uint16_t usageMin = 0;
    std::uint16_t usageMax = 0;
    std::int32_t logicalMin = 0;
    std::int32_t logicalMax = 0;
    std::int32_t physicalMin = 0;
    std::int32_t physicalMax = 0;
    std::uint32_t bitOffset = 0;
    std::uint16_t bitSize = 0;
    std::uint16_t reportCount = 0;
};

// The parsed form of one top-level collection's input side.
struct ParsedCollection {
    HidCaps caps;
    bool usesReportIds = false;
    std::vector<HidButtonCaps> inputButtonCaps;
    std::vector<HidValueCaps> inputValueCaps;
};

struct DescriptorError {
    std::size_t offset = 0;  // byte offset of the offending item
    std::string reason;
};

// All top-level application collections of a descriptor, in order, or the first error.
struct ParsedDescriptor {
    std::vector<ParsedCollection> collections;
};

struct DescriptorParseResult {
    std::optional<ParsedDescriptor> descriptor;
    DescriptorError error;
};

DescriptorParseResult ParseReportDescriptor(std::span<const std::uint8_t> descriptor);

// HIDP_STATUS_SUCCESS and the few other statuses items can carry.
inline constexpr std::uint32_t kHidStatusSuccess = 0x00110000;
inline constexpr std::uint32_t kHidStatusIncompatibleReportId = 0xC0110010;
inline constexpr std::uint32_t kHidStatusBufferTooSmall = 0xC0110007;
inline constexpr std::uint32_t kHidStatusBadLogPhyValues = 0xC0110016;
inline constexpr std::uint32_t kHidStatusNullValue = 0xC011000E;
inline constexpr std::uint32_t kHidStatusInvalidReportLength = 0xC0110003;

// One input field of a report, built at open time and filled by UnpackReport.
struct HidDataItem {
    bool isButton = false;
    std::uint16_t usagePage = 0;
    std::uint32_t status = kHidStatusSuccess;
    std::uint32_t reportId = 0;
    bool isDataSet = false;
    // button part
    std::uint32_t usageMin = 0;
    std::uint32_t usageMax = 0;
    std::uint32_t maxUsageLength = 0;
    std::vector<std::uint16_t> usages;  // maxUsageLength entries; 0 ends a shorter list
    // value part
    std::uint16_t usage = 0;
    std::uint32_t value = 0;
    std::int32_t scaledValue = 0;
};

// The capacity of a button usage list for one usage page: the slots of every input button
// capability on that page, over all report ids.
std::uint32_t MaxUsageListLength(const ParsedCollection& collection, std::uint16_t usagePage);

// Builds the input items of a collection: one per button capability, then one per value usage.
std::vector<HidDataItem> BuildInputItems(const ParsedCollection& collection);

// Fills the items that belong to the report's report id (its first byte). False at the first
// value field that cannot be read; items before it keep their new contents. Only input reports
// are analysed: any other report type yields false with nothing changed.
bool UnpackReport(std::span<HidDataItem> items, std::span<const std::uint8_t> report,
                  ReportType reportType, const ParsedCollection& collection);

}  // namespace corvane::device
