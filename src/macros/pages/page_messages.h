#pragma once

#include <string_view>

#include "ui/window.h"

namespace corvane::macros::pages {

// A message box with one button, by text id.
void ShowMessage(ui::Window& window, std::string_view textId);
// The same with the number put in place of the text's "%d".
void ShowNumberedMessage(ui::Window& window, std::string_view textId, int number);
// A yes/no question; true when the user confirmed.
bool Ask(ui::Window& window, std::string_view textId);

}  // namespace corvane::macros::pages
