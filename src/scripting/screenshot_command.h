#pragma once

#include "scripting/command_verbs.h"
#include "ui/window.h"

namespace corvane::scripting {

// "screenshot PATH": writes the window as it is drawn now to PATH (PNG), shown or not. For
// pictures of a state a script has set up, such as an effect in the middle of its animation.
void RegisterScreenshotVerb(VerbTable& table, ui::Window& window);

}  // namespace corvane::scripting
