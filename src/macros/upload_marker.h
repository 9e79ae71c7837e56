#pragma once

#include <string>

#include "device/device_kind.h"

namespace corvane::macros {

// A note in the user's data folder that an upload to the keyboard or the mouse began and has not
// ended well: set before the first report goes out, cleared once the device took everything.
// Found at the device's next arrival, it means the device's macros and keys may be half written
// (the program was ended, the device pulled, or it refused part of the upload). File steps
// only; call them off the UI thread.
[[nodiscard]] bool MarkUploadBegun(device::DeviceKind kind);
void ClearUploadMarker(device::DeviceKind kind);
bool UploadUnfinished(device::DeviceKind kind);

}  // namespace corvane::macros
