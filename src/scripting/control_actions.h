#pragma once

#include <string>
#include <string_view>

#include "scripting/command_verbs.h"
#include "ui/window.h"

class QWidget;

namespace corvane::scripting {

// The script verbs that act on the window's controls as a person would, and "get":
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
//
// A hidden or disabled control refuses an action, and each action raises exactly the
// notifications the same action with the mouse or keyboard raises. UI thread only.
class ControlActions {
public:
    explicit ControlActions(ui::Window& window);

    void Register(VerbTable& table);

private:
    bool Shown(ui::Control& c) const;
    // The control for an action, or the error reply in error.
    ui::Control* Usable(std::string_view name, std::string& error, bool needEnabled = true);

    std::string Get(std::string_view name);
    std::string Click(std::string_view name);
    std::string Select(std::string_view name, bool on);
    std::string Item(std::string_view name, int index, bool press);
    std::string Text(std::string_view name, std::string_view text);
    std::string Value(std::string_view name, int value, bool drag);
    std::string Colour(std::string_view name, ui::Colour rgb);
    std::string Hover(std::string_view name, bool enter);

    ui::Window& window_;
    QWidget* rootWidget_ = nullptr;
};

}  // namespace corvane::scripting
