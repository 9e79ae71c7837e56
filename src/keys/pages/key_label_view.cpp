#include "keys/pages/key_label_view.h"

#include <algorithm>
#include <optional>

#include "keys/key_code_tables.h"
#include "keys/key_labels.h"
#include "macros/macro_files.h"
#include "platform/ini_file.h"

namespace corvane::keys::pages {
namespace {

using device::DeviceKind;

// Hidden label the program turns language ids into words with.
constexpr const char* kTranslator = "str_test";

// A label as the control shows it: a language id (shown in the current language) or plain text.
struct Shown {
    std::string text;
    bool isId = false;
};

std::optional<Shown> LabelText(const KeyEntry& entry, const std::vector<std::string>& macroNames) {
    const EntryLabel label = LabelOf(entry);
    switch (label.source) {
        case EntryLabel::Source::TextId: return Shown{std::string(label.textId), true};
        case EntryLabel::Source::MacroName:
            if (label.macroNumber >= macroNames.size()) return std::nullopt;
            return Shown{macroNames[label.macroNumber], false};
        case EntryLabel::Source::Keep: return std::nullopt;
    }
    return std::nullopt;
}

// The words of a language id, through the hidden label as the skin expects.
std::string Words(ui::Window& window, const Shown& shown) {
    if (!shown.isId) return shown.text;
    if (auto* translator = window.Find(kTranslator)) {
        translator->SetResourceText(true);
        translator->SetText(shown.text);
        return translator->DisplayedText();
    }
    return window.LanguageText(shown.text);
}

void RefreshMouse(ui::Window& window, const KeyLabelSource& source) {
    for (std::size_t i = 0; i < kMouseLabelledButtons; ++i) {
        const auto entry = EntryAt(source.bank, i);
        const auto shown = entry ? LabelText(*entry, source.macroNames) : std::nullopt;
        auto* button = window.Find("ms_key_" + std::to_string(i));
        if (!shown || !button) continue;
        button->SetResourceText(shown->isId);
        button->SetText(shown->text);
        // Ids as "@id" follow the language; a macro name is shown as it stands.
        button->SetToolTip(shown->isId ? "@" + shown->text : shown->text);
    }
}

void RefreshKeyboard(ui::Window& window, const KeyLabelSource& source) {
    if (!source.screenKeyMap) return;
    const std::string arrow = Words(window, Shown{std::string(kKeySetLabel), true});
    for (std::size_t n = 0; n < kScreenKeyCount; ++n) {
        const int index = (*source.screenKeyMap)[n];
        if (index < 0 || index == kNoScreenKey || static_cast<std::size_t>(index) >= source.entryCount) continue;
        const auto entry = EntryAt(source.bank, static_cast<std::size_t>(index));
        const auto factory = EntryAt(source.defaults, static_cast<std::size_t>(index));
        auto* key = window.Find("kb_key_" + std::to_string(n));
        if (!entry || !factory || !key) continue;
        const auto label = LabelText(*entry, source.macroNames);
        if (!label) continue;
        const auto defaultLabel = LabelText(*factory, source.macroNames);
        // A factory function without a name of its own (the Fn key) goes by the key's legend.
        const std::string defaultName = defaultLabel ? Words(window, *defaultLabel) : key->DisplayedText();
        const std::string words = Words(window, *label);
        key->SetToolTip(words == defaultName ? defaultName : defaultName + arrow + words);
    }
}

}  // namespace

void RefreshKeyLabels(ui::Window& window, DeviceKind kind, const KeyLabelSource& source) {
    switch (kind) {
        case DeviceKind::Keyboard: RefreshKeyboard(window, source); break;
        case DeviceKind::Mouse: RefreshMouse(window, source); break;
        case DeviceKind::MousePad: break;
    }
}

std::vector<std::string> ReadMacroNames(DeviceKind kind) {
    std::vector<std::string> names;
    if (kind == DeviceKind::MousePad) return names;
    const platform::IniDocument doc = macros::MacroIndexFile(kind).Load();
    const int count = std::clamp(platform::ToInt(doc.Get(macros::kMacroCountSection, macros::kCountKey)), 0,
                                 macros::kMaxIndexCount);
    for (int i = 0; i < count; ++i) names.push_back(doc.Get(macros::kMacroNameSection, std::to_string(i)));
    return names;
}

}  // namespace corvane::keys::pages
