#include "keys/function_page.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <limits>

#include "keys/key_code_tables.h"

namespace corvane::keys {
namespace {

using device::DeviceKind;
using FK = FunctionKind;

constexpr std::array<FunctionKind, 10> kKeyboardKinds = {
    FK::DefaultFunction,        FK::KeyboardKeyFunction, FK::MouseButtonFunction,
    FK::LeftRightSwingFunction, FK::UpDownSwingFunction, FK::DpiStepFunction,
    FK::FireKeyFunction,        FK::MediaKeyFunction,    FK::SystemKeyFunction,
    FK::MacroFunction};
constexpr std::array<FunctionKind, 11> kMouseKinds = {
    FK::DefaultFunction,     FK::MouseButtonFunction, FK::LeftRightSwingFunction,
    FK::UpDownSwingFunction, FK::DpiStepFunction,     FK::FireKeyFunction,
    FK::KeyboardKeyFunction, FK::MediaKeyFunction,    FK::SystemKeyFunction,
    FK::MacroFunction,       FK::CursorScriptFunction};

constexpr int kByteLimit = 255;
constexpr int kAmountLimit = 127;
constexpr int kNibbleLimit = 15;
constexpr std::uint8_t kDirectionBit = 0x80;
constexpr std::uint8_t kAmountMask = 0x7F;
constexpr int kNibbleShift = 4;
constexpr std::uint8_t kNibbleMask = 0x0F;

constexpr bool IsParamNumber(int number) {
    return number >= kFirstParamControl && number <= kLastParamControl;
}
constexpr std::size_t Slot(int number) { return static_cast<std::size_t>(number - kFirstParamControl); }

// The row a table combo selects; none without a selection.
std::optional<KeyEntry> TableEntry(std::span<const KeyCodeRow> table, int item) {
    if (item < 0) return std::nullopt;
    const auto row = ChoiceRow(table, static_cast<std::size_t>(item));
    if (!row) return std::nullopt;
    return row->Entry();
}

// param1 and param2 of a swing kind: nibbles from two edits, direction bit from the combo.
KeyEntry SwingEntry(FunctionKind kind, const FunctionPageState& page, int directionCombo,
                    int amountEdit, int highEdit, int lowEdit) {
    const int high = EditValue(page.Edit(highEdit), kNibbleLimit);
    const int low = EditValue(page.Edit(lowEdit), kNibbleLimit);
    const int amount = EditValue(page.Edit(amountEdit), kAmountLimit);
    // Without a direction chosen the first one (left, up) holds.
    const bool second = page.Combo(directionCombo) > 0;
    return KeyEntry{kind, static_cast<std::uint8_t>((high << kNibbleShift) | low),
                    static_cast<std::uint8_t>(second ? (amount | kDirectionBit) : amount)};
}

void ShowSwing(const KeyEntry& entry, FunctionPageState& page, int directionCombo, int amountEdit,
               int highEdit, int lowEdit) {
    page.SetEdit(highEdit, std::to_string(entry.param1 >> kNibbleShift));
    page.SetEdit(lowEdit, std::to_string(entry.param1 & kNibbleMask));
    page.SetEdit(amountEdit, std::to_string(entry.param2 & kAmountMask));
    page.SetCombo(directionCombo, (entry.param2 & kDirectionBit) ? 1 : 0);
}

// Table combos keep their selection when no row matches.
void ShowChoice(std::span<const KeyCodeRow> table, const KeyEntry& entry, int combo,
                FunctionPageState& page) {
    if (const auto item = FindChoice(table, entry.param1, entry.param2)) {
        page.SetCombo(combo, static_cast<int>(*item));
    }
}

void ShowMacroNumber(const KeyEntry& entry, FunctionPageState& page) {
    page.SetCombo(kMacroCombo, page.macroItems > entry.param1 ? entry.param1 : kNoSelection);
}

}  // namespace

int FunctionPageState::Combo(int number) const {
    return IsParamNumber(number) ? combos[Slot(number)] : kNoSelection;
}

void FunctionPageState::SetCombo(int number, int item) {
    if (IsParamNumber(number)) combos[Slot(number)] = item;
}

const std::string& FunctionPageState::Edit(int number) const {
    static const std::string kEmpty;
    return IsParamNumber(number) ? edits[Slot(number)] : kEmpty;
}

void FunctionPageState::SetEdit(int number, std::string text) {
    if (IsParamNumber(number)) edits[Slot(number)] = std::move(text);
}

std::span<const FunctionKind> KindItems(DeviceKind device) {
    switch (device) {
        case DeviceKind::Keyboard: return kKeyboardKinds;
        case DeviceKind::Mouse: return kMouseKinds;
        case DeviceKind::MousePad: return {};
    }
    return {};
}

std::optional<FunctionKind> KindOfItem(DeviceKind device, int item) {
    const auto kinds = KindItems(device);
    if (item < 0 || static_cast<std::size_t>(item) >= kinds.size()) return std::nullopt;
    return kinds[static_cast<std::size_t>(item)];
}

std::optional<int> ItemOfKind(DeviceKind device, FunctionKind kind) {
    if (kind == FK::MacroCountFunction) kind = FK::MacroFunction;
    const auto kinds = KindItems(device);
    const auto it = std::find(kinds.begin(), kinds.end(), kind);
    if (it == kinds.end()) return std::nullopt;
    return static_cast<int>(it - kinds.begin());
}

std::optional<int> EditLimit(int number) {
    switch (number) {
        case kFireParam1Edit:
        case kFireParam2Edit:
        case kRepeatCountEdit: return kByteLimit;
        case kLeftRightAmountEdit:
        case kUpDownAmountEdit: return kAmountLimit;
        case kLeftRightHighEdit:
        case kUpDownHighEdit:
        case kUpDownLowEdit:
        case kLeftRightLowEdit: return kNibbleLimit;
        default: return std::nullopt;
    }
}

long ParseDecimal(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    // Anything past the limits of an edit is as good as saturated; keep well clear of overflow.
    constexpr long kSaturation = std::numeric_limits<int>::max();
    long value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        value = std::min(kSaturation, value * 10 + (text[at] - '0'));
    }
    return negative ? -value : value;
}

