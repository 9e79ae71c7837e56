#pragma once

#include <functional>

#include "device/device_kind.h"
#include "lighting/pages/page_model.h"

namespace corvane::macros::pages {

// The key pages' save buttons: macros (and on the mouse the cursor scripts first) go to the
// device with the current key bank, and the device's selected profile is saved. The transfer
// runs on the device's queue; what follows it (progress timer, messages) once its result is back.
class UploadPage {
public:
    struct Hooks {
        std::function<void()> showProgress;   // before the uploads
        std::function<void()> startProgressTimer;  // after them
        std::function<void()> stopKeyCapture;  // keyboard: after its upload
    };
    UploadPage(lighting::pages::PageModel& model, Hooks hooks) : model_(model), hooks_(std::move(hooks)) {}

    void Upload(device::DeviceKind kind);
    // At the device's arrival: an upload that did not end well last time is offered again.
    void OfferUnfinishedUpload(device::DeviceKind kind);

private:
    lighting::pages::PageModel& model_;
    Hooks hooks_;
};

}  // namespace corvane::macros::pages
