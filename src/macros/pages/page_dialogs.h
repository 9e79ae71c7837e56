#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ui/window.h"

namespace corvane::macros::pages {

// A message box with one button, by text id.
void ShowMessage(ui::Window& window, std::string_view textId);
// The same with the number put in place of the text's "%d".
void ShowNumberedMessage(ui::Window& window, std::string_view textId, int number);
// A yes/no question; true when the user confirmed.
bool Ask(ui::Window& window, std::string_view textId);
// A file dialog for one kind of file ("(*.mac)|*.mac||", "mac"); none when the user cancels.
std::optional<std::string> ChooseFile(ui::Window& window, ui::FileDialogMode mode, std::string_view filter,
                                      std::string_view extension, std::string_view defaultName = {});

}  // namespace corvane::macros::pages
