#pragma once

#include <memory>
#include <string>
#include <vector>

#include "device/hid_backend.h"
#include "device/hidraw_enumerator.h"

namespace corvane::device {

// HidBackend on Linux hidraw nodes. Paths are "/dev/hidrawN#vid_xxxx&pid_xxxx[&colNN]"; the
// collection suffix is resolved by HidChannel, the device always offers the node's whole
// descriptor and every report of the node.
//
// Open access: wantRead/wantWrite map to O_RDONLY/O_WRONLY/O_RDWR. With neither, the node is
// opened O_RDONLY (ioctls need an open descriptor) and only its information is read; transfers
// on such a device fail. Linux has no share modes, so shareReadOnly has no effect, and every
// transfer has a time limit, so wantOverlapped has none either.
class HidrawBackend : public HidBackend {
public:
    // The system's open(2), behind a seam so tests can refuse a node the way the system does.
    using OpenFunction = int (*)(const char* path, int flags);

    explicit HidrawBackend(std::unique_ptr<HidrawEnumerator> enumerator, OpenFunction open = nullptr);

    bool Enumerate(std::vector<std::string>& paths) override;
    std::unique_ptr<HidDevice> Open(const std::string& path, const HidOpenOptions& options) override;
    std::unique_ptr<HidDevice> OpenWithReason(const std::string& path, const HidOpenOptions& options,
                                              HidOpenFailure& failure) override;
    // The node opens and, when it answers the info ioctl, still carries the path's ids (a
    // node number can be reused by another device right after a removal).
    bool StillPresent(const std::string& path) override;

private:
    std::unique_ptr<HidrawEnumerator> enumerator_;
    OpenFunction open_;
};

}  // namespace corvane::device