int EditValue(std::string_view text, int limit) {
    return static_cast<int>(std::clamp(ParseDecimal(text), 0L, static_cast<long>(limit)));
}

std::optional<std::string> ClampedEditText(int number, std::string_view text) {
    const auto limit = EditLimit(number);
    if (!limit || ParseDecimal(text) <= *limit) return std::nullopt;
    return std::to_string(*limit);
}

std::optional<KeyEntry> BuildEntry(FunctionKind kind, const FunctionPageState& page,
                                   KeyEntry defaultEntry) {
    switch (kind) {
        case FK::DefaultFunction: return defaultEntry;
        case FK::MouseButtonFunction: return TableEntry(ButtonChoices, page.Combo(kButtonCombo));
        case FK::LeftRightSwingFunction:
            return SwingEntry(kind, page, kLeftRightCombo, kLeftRightAmountEdit, kLeftRightHighEdit,
                              kLeftRightLowEdit);
        case FK::UpDownSwingFunction:
            return SwingEntry(kind, page, kUpDownCombo, kUpDownAmountEdit, kUpDownHighEdit,
                              kUpDownLowEdit);
        case FK::DpiStepFunction: return TableEntry(DpiStepChoices, page.Combo(kDpiStepCombo));
        case FK::FireKeyFunction:
            return KeyEntry{kind,
                            static_cast<std::uint8_t>(EditValue(page.Edit(kFireParam1Edit), kByteLimit)),
                            static_cast<std::uint8_t>(EditValue(page.Edit(kFireParam2Edit), kByteLimit))};
        case FK::KeyboardKeyFunction:
            if (page.Edit(kKeyFieldEdit).empty() || !page.capturedKey) return std::nullopt;
            return page.capturedKey;
        case FK::MediaKeyFunction: return TableEntry(MediaKeyChoices, page.Combo(kMediaCombo));
        case FK::SystemKeyFunction: return TableEntry(SystemKeyChoices, page.Combo(kSystemCombo));
        case FK::MacroFunction:
        case FK::MacroCountFunction: {
            const int macro = page.Combo(kMacroCombo);
            if (macro < 0 || macro > kByteLimit) return std::nullopt;
            const int playback = page.Combo(kPlaybackCombo);
            if (playback == kRepeatCountItem) {
                return KeyEntry{FK::MacroCountFunction, static_cast<std::uint8_t>(macro),
                                static_cast<std::uint8_t>(EditValue(page.Edit(kRepeatCountEdit), kByteLimit))};
            }
            // Without a playback selection the macro plays with option 0.
            const int option = (playback >= 0 && playback < kPlaybackOptionCount) ? playback : 0;
            return KeyEntry{FK::MacroFunction, static_cast<std::uint8_t>(macro),
                            static_cast<std::uint8_t>(option)};
        }
        case FK::CursorScriptFunction: {
            const int script = page.Combo(kCursorScriptCombo);
            if (script < 0 || static_cast<std::size_t>(script) >= CursorScriptLabels.size()) {
                return std::nullopt;
            }
            return KeyEntry{kind, static_cast<std::uint8_t>(script), 0};
        }
        default: return std::nullopt;
    }
}

