#include "device/report_descriptor.h"

#include <algorithm>
#include <array>
#include <map>
#include <utility>

namespace corvane::device {

namespace {

// Item prefix layout: bits 0-1 data size code, bits 2-3 type, bits 4-7 tag.
constexpr std::uint8_t kSizeMask = 0x03;
constexpr std::uint8_t kTypeShift = 2;
constexpr std::uint8_t kTypeMask = 0x03;
constexpr std::uint8_t kTagShift = 4;
constexpr std::uint8_t kLongItemPrefix = 0xFE;
constexpr std::size_t kLongItemHeaderBytes = 3;  // prefix, data size, long tag
constexpr std::array<std::size_t, 4> kDataBytesBySizeCode = {0, 1, 2, 4};

enum class ItemType : std::uint8_t { Main = 0, Global = 1, Local = 2, Reserved = 3 };

namespace main_tag {
constexpr std::uint8_t kInput = 0x8;
constexpr std::uint8_t kOutput = 0x9;
constexpr std::uint8_t kCollection = 0xA;
constexpr std::uint8_t kFeature = 0xB;
constexpr std::uint8_t kEndCollection = 0xC;
}  // namespace main_tag

namespace global_tag {
constexpr std::uint8_t kUsagePage = 0x0;
constexpr std::uint8_t kLogicalMinimum = 0x1;
constexpr std::uint8_t kLogicalMaximum = 0x2;
constexpr std::uint8_t kPhysicalMinimum = 0x3;
constexpr std::uint8_t kPhysicalMaximum = 0x4;
constexpr std::uint8_t kReportSize = 0x7;
constexpr std::uint8_t kReportId = 0x8;
constexpr std::uint8_t kReportCount = 0x9;
constexpr std::uint8_t kPush = 0xA;
constexpr std::uint8_t kPop = 0xB;
}  // namespace global_tag

namespace local_tag {
constexpr std::uint8_t kUsage = 0x0;
constexpr std::uint8_t kUsageMinimum = 0x1;
constexpr std::uint8_t kUsageMaximum = 0x2;
}  // namespace local_tag

// Main item data flags.
constexpr std::uint32_t kFlagConstant = 0x01;
constexpr std::uint32_t kFlagVariable = 0x02;

// Limits that keep hostile descriptors from making us allocate without bound. Real devices stay
// far below them (a hidraw descriptor is at most 4096 bytes).
constexpr std::uint64_t kMaxReportDataBytes = 4096;
constexpr std::uint64_t kMaxReportBits = kMaxReportDataBytes * 8;
constexpr std::uint32_t kMaxReportSizeBits = 256;
constexpr std::size_t kMaxGlobalStackDepth = 16;
constexpr std::size_t kMaxCollectionDepth = 32;
constexpr std::size_t kMaxUsageEntries = 1024;
constexpr std::size_t kMaxCapsPerKind = 512;
constexpr std::size_t kMaxValueUsages = 4096;
constexpr std::uint32_t kMaxUsageListLength = 4096;
constexpr std::uint32_t kMaxReportId = 0xFF;
constexpr std::uint32_t kExtendedUsagePageShift = 16;
constexpr std::uint32_t kUsageMask = 0xFFFF;

constexpr std::size_t kReportIdBytes = 1;
constexpr unsigned kBitsPerByte = 8;
constexpr unsigned kMaxValueBits = 32;

struct GlobalState {
    std::uint16_t usagePage = 0;
    std::int64_t logicalMin = 0;
    std::int64_t logicalMaxSigned = 0;
    std::int64_t logicalMaxUnsigned = 0;
    std::int64_t physicalMin = 0;
    std::int64_t physicalMaxSigned = 0;
    std::int64_t physicalMaxUnsigned = 0;
    std::uint32_t reportSize = 0;
    std::uint32_t reportId = 0;
    std::uint32_t reportCount = 0;
};

// A usage or usage range named by local items; the page is resolved when the main item comes
// unless the usage was given in its extended (32-bit) form.
struct UsageEntry {
    bool explicitPage = false;
    std::uint16_t page = 0;
    std::uint16_t min = 0;
    std::uint16_t max = 0;
    bool isRange = false;
};

struct LocalState {
    std::vector<UsageEntry> usages;
    bool haveMin = false;
    std::uint32_t pendingMin = 0;
    bool haveMax = false;
    std::uint32_t pendingMax = 0;
};

struct Item {
    std::size_t offset = 0;
    ItemType type = ItemType::Main;
    std::uint8_t tag = 0;
    std::size_t dataBytes = 0;
    std::uint32_t udata = 0;
    std::int32_t sdata = 0;
};

std::uint32_t LoadData(std::span<const std::uint8_t> bytes, std::size_t count) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        value |= static_cast<std::uint32_t>(bytes[i]) << (kBitsPerByte * i);
    }
    return value;
}

