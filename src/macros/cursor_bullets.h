#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace corvane::macros {

// A cursor script is read in groups of three steps. Bullet (shot) b is the group from step
// 6b + 3: a step carrying the pause after the shot, then the horizontal and the vertical move.
// The groups in between are not the editor's and stay as stored.
inline constexpr int kBulletCount = 30;
inline constexpr int kMaxScriptSteps = 180;
inline constexpr int kMaxBulletOffset = 255;
inline constexpr int kMaxBulletDelayMs = 65535;

constexpr int BulletFirstStep(int bullet) { return 6 * bullet + 3; }
// Steps a script needs to hold bullet b.
constexpr int BulletEndStep(int bullet) { return BulletFirstStep(bullet) + 3; }
constexpr bool ValidBullet(int bullet) { return bullet >= 0 && bullet < kBulletCount; }

struct Bullet {
    std::uint32_t delayMs = 0;
    std::uint8_t x = 0;
    bool left = false;
    std::uint8_t y = 0;
    bool up = false;

    friend bool operator==(const Bullet&, const Bullet&) = default;
};

// The bullet's values from its three steps. A step the script does not hold (beyond its step
// count, or a line that is not a step) reads as all zero.
Bullet ReadBullet(const std::string& path, int bullet);

// Rewrites the bullet's three steps in one write, each from its stored line with the edited
// fields changed. A script too short for the bullet grows to hold it: its count becomes the
// bullet's end, and steps missing before the bullet are written as moves by zero, so that every
// step within the count is a real step. False when the file could not be written.
bool WriteBullet(const std::string& path, int bullet, const Bullet& values);

// The number an edit holds, as the editor takes it: its leading digits (none gives 0), at most
// `limit`.
int LimitedEditValue(std::string_view text, int limit);

}  // namespace corvane::macros
