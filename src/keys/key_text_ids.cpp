#include "keys/key_text_ids.h"

#include <array>
#include <algorithm>
#include <cstddef>

#include "keys/key_code_tables.h"

namespace corvane::keys {
namespace {

constexpr std::array<std::string_view, 6> kKindLabels = {
    kLeftSwingLabel, kRightSwingLabel, kUpSwingLabel, kDownSwingLabel, kFireKeyLabel, kKeySetLabel};

template <std::size_t... N>
constexpr auto Join(const std::array<std::string_view, N>&... parts) {
    std::array<std::string_view, (N + ...)> all{};
    std::size_t at = 0;
    ((std::copy(parts.begin(), parts.end(), all.begin() + at), at += N), ...);
    return all;
}

constexpr auto kAllIds = Join(KeyNames, ButtonChoiceLabels, DpiStepLabels, MediaKeyLabels,
                              SystemKeyLabels, CursorScriptLabels, kKindLabels);

}  // namespace

std::span<const std::string_view> KeyTextIds() { return kAllIds; }

}  // namespace corvane::keys
