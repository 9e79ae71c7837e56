#include "virtual/device_memory.h"

#include <algorithm>
#include <span>

#include "keys/key_code_tables.h"
#include "keys/key_entry.h"
#include "platform/bytes.h"

namespace corvane::virt {

using device::DeviceKind;

namespace {

// Parameter record fields the factory settings fill (the host's lighting model reads them).
constexpr std::size_t kRecordSize = 64;
constexpr std::size_t kSlotCount = 5;
constexpr std::size_t kMode = 1;
constexpr std::size_t kBrightness = 2;
constexpr std::size_t kSpeed = 3;
constexpr std::size_t kDirection = 4;
constexpr std::size_t kSevenColour = 5;
constexpr std::size_t kRed = 6;
constexpr std::size_t kKeyboardColourIndex = 9;
constexpr std::size_t kKeyboardUserColours = 14;
constexpr std::size_t kMouseDpiColour = 11;
constexpr std::size_t kMouseReportRate = 14;
constexpr std::size_t kMouseDpi1 = 15;   // levels 1..4 at 15..18
constexpr std::size_t kMouseDpiLevel = 19;
constexpr std::size_t kMouseDpi5 = 20;   // levels 5, 6 at 20, 21
constexpr std::size_t kMouseSensorHeight = 22;
constexpr std::size_t kMousePointerSpeed = 23;
constexpr std::size_t kMouseWheelSpeed = 24;

struct Rgb {
    std::uint8_t r, g, b;
};
constexpr std::array<Rgb, 8> kUserColours{{{255, 0, 0},
                                           {255, 96, 0},
                                           {255, 255, 0},
                                           {0, 255, 0},
                                           {0, 255, 255},
                                           {0, 0, 255},
                                           {255, 0, 255},
                                           {255, 255, 254}}};
constexpr std::array<Rgb, kSlotCount> kSlotColours{
    {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 96, 0}, {255, 0, 255}}};

// Mouse sensor: a 0x3360 with 100 DPI per step from 100 DPI up to 12000.
constexpr std::uint16_t kMouseSensorId = 0x3360;
constexpr std::uint8_t kMouseDpiStep = 100;
constexpr std::uint8_t kMouseDpiSteps = 119;
constexpr std::uint16_t kMouseDpiBase = 100;
// Slider positions of 400, 800, 1600, 3200, 6400 and 12000 DPI.
constexpr std::array<std::uint8_t, 6> kMouseDpiPositions{3, 7, 15, 31, 63, 119};

constexpr std::uint8_t kKeyboardKeyCount = 126;
constexpr std::uint8_t kMouseKeyEntries = 42;
constexpr std::uint8_t kKeyboardMacroUnits = 32;  // 4 KiB
constexpr std::uint8_t kMouseMacroUnits = 16;     // 2 KiB
constexpr std::uint16_t kFirmwareVersion = 0x0107;

constexpr std::size_t kMouseBankBytes = 126;
constexpr std::size_t kBankStride = 126;

void Put(std::span<std::uint8_t> bytes, std::size_t offset, const keys::KeyEntry& entry) {
    bytes[offset] = keys::KindByte(entry.kind);
    bytes[offset + 1] = entry.param1;
    bytes[offset + 2] = entry.param2;
}

std::vector<std::uint8_t> FactoryInfo(DeviceKind kind) {
    std::vector<std::uint8_t> info(33, 0);
    info[kInfoDeviceClass] = static_cast<std::uint8_t>(kind);
    platform::StoreLe16(info, kInfoFirmwareVersion, kFirmwareVersion);
    switch (kind) {
        case DeviceKind::Keyboard:
            info[kInfoKeyCount] = kKeyboardKeyCount;
            info[kInfoMacroCapacity] = kKeyboardMacroUnits;
            break;
        case DeviceKind::Mouse:
            info[kInfoKeyCount] = kMouseKeyEntries;
            info[kInfoMacroCapacity] = kMouseMacroUnits;
            platform::StoreLe16(info, kInfoSensorId, kMouseSensorId);
            info[kInfoDpiStep] = kMouseDpiStep;
            info[kInfoDpiSteps] = kMouseDpiSteps;
            platform::StoreLe16(info, kInfoDpiBase, kMouseDpiBase);
            break;
        case DeviceKind::MousePad:
            break;
    }
    return info;
}

std::vector<std::uint8_t> FactoryParams(DeviceKind kind) {
    // Mode per slot, within each device's range (keyboard 0..9, mouse 0..5, pad 0..8).
    constexpr std::array<std::uint8_t, kSlotCount> kKeyboardModes{0, 1, 2, 5, 7};
    constexpr std::array<std::uint8_t, kSlotCount> kMouseModes{0, 1, 2, 3, 5};
    constexpr std::array<std::uint8_t, kSlotCount> kPadModes{0, 1, 2, 4, 8};
    std::vector<std::uint8_t> params(kParamAreaSize, 0);
    for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
        std::span<std::uint8_t> record(params.data() + slot * kRecordSize, kRecordSize);
        // Byte 0 of the area is the active slot (slot 0 active); the other slots carry their number.
        record[0] = static_cast<std::uint8_t>(slot);
        // 14 is the brightest level: the program's effects draw brightness 15 as dark.
        record[kBrightness] = slot == 0 ? 14 : 10;
        record[kDirection] = 0;
        record[kSevenColour] = slot == 0 ? 1 : 0;
        record[kRed] = kSlotColours[slot].r;
        record[kRed + 1] = kSlotColours[slot].g;
        record[kRed + 2] = kSlotColours[slot].b;
        switch (kind) {
            case DeviceKind::Keyboard:
                record[kMode] = kKeyboardModes[slot];
                record[kSpeed] = 1;  // 0..3, smaller is faster
                record[kKeyboardColourIndex] = 0;
                for (std::size_t i = 0; i < kUserColours.size(); ++i) {
                    record[kKeyboardUserColours + 3 * i] = kUserColours[i].r;
                    record[kKeyboardUserColours + 3 * i + 1] = kUserColours[i].g;
                    record[kKeyboardUserColours + 3 * i + 2] = kUserColours[i].b;
                }
                break;
            case DeviceKind::Mouse:
                record[kMode] = kMouseModes[slot];
                record[kSpeed] = 7;  // 0..14
                record[kMouseDpiColour] = 255;
                record[kMouseReportRate] = 3;
                for (std::size_t i = 0; i < 4; ++i) record[kMouseDpi1 + i] = kMouseDpiPositions[i];
                record[kMouseDpiLevel] = 1;
                record[kMouseDpi5] = kMouseDpiPositions[4];
                record[kMouseDpi5 + 1] = kMouseDpiPositions[5];
                record[kMouseSensorHeight] = 1;
                record[kMousePointerSpeed] = 10;
                record[kMouseWheelSpeed] = 3;
                break;
            case DeviceKind::MousePad:
                record[kMode] = kPadModes[slot];
                record[kSpeed] = 7;
                break;
        }
    }
    return params;
}

