#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "device/device_kind.h"
#include "keys/key_entry.h"

namespace corvane::keys {

// The key editor's function page as plain values: the kind combo item, the selection of each
// parameter combo "_11".."_25" and the text of each parameter edit "_11".."_25". The page layer
// copies this to and from its controls; BuildEntry and ShowEntry work on it alone.
inline constexpr int kFirstParamControl = 11;
inline constexpr int kLastParamControl = 25;
inline constexpr std::size_t kParamControlCount = kLastParamControl - kFirstParamControl + 1;
inline constexpr int kNoSelection = -1;

// Parameter control numbers ("kb_key_fct_combo_NN" / "kb_key_fct_edit_NN").
inline constexpr int kButtonCombo = 11;
inline constexpr int kLeftRightCombo = 12;
inline constexpr int kUpDownCombo = 13;
inline constexpr int kDpiStepCombo = 14;
inline constexpr int kMediaCombo = 21;
inline constexpr int kSystemCombo = 22;
inline constexpr int kMacroCombo = 23;
inline constexpr int kPlaybackCombo = 24;
inline constexpr int kCursorScriptCombo = 25;
inline constexpr int kFireParam1Edit = 11;
inline constexpr int kFireParam2Edit = 12;
inline constexpr int kLeftRightAmountEdit = 15;
inline constexpr int kUpDownAmountEdit = 16;
inline constexpr int kLeftRightHighEdit = 17;
inline constexpr int kUpDownHighEdit = 18;
inline constexpr int kUpDownLowEdit = 19;
inline constexpr int kLeftRightLowEdit = 20;
inline constexpr int kKeyFieldEdit = 21;
inline constexpr int kRepeatCountEdit = 25;

// Playback item of combo "_24" that stores a repeat count instead of a playback option.
inline constexpr int kRepeatCountItem = 4;
inline constexpr int kPlaybackOptionCount = 4;
// Page shown while the repeat-count item is selected ("kb_tab_function_26").
inline constexpr int kRepeatCountPage = 26;

constexpr std::array<int, kParamControlCount> NoComboSelections() {
    std::array<int, kParamControlCount> combos{};
    combos.fill(kNoSelection);
    return combos;
}

struct FunctionPageState {
    int kindItem = 0;
    std::array<int, kParamControlCount> combos = NoComboSelections();
    std::array<std::string, kParamControlCount> edits{};
    // Items in the macro combo "_23" (the device's macro count); decides whether a stored macro
    // number can be shown.
    std::size_t macroItems = 0;
    // The entry captured for the key field "_21" (set by a key press or by showing an entry).
    std::optional<KeyEntry> capturedKey;

    // Selection of combo "_NN" (kNoSelection when none or when NN is not a parameter number).
    int Combo(int number) const;
    void SetCombo(int number, int item);
    // Text of edit "_NN" (empty when NN is not a parameter number).
    const std::string& Edit(int number) const;
    void SetEdit(int number, std::string text);
};

// The kind combo: item -> kind per device (item 9 stands for both macro kinds).
std::span<const FunctionKind> KindItems(device::DeviceKind device);
std::optional<FunctionKind> KindOfItem(device::DeviceKind device, int item);
std::optional<int> ItemOfKind(device::DeviceKind device, FunctionKind kind);

// Upper limit of a parameter edit ("_11", "_12", "_25": 255; amounts 127; nibbles 15); none for
// edits that take no number.
std::optional<int> EditLimit(int number);

// Decimal text to a value the way the edits are read: leading blanks, optional sign, leading
// digits; anything else reads as 0. Saturates instead of overflowing.
long ParseDecimal(std::string_view text);

// An edit's text as its value within 0..limit.
int EditValue(std::string_view text, int limit);

// What an edit change does to its text: the clamped text when the typed number is above the
// limit (the edit is rewritten), none when it stands.
std::optional<std::string> ClampedEditText(int number, std::string_view text);

// The entry the page describes for `kind`; none when the page holds no usable value (then the
// bank stays unchanged). `defaultEntry` is the key's factory entry, used by the default kind.
std::optional<KeyEntry> BuildEntry(FunctionKind kind, const FunctionPageState& page,
                                   KeyEntry defaultEntry);

// Fills the page from an entry (inverse of BuildEntry); the kind item is set last. An entry equal
// to its default shows as item 0. Returns false and leaves the page as it was for kinds the
// editor cannot create on this device.
bool ShowEntry(device::DeviceKind device, KeyEntry entry, KeyEntry defaultEntry,
               FunctionPageState& page);

// BuildEntry into bank `index` of a table; false when nothing was stored.
bool StoreEntry(KeyTable& bank, std::size_t index, FunctionKind kind,
                const FunctionPageState& page, const DefaultKeyTable& defaults);

}  // namespace corvane::keys
