#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace corvane::device {

// The seam between HidChannel and whatever provides HID interfaces: Linux hidraw, or the
// virtual devices. Paths carry "vid_XXXX&pid_XXXX" so the path helpers work on any backend,
// e.g. "/dev/hidraw3#vid_1a2c&pid_4c5e".

struct HidOpenOptions {
    bool wantRead = false;
    bool wantWrite = false;
    bool wantOverlapped = false;
    bool shareReadOnly = false;
};

struct HidAttributes {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t versionNumber = 0;
};

enum class TransferStatus {
    Ok,        // the whole report moved; bytes holds the count
    TimedOut,  // nothing arrived (or could be sent) within the time limit
    Aborted,   // Abort() ended the wait
    Gone,      // the device went away (hang-up, error, invalid handle)
    Failed,    // any other failure
};

// One open interface. Read and Write may block up to their limit; Abort may be called from
// any thread and wakes every transfer that is waiting at that moment. A report's first byte is
// its report id (0 when the device does not number its reports), as on the wire.
class HidDevice {
public:
    virtual ~HidDevice() = default;

    virtual HidAttributes Attributes() const = 0;
    // Raw HID report descriptor of the interface (or of the collection the path names).
    virtual std::vector<std::uint8_t> ReportDescriptor() const = 0;

    virtual TransferStatus Read(std::span<std::uint8_t> buffer, int timeoutMs,
                                std::size_t& bytesRead) = 0;
    virtual TransferStatus Write(std::span<const std::uint8_t> report, int timeoutMs,
                                 std::size_t& bytesWritten) = 0;
    virtual void Abort() = 0;
};

// Why an interface did not open.
struct HidOpenFailure {
    int systemError = 0;  // the error number of the system's open, 0 when it was not that
    // The node is there, but this user may not open it (no udev rule gives access).
    bool AccessDenied() const { return systemError == EACCES || systemError == EPERM; }
};

class HidBackend {
public:
    virtual ~HidBackend() = default;

    // Paths of every present HID interface, in a stable order. False when enumeration failed.
    virtual bool Enumerate(std::vector<std::string>& paths) = 0;
    // Null when the path cannot be opened with those options.
    virtual std::unique_ptr<HidDevice> Open(const std::string& path, const HidOpenOptions& options) = 0;
    // Open, saying why it failed. Backends that can tell a refused permission override it.
    virtual std::unique_ptr<HidDevice> OpenWithReason(const std::string& path, const HidOpenOptions& options,
                                                      HidOpenFailure& failure) {
        failure = {};
        return Open(path, options);
    }
    // The cheap presence probe: can the path still be opened (with no access rights)?
    virtual bool StillPresent(const std::string& path) = 0;
};

// The backend of real hardware (hidraw + libudev). Lives for the whole process.
HidBackend& SystemHidBackend();

}  // namespace corvane::device