// The mouse's buttons, in the order of its picture (left, wheel, right, forward, back, upper and
// lower DPI button), leave the factory doing what they are named for; entry 7 cycles the DPI and
// the other entries are unassigned.
std::vector<std::uint8_t> MouseFactoryBank() {
    using keys::FunctionKind;
    const std::array<keys::KeyEntry, 8> buttons{{
        {FunctionKind::MouseButtonFunction, 0x01, 0},
        {FunctionKind::MouseButtonFunction, 0x04, 0},
        {FunctionKind::MouseButtonFunction, 0x02, 0},
        {FunctionKind::MouseButtonFunction, 0x10, 0},
        {FunctionKind::MouseButtonFunction, 0x08, 0},
        {FunctionKind::DpiStepFunction, 1, 0},
        {FunctionKind::DpiStepFunction, 2, 0},
        {FunctionKind::DpiStepFunction, 3, 0},
    }};
    std::vector<std::uint8_t> bank(kMouseBankBytes, 0);
    for (std::size_t i = 0; i < buttons.size(); ++i) Put(bank, 3 * i, buttons[i]);
    return bank;
}

std::vector<std::uint8_t> FactoryKeyTable(DeviceKind kind) {
    std::vector<std::uint8_t> table(kFactoryKeyTableSize, 0);
    if (kind == DeviceKind::Keyboard) {
        // Entry n is the key the screen shows as key n.
        for (std::size_t i = 0; i < keys::ScreenKeyDefaults.size(); ++i) {
            Put(table, 3 * i, keys::ScreenKeyDefaults[i]);
        }
    } else if (kind == DeviceKind::Mouse) {
        const auto bank = MouseFactoryBank();
        std::copy(bank.begin(), bank.end(), table.begin());
    }
    return table;
}

std::vector<std::uint8_t> FactoryKeys(DeviceKind kind) {
    std::vector<std::uint8_t> memory(kKeyMemorySize, 0);
    const auto table = FactoryKeyTable(kind);
    if (kind == DeviceKind::Keyboard) {
        std::copy_n(table.begin(), 3 * kKeyboardKeyCount, memory.begin());
    } else if (kind == DeviceKind::Mouse) {
        for (std::size_t bank = 0; bank < 5; ++bank) {
            std::copy_n(table.begin(), kMouseBankBytes, memory.begin() + bank * kBankStride);
        }
    }
    return memory;
}

