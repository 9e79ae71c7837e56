#pragma once

#include <cstdint>

namespace corvane::lighting {

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    friend constexpr bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kBlack{};
inline constexpr std::uint32_t kOpaqueAlpha = 0xFF000000u;

// Palette colours: alpha in bits 24..31, red 16..23, green 8..15, blue 0..7.
constexpr std::uint32_t ToArgb(Rgb colour) {
    return kOpaqueAlpha | (std::uint32_t{colour.red} << 16) | (std::uint32_t{colour.green} << 8) |
           colour.blue;
}

constexpr Rgb FromArgb(std::uint32_t argb) {
    return Rgb{static_cast<std::uint8_t>((argb >> 16) & 0xFF),
               static_cast<std::uint8_t>((argb >> 8) & 0xFF), static_cast<std::uint8_t>(argb & 0xFF)};
}

// The value an LED overlay takes: red | blue << 8 | green << 16.
constexpr std::uint32_t PackOverlayColour(Rgb colour) {
    return std::uint32_t{colour.red} | (std::uint32_t{colour.blue} << 8) |
           (std::uint32_t{colour.green} << 16);
}

// Scaling of effect colours: c x (f + 1) >> 8 keeps full intensity at f = 255.
constexpr std::uint8_t Scale(std::uint8_t c, std::uint8_t f) {
    return static_cast<std::uint8_t>((c * (f + 1)) >> 8);
}
constexpr Rgb Scale(Rgb colour, std::uint8_t f) {
    return Rgb{Scale(colour.red, f), Scale(colour.green, f), Scale(colour.blue, f)};
}

// The keyboard's own effect scales by c x f >> 8.
constexpr std::uint8_t ScaleKeyboard(std::uint8_t c, std::uint8_t f) {
    return static_cast<std::uint8_t>((c * f) >> 8);
}
constexpr Rgb ScaleKeyboard(Rgb colour, std::uint8_t f) {
    return Rgb{ScaleKeyboard(colour.red, f), ScaleKeyboard(colour.green, f),
               ScaleKeyboard(colour.blue, f)};
}

}  // namespace corvane::lighting