std::int32_t SignExtend(std::uint32_t value, unsigned bits) {
    if (bits == 0) return 0;
    if (bits >= kMaxValueBits) return static_cast<std::int32_t>(value);
    const std::uint32_t signBit = 1u << (bits - 1);
    const std::uint32_t mask = (1u << bits) - 1;
    value &= mask;
    return static_cast<std::int32_t>((value ^ signBit) - signBit);
}

// Signed items are read in their own width; maxima are read unsigned when the minimum is not
// negative, so "Logical Maximum (255)" in one byte means 255 as devices intend.
std::int64_t ResolveMax(std::int64_t min, std::int64_t maxSigned, std::int64_t maxUnsigned) {
    return min < 0 ? maxSigned : maxUnsigned;
}

std::int32_t ClampToInt32(std::int64_t v) {
    constexpr std::int64_t lo = INT32_MIN;
    constexpr std::int64_t hi = INT32_MAX;
    return static_cast<std::int32_t>(std::clamp(v, lo, hi));
}

struct ReportKey {
    ReportType type;
    std::uint32_t id;
    auto operator<=>(const ReportKey&) const = default;
};

class Parser {
public:
    explicit Parser(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    DescriptorParseResult Run() {
        DescriptorParseResult result;
        std::size_t pos = 0;
        while (pos < bytes_.size()) {
            if (bytes_[pos] == kLongItemPrefix) {
                // Long items carry no meaning for us; step over them.
                if (bytes_.size() - pos < kLongItemHeaderBytes) return Fail(pos, "truncated long item");
                const std::size_t dataBytes = bytes_[pos + 1];
                if (bytes_.size() - pos - kLongItemHeaderBytes < dataBytes) {
                    return Fail(pos, "truncated long item");
                }
                pos += kLongItemHeaderBytes + dataBytes;
                continue;
            }
            Item item;
            item.offset = pos;
            const std::uint8_t prefix = bytes_[pos];
            item.dataBytes = kDataBytesBySizeCode[prefix & kSizeMask];
            item.type = static_cast<ItemType>((prefix >> kTypeShift) & kTypeMask);
            item.tag = static_cast<std::uint8_t>(prefix >> kTagShift);
            if (bytes_.size() - pos - 1 < item.dataBytes) return Fail(pos, "truncated item");
            item.udata = LoadData(bytes_.subspan(pos + 1, item.dataBytes), item.dataBytes);
            item.sdata = SignExtend(item.udata, static_cast<unsigned>(item.dataBytes * kBitsPerByte));
            pos += 1 + item.dataBytes;

            bool ok = true;
            switch (item.type) {
                case ItemType::Main: ok = OnMain(item); break;
                case ItemType::Global: ok = OnGlobal(item); break;
                case ItemType::Local: ok = OnLocal(item); break;
                case ItemType::Reserved: break;  // unknown item kinds are skipped
            }
            if (!ok) return Fail(errorOffset_, errorReason_);
        }
        if (depth_ != 0) return Fail(bytes_.size(), "collection not closed");
        if (collections_.empty()) return Fail(bytes_.size(), "no top-level collection");
        if (!Finish()) return Fail(errorOffset_, errorReason_);

        ParsedDescriptor parsed;
        for (auto& c : collections_) parsed.collections.push_back(std::move(c.parsed));
        result.descriptor = std::move(parsed);
        return result;
    }

private:
    struct CollectionBuilder {
        ParsedCollection parsed;
        std::vector<ReportKey> reports;  // reports that carry fields of this collection
    };

    DescriptorParseResult Fail(std::size_t offset, std::string reason) {
        DescriptorParseResult r;
        r.error.offset = offset;
        r.error.reason = std::move(reason);
        return r;
    }

    bool Error(const Item& item, const char* reason) {
        errorOffset_ = item.offset;
        errorReason_ = reason;
        return false;
    }

    bool OnGlobal(const Item& item) {
        switch (item.tag) {
            case global_tag::kUsagePage: global_.usagePage = static_cast<std::uint16_t>(item.udata & kUsageMask); break;
            case global_tag::kLogicalMinimum: global_.logicalMin = item.sdata; break;
            case global_tag::kLogicalMaximum:
                global_.logicalMaxSigned = item.sdata;
                global_.logicalMaxUnsigned = item.udata;
                break;
            case global_tag::kPhysicalMinimum: global_.physicalMin = item.sdata; break;
            case global_tag::kPhysicalMaximum:
                global_.physicalMaxSigned = item.sdata;
                global_.physicalMaxUnsigned = item.udata;
                break;
            case global_tag::kReportSize:
                if (item.udata > kMaxReportSizeBits) return Error(item, "report size too large");
                global_.reportSize = item.udata;
                break;
            case global_tag::kReportId:
                if (item.udata == 0 || item.udata > kMaxReportId) return Error(item, "invalid report id");
                global_.reportId = item.udata;
                usesReportIds_ = true;
                break;
            case global_tag::kReportCount:
                if (item.udata > kMaxReportBits) return Error(item, "report count too large");
                global_.reportCount = item.udata;
                break;
            case global_tag::kPush:
                if (globalStack_.size() >= kMaxGlobalStackDepth) return Error(item, "push too deep");
                globalStack_.push_back(global_);
                break;
            case global_tag::kPop:
                if (globalStack_.empty()) return Error(item, "pop without push");
                global_ = globalStack_.back();
                globalStack_.pop_back();
                break;
            default: break;  // units and exponents do not matter here
        }
        return true;
    }

    UsageEntry MakeUsage(const Item& item, std::uint32_t value) {
        UsageEntry e;
        e.page = global_.usagePage;
        if (item.dataBytes == 4) {
            e.explicitPage = true;
            e.page = static_cast<std::uint16_t>(value >> kExtendedUsagePageShift);
        }
        e.min = e.max = static_cast<std::uint16_t>(value & kUsageMask);
        return e;
    }

    bool AddUsage(const Item& item, UsageEntry entry) {
        if (local_.usages.size() >= kMaxUsageEntries) return Error(item, "too many usages");
        local_.usages.push_back(entry);
        return true;
    }

    bool OnLocal(const Item& item) {
        switch (item.tag) {
            case local_tag::kUsage: return AddUsage(item, MakeUsage(item, item.udata));
            case local_tag::kUsageMinimum:
                local_.haveMin = true;
                local_.pendingMin = item.udata;
                minIsExtended_ = item.dataBytes == 4;
                break;
            case local_tag::kUsageMaximum:
                local_.haveMax = true;
                local_.pendingMax = item.udata;
                break;
            default: return true;  // designators, strings, delimiters
        }
        if (local_.haveMin && local_.haveMax) {
            Item minItem = item;
            minItem.dataBytes = minIsExtended_ ? 4 : 1;
            UsageEntry e = MakeUsage(minItem, local_.pendingMin);
            const auto max = static_cast<std::uint16_t>(local_.pendingMax & kUsageMask);
            if (max < e.min) return Error(item, "usage minimum above maximum");
            e.max = max;
            e.isRange = e.max != e.min;
            local_.haveMin = local_.haveMax = false;
            return AddUsage(item, e);
        }
        return true;
    }

    // The usages named for the main item that is being processed, pages resolved.
    std::vector<UsageEntry> TakeUsages(const Item& item, bool& ok) {
        // A lone minimum or maximum still names one usage.
        if (local_.haveMin) ok = ok && AddUsage(item, MakeUsage(Item{.dataBytes = minIsExtended_ ? 4u : 1u}, local_.pendingMin));
        if (local_.haveMax) ok = ok && AddUsage(item, MakeUsage(Item{.dataBytes = 1}, local_.pendingMax));
        std::vector<UsageEntry> usages = std::move(local_.usages);
        local_ = LocalState{};
        // Usages take the page in effect where they stand; a Usage Page that comes after the
        // last usages but before the main item still applies to those trailing usages.
        for (auto it = usages.rbegin(); it != usages.rend(); ++it) {
            if (it->explicitPage) continue;
            if (it->page == global_.usagePage) break;
            it->page = global_.usagePage;
        }
        return usages;
    }

    bool OnMain(const Item& item) {
        bool ok = true;
        switch (item.tag) {
            case main_tag::kCollection: {
                std::vector<UsageEntry> usages = TakeUsages(item, ok);
                if (!ok) return false;
                if (depth_ >= kMaxCollectionDepth) return Error(item, "collections nested too deep");
                if (depth_ == 0) {
                    CollectionBuilder c;
                    if (!usages.empty()) {
                        c.parsed.caps.usagePage = usages.front().page;
                        c.parsed.caps.usage = usages.front().min;
                    }
                    collections_.push_back(std::move(c));
                }
                ++depth_;
                return true;
            }
            case main_tag::kEndCollection:
                TakeUsages(item, ok);
                if (depth_ == 0) return Error(item, "end collection without collection");
                --depth_;
                return ok;
            case main_tag::kInput: return OnField(item, ReportType::Input);
            case main_tag::kOutput: return OnField(item, ReportType::Output);
            case main_tag::kFeature: return OnField(item, ReportType::Feature);
            default: TakeUsages(item, ok); return ok;
        }
    }

    bool OnField(const Item& item, ReportType type) {
        bool ok = true;
        std::vector<UsageEntry> usages = TakeUsages(item, ok);
        if (!ok) return false;
        if (depth_ == 0) return Error(item, "field outside a collection");
        const std::uint64_t bits = std::uint64_t{global_.reportSize} * global_.reportCount;
        const ReportKey key{type, global_.reportId};
        std::uint64_t& reportBits = reportBits_[key];
        if (reportBits + bits > kMaxReportBits) return Error(item, "report too long");
        const auto bitOffset = static_cast<std::uint32_t>(reportBits);
        reportBits += bits;

        CollectionBuilder& c = collections_.back();
        if (std::find(c.reports.begin(), c.reports.end(), key) == c.reports.end()) c.reports.push_back(key);
        if (global_.reportId == 0 && bits > 0 && !haveFieldWithoutId_) {
            haveFieldWithoutId_ = true;
            fieldWithoutId_ = item.offset;
        }

        const bool constant = (item.udata & kFlagConstant) != 0;
        if (type != ReportType::Input || constant || bits == 0) return true;
        if ((item.udata & kFlagVariable) != 0) return AddVariableCaps(item, c.parsed, usages, bitOffset);
        return AddArrayCaps(item, c.parsed, usages, bitOffset);
    }

    bool AddArrayCaps(const Item& item, ParsedCollection& c, const std::vector<UsageEntry>& usages,
                      std::uint32_t bitOffset) {
        const std::int64_t logicalMin = global_.logicalMin;
        const std::int64_t logicalMax = ResolveMax(logicalMin, global_.logicalMaxSigned, global_.logicalMaxUnsigned);
        // Slot value logicalMin + k selects the k-th usage of the flattened list; every local
        // entry becomes one capability covering its share of the indexes.
        std::int64_t index = logicalMin;
        for (const UsageEntry& u : usages) {
            if (c.inputButtonCaps.size() >= kMaxCapsPerKind) return Error(item, "too many button fields");
            const std::int64_t count = std::int64_t{u.max} - u.min + 1;
            HidButtonCaps cap;
            cap.usagePage = u.page;
            cap.reportId = static_cast<std::uint8_t>(global_.reportId);
            cap.isRange = u.isRange;
            cap.usageMin = u.min;
            cap.usageMax = u.max;
            cap.isArray = true;
            cap.logicalMin = ClampToInt32(index);
            cap.logicalMax = ClampToInt32(std::min(index + count - 1, logicalMax));
            cap.bitOffset = bitOffset;
            cap.bitSize = static_cast<std::uint16_t>(global_.reportSize);
            cap.reportCount = static_cast<std::uint16_t>(global_.reportCount);
            c.inputButtonCaps.push_back(cap);
            index += count;
        }
        return true;
    }

    bool AddVariableCaps(const Item& item, ParsedCollection& c, std::vector<UsageEntry> usages,
                         std::uint32_t bitOffset) {
        if (usages.empty()) usages.push_back(UsageEntry{.page = global_.usagePage});
        const std::uint32_t size = global_.reportSize;
        const std::uint32_t count = global_.reportCount;
        const bool isButton = size == 1;
        std::uint32_t slot = 0;
        for (std::size_t i = 0; i < usages.size() && slot < count; ++i) {
            const UsageEntry& u = usages[i];
            const std::uint32_t left = count - slot;
            std::uint32_t slots = std::min<std::uint32_t>(u.max - u.min + 1u, left);
            // More slots than usages: the last single usage applies to the rest of them.
            if (i + 1 == usages.size() && !u.isRange) slots = left;
            const auto usageMax = static_cast<std::uint16_t>(u.isRange ? u.min + slots - 1 : u.min);
            const std::uint32_t offset = bitOffset + slot * size;
            if (isButton) {
                if (c.inputButtonCaps.size() >= kMaxCapsPerKind) return Error(item, "too many button fields");
                HidButtonCaps cap;
                cap.usagePage = u.page;
                cap.reportId = static_cast<std::uint8_t>(global_.reportId);
                cap.isRange = u.isRange;
                cap.usageMin = u.min;
                cap.usageMax = usageMax;
                cap.bitOffset = offset;
                cap.bitSize = 1;
                cap.reportCount = static_cast<std::uint16_t>(slots);
                c.inputButtonCaps.push_back(cap);
            } else {
                if (c.inputValueCaps.size() >= kMaxCapsPerKind) return Error(item, "too many value fields");
                valueUsages_ += u.isRange ? slots : 1;
                if (valueUsages_ > kMaxValueUsages) return Error(item, "too many value fields");
                HidValueCaps cap;
                cap.usagePage = u.page;
                cap.reportId = static_cast<std::uint8_t>(global_.reportId);
                cap.isRange = u.isRange;
                cap.usageMin = u.min;
                cap.usageMax = usageMax;
                cap.logicalMin = ClampToInt32(global_.logicalMin);
                cap.logicalMax = ClampToInt32(
                    ResolveMax(global_.logicalMin, global_.logicalMaxSigned, global_.logicalMaxUnsigned));
                cap.physicalMin = ClampToInt32(global_.physicalMin);
                cap.physicalMax = ClampToInt32(
                    ResolveMax(global_.physicalMin, global_.physicalMaxSigned, global_.physicalMaxUnsigned));
                cap.bitOffset = offset;
                cap.bitSize = static_cast<std::uint16_t>(size);
                cap.reportCount = static_cast<std::uint16_t>(slots);
                c.inputValueCaps.push_back(cap);
            }
            slot += slots;
        }
        return true;
    }

    bool Finish() {
        if (usesReportIds_ && haveFieldWithoutId_) {
            errorOffset_ = fieldWithoutId_;
            errorReason_ = "field without report id in a numbered descriptor";
            return false;
        }
        for (CollectionBuilder& c : collections_) {
            HidCaps& caps = c.parsed.caps;
            c.parsed.usesReportIds = usesReportIds_;
            for (const ReportKey& key : c.reports) {
                const std::uint64_t bytes = (reportBits_[key] + kBitsPerByte - 1) / kBitsPerByte + kReportIdBytes;
                const auto length = static_cast<std::uint16_t>(bytes);
                switch (key.type) {
                    case ReportType::Input: caps.inputReportByteLength = std::max(caps.inputReportByteLength, length); break;
                    case ReportType::Output: caps.outputReportByteLength = std::max(caps.outputReportByteLength, length); break;
                    case ReportType::Feature: caps.featureReportByteLength = std::max(caps.featureReportByteLength, length); break;
                }
            }
            caps.numberInputButtonCaps = static_cast<std::uint16_t>(c.parsed.inputButtonCaps.size());
            caps.numberInputValueCaps = static_cast<std::uint16_t>(c.parsed.inputValueCaps.size());
            for (const HidButtonCaps& b : c.parsed.inputButtonCaps) {
                if (MaxUsageListLength(c.parsed, b.usagePage) > kMaxUsageListLength) {
                    errorOffset_ = bytes_.size();
                    errorReason_ = "button usage lists too long";
                    return false;
                }
            }
        }
        return true;
    }

    std::span<const std::uint8_t> bytes_;
    GlobalState global_;
    std::vector<GlobalState> globalStack_;
    LocalState local_;
    bool minIsExtended_ = false;
    std::size_t depth_ = 0;
    bool usesReportIds_ = false;
    bool haveFieldWithoutId_ = false;
    std::size_t fieldWithoutId_ = 0;
    std::size_t valueUsages_ = 0;
    std::map<ReportKey, std::uint64_t> reportBits_;
    std::vector<CollectionBuilder> collections_;
    std::size_t errorOffset_ = 0;
    std::string errorReason_;
};

// Little-endian bit field of up to 32 bits; the caller has checked the bounds.
std::uint32_t ReadBits(std::span<const std::uint8_t> data, std::uint32_t bitOffset, unsigned bitCount) {
    std::uint32_t value = 0;
    const unsigned n = std::min(bitCount, kMaxValueBits);
    for (unsigned i = 0; i < n; ++i) {
        const std::uint32_t bit = bitOffset + i;
        value |= static_cast<std::uint32_t>((data[bit / kBitsPerByte] >> (bit % kBitsPerByte)) & 1u) << i;
    }
    return value;
}

bool FieldFits(std::span<const std::uint8_t> data, std::uint32_t bitOffset, std::uint64_t bits) {
    return bitOffset + bits <= std::uint64_t{data.size()} * kBitsPerByte;
}

// The pressed usages of one page in one report, over every button capability of that page,
// like an operating system's usage list query. Returns the status.
std::uint32_t CollectPressedUsages(const ParsedCollection& collection, std::uint16_t usagePage,
                                   std::uint8_t reportId, std::span<const std::uint8_t> data,
                                   std::vector<std::uint16_t>& out, std::size_t capacity) {
    bool overflow = false;
    auto add = [&](std::uint32_t usage) {
        if (usage == 0) return;  // "no control" in an array slot, or a field without usage
        if (out.size() < capacity) {
            out.push_back(static_cast<std::uint16_t>(usage));
        } else {
            overflow = true;
        }
    };
    for (const HidButtonCaps& cap : collection.inputButtonCaps) {
        if (cap.usagePage != usagePage || cap.reportId != reportId) continue;
        if (!FieldFits(data, cap.bitOffset, std::uint64_t{cap.bitSize} * cap.reportCount)) {
            return kHidStatusInvalidReportLength;
        }
        for (std::uint32_t slot = 0; slot < cap.reportCount; ++slot) {
            const std::uint32_t offset = cap.bitOffset + slot * cap.bitSize;
            if (cap.isArray) {
                const std::uint32_t raw = ReadBits(data, offset, cap.bitSize);
                const std::int64_t index = cap.logicalMin < 0 ? SignExtend(raw, cap.bitSize) : std::int64_t{raw};
                if (index < cap.logicalMin || index > cap.logicalMax) continue;
                add(cap.usageMin + static_cast<std::uint32_t>(index - cap.logicalMin));
            } else if (ReadBits(data, offset, 1) != 0) {
                add(cap.isRange ? cap.usageMin + slot : cap.usageMin);
            }
        }
    }
    return overflow ? kHidStatusBufferTooSmall : kHidStatusSuccess;
}

void UnpackButton(HidDataItem& item, const ParsedCollection& collection, std::uint8_t reportId,
                  std::span<const std::uint8_t> data) {
    std::vector<std::uint16_t> pressed;
    pressed.reserve(item.maxUsageLength);
    item.status = CollectPressedUsages(collection, item.usagePage, reportId, data, pressed, item.maxUsageLength);
    std::fill(item.usages.begin(), item.usages.end(), 0);
    if (item.status == kHidStatusInvalidReportLength) return;  // no stale presses survive
    // Keep only this capability's range, in order; a 0 ends a list that is not full.
    std::size_t kept = 0;
    for (std::uint16_t usage : pressed) {
        if (usage >= item.usageMin && usage <= item.usageMax && kept < item.usages.size()) {
            item.usages[kept++] = usage;
        }
    }
    if (kept < item.usages.size()) item.usages[kept] = 0;
}

const HidValueCaps* FindValueCap(const ParsedCollection& collection, const HidDataItem& item) {
    for (const HidValueCaps& cap : collection.inputValueCaps) {
        if (cap.usagePage == item.usagePage && cap.reportId == item.reportId && item.usage >= cap.usageMin &&
            item.usage <= cap.usageMax) {
            return &cap;
        }
    }
    return nullptr;
}

bool UnpackValue(HidDataItem& item, const ParsedCollection& collection, std::span<const std::uint8_t> data) {
    const HidValueCaps* cap = FindValueCap(collection, item);
    if (cap == nullptr) {
        item.status = kHidStatusIncompatibleReportId;
        return false;
    }
    // A single usage over several slots is a value array; its first slot is the value.
    const std::uint32_t slot = cap->isRange ? std::uint32_t{item.usage} - cap->usageMin : 0;
    const std::uint32_t offset = cap->bitOffset + slot * cap->bitSize;
    if (!FieldFits(data, offset, cap->bitSize)) {
        item.status = kHidStatusInvalidReportLength;
        return false;
    }
    const unsigned bits = std::min<unsigned>(cap->bitSize, kMaxValueBits);
    const std::uint32_t raw = ReadBits(data, offset, bits);
    const std::int64_t signedValue = cap->logicalMin < 0 ? SignExtend(raw, bits) : std::int64_t{raw};
    item.value = static_cast<std::uint32_t>(signedValue);

    const std::int64_t lmin = cap->logicalMin, lmax = cap->logicalMax;
    const std::int64_t pmin = cap->physicalMin, pmax = cap->physicalMax;
    if (lmin >= lmax || pmin >= pmax) {
        item.status = kHidStatusBadLogPhyValues;
        item.scaledValue = 0;
    } else if (signedValue < lmin || signedValue > lmax) {
        item.status = kHidStatusNullValue;
        item.scaledValue = 0;
    } else {
        // 128-bit intermediate: both spans can be close to 2^32.
        const __int128 scaled = pmin + static_cast<__int128>(signedValue - lmin) * (pmax - pmin) / (lmax - lmin);
        item.scaledValue = static_cast<std::int32_t>(scaled);
        item.status = kHidStatusSuccess;
    }
    return true;
}

}  // namespace

