#pragma once

#include <array>
#include <cstddef>

#include "keys/key_code_tables.h"
#include "keys/key_entry.h"

namespace corvane::keys {

// Keyboard screen key n ("kb_key_" n) -> key entry index, kNoScreenKey when the keyboard has no
// such key.
using ScreenKeyMap = std::array<int, kScreenKeyCount>;

constexpr ScreenKeyMap EmptyScreenKeyMap() {
    ScreenKeyMap map{};
    map.fill(kNoScreenKey);
    return map;
}

// Points every screen key at the first of the first `keyCount` factory entries equal to its
// expected default; keys without a match keep their value.
void BuildScreenKeyMap(ScreenKeyMap& map, const DefaultKeyTable& defaults, std::size_t keyCount);

}  // namespace corvane::keys
