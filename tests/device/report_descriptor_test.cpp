#include "device/report_descriptor.h"

#include <gtest/gtest.h>

#include <vector>

namespace corvane::device {
namespace {

using Bytes = std::vector<std::uint8_t>;

ParsedCollection ParseOne(const Bytes& descriptor) {
    const DescriptorParseResult r = ParseReportDescriptor(descriptor);
    EXPECT_TRUE(r.descriptor.has_value()) << r.error.reason << " at " << r.error.offset;
    if (!r.descriptor || r.descriptor->collections.empty()) return {};
    EXPECT_EQ(r.descriptor->collections.size(), 1u);
    return r.descriptor->collections.front();
}

std::vector<std::uint16_t> Usages(std::initializer_list<std::uint16_t> u, std::size_t size) {
    std::vector<std::uint16_t> v(u);
    v.resize(size, 0);
    return v;
}

// The vendor collection every one of our devices carries.
const Bytes kVendor = {
    0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01,  // Usage Page 0xFF1C, Usage 0x92, Collection (App)
    0x85, 0x04, 0x75, 0x08, 0x95, 0x3F,        // Report ID 4, Report Size 8, Report Count 63
    0x81, 0x02,                                // Input (Data, Var, Abs)
    0x95, 0x3F, 0x91, 0x02,                    // Report Count 63, Output
    0xC0,
};

// Boot keyboard: modifier bits, reserved byte, LED output, six key slots.
const Bytes kBootKeyboard = {
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00, 0x25, 0x01,
    0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0x95, 0x01, 0x75, 0x08, 0x81, 0x01, 0x95, 0x05, 0x75, 0x01,
    0x05, 0x08, 0x19, 0x01, 0x29, 0x05, 0x91, 0x02, 0x95, 0x01, 0x75, 0x03, 0x91, 0x01, 0x95, 0x06,
    0x75, 0x08, 0x15, 0x00, 0x25, 0x65, 0x05, 0x07, 0x19, 0x00, 0x29, 0x65, 0x81, 0x00, 0xC0,
};

// Consumer control: a usage array of `count` 16-bit slots under report id 3.
Bytes Consumer(std::uint8_t count) {
    return {0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x03, 0x15, 0x00, 0x26, 0xFF, 0x0F,
            0x19, 0x00, 0x2A, 0xFF, 0x0F, 0x75, 0x10, 0x95, count, 0x81, 0x00, 0xC0};
}

TEST(ReportDescriptorTest, VendorCollection) {
    const ParsedCollection c = ParseOne(kVendor);
    EXPECT_EQ(c.caps.usagePage, 0xFF1C);
    EXPECT_EQ(c.caps.usage, 0x92);
    EXPECT_EQ(c.caps.inputReportByteLength, 64);
    EXPECT_EQ(c.caps.outputReportByteLength, 64);
    EXPECT_EQ(c.caps.featureReportByteLength, 0);
    EXPECT_TRUE(c.usesReportIds);
    EXPECT_EQ(c.caps.numberInputButtonCaps, 0);
    ASSERT_EQ(c.caps.numberInputValueCaps, 1);
    EXPECT_EQ(c.inputValueCaps[0].reportCount, 63);

    std::vector<HidDataItem> items = BuildInputItems(c);
    ASSERT_EQ(items.size(), 1u);
    Bytes report(64, 0);
    report[0] = 4;
    report[1] = 0x7E;
    ASSERT_TRUE(UnpackReport(items, report, ReportType::Input, c));
    EXPECT_TRUE(items[0].isDataSet);
    EXPECT_EQ(items[0].value, 0x7Eu);
}

TEST(ReportDescriptorTest, BootKeyboard) {
    const ParsedCollection c = ParseOne(kBootKeyboard);
    EXPECT_EQ(c.caps.usagePage, 0x01);
    EXPECT_EQ(c.caps.usage, 0x06);
    EXPECT_FALSE(c.usesReportIds);
    EXPECT_EQ(c.caps.inputReportByteLength, 9);   // id byte + 8 data bytes
    EXPECT_EQ(c.caps.outputReportByteLength, 2);  // id byte + 5 LED bits + 3 padding
    ASSERT_EQ(c.caps.numberInputButtonCaps, 2);   // the reserved byte makes no capability
    EXPECT_EQ(c.caps.numberInputValueCaps, 0);
    EXPECT_FALSE(c.inputButtonCaps[0].isArray);
    EXPECT_TRUE(c.inputButtonCaps[1].isArray);
    EXPECT_EQ(c.inputButtonCaps[1].bitOffset, 16u);
    EXPECT_EQ(MaxUsageListLength(c, 0x07), 14u);

    std::vector<HidDataItem> items = BuildInputItems(c);
    ASSERT_EQ(items.size(), 2u);
    // Left shift held with A and B; both items see the page's whole list, each keeps its range.
    const Bytes report = {0x00, 0x02, 0x00, 0x04, 0x05, 0x00, 0x00, 0x00, 0x00};
    ASSERT_TRUE(UnpackReport(items, report, ReportType::Input, c));
    EXPECT_EQ(items[0].usages, Usages({0xE1}, 14));
    EXPECT_EQ(items[1].usages, Usages({0x04, 0x05}, 14));
    EXPECT_EQ(items[0].status, kHidStatusSuccess);

    // A report numbered 1 does not exist here: nothing changes.
    const Bytes other = {0x01, 0xFF, 0x00, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00};
    ASSERT_TRUE(UnpackReport(items, other, ReportType::Input, c));
    EXPECT_EQ(items[1].usages, Usages({0x04, 0x05}, 14));
}

TEST(ReportDescriptorTest, ConsumerArrayTerminatesOnlyWhenShort) {
    const ParsedCollection c = ParseOne(Consumer(2));
    EXPECT_EQ(c.caps.usagePage, 0x0C);
    EXPECT_EQ(c.caps.usage, 0x01);
    EXPECT_EQ(c.caps.inputReportByteLength, 5);
    EXPECT_EQ(c.caps.outputReportByteLength, 0);
    std::vector<HidDataItem> items = BuildInputItems(c);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].maxUsageLength, 2u);
    EXPECT_EQ(items[0].usageMin, 0u);
    EXPECT_EQ(items[0].usageMax, 0xFFFu);

