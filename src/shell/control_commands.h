#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "ui/window.h"

namespace corvane::shell {

class CMainWnd;

// The script channel of the running program: one command per line, one reply line per command.
// Words are separated by spaces; NAME is a control name (case-insensitive).
//
//   click NAME                     press and release a button, option, check box or combo
//   select NAME on|off             click an option or check box unless it is in that state
//   item NAME INDEX                pick item INDEX of a combo, or select row INDEX of a list
//   item-click NAME ROW            press row ROW of a list or combo with the mouse
//   text NAME [TEXT]               replace an edit's text as one user edit (TEXT: rest of line)
//   value NAME V [drag]            move a slider to V: "valuechanged", or "movevaluechanged"
//                                  while dragging
//   color NAME #RRGGBB             pick a colour in a palette
//   hover NAME enter|leave         move the pointer onto or off a control
//   get NAME                       ok {json}: the control's state
//   devices                        ok {json}: the devices, their identities and active slots
//   wait connected kb|ms|mp [MS]   until the device has arrived and been read (default 10000)
//   wait idle [MS]                 until nothing is queued for the window, no lighting
//                                  record waits to be sent and the device queues are empty
//   boxes                          ok {json}: the open message boxes and the answer mode
//   boxes auto confirm|cancel|off  answer every box from now on, or leave them open
//   answer confirm|cancel|close    answer the innermost open message box
//   dialog PATH | dialog cancel    the answer of the next open or save dialog
//   quit                           close the program as its tray's exit does
//
// Replies: "ok", optionally followed by " boxes=ID,ID" (the message boxes the command opened,
// by text id) and " dialogs=open,save" (the file dialogs it asked); "ok {json}" for get,
// devices and boxes; "error: ..." otherwise, in which case nothing was changed. Actions behave
// as a person's would: a hidden or disabled control refuses them, and each raises exactly the
// notifications the same action with the mouse or keyboard raises. While a message box waits
// for its answer, actions are refused with "error: busy"; other commands are served.
class ControlCommands {
public:
    // main may be null: a bare window, without devices, where quit closes the window.
    // Installs the window's message box and file dialog responders; boxes and dialogs that open
    // while no command runs and no automatic answer is set are shown to the user as usual.
    ControlCommands(ui::Window& window, CMainWnd* main);
    ~ControlCommands();
    ControlCommands(const ControlCommands&) = delete;
    ControlCommands& operator=(const ControlCommands&) = delete;

    // Runs one command line and returns its reply. For any thread but the UI thread: the
    // command runs on the UI thread, and waits poll it without holding it.
    std::string Handle(std::string_view line);

    // From now on Handle replies "error: shutting down"; commands waiting for the UI thread are
    // let go. For the end of the program, once its event loop has stopped.
    void Stop();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace corvane::shell
