// Any bytes as a profile file, read at every family's size and spread over the setting blocks;
// assembling the blocks again must give back the payload of the key families byte for byte.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "profiles/profile_family.h"
#include "profiles/profile_file.h"
#include "profiles/profile_payload.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> file(data, size);
    device::DeviceImages kb, ms, mp;
    device::CustomColourStateImage state{};
    device::KeyColourTableImage colours{};
    std::uint8_t pointer = 1, wheel = 1;
    const profiles::SettingBlocks blocks{.keyboard = &kb, .mouse = &ms, .pad = &mp,
                                         .customColourState = &state, .keyColourTable = &colours,
                                         .pointerSpeed = &pointer, .wheelSpeed = &wheel};
    for (const profiles::ProfileFamily family : profiles::kAllFamilies) {
        std::vector<std::uint8_t> payload(profiles::Family(family).payloadSize, 0);
        const int result = profiles::DecodeProfile(file, payload);
        if (result != profiles::kProfileReadOk) {
            if (result != profiles::kProfileBadFormat) std::abort();
            continue;
        }
        if (!profiles::LoadPayload(family, payload, blocks)) std::abort();
        if (pointer == 0 || wheel == 0) std::abort();
        const auto back = profiles::AssemblePayload(family, blocks);
        if (!back || back->size() != payload.size()) std::abort();
        const bool exact = family == profiles::ProfileFamily::KbKey ||
                           family == profiles::ProfileFamily::MsKey;
        if (exact && *back != payload) std::abort();
    }
    return 0;
}
