#include "ctl/ctl_help.h"

#include <algorithm>
#include <ostream>
#include <string>

#include "platform/version.h"
#include "scripting/command_syntax.h"

namespace corvane::ctl {

namespace {

constexpr std::size_t kIndent = 2;
constexpr std::size_t kGap = 2;

}  // namespace

void WriteHelp(std::ostream& out) {
    out << "usage: corvane-ctl COMMAND [ARGS...]   send one command, its words as arguments\n"
           "       corvane-ctl -                   send one command per line of standard input\n"
           "       corvane-ctl --help | --version\n"
           "\n"
           "Drives the running Corvane of this user. NAME is the name of a control of its window.\n"
           "\n"
           "Commands:\n";
    std::size_t width = 0;
    for (const scripting::CommandSyntax& c : scripting::kCommandSyntax) width = std::max(width, scripting::CommandForm(c).size());
    for (const scripting::CommandSyntax& c : scripting::kCommandSyntax) {
        const std::string form = scripting::CommandForm(c);
        out << std::string(kIndent, ' ') << form << std::string(width - form.size() + kGap, ' ') << c.summary
            << '\n';
    }
    out << "\n"
           "Each reply is printed as a line: \"ok\", \"ok {json}\", \"ok boxes=ID,...\" when the command\n"
           "opened message boxes, or \"error: ...\". Actions are refused while a message box is open.\n"
           "\n"
           "Exit status: 0 when every command succeeded, 1 at the first error reply, 2 when no\n"
           "instance runs or it stopped answering.\n";
}

void WriteVersion(std::ostream& out) { out << "corvane-ctl " << platform::kVersion << '\n'; }

}  // namespace corvane::ctl