bool ShowEntry(DeviceKind device, KeyEntry entry, KeyEntry defaultEntry, FunctionPageState& page) {
    if (entry == defaultEntry) {
        page.kindItem = 0;
        return true;
    }
    const auto item = ItemOfKind(device, entry.kind);
    if (!item) return false;
    switch (entry.kind) {
        case FK::DefaultFunction: break;
        case FK::MouseButtonFunction: ShowChoice(ButtonChoices, entry, kButtonCombo, page); break;
        case FK::LeftRightSwingFunction:
            ShowSwing(entry, page, kLeftRightCombo, kLeftRightAmountEdit, kLeftRightHighEdit,
                      kLeftRightLowEdit);
            break;
        case FK::UpDownSwingFunction:
            ShowSwing(entry, page, kUpDownCombo, kUpDownAmountEdit, kUpDownHighEdit, kUpDownLowEdit);
            break;
        case FK::DpiStepFunction: ShowChoice(DpiStepChoices, entry, kDpiStepCombo, page); break;
        case FK::FireKeyFunction:
            page.SetEdit(kFireParam1Edit, std::to_string(entry.param1));
            page.SetEdit(kFireParam2Edit, std::to_string(entry.param2));
            break;
        case FK::KeyboardKeyFunction:
            page.SetEdit(kKeyFieldEdit, std::string(KeyNameOf(entry.param1, entry.param2).value_or("")));
            page.capturedKey = entry;
            break;
        case FK::MediaKeyFunction: ShowChoice(MediaKeyChoices, entry, kMediaCombo, page); break;
        case FK::SystemKeyFunction: ShowChoice(SystemKeyChoices, entry, kSystemCombo, page); break;
        case FK::MacroFunction:
            ShowMacroNumber(entry, page);
            // Options past the four the combo offers cannot be shown; the combo keeps its item.
            if (entry.param2 < kPlaybackOptionCount) page.SetCombo(kPlaybackCombo, entry.param2);
            break;
        case FK::MacroCountFunction:
            ShowMacroNumber(entry, page);
            page.SetCombo(kPlaybackCombo, kRepeatCountItem);
            page.SetEdit(kRepeatCountEdit, std::to_string(entry.param2));
            break;
        case FK::CursorScriptFunction:
            if (entry.param1 < CursorScriptLabels.size()) page.SetCombo(kCursorScriptCombo, entry.param1);
            break;
        default: return false;
    }
    page.kindItem = *item;
    return true;
}

bool StoreEntry(KeyTable& bank, std::size_t index, FunctionKind kind,
                const FunctionPageState& page, const DefaultKeyTable& defaults) {
    const auto defaultEntry = EntryAt(defaults, index);
    if (!defaultEntry) return false;
    const auto entry = BuildEntry(kind, page, *defaultEntry);
    return entry && SetEntry(bank, index, *entry);
}

}  // namespace corvane::keys
