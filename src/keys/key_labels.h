#pragma once

#include <cstdint>
#include <string_view>

#include "keys/key_entry.h"

namespace corvane::keys {

// What a key label shows for an entry: a language text id, the name of a macro (looked up by the
// page in the macro index), or nothing new (the label keeps its text).
struct EntryLabel {
    enum class Source { TextId, MacroName, Keep };
    Source source = Source::Keep;
    std::string_view textId;
    std::uint8_t macroNumber = 0;

    friend bool operator==(const EntryLabel&, const EntryLabel&) = default;
};

EntryLabel LabelOf(KeyEntry entry);

}  // namespace corvane::keys
