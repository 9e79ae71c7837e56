#include "keys/key_labels.h"

#include "keys/key_code_tables.h"

namespace corvane::keys {
namespace {

constexpr std::uint8_t kDirectionBit = 0x80;
// A media kind found in some factory tables; it carries the same consumer usages as 0x30.
constexpr FunctionKind kFactoryMediaKind = static_cast<FunctionKind>(0x21);

EntryLabel Text(std::string_view id) { return {EntryLabel::Source::TextId, id, 0}; }

template <std::size_t N>
EntryLabel TableLabel(std::span<const KeyCodeRow> table, const std::array<std::string_view, N>& labels,
                      const KeyEntry& entry) {
    const auto item = FindChoice(table, entry.param1, entry.param2);
    if (!item || *item >= N) return {};
    return Text(labels[*item]);
}

}  // namespace

EntryLabel LabelOf(KeyEntry entry) {
    using FK = FunctionKind;
    if (entry.kind == kFactoryMediaKind) return TableLabel(MediaKeyChoices, MediaKeyLabels, entry);
    switch (entry.kind) {
        case FK::DefaultFunction:
        case FK::KeyboardKeyFunction: {
            const auto name = KeyNameOf(entry.param1, entry.param2);
            return name ? Text(*name) : EntryLabel{};
        }
        case FK::MouseButtonFunction: return TableLabel(ButtonChoices, ButtonChoiceLabels, entry);
        case FK::DpiStepFunction: return TableLabel(DpiStepChoices, DpiStepLabels, entry);
        case FK::MediaKeyFunction: return TableLabel(MediaKeyChoices, MediaKeyLabels, entry);
        case FK::SystemKeyFunction: return TableLabel(SystemKeyChoices, SystemKeyLabels, entry);
        case FK::LeftRightSwingFunction:
            return Text((entry.param2 & kDirectionBit) ? kRightSwingLabel : kLeftSwingLabel);
        case FK::UpDownSwingFunction:
            return Text((entry.param2 & kDirectionBit) ? kDownSwingLabel : kUpSwingLabel);
        case FK::FireKeyFunction: return Text(kFireKeyLabel);
        case FK::CursorScriptFunction:
            if (entry.param1 >= CursorScriptLabels.size()) return {};
            return Text(CursorScriptLabels[entry.param1]);
        case FK::MacroFunction:
        case FK::MacroCountFunction: return {EntryLabel::Source::MacroName, {}, entry.param1};
        default: return {};
    }
}

}  // namespace corvane::keys
