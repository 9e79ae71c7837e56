// Feeds arbitrary descriptors to the parser and arbitrary reports to the unpacking of every
// collection it accepts. Input: two bytes (little-endian) of descriptor length, the descriptor,
// then the report.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "device/report_descriptor.h"
#include "platform/bytes.h"

namespace {
constexpr std::size_t kLengthBytes = 2;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace corvane::device;
    if (size < kLengthBytes) return 0;
    const std::span<const std::uint8_t> input(data, size);
    const std::size_t rest = size - kLengthBytes;
    const std::size_t descriptorLength = corvane::platform::LoadLe16(input, 0) % (rest + 1);
    const auto descriptor = input.subspan(kLengthBytes, descriptorLength);
    const auto report = input.subspan(kLengthBytes + descriptorLength);

    const DescriptorParseResult parsed = ParseReportDescriptor(descriptor);
    if (!parsed.descriptor) return 0;
    for (const ParsedCollection& collection : parsed.descriptor->collections) {
        std::vector<HidDataItem> items = BuildInputItems(collection);
        UnpackReport(items, report, ReportType::Input, collection);
    }
    return 0;
}
