#include "macros/macro_image.h"

#include <algorithm>
#include <limits>

#include "macros/macro_files.h"
#include "platform/bytes.h"
#include "platform/ini_file.h"

namespace corvane::macros {
namespace {

std::vector<std::string> FilesFromIndex(device::DeviceKind kind, std::string_view countSection,
                                        std::string_view nameSection, bool scripts) {
    const platform::IniDocument doc = MacroIndexFile(kind).Load();
    const int limit = scripts ? kCursorScriptCount : kMaxMacros;
    const int count = std::clamp(platform::ToInt(doc.Get(countSection, kCountKey)), 0, limit);
    std::vector<std::string> files;
    for (int i = 0; i < count; ++i) {
        const std::string name = doc.Get(nameSection, std::to_string(i));
        files.push_back(scripts ? CursorScriptPath(name) : MacroFilePath(kind, name));
    }
    return files;
}

}  // namespace

std::vector<StepBytesList> ReadImageSteps(const std::vector<std::string>& files) {
    std::vector<StepBytesList> records;
    records.reserve(files.size());
    for (const std::string& file : files) {
        StepBytesList steps;
        if (!file.empty()) {
            for (const MacroAction& step : ReadSteps(file)) steps.push_back(StepBytes(step));
        }
        records.push_back(std::move(steps));
    }
    return records;
}

std::size_t ImageSize(const std::vector<StepBytesList>& records) {
    if (records.empty()) return 0;
    std::size_t size = kImageHeaderSize;
    for (const StepBytesList& steps : records) {
        size += kImageOffsetEntrySize + kRecordHeaderSize + kStepBytes * steps.size();
    }
    return size;
}

std::vector<std::uint8_t> BuildImage(const std::vector<StepBytesList>& records) {
    const std::size_t size = ImageSize(records);
    if (size == 0 || size > kMaxImageSize) return {};
    std::vector<std::uint8_t> image(size, 0);
    platform::StoreLe16(image, kImageMagicOffset, kImageMagic);
    platform::StoreLe16(image, kImageSizeOffset, static_cast<std::uint16_t>(size));
    platform::StoreLe16(image, kImageCountOffset, static_cast<std::uint16_t>(records.size()));
    std::size_t record = kImageHeaderSize + kImageOffsetEntrySize * records.size();
    for (std::size_t i = 0; i < records.size(); ++i) {
        platform::StoreLe16(image, kImageHeaderSize + kImageOffsetEntrySize * i,
                            static_cast<std::uint16_t>(record));
        platform::StoreLe16(image, record + kRecordStepCountOffset,
                            static_cast<std::uint16_t>(records[i].size()));
        std::size_t at = record + kRecordHeaderSize;
        for (const auto& step : records[i]) {
            std::copy(step.begin(), step.end(), image.begin() + static_cast<std::ptrdiff_t>(at));
            at += kStepBytes;
        }
        record = at;
    }
    return image;
}

std::size_t ExcessSteps(std::size_t size, std::size_t capacity) {
    if (size <= capacity) return 0;
    return (size - capacity) / kStepBytes + 1;
}

std::optional<std::vector<std::vector<MacroAction>>> ParseImage(std::span<const std::uint8_t> image) {
    if (image.size() < kImageHeaderSize || platform::LoadLe16(image, kImageMagicOffset) != kImageMagic) {
        return std::nullopt;
    }
    const std::size_t size = std::min<std::size_t>(platform::LoadLe16(image, kImageSizeOffset), image.size());
    const std::size_t count = platform::LoadLe16(image, kImageCountOffset);
    if (kImageHeaderSize + kImageOffsetEntrySize * count > size) return std::nullopt;
    std::vector<std::vector<MacroAction>> records;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t record = platform::LoadLe16(image, kImageHeaderSize + kImageOffsetEntrySize * i);
        if (record + kRecordHeaderSize > size) return std::nullopt;
        const std::size_t steps = platform::LoadLe16(image, record + kRecordStepCountOffset);
        if (record + kRecordHeaderSize + kStepBytes * steps > size) return std::nullopt;
        std::vector<MacroAction> actions;
        actions.reserve(steps);
        for (std::size_t j = 0; j < steps; ++j) {
            const std::size_t at = record + kRecordHeaderSize + kStepBytes * j;
            MacroAction a;
            a.delayLow = image[at];
            a.delayHigh = image[at + 1];
            a.stepKind = image[at + 2];
            a.code = image[at + 3];
            a.down = IsDown(a) ? 1 : 0;
            actions.push_back(std::move(a));
        }
        records.push_back(std::move(actions));
    }
    return records;
}

std::vector<std::string> MacroImageFiles(device::DeviceKind kind) {
    return FilesFromIndex(kind, kMacroCountSection, kMacroNameSection, false);
}

std::vector<std::string> ScriptImageFiles() {
    return FilesFromIndex(device::DeviceKind::Mouse, kCursorCountSection, kCursorNameSection, true);
}

}  // namespace corvane::macros
