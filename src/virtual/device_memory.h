#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "device/device_kind.h"

namespace corvane::virt {

// The memory areas of a virtual device's firmware. Every area is a flat byte image addressed by
// the offset field of the requests that reach it.
enum class MemoryArea : std::uint8_t {
    Info,         // 33-byte information block (command 3)
    Params,       // five 64-byte parameter records (commands 5, 6)
    Keys,         // key banks at bank * 126 (commands 8, 9)
    FactoryKeys,  // the factory key table (command 7); read-only
    Macros,       // macro memory, information byte 6 x 128 bytes (command 21)
    Scripts,      // cursor-script memory (commands 22, 23)
    Preview,      // the last preview colours (command 18)
};

inline constexpr std::array kAllMemoryAreas{MemoryArea::Info,    MemoryArea::Params,
                                            MemoryArea::Keys,    MemoryArea::FactoryKeys,
                                            MemoryArea::Macros,  MemoryArea::Scripts,
                                            MemoryArea::Preview};
// Areas that survive a restart when the device keeps its memory in a folder.
inline constexpr std::array kPersistentAreas{MemoryArea::Info, MemoryArea::Params,
                                             MemoryArea::Keys, MemoryArea::Macros,
                                             MemoryArea::Scripts};

// File name of an area inside the device's folder ("params.bin").
std::string_view AreaFileName(MemoryArea area);
// Folder name of a device kind ("keyboard", "mouse", "mousepad").
std::string_view KindFolderName(device::DeviceKind kind);

inline constexpr std::size_t kParamAreaSize = 5 * 64;
// Bank 4 starts at 4 * 126 and a bank read moves up to 512 bytes.
inline constexpr std::size_t kKeyMemorySize = 4 * 126 + 512;
inline constexpr std::size_t kFactoryKeyTableSize = 512;
inline constexpr std::size_t kScriptMemorySize = 3072;
inline constexpr std::size_t kPreviewMemorySize = 512;
inline constexpr std::size_t kMacroCapacityUnit = 128;

// Information block layout the firmware fills.
inline constexpr std::size_t kInfoDeviceClass = 0;
inline constexpr std::size_t kInfoFirmwareVersion = 1;  // 16 bits
inline constexpr std::size_t kInfoKeyCount = 5;
inline constexpr std::size_t kInfoMacroCapacity = 6;
inline constexpr std::size_t kInfoSensorId = 9;         // 16 bits
inline constexpr std::size_t kInfoDpiStep = 11;
inline constexpr std::size_t kInfoDpiSteps = 12;
inline constexpr std::size_t kInfoDpiBase = 13;         // 16 bits

struct DeviceMemory {
    std::vector<std::uint8_t> info;
    std::vector<std::uint8_t> params;
    std::vector<std::uint8_t> keys;
    std::vector<std::uint8_t> factoryKeys;
    std::vector<std::uint8_t> macros;
    std::vector<std::uint8_t> scripts;
    std::vector<std::uint8_t> preview;

    std::vector<std::uint8_t>& Area(MemoryArea area);
    const std::vector<std::uint8_t>& Area(MemoryArea area) const;
};

// Size an area has on this kind of device given its information block (the macro memory follows
// information byte 6); 0 for areas the device does not have.
std::size_t AreaSize(device::DeviceKind kind, MemoryArea area,
                     const std::vector<std::uint8_t>& info);

// Memory as the device leaves the factory.
DeviceMemory FactoryMemory(device::DeviceKind kind);
std::vector<std::uint8_t> FactoryArea(device::DeviceKind kind, MemoryArea area);

}  // namespace corvane::virt