DescriptorParseResult ParseReportDescriptor(std::span<const std::uint8_t> descriptor) {
    return Parser(descriptor).Run();
}

std::uint32_t MaxUsageListLength(const ParsedCollection& collection, std::uint16_t usagePage) {
    std::uint32_t total = 0;
    for (const HidButtonCaps& cap : collection.inputButtonCaps) {
        if (cap.usagePage == usagePage) total += cap.reportCount;
    }
    return total;
}

std::vector<HidDataItem> BuildInputItems(const ParsedCollection& collection) {
    std::vector<HidDataItem> items;
    for (const HidButtonCaps& cap : collection.inputButtonCaps) {
        HidDataItem item;
        item.isButton = true;
        item.usagePage = cap.usagePage;
        item.reportId = cap.reportId;
        item.usageMin = cap.usageMin;
        item.usageMax = cap.usageMax;
        item.maxUsageLength = MaxUsageListLength(collection, cap.usagePage);
        item.usages.assign(item.maxUsageLength, 0);
        items.push_back(std::move(item));
    }
    for (const HidValueCaps& cap : collection.inputValueCaps) {
        const std::uint32_t last = cap.isRange ? cap.usageMax : cap.usageMin;
        for (std::uint32_t usage = cap.usageMin; usage <= last; ++usage) {
            HidDataItem item;
            item.usagePage = cap.usagePage;
            item.reportId = cap.reportId;
            item.usage = static_cast<std::uint16_t>(usage);
            items.push_back(std::move(item));
        }
    }
    return items;
}

bool UnpackReport(std::span<HidDataItem> items, std::span<const std::uint8_t> report, ReportType reportType,
                  const ParsedCollection& collection) {
    if (reportType != ReportType::Input || report.empty()) return false;
    const std::uint8_t reportId = report[0];
    const std::span<const std::uint8_t> data = report.subspan(kReportIdBytes);
    for (HidDataItem& item : items) {
        if (item.reportId != reportId) continue;
        if (item.isButton) {
            UnpackButton(item, collection, reportId, data);
        } else if (!UnpackValue(item, collection, data)) {
            return false;
        }
        item.isDataSet = true;
    }
    return true;
}

}  // namespace corvane::device
