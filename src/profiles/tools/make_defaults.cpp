// Writes the program's shipped default files into the folder given as the only argument: the six
// default profiles and the mouse's four default cursor scripts. Their contents are the devices'
// factory settings, so that resetting a profile gives what a new device does.

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "device/device_images.h"
#include "macros/cursor_scripts.h"
#include "macros/macro_files.h"
#include "macros/macro_image.h"
#include "platform/files.h"
#include "profiles/profile_family.h"
#include "profiles/profile_file.h"
#include "profiles/profile_payload.h"
#include "virtual/device_memory.h"

namespace {

using corvane::device::DeviceImages;
using corvane::device::DeviceKind;
using corvane::profiles::Family;
using corvane::profiles::ProfileFamily;
using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kFullHue = 1536;  // six 256-step ramps around the colour wheel

struct Rgb {
    std::uint8_t r, g, b;
};

Rgb Hue(std::size_t h) {
    h %= kFullHue;
    const auto up = static_cast<std::uint8_t>(h % 256);
    const auto down = static_cast<std::uint8_t>(255 - up);
    switch (h / 256) {
        case 0: return {255, up, 0};
        case 1: return {down, 255, 0};
        case 2: return {0, 255, up};
        case 3: return {0, down, 255};
        case 4: return {up, 0, 255};
        default: return {255, 0, down};
    }
}

DeviceImages FactoryImages(DeviceKind kind) {
    namespace virt = corvane::virt;
    DeviceImages images;
    const Bytes params = virt::FactoryArea(kind, virt::MemoryArea::Params);
    for (std::size_t slot = 0; slot < images.lightingSlots.size(); ++slot) {
        auto& block = images.lightingSlots[slot];
        const std::size_t from = slot * block.size();
        if (from + block.size() <= params.size()) {
            std::copy_n(params.begin() + static_cast<std::ptrdiff_t>(from), block.size(), block.begin());
        }
    }
    std::copy_n(images.lightingSlots[0].begin(), images.activeLighting.size(), images.activeLighting.begin());
    const Bytes keys = virt::FactoryArea(kind, virt::MemoryArea::FactoryKeys);
    std::copy_n(keys.begin(), std::min(keys.size(), images.keyBanks[0].size()), images.keyBanks[0].begin());
    return images;
}

// Set 0 a rainbow across the keys, the others one colour each; the pen is white.
void DefaultCustomColours(corvane::device::CustomColourStateImage& state,
                          corvane::device::KeyColourTableImage& table) {
    using corvane::device::kColourSetSize;
    using corvane::device::kKeyboardKeyCount;
    state = {0, 255, 255, 255};
    constexpr std::array<Rgb, 4> kSolid{{{255, 96, 0}, {0, 200, 255}, {160, 0, 255}, {255, 255, 255}}};
    for (std::size_t key = 0; key < kKeyboardKeyCount; ++key) {
        const Rgb rainbow = Hue(key * kFullHue / kKeyboardKeyCount);
        for (std::size_t set = 0; set < corvane::device::kColourSetCount; ++set) {
            const Rgb c = set == 0 ? rainbow : kSolid[set - 1];
            const std::size_t at = set * kColourSetSize + 3 * key;
            table[at] = c.r;
            table[at + 1] = c.g;
            table[at + 2] = c.b;
        }
    }
}

bool WriteProfiles(const std::string& folder) {
    DeviceImages kb = FactoryImages(DeviceKind::Keyboard);
    DeviceImages ms = FactoryImages(DeviceKind::Mouse);
    DeviceImages mp = FactoryImages(DeviceKind::MousePad);
    corvane::device::CustomColourStateImage state{};
    corvane::device::KeyColourTableImage colours{};
    DefaultCustomColours(state, colours);
    std::uint8_t pointer = ms.lightingSlots[0][corvane::device::kMousePointerSpeedOffset];
    std::uint8_t wheel = ms.lightingSlots[0][corvane::device::kMouseWheelSpeedOffset];
    const corvane::profiles::SettingBlocks blocks{.keyboard = &kb,
                                                  .mouse = &ms,
                                                  .pad = &mp,
                                                  .customColourState = &state,
                                                  .keyColourTable = &colours,
                                                  .pointerSpeed = &pointer,
                                                  .wheelSpeed = &wheel};
    bool ok = true;
    for (const ProfileFamily family : corvane::profiles::kAllFamilies) {
        const auto payload = corvane::profiles::AssemblePayload(family, blocks);
        ok = payload && corvane::profiles::WriteProfileFile(folder + std::string(Family(family).defaultFile),
                                                            *payload, Family(family).device) &&
             ok;
    }
    return ok;
}

bool WriteScripts(const std::string& folder) {
    namespace macros = corvane::macros;
    const Bytes image = corvane::virt::FactoryArea(DeviceKind::Mouse, corvane::virt::MemoryArea::Scripts);
    const auto records = macros::ParseImage(image);
    if (!records || records->size() != static_cast<std::size_t>(macros::kCursorScriptCount)) return false;
    bool ok = true;
    for (std::size_t i = 0; i < records->size(); ++i) {
        std::vector<macros::MacroAction> steps = (*records)[i];
        for (auto& step : steps) step.label = macros::StepLabel(step);
        const std::string path = folder + macros::CursorScriptName(static_cast<int>(i)) +
                                 std::string(macros::kScriptExtension);
        ok = macros::ReplaceSteps(path, steps) && ok;
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    std::string folder = argv[1];
    if (folder.back() != '/') folder += '/';
    if (!corvane::platform::EnsureFolder(folder.substr(0, folder.size() - 1))) {
        std::fprintf(stderr, "cannot create %s\n", folder.c_str());
        return 1;
    }
    if (!WriteProfiles(folder) || !WriteScripts(folder)) {
        std::fprintf(stderr, "writing the default files into %s failed\n", folder.c_str());
        return 1;
    }
    return 0;
}
