#include "scripting/command_verbs.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "ui/window.h"

namespace corvane::scripting {

void VerbTable::Add(std::string name, VerbKind kind, std::function<std::string(const CommandArgs&)> run) {
    const CommandSyntax* syntax = FindCommand(name);
    if (!syntax || syntax->action != (kind == VerbKind::Action)) {
        std::fprintf(stderr, "script verb \"%s\" %s\n", name.c_str(),
                     syntax ? "disagrees with its syntax row on being an action" : "has no syntax row");
        std::abort();
    }
    verbs_.push_back(Verb{std::move(name), kind, std::move(run)});
}

const Verb* VerbTable::Find(std::string_view name) const {
    for (const Verb& verb : verbs_) {
        if (ui::EqualsIgnoreCase(verb.name, name)) return &verb;
    }
    return nullptr;
}

}  // namespace corvane::scripting
