#pragma once

#include <array>
#include <memory>

#include "platform/save_failures.h"
#include "ui/window.h"

namespace corvane::shell {

// Tells the user when a settings file could not be stored: once per cause and run, as a message
// box on the UI thread, whichever thread found the failure. Create it after the window and
// destroy it before.
class SaveFailureNotice {
public:
    explicit SaveFailureNotice(ui::Window& window);
    SaveFailureNotice(const SaveFailureNotice&) = delete;
    SaveFailureNotice& operator=(const SaveFailureNotice&) = delete;

    // The text shown for a cause.
    static const char* TextId(platform::SaveFailure kind);

private:
    void Show(platform::SaveFailure kind);

    ui::Window& window_;
    std::array<bool, 5> shown_{};  // UI thread only
    platform::ScopedSaveFailureSink sink_;
};

}  // namespace corvane::shell