    ASSERT_TRUE(UnpackReport(items, Bytes{3, 0x01, 0x04, 0x00, 0x00}, ReportType::Input, c));
    EXPECT_EQ(items[0].usages, Usages({0x401, 0}, 2));
    ASSERT_TRUE(UnpackReport(items, Bytes{3, 0x01, 0x04, 0x02, 0x04}, ReportType::Input, c));
    EXPECT_EQ(items[0].usages, Usages({0x401, 0x402}, 2));  // full: no terminator
    ASSERT_TRUE(UnpackReport(items, Bytes{3, 0x00, 0x00, 0x00, 0x00}, ReportType::Input, c));
    EXPECT_EQ(items[0].usages[0], 0);

    // An id that matches no item: true, and the item is left as it was.
    std::vector<HidDataItem> fresh = BuildInputItems(c);
    ASSERT_TRUE(UnpackReport(fresh, Bytes{5, 0x01, 0x04, 0x02, 0x04}, ReportType::Input, c));
    EXPECT_FALSE(fresh[0].isDataSet);
    EXPECT_EQ(fresh[0].usages, Usages({}, 2));

    // A truncated report reads nothing stale and nothing out of bounds.
    ASSERT_TRUE(UnpackReport(items, Bytes{3, 0x01, 0x04, 0x02, 0x04}, ReportType::Input, c));
    ASSERT_TRUE(UnpackReport(items, Bytes{3, 0x01}, ReportType::Input, c));
    EXPECT_EQ(items[0].status, kHidStatusInvalidReportLength);
    EXPECT_EQ(items[0].usages, Usages({}, 2));
    EXPECT_FALSE(UnpackReport(items, Bytes{}, ReportType::Input, c));
    EXPECT_FALSE(UnpackReport(items, Bytes{3, 0x01, 0x04, 0, 0}, ReportType::Feature, c));
}

