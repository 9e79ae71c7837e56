#pragma once

#include "lighting/lighting_records.h"

namespace corvane::lighting::test {

// A record with the common fields set; brightness 0 means full brightness.
inline ActiveLightingImage Record(std::uint8_t mode, Rgb colour, std::uint8_t direction = 1,
                                  bool seven = false, std::uint8_t brightness = 0) {
    ActiveLightingImage r{};
    r[kModeOffset] = mode;
    r[kBrightnessOffset] = brightness;
    r[kDirectionOffset] = direction;
    r[kSevenColourOffset] = seven ? 1 : 0;
    r[kRedOffset] = colour.red;
    r[kGreenOffset] = colour.green;
    r[kBlueOffset] = colour.blue;
    return r;
}

inline constexpr Rgb kWhite{255, 255, 255};

}  // namespace corvane::lighting::test
