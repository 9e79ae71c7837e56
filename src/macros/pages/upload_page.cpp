#include "macros/pages/upload_page.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "macros/macro_upload.h"
#include "macros/upload_marker.h"
#include "macros/pages/page_dialogs.h"

namespace corvane::macros::pages {
namespace {

using device::DeviceKind;

// Shown when the device was absent, did not answer every request of the upload, or refused one.
constexpr const char* kMessageNotSent = "message_upload_failed";
constexpr const char* kMessageUnfinished = "message_upload_unfinished";

// What the upload works on and what it found out; the I/O thread fills it before its result is
// posted, the UI thread reads it after.
struct UploadJob {
    device::DeviceImages images;
    lighting::pages::ProfileExtras extras;
    int ran = 0;
    std::optional<std::pair<std::string, int>> refusal;  // message id and its number
    bool allAnswered = false;
    int deviceResult = device::kSuccess;  // the first transfer the device refused or failed
    std::optional<int> profileIndex;      // the key profile in effect when the upload was asked for
};

int SendUpload(device::DeviceLink& link, DeviceKind kind, UploadJob& job, platform::SettingsWriter* writer) {
    const bool connected = link.IsConnected();
    const std::uint64_t writtenBefore = link.ReportsWritten();
    const std::uint64_t readBefore = link.ReportsRead();
    // A script image too large for the device is refused silently, as the macros' own check
    // below tells the user what did not fit; transfer failures are logged by the link.
    int scriptsResult = device::kSuccess;
    if (kind == DeviceKind::Mouse) (void)UploadCursorScripts(link, &scriptsResult);
    profiles::SettingBlocks blocks;
    (kind == DeviceKind::Keyboard ? blocks.keyboard : blocks.mouse) = &job.images;
    blocks.customColourState = &job.extras.customColourState;
    blocks.keyColourTable = &job.extras.keyColourTable;
    blocks.pointerSpeed = &job.extras.pointerSpeed;
    blocks.wheelSpeed = &job.extras.wheelSpeed;
    job.ran = UploadMacros(link, kind, blocks, [&job](std::string_view id, int number) {
        job.refusal.emplace(std::string(id), number);
    }, writer, &job.deviceResult, job.profileIndex);
    if (job.deviceResult == device::kSuccess) job.deviceResult = scriptsResult;
    // The request holds the link's lock, so every report counted here is the upload's own.
    const std::uint64_t written = link.ReportsWritten() - writtenBefore;
    const std::uint64_t answered = link.ReportsRead() - readBefore;
    job.allAnswered = connected && link.IsConnected() && written > 0 && answered >= written;
    if (job.ran == 0) return device::kSuccess;
    // Answers with an error status count as answers: the device's own results decide too.
    if (!job.allAnswered) return device::kNoAnswer;
    return job.deviceResult;
}

// The upload, noted in the data folder while it may leave the device half written.
int RunUpload(device::DeviceLink& link, DeviceKind kind, UploadJob& job, platform::SettingsWriter* writer) {
    // A device that is not there gets nothing written; there is nothing to note.
    if (!link.IsConnected()) return SendUpload(link, kind, job, writer);
    (void)MarkUploadBegun(kind);
    const int result = SendUpload(link, kind, job, writer);
    if (result == device::kSuccess) ClearUploadMarker(kind);
    return result;
}

}  // namespace

void UploadPage::OfferUnfinishedUpload(DeviceKind kind) {
    if (kind == DeviceKind::MousePad) return;
    // The note is looked for on the device's queue, off the UI thread, after the arrival's work.
    auto unfinished = std::make_shared<bool>(false);
    model_.Queue(kind).Submit(
        "unfinished upload?",
        [kind, unfinished](device::DeviceLink&) {
            *unfinished = UploadUnfinished(kind);
            return device::kSuccess;
        },
        [this, kind, unfinished](int) {
            if (!*unfinished) return;
            ui::MessageBoxRequest request;
            request.textId = kMessageUnfinished;
            request.buttons = ui::MessageButtons::ConfirmCancel;
            if (model_.window.ShowMessageBox(request) == ui::kMessageConfirmed) {
                Upload(kind);
                return;
            }
            // Declined: not asked again at every arrival.
            model_.Queue(kind).Submit("forget unfinished upload", [kind](device::DeviceLink&) {
                ClearUploadMarker(kind);
                return device::kSuccess;
            });
        });
}

void UploadPage::Upload(DeviceKind kind) {
    if (kind == DeviceKind::MousePad) return;
    if (hooks_.showProgress) hooks_.showProgress();
    // The upload runs on the device's queue, on copies of the blocks taken now.
    auto job = std::make_shared<UploadJob>();
    job->images = model_.State(kind).Snapshot();
    job->extras = model_.extras.Snapshot();
    if (model_.activeProfile) {
        job->profileIndex = model_.activeProfile(kind == DeviceKind::Keyboard ? profiles::ProfileFamily::KbKey
                                                                            : profiles::ProfileFamily::MsDevice);
    }
    model_.Queue(kind).SubmitUnbroken(
        "upload",
        [kind, job, writer = model_.writer](device::DeviceLink& link) { return RunUpload(link, kind, *job, writer); },
        [this, kind, job](int) {
            ui::Window& w = model_.window;
            if (job->refusal) ShowNumberedMessage(w, job->refusal->first, job->refusal->second);
            if (kind == DeviceKind::Keyboard) {
                if (auto* panel = w.Find("kb_tab_function")) panel->SetVisible(false);
                if (hooks_.stopKeyCapture) hooks_.stopKeyCapture();
            }
            if (hooks_.startProgressTimer) hooks_.startProgressTimer();
            // A refused upload has told the user already. Otherwise every request must have
            // been answered; a device that was absent or silent did not get the macros.
            if (job->ran != 0 && (!job->allAnswered || job->deviceResult != device::kSuccess)) {
                ui::MessageBoxRequest request;
                request.textId = kMessageNotSent;
                request.buttons = ui::MessageButtons::Confirm;
                w.ShowMessageBox(request);
            }
        });
}

}  // namespace corvane::macros::pages