TEST(ReportDescriptorTest, ButtonItemKeepsOnlyItsRange) {
    // Two consumer arrays: 0x401..0x403 in two slots, then 0x01..0xFF in two slots.
    const Bytes d = {0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x02, 0x75, 0x08,
                     0x15, 0x01, 0x25, 0x03, 0x1A, 0x01, 0x04, 0x2A, 0x03, 0x04, 0x95, 0x02, 0x81, 0x00,
                     0x15, 0x01, 0x26, 0xFF, 0x00, 0x19, 0x01, 0x29, 0xFF, 0x95, 0x02, 0x81, 0x00, 0xC0};
    const ParsedCollection c = ParseOne(d);
    std::vector<HidDataItem> items = BuildInputItems(c);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].usageMin, 0x401u);
    EXPECT_EQ(items[0].usageMax, 0x403u);
    EXPECT_EQ(items[0].maxUsageLength, 4u);

    ASSERT_TRUE(UnpackReport(items, Bytes{2, 0x01, 0x03, 0xE9, 0x00}, ReportType::Input, c));
    EXPECT_EQ(items[0].usages, Usages({0x401, 0x403, 0}, 4));
    EXPECT_EQ(items[1].usages, Usages({0xE9, 0}, 4));
    // Out-of-range indexes (0, 4) are no usage.
    ASSERT_TRUE(UnpackReport(items, Bytes{2, 0x00, 0x04, 0x00, 0x00}, ReportType::Input, c));
    EXPECT_EQ(items[0].usages, Usages({}, 4));
}

// A mouse: three buttons, padding, X/Y relative, then a wheel with a physical range.
const Bytes kMouse = {
    0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x09, 0x01, 0xA1, 0x00,
    0x05, 0x09, 0x19, 0x01, 0x29, 0x03, 0x15, 0x00, 0x25, 0x01, 0x95, 0x03, 0x75, 0x01, 0x81, 0x02,
    0x95, 0x01, 0x75, 0x05, 0x81, 0x01,
    0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x15, 0x81, 0x25, 0x7F, 0x75, 0x08, 0x95, 0x02, 0x81, 0x06,
    0x09, 0x38, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x35, 0x00, 0x46, 0xE8, 0x03, 0x95, 0x01, 0x81, 0x02,
    0xC0, 0xC0,
};

TEST(ReportDescriptorTest, ValuesSignScaleAndShortReports) {
    const ParsedCollection c = ParseOne(kMouse);
    EXPECT_EQ(c.caps.inputReportByteLength, 5);
    std::vector<HidDataItem> items = BuildInputItems(c);
    ASSERT_EQ(items.size(), 4u);  // buttons, X, Y, wheel
    EXPECT_EQ(items[1].usage, 0x30);
    EXPECT_EQ(items[2].usage, 0x31);

    ASSERT_TRUE(UnpackReport(items, Bytes{0, 0x05, 0xFE, 0x03, 0x80}, ReportType::Input, c));
    EXPECT_EQ(items[0].usages, Usages({1, 3, 0}, 3));
    EXPECT_EQ(items[1].value, 0xFFFFFFFEu);  // -2, sign-extended
    EXPECT_EQ(items[1].status, kHidStatusBadLogPhyValues);  // no physical range given
    EXPECT_EQ(items[2].value, 3u);
    EXPECT_EQ(items[3].status, kHidStatusSuccess);
    EXPECT_EQ(items[3].scaledValue, 128 * 1000 / 255);

    // Y and the wheel are cut off: the first value that cannot be read stops the unpacking.
    for (auto& item : items) item.isDataSet = false;
    EXPECT_FALSE(UnpackReport(items, Bytes{0, 0x02, 0x07}, ReportType::Input, c));
    EXPECT_EQ(items[0].usages, Usages({2, 0}, 3));
    EXPECT_EQ(items[1].value, 7u);
    EXPECT_TRUE(items[1].isDataSet);
    EXPECT_EQ(items[2].status, kHidStatusInvalidReportLength);
    EXPECT_FALSE(items[3].isDataSet);
}

