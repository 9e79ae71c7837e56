#pragma once

// The commands of the script channel: each form of each verb with its arguments and one line of
// help. The program's verb groups may register only verbs listed here (scripting/command_verbs.h),
// take their usage errors from here, and corvane-ctl prints its help from here, so the three
// cannot drift apart. No Qt: corvane-ctl includes it.

#include <array>
#include <string>
#include <string_view>

namespace corvane::scripting {

struct CommandSyntax {
    std::string_view verb;
    std::string_view arguments;  // as typed; NAME is a control name
    std::string_view summary;
    // Acts on the window as a person would: refused while a message box waits for its answer.
    bool action = false;
};

// A verb with several forms has one row per form, next to each other.
inline constexpr std::array kCommandSyntax = {
    CommandSyntax{"click", "NAME", "press and release a button, option, check box or combo", true},
    CommandSyntax{"select", "NAME on|off", "click an option or check box unless it is in that state", true},
    CommandSyntax{"item", "NAME INDEX", "pick item INDEX of a combo, or select row INDEX of a list", true},
    CommandSyntax{"item-click", "NAME ROW", "press row ROW of a list or combo with the mouse", true},
    CommandSyntax{"text", "NAME [TEXT]", "replace an edit's text as one user edit (TEXT: rest of line)", true},
    CommandSyntax{"value", "NAME V [drag]", "move a slider to V, as a drag with \"drag\"", true},
    CommandSyntax{"color", "NAME #RRGGBB", "pick a colour in a palette", true},
    CommandSyntax{"hover", "NAME enter|leave", "move the pointer onto or off a control", true},
    CommandSyntax{"get", "NAME", "the control's state as JSON"},
    CommandSyntax{"devices", "", "the devices, their identities and active slots as JSON"},
    CommandSyntax{"stats", "", "UI stalls, device queues and settings writes as JSON"},
    CommandSyntax{"stats", "reset", "clear those figures"},
    CommandSyntax{"wait", "connected kb|ms|mp [MS]", "until the device has arrived and been read (MS: 10000)"},
    CommandSyntax{"wait", "idle [MS]", "until nothing is queued for the window or the devices"},
    CommandSyntax{"boxes", "", "the open message boxes and the answer mode as JSON"},
    CommandSyntax{"boxes", "auto confirm|cancel|off", "answer every box from now on, or leave them open"},
    CommandSyntax{"answer", "confirm|cancel|close", "answer the innermost open message box"},
    CommandSyntax{"dialog", "PATH|cancel", "the answer of the next open or save dialog"},
    CommandSyntax{"quit", "", "close the program as its tray's exit does"},
    CommandSyntax{"virtual", "kb|ms|mp state", "a virtual device's own view: plugged in or not, its slot"},
    CommandSyntax{"virtual", "kb|ms|mp plug|unplug", "plug a virtual device in or pull it out"},
    CommandSyntax{"virtual", "kb|ms|mp fault KIND [AT [COUNT]]",
                  "misbehave on COUNT requests (1; 0: until cleared) from the AT-th (1: the next)"},
    CommandSyntax{"virtual", "kb|ms|mp fault clear", "behave again"},
    CommandSyntax{"virtual", "kb|ms slot N", "press the device's slot button: slot N (0..4) becomes active"},
    CommandSyntax{"virtual", "kb|ms restore", "press the device's restore button: its factory settings"},
    CommandSyntax{"virtual", "ms flash", "press the mouse's flash button: the mouse pad flashes"},
    CommandSyntax{"screenshot", "PATH", "write the window as drawn now to PATH (PNG)"},
};

// The first row of the verb (exact, lower case), or null when there is no such command.
constexpr const CommandSyntax* FindCommand(std::string_view verb) {
    for (const CommandSyntax& c : kCommandSyntax) {
        if (c.verb == verb) return &c;
    }
    return nullptr;
}

// "verb arguments" of one form.
inline std::string CommandForm(const CommandSyntax& c) {
    std::string form(c.verb);
    if (!c.arguments.empty()) form.append(" ").append(c.arguments);
    return form;
}

// "error: usage: ..." with every form of the verb, separated by " | "; with form, only the forms
// whose arguments start with that word ("wait", "idle").
inline std::string UsageError(std::string_view verb, std::string_view form = {}) {
    std::string forms;
    for (const CommandSyntax& c : kCommandSyntax) {
        if (c.verb != verb) continue;
        if (!form.empty() && c.arguments.substr(0, c.arguments.find(' ')) != form) continue;
        forms.append(forms.empty() ? "" : " | ").append(CommandForm(c));
    }
    return "error: usage: " + forms;
}

}  // namespace corvane::scripting
