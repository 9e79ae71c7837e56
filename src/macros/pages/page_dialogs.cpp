#include "macros/pages/page_dialogs.h"

#include <string>

namespace corvane::macros::pages {

void ShowMessage(ui::Window& window, std::string_view textId) {
    ui::MessageBoxRequest request;
    request.textId = std::string(textId);
    request.buttons = ui::MessageButtons::Confirm;
    window.ShowMessageBox(request);
}

void ShowNumberedMessage(ui::Window& window, std::string_view textId, int number) {
    ui::MessageBoxRequest request;
    request.buttons = ui::MessageButtons::Confirm;
    std::string text = window.LanguageText(textId);
    if (const auto at = text.find("%d"); at != std::string::npos) text.replace(at, 2, std::to_string(number));
    request.textId = text;
    request.textIsId = false;
    window.ShowMessageBox(request);
}

bool Ask(ui::Window& window, std::string_view textId) {
    ui::MessageBoxRequest request;
    request.textId = std::string(textId);
    request.buttons = ui::MessageButtons::ConfirmCancel;
    return window.ShowMessageBox(request) == ui::kMessageConfirmed;
}

std::optional<std::string> ChooseFile(ui::Window& window, ui::FileDialogMode mode, std::string_view filter,
                                      std::string_view extension, std::string_view defaultName) {
    ui::FileDialogRequest request;
    request.mode = mode;
    request.filter = std::string(filter);
    request.defaultName = std::string(defaultName);
    request.defaultExtension = std::string(extension);
    return window.ShowFileDialog(request);
}

}  // namespace corvane::macros::pages
