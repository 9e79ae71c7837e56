#include "macros/pages/upload_page.h"

#include <cstdio>
#include <string>

#include "macros/macro_upload.h"

namespace corvane::macros::pages {
namespace {

using device::DeviceKind;

// Shown when the device was absent or did not answer every request of the upload.
constexpr const char* kMessageNotSent = "message_text_7";

}  // namespace

void UploadPage::Upload(DeviceKind kind) {
    if (kind == DeviceKind::MousePad) return;
    ui::Window& w = model_.window;
    device::DeviceLink& link = model_.Link(kind);
    const bool connected = link.IsConnected();
    const auto writtenBefore = link.ReportsWritten();
    const auto readBefore = link.ReportsRead();
    auto showMessage = [&w](std::string_view id, int number) {
        ui::MessageBoxRequest request;
        request.buttons = ui::MessageButtons::Confirm;
        // The text carries the number in place of its "%d".
        std::string text = w.LanguageText(id);
        if (const auto at = text.find("%d"); at != std::string::npos) {
            text.replace(at, 2, std::to_string(number));
        }
        request.textId = text;
        request.textIsId = false;
        w.ShowMessageBox(request);
    };

    if (hooks_.showProgress) hooks_.showProgress();
    if (kind == DeviceKind::Mouse) UploadCursorScripts(link);
    // The upload talks to the device, so it works on copies of the blocks rather than holding
    // their guards (a presence watcher may hold the device's lock and wait for them).
    device::DeviceImages images = model_.State(kind).Snapshot();
    lighting::pages::ProfileExtras extras = model_.extras.Snapshot();
    profiles::SettingBlocks blocks;
    (kind == DeviceKind::Keyboard ? blocks.keyboard : blocks.mouse) = &images;
    blocks.customColourState = &extras.customColourState;
    blocks.keyColourTable = &extras.keyColourTable;
    blocks.pointerSpeed = &extras.pointerSpeed;
    blocks.wheelSpeed = &extras.wheelSpeed;
    const int ran = UploadMacros(link, kind, blocks, showMessage);
    if (kind == DeviceKind::Keyboard) {
        if (hooks_.stopKeyCapture) hooks_.stopKeyCapture();
        if (auto* panel = w.Find("kb_tab_function")) panel->SetVisible(false);
    }
    if (hooks_.startProgressTimer) hooks_.startProgressTimer();

    // A refused upload has told the user already. Otherwise every request must have been
    // answered; a device that was absent or silent did not get the macros.
    if (ran == 0) return;
    const auto written = link.ReportsWritten() - writtenBefore;
    const auto answered = link.ReportsRead() - readBefore;
    if (!connected || !link.IsConnected() || written == 0 || answered < written) {
        ui::MessageBoxRequest request;
        request.textId = kMessageNotSent;
        request.buttons = ui::MessageButtons::Confirm;
        w.ShowMessageBox(request);
    }
}

}  // namespace corvane::macros::pages
