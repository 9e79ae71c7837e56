#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "device/device_kind.h"
#include "platform/settings_writer.h"

namespace corvane::profiles {

// A stored profile: a 16-byte header (magic, device kind) followed by the raw payload, whose
// size the profile kind fixes; nothing else is in the file.
inline constexpr std::size_t kProfileHeaderSize = 16;
inline constexpr std::uint16_t kProfileMagic = 0x55AA;
inline constexpr std::size_t kHeaderMagicOffset = 0;
inline constexpr std::size_t kHeaderDeviceKindOffset = 4;

// Results of ReadProfileFile.
inline constexpr int kProfileReadOk = 0;
inline constexpr int kProfileMissing = 1;     // not there, or cannot be opened
inline constexpr int kProfileBadFormat = -1;  // shorter than a header, or no magic

// Reads the payload into buffer (which the caller has zero-filled; its size is the payload
// size). A shorter payload fills only the front; bytes past the buffer are ignored; the device
// kind in the header is not checked. The file name is matched without regard to case.
int ReadProfileFile(const std::string& path, std::span<std::uint8_t> buffer);
// The same rules applied to a file's bytes already in memory.
int DecodeProfile(std::span<const std::uint8_t> file, std::span<std::uint8_t> buffer);

// Writes header and payload, replacing the file atomically. On failure the debug text
// "文件打开失败" is emitted and the previous file, if any, is left as it was.
// With a writer the bytes are handed to it and written on its thread (true: handed over); a
// failure is then the writer's to report.
bool WriteProfileFile(const std::string& path, std::span<const std::uint8_t> payload,
                      device::DeviceKind kind, platform::SettingsWriter* writer = nullptr);
// The file's bytes: header and payload.
std::vector<std::uint8_t> EncodeProfile(std::span<const std::uint8_t> payload, device::DeviceKind kind);

}  // namespace corvane::profiles
