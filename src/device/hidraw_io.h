#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "device/hid_backend.h"
#include "platform/unique_fd.h"

namespace corvane::device {

// Whole-report transfers on one file descriptor (a /dev/hidrawN node, or any descriptor that
// moves one message per read/write, such as a SOCK_SEQPACKET socket in tests). Every wait is a
// poll() on the descriptor plus an eventfd, so Abort ends a wait from any thread at once.
class HidrawIo {
public:
    struct Options {
        bool canRead = true;
        bool canWrite = true;
        // hidraw leaves out the report id byte of devices that do not number their reports;
        // reads put a 0 in front so callers always see the id first.
        bool prependZeroReportId = false;
    };

    HidrawIo(platform::UniqueFd fd, Options options);
    HidrawIo(const HidrawIo&) = delete;
    HidrawIo& operator=(const HidrawIo&) = delete;

    // False when the abort eventfd could not be created; transfers then fail.
    bool Valid() const { return fd_.Valid() && abortFd_.Valid(); }
    int Fd() const { return fd_.Get(); }

    // A negative time limit waits without one.
    TransferStatus Read(std::span<std::uint8_t> buffer, int timeoutMs, std::size_t& bytesRead);
    TransferStatus Write(std::span<const std::uint8_t> report, int timeoutMs, std::size_t& bytesWritten);

    // Ends every wait now and every later one at once: an aborted interface is about to be
    // closed, and a transfer that starts just after the abort must not wait out its limit.
    void Abort();

private:
    enum class WaitResult { Ready, TimedOut, Aborted, Gone, Failed };
    WaitResult WaitFor(short events, int timeoutMs, std::int64_t deadlineMs);

    platform::UniqueFd fd_;
    platform::UniqueFd abortFd_;
    Options options_;
    bool isSocket_ = false;
};

}  // namespace corvane::device
