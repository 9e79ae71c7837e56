#include "keys/screen_key_map.h"

#include <algorithm>

namespace corvane::keys {

void BuildScreenKeyMap(ScreenKeyMap& map, const DefaultKeyTable& defaults, std::size_t keyCount) {
    const std::size_t count = std::min(keyCount, kMaxKeyEntries);
    for (std::size_t n = 0; n < kScreenKeyCount; ++n) {
        for (std::size_t j = 0; j < count; ++j) {
            if (EntryAt(defaults, j) == ScreenKeyDefaults[n]) {
                map[n] = static_cast<int>(j);
                break;
            }
        }
    }
}

}  // namespace corvane::keys
