#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "ui/window.h"

namespace corvane::virt {
class VirtualHidBus;
}

namespace corvane::scripting {

class ScriptHost;

// The script channel of the running program: one command per line, one reply line per command.
// Words are separated by spaces; NAME is a control name (case-insensitive). The verbs, their
// arguments and what they do are listed in scripting/command_syntax.h (corvane-ctl --help prints
// that list). They come in groups, each in its own file registering into one table
// (scripting/command_verbs.h): the control actions (scripting/control_actions.h), the virtual devices
// (scripting/virtual_commands.h), and here the session: message boxes, dialogs, devices, waits and
// quitting.
//
// Replies: "ok", optionally followed by " boxes=ID,ID" (the message boxes the command opened,
// by text id) and " dialogs=open,save" (the file dialogs it asked); "ok {json}" for get,
// devices and boxes; "error: ..." otherwise, in which case nothing was changed. A command whose
// box waits for an answer (automatic answers off) replies at once, ending in " open=ID", so that
// the same script can answer it; the command goes on once the box is answered. Actions behave
// as a person's would: a hidden or disabled control refuses them, and each raises exactly the
// notifications the same action with the mouse or keyboard raises. While a message box waits
// for its answer, actions are refused with "error: busy"; other commands are served.
class ControlCommands {
public:
    // main (the program's window) may be null: a bare window, without devices, where quit closes the window. bus is
    // null on real hardware. Installs the window's message box and file dialog responders; boxes
    // and dialogs that open while no command runs and no automatic answer is set are shown to
    // the user as usual.
    ControlCommands(ui::Window& window, ScriptHost* main, virt::VirtualHidBus* bus = nullptr);
    ~ControlCommands();
    ControlCommands(const ControlCommands&) = delete;
    ControlCommands& operator=(const ControlCommands&) = delete;

    // Runs one command line and returns its reply. For any thread but the UI thread: the
    // command runs on the UI thread, and waits poll it without holding it; the virtual devices
    // are driven from the calling thread.
    std::string Handle(std::string_view line);

    // From now on Handle replies "error: shutting down"; commands waiting for the UI thread are
    // let go. For the end of the program, once its event loop has stopped.
    void Stop();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace corvane::scripting
