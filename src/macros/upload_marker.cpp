#include "macros/upload_marker.h"

#include "platform/atomic_file.h"
#include "platform/data_folders.h"
#include "platform/debug_out.h"
#include "platform/files.h"

namespace corvane::macros {

namespace {

std::string UploadMarkerPath(device::DeviceKind kind) {
    const std::string folder = platform::DataFolderPath();
    if (folder.empty() || kind == device::DeviceKind::MousePad) return {};
    return folder + (kind == device::DeviceKind::Keyboard ? "kb" : "ms") + "-upload-unfinished";
}

}  // namespace

bool MarkUploadBegun(device::DeviceKind kind) {
    const std::string path = UploadMarkerPath(kind);
    if (path.empty()) return false;
    const bool written = platform::WriteFileAtomically(path, std::string_view("an upload to this device has not ended\n"));
    if (!written) platform::debugOut("upload: cannot write " + path + "; an unfinished upload would go unnoticed");
    return written;
}

void ClearUploadMarker(device::DeviceKind kind) {
    const std::string path = UploadMarkerPath(kind);
    if (!path.empty() && platform::FileExists(path) && !platform::DeleteFile(path)) {
        platform::debugOut("upload: cannot remove " + path);
    }
}

bool UploadUnfinished(device::DeviceKind kind) {
    const std::string path = UploadMarkerPath(kind);
    return !path.empty() && platform::FileExists(path);
}

}  // namespace corvane::macros
