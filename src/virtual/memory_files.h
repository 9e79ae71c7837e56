#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

#include "device/device_kind.h"
#include "virtual/device_memory.h"

namespace corvane::virt {

// A virtual device that keeps its memory in a folder stores each persistent area as one raw
// binary file, e.g. DIR/keyboard/params.bin.

// The device's own folder below the memory folder.
std::filesystem::path DeviceFolder(const std::filesystem::path& memoryFolder,
                                   device::DeviceKind kind);

// Factory memory with every area whose file exists and has the right size loaded over it; a
// missing or wrong-sized file leaves that area at its factory contents.
DeviceMemory LoadDeviceMemory(device::DeviceKind kind, const std::filesystem::path& deviceFolder);

// Writes one area's file atomically (temporary file in the same folder, fsync, rename, fsync of
// the folder), creating the folder when needed. False on any failure; the old file then stays.
bool StoreArea(const std::filesystem::path& deviceFolder, MemoryArea area,
               std::span<const std::uint8_t> bytes);

bool WriteFileAtomically(const std::filesystem::path& file, std::span<const std::uint8_t> bytes);

}  // namespace corvane::virt
