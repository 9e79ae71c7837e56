#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "device/device_kind.h"
#include "macros/macro_action.h"

namespace corvane::macros {

// The device memory image of all macros (or of the mouse's cursor scripts), little-endian:
//   0 magic 0x55AA, 2 total size, 4 number of records n, 6..15 reserved (0),
//   16 n offsets (u16, from the image start), then the records back to back:
//   record: u16 step count m, 2 reserved bytes, m steps of 4 bytes.
inline constexpr std::uint16_t kImageMagic = 0x55AA;
inline constexpr std::size_t kImageMagicOffset = 0;
inline constexpr std::size_t kImageSizeOffset = 2;
inline constexpr std::size_t kImageCountOffset = 4;
inline constexpr std::size_t kImageHeaderSize = 16;
inline constexpr std::size_t kImageOffsetEntrySize = 2;
inline constexpr std::size_t kRecordStepCountOffset = 0;
inline constexpr std::size_t kRecordHeaderSize = 4;
// The image's size field is 16 bits wide.
inline constexpr std::size_t kMaxImageSize = 0xFFFF;
// The mouse's script memory.
inline constexpr std::size_t kScriptImageLimit = 3072;
// The macro memory a device reports: information byte 6 in units of 128 bytes.
inline constexpr std::size_t kMacroCapacityUnit = 128;

using StepBytesList = std::vector<std::array<std::uint8_t, kStepBytes>>;

// The four device bytes of every step of each file, in order. A missing file gives no steps;
// a step line that is not a step gives four zero bytes, so counts and sizes agree.
std::vector<StepBytesList> ReadImageSteps(const std::vector<std::string>& files);

// 16 + 6 n + 4 x all steps; 0 when there are no records at all.
std::size_t ImageSize(const std::vector<StepBytesList>& records);

// The image laid out as above; empty when there are no records or it would not fit the 16-bit
// size field.
std::vector<std::uint8_t> BuildImage(const std::vector<StepBytesList>& records);

// Steps that would have to go for an image of `size` to fit `capacity`.
std::size_t ExcessSteps(std::size_t size, std::size_t capacity);

// The records of an image read back from a device, checked against its own size and the
// buffer; nothing when the mark is missing or any offset or count points outside.
std::optional<std::vector<std::vector<MacroAction>>> ParseImage(std::span<const std::uint8_t> image);

// The macro files of a device in macroNumber order, and the mouse's script files, from the
// index file (a name that is not a file name stands for a missing file).
std::vector<std::string> MacroImageFiles(device::DeviceKind kind);
std::vector<std::string> ScriptImageFiles();

}  // namespace corvane::macros
