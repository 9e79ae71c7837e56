#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "scripting/command_syntax.h"
#include "scripting/command_text.h"

namespace corvane::scripting {

// Where a verb runs and what may stop it.
enum class VerbKind {
    Query,   // on the UI thread
    Action,  // on the UI thread, as a person's action: refused while a message box waits
    Caller,  // on the thread that received the line (waits, and what needs no UI at all)
};

struct Verb {
    std::string name;
    VerbKind kind = VerbKind::Query;
    std::function<std::string(const CommandArgs&)> run;
};

// The verbs of the script channel. Each group of verbs registers its own in one table; the
// channel looks them up by name, without regard to case. A verb must have its forms in
// kCommandSyntax, and an action there is an action here: Add stops the program otherwise, so a
// verb missing from the help cannot get past the first test that builds the channel.
class VerbTable {
public:
    void Add(std::string name, VerbKind kind, std::function<std::string(const CommandArgs&)> run);
    const Verb* Find(std::string_view name) const;

private:
    std::vector<Verb> verbs_;
};

}  // namespace corvane::scripting
