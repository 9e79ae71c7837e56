#include "shell/save_failure_notice.h"

namespace corvane::shell {

using platform::SaveFailure;

SaveFailureNotice::SaveFailureNotice(ui::Window& window)
    : window_(window),
      sink_([this](SaveFailure kind, const std::string&) {
          // Writers run on many threads; the box belongs to the UI thread.
          window_.Post([this, kind] { Show(kind); });
      }) {}

const char* SaveFailureNotice::TextId(SaveFailure kind) {
    switch (kind) {
        case SaveFailure::DiskFull: return "message_save_disk_full";
        case SaveFailure::NameTooLong: return "message_save_name_too_long";
        case SaveFailure::NotAFile: return "message_save_not_a_file";
        case SaveFailure::NotReadWhole: return "message_save_unreadable";
        case SaveFailure::Other: return "message_save_failed";
    }
    return "message_save_failed";
}

void SaveFailureNotice::Show(SaveFailure kind) {
    bool& shown = shown_.at(static_cast<std::size_t>(kind));
    if (shown) return;
    shown = true;
    ui::MessageBoxRequest request;
    request.textId = TextId(kind);
    request.buttons = ui::MessageButtons::Confirm;
    window_.ShowMessageBox(request);
}

}  // namespace corvane::shell