// Four recoil-compensation scripts in the macro image layout: a lead-in group, then 30 bullets
// (delay step, horizontal move, vertical move) separated by neutral groups; 180 steps each.
std::vector<std::uint8_t> FactoryScripts() {
    constexpr std::size_t kScripts = 4;
    constexpr std::size_t kSteps = 180;
    constexpr std::size_t kHeader = 16;
    constexpr std::uint16_t kImageMagic = 0x55AA;
    constexpr std::uint8_t kMoveRight = 0x04;
    constexpr std::uint8_t kMoveLeft = 0x84;
    constexpr std::uint8_t kMoveDown = 0x05;
    const std::size_t size = kHeader + 6 * kScripts + 4 * kSteps * kScripts;
    std::vector<std::uint8_t> image(kScriptMemorySize, 0);
    platform::StoreLe16(image, 0, kImageMagic);
    platform::StoreLe16(image, 2, static_cast<std::uint16_t>(size));
    platform::StoreLe16(image, 4, kScripts);
    std::size_t record = kHeader + 2 * kScripts;
    for (std::size_t s = 0; s < kScripts; ++s) {
        platform::StoreLe16(image, kHeader + 2 * s, static_cast<std::uint16_t>(record));
        platform::StoreLe16(image, record, kSteps);
        std::size_t step = record + 4;
        for (std::size_t j = 0; j < kSteps; ++j, step += 4) {
            std::uint8_t delay = 0, kind = kMoveRight, code = 0;
            if (j >= 3 && (j - 3) % 6 < 3) {
                const std::size_t bullet = (j - 3) / 6;
                switch ((j - 3) % 6) {
                    case 0: delay = static_cast<std::uint8_t>(9 + s); break;  // 90..120 ms per shot
                    case 1: kind = bullet % 2 ? kMoveLeft : kMoveRight; code = 1; break;
                    default: kind = kMoveDown; code = static_cast<std::uint8_t>(2 + s + bullet / 6);
                }
            }
            image[step] = delay;
            image[step + 2] = kind;
            image[step + 3] = code;
        }
        record = step;
    }
    return image;
}

}  // namespace

std::string_view AreaFileName(MemoryArea area) {
    switch (area) {
        case MemoryArea::Info: return "info.bin";
        case MemoryArea::Params: return "params.bin";
        case MemoryArea::Keys: return "keys.bin";
        case MemoryArea::FactoryKeys: return "factory_keys.bin";
        case MemoryArea::Macros: return "macros.bin";
        case MemoryArea::Scripts: return "scripts.bin";
        case MemoryArea::Preview: return "preview.bin";
    }
    return "";
}

std::string_view KindFolderName(DeviceKind kind) {
    switch (kind) {
        case DeviceKind::Keyboard: return "keyboard";
        case DeviceKind::Mouse: return "mouse";
        case DeviceKind::MousePad: return "mousepad";
    }
    return "";
}

std::vector<std::uint8_t>& DeviceMemory::Area(MemoryArea area) {
    return const_cast<std::vector<std::uint8_t>&>(std::as_const(*this).Area(area));
}

const std::vector<std::uint8_t>& DeviceMemory::Area(MemoryArea area) const {
    switch (area) {
        case MemoryArea::Info: return info;
        case MemoryArea::Params: return params;
        case MemoryArea::Keys: return keys;
        case MemoryArea::FactoryKeys: return factoryKeys;
        case MemoryArea::Macros: return macros;
        case MemoryArea::Scripts: return scripts;
        case MemoryArea::Preview: return preview;
    }
    return info;
}

std::size_t AreaSize(DeviceKind kind, MemoryArea area, const std::vector<std::uint8_t>& info) {
    const bool hasKeys = kind != DeviceKind::MousePad;
    switch (area) {
        case MemoryArea::Info: return 33;
        case MemoryArea::Params: return kParamAreaSize;
        case MemoryArea::Keys: return hasKeys ? kKeyMemorySize : 0;
        case MemoryArea::FactoryKeys: return hasKeys ? kFactoryKeyTableSize : 0;
        case MemoryArea::Macros:
            return hasKeys && info.size() > kInfoMacroCapacity
                       ? info[kInfoMacroCapacity] * kMacroCapacityUnit
                       : 0;
        case MemoryArea::Scripts: return kind == DeviceKind::Mouse ? kScriptMemorySize : 0;
        case MemoryArea::Preview: return kPreviewMemorySize;
    }
    return 0;
}

std::vector<std::uint8_t> FactoryArea(DeviceKind kind, MemoryArea area) {
    switch (area) {
        case MemoryArea::Info: return FactoryInfo(kind);
        case MemoryArea::Params: return FactoryParams(kind);
        case MemoryArea::Keys:
            return kind == DeviceKind::MousePad ? std::vector<std::uint8_t>{} : FactoryKeys(kind);
        case MemoryArea::FactoryKeys:
            return kind == DeviceKind::MousePad ? std::vector<std::uint8_t>{}
                                                : FactoryKeyTable(kind);
        case MemoryArea::Macros:
            return std::vector<std::uint8_t>(AreaSize(kind, area, FactoryInfo(kind)), 0);
        case MemoryArea::Scripts:
            return kind == DeviceKind::Mouse ? FactoryScripts() : std::vector<std::uint8_t>{};
        case MemoryArea::Preview: return std::vector<std::uint8_t>(kPreviewMemorySize, 0);
    }
    return {};
}

DeviceMemory FactoryMemory(DeviceKind kind) {
    DeviceMemory memory;
    for (MemoryArea area : kAllMemoryAreas) memory.Area(area) = FactoryArea(kind, area);
    return memory;
}

}  // namespace corvane::virt
