#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "device/hid_backend.h"
#include "device/report_descriptor.h"

namespace corvane::device {

// One HID device path list plus one open device with its capabilities and parsed input items.
// A channel is used by one thread per direction at a time; CloseDevice (or OpenDevice, which
// closes first) may come from another thread and ends a pending transfer at once.
class HidChannel {
public:
    explicit HidChannel(HidBackend& backend);
    ~HidChannel();
    HidChannel(const HidChannel&) = delete;
    HidChannel& operator=(const HidChannel&) = delete;

    // Enumeration: rebuilds the path list and resets the cursor. False leaves the list empty.
    bool EnumerateHidDevices();
    // The next path of the list, or null at its end or when there is none. Owned by the channel.
    const std::string* NextDevicePath();
    void FreeDeviceList();

    [[nodiscard]] bool OpenDevice(std::string_view path, bool wantRead, bool wantWrite, bool wantOverlapped,
                    bool shareReadOnly);
    void CloseDevice();
    bool IsOpen() const;
    // Any thread: ends the transfers waiting at this moment (they fail) and leaves the device
    // open. A watcher that is told to stop uses it so that it need not wait out a read.
    void AbortTransfers();
    // Why the last OpenDevice failed at the backend (empty when it opened, or failed later).
    const HidOpenFailure& LastOpenFailure() const { return openFailure_; }

    // Nonzero on success; 0 on failure, time-out or abort. bytesRead/bytesWritten receive the
    // count transferred (0 on failure).
    [[nodiscard]] int ReadReport(std::size_t length, std::uint8_t* buffer, int timeoutMs,
                                 std::size_t& bytesRead);
    [[nodiscard]] int WriteReport(std::size_t length, const std::uint8_t* buffer, int timeoutMs,
                                  std::size_t& bytesWritten);
    // ReadReport with the transfer's own outcome, so a caller can tell a time-out from a removal
    // or an abort. A time limit of 0 takes only a report that is already waiting.
    [[nodiscard]] TransferStatus ReceiveReport(std::span<std::uint8_t> buffer, int timeoutMs,
                                               std::size_t& bytesRead);

    const HidCaps& Caps() const { return collection_.caps; }
    const HidAttributes& Attributes() const { return attributes_; }
    const ParsedCollection& Collection() const { return collection_; }
    const std::string& DevicePath() const { return devicePath_; }
    std::vector<HidDataItem>& InputItems() { return inputItems_; }
    std::vector<std::uint8_t>& InputReportBuffer() { return inputReportBuffer_; }

private:
    HidBackend& backend_;
    std::vector<std::string> pathList_;
    bool havePathList_ = false;
    std::size_t pathCursor_ = 0;
    HidOpenOptions options_;
    HidOpenFailure openFailure_;
    // Shared so that CloseDevice from another thread can abort a transfer without racing the
    // release of the device the transfer is using.
    std::shared_ptr<HidDevice> device_;
    mutable std::mutex deviceMutex_;
    std::string devicePath_;
    ParsedCollection collection_;
    HidAttributes attributes_;
    std::vector<std::uint8_t> inputReportBuffer_;
    std::vector<HidDataItem> inputItems_;
    std::atomic<bool> readPending_{false};
    std::atomic<bool> writePending_{false};
    // Transfers that hold a copy of device_; CloseDevice waits for them before it frees the
    // buffers a transfer may be filling.
    int activeTransfers_ = 0;
    std::condition_variable transfersDone_;

    std::shared_ptr<HidDevice> BeginTransfer();
    void EndTransfer();
};

// The hexadecimal number after "vid_" / "pid_" (any letter case); 0 when absent.
std::uint16_t VendorIdFromPath(std::string_view path);
std::uint16_t ProductIdFromPath(std::string_view path);

// Which top-level collection of the interface a path names: "&colNN" (01-based) selects
// collection NN, a path without it the first one. SIZE_MAX for a malformed number.
std::size_t CollectionIndexFromPath(std::string_view path);

// The presence probe: the path can still be opened with no access rights.
bool DeviceStillPresent(HidBackend& backend, std::string_view path);

}  // namespace corvane::device