TEST(ReportDescriptorTest, StructureRules) {
    // Report lengths are the longest report per type; push/pop restores globals; long items
    // and extended usages are understood.
    const Bytes d = {
        0xFE, 0x02, 0x10, 0xAA, 0xBB,              // long item, skipped
        0x06, 0x00, 0xFF, 0x0B, 0x01, 0x00, 0x0C, 0x00,  // Usage Page FF00, Usage (0x000C0001)
        0xA1, 0x01, 0x75, 0x08, 0x85, 0x01, 0x95, 0x01, 0x81, 0x03,
        0xA4, 0x95, 0x07, 0x85, 0x02, 0x81, 0x03, 0xB4,  // push, 7 bytes in report 2, pop
        0x81, 0x03,                                // back in report 1 with count 1
        0xC0,
        // Usage before its Usage Page: the page still applies (seen on real devices).
        0x09, 0x80, 0x05, 0x01, 0xA1, 0x01, 0x85, 0x05, 0x95, 0x01, 0xB1, 0x02, 0xC0,
    };
    const DescriptorParseResult r = ParseReportDescriptor(d);
    ASSERT_TRUE(r.descriptor) << r.error.reason;
    ASSERT_EQ(r.descriptor->collections.size(), 2u);
    const HidCaps& first = r.descriptor->collections[0].caps;
    EXPECT_EQ(first.usagePage, 0x0C);
    EXPECT_EQ(first.usage, 0x01);
    EXPECT_EQ(first.inputReportByteLength, 8);  // report 2: 7 bytes + id; report 1: 2 + id
    const HidCaps& second = r.descriptor->collections[1].caps;
    EXPECT_EQ(second.usagePage, 0x01);
    EXPECT_EQ(second.usage, 0x80);
    EXPECT_EQ(second.inputReportByteLength, 0);
    EXPECT_EQ(second.featureReportByteLength, 2);
}

TEST(ReportDescriptorTest, RejectsMalformedAndHostileDescriptors) {
    auto inCollection = [](const Bytes& body) {
        Bytes d = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01};
        for (std::uint8_t b : body) d.push_back(b);
        d.push_back(0xC0);
        return d;
    };
    struct Case {
        const char* name;
        Bytes bytes;
    };
    const Case cases[] = {
        {"empty", {}},
        {"truncated short item", {0x06, 0x1C}},
        {"truncated 4-byte item", {0xA1, 0x01, 0x27, 0x01, 0x02}},
        {"truncated long item", {0xFE, 0x05, 0x00, 0x01, 0x02}},
        {"end without collection", {0xC0}},
        {"collection not closed", {0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01}},
        {"field outside collection", {0x75, 0x08, 0x95, 0x01, 0x81, 0x02}},
        {"pop without push", inCollection({0xB4})},
        {"push too deep", inCollection(Bytes(17, 0xA4))},
        {"report id 0", inCollection({0x85, 0x00})},
        {"report id above 255", inCollection({0x86, 0x00, 0x01})},
        {"report size above 256", inCollection({0x76, 0x01, 0x01})},
        {"report far too long", inCollection({0x75, 0xFF, 0x96, 0xC8, 0x00, 0x81, 0x02})},
        {"huge count", inCollection({0x75, 0x01, 0x97, 0xFF, 0xFF, 0xFF, 0x7F, 0x81, 0x02})},
        {"count times size overflow", inCollection({0x75, 0xFF, 0x97, 0x00, 0x80, 0x00, 0x00, 0x81, 0x02})},
        {"usage minimum above maximum", inCollection({0x19, 0x05, 0x29, 0x01, 0x81, 0x02})},
        {"mixed numbered and unnumbered fields",
         inCollection({0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0x85, 0x01, 0x81, 0x02})},
    };
    for (const Case& c : cases) {
        const DescriptorParseResult r = ParseReportDescriptor(c.bytes);
        EXPECT_FALSE(r.descriptor.has_value()) << c.name;
        EXPECT_FALSE(r.error.reason.empty()) << c.name;
        EXPECT_LE(r.error.offset, c.bytes.size()) << c.name;
    }
    Bytes deep;
    for (int i = 0; i < 40; ++i) deep.insert(deep.end(), {0xA1, 0x00});
    for (int i = 0; i < 40; ++i) deep.push_back(0xC0);
    EXPECT_FALSE(ParseReportDescriptor(deep).descriptor.has_value());
}

}  // namespace
}  // namespace corvane::device
