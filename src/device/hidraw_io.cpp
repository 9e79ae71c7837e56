#include "device/hidraw_io.h"

#include <cerrno>
#include <chrono>

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane::device {

namespace {

constexpr std::size_t kReportIdBytes = 1;

std::int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// errno values that mean the interface itself went away.
bool IsGoneError(int error) { return error == ENODEV || error == EIO || error == EPIPE || error == ECONNRESET; }

}  // namespace

HidrawIo::HidrawIo(platform::UniqueFd fd, Options options)
    : fd_(std::move(fd)), abortFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)), options_(options) {
    struct stat st {};
    isSocket_ = fd_.Valid() && ::fstat(fd_.Get(), &st) == 0 && S_ISSOCK(st.st_mode);
}

void HidrawIo::Abort() {
    if (!abortFd_.Valid()) return;
    // The counter is never read back, so the eventfd stays readable from now on.
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(abortFd_.Get(), &one, sizeof one);
}

HidrawIo::WaitResult HidrawIo::WaitFor(short events, int timeoutMs, std::int64_t deadlineMs) {
    for (;;) {
        int waitMs = -1;
        if (timeoutMs >= 0) {
            const std::int64_t left = deadlineMs - NowMs();
            waitMs = left > 0 ? static_cast<int>(left) : 0;
        }
        pollfd fds[2] = {{fd_.Get(), events, 0}, {abortFd_.Get(), POLLIN, 0}};
        const int r = ::poll(fds, 2, waitMs);
        if (r < 0) {
            if (errno == EINTR) continue;
            return WaitResult::Failed;
        }
        if (fds[1].revents != 0) return WaitResult::Aborted;
        if (r == 0) return WaitResult::TimedOut;
        // Data that arrived before a hang-up is still delivered.
        if ((fds[0].revents & events) != 0) return WaitResult::Ready;
        if ((fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) return WaitResult::Gone;
    }
}

TransferStatus HidrawIo::Read(std::span<std::uint8_t> buffer, int timeoutMs, std::size_t& bytesRead) {
    bytesRead = 0;
    if (!Valid() || !options_.canRead) return TransferStatus::Failed;
    const std::size_t skip = options_.prependZeroReportId ? kReportIdBytes : 0;
    if (buffer.size() <= skip) return TransferStatus::Failed;
    const std::int64_t deadline = NowMs() + timeoutMs;
    for (;;) {
        switch (WaitFor(POLLIN, timeoutMs, deadline)) {
            case WaitResult::Ready: break;
            case WaitResult::TimedOut: return TransferStatus::TimedOut;
            case WaitResult::Aborted: return TransferStatus::Aborted;
            case WaitResult::Gone: return TransferStatus::Gone;
            case WaitResult::Failed: return TransferStatus::Failed;
        }
        const ssize_t n = ::read(fd_.Get(), buffer.data() + skip, buffer.size() - skip);
        if (n < 0) {
            if (errno == EAGAIN || errno == EINTR) continue;  // woken without a report after all
            return IsGoneError(errno) ? TransferStatus::Gone : TransferStatus::Failed;
        }
        if (n == 0) return TransferStatus::Gone;  // end of file: the other side closed
        if (skip != 0) buffer[0] = 0;
        bytesRead = static_cast<std::size_t>(n) + skip;
        return TransferStatus::Ok;
    }
}

TransferStatus HidrawIo::Write(std::span<const std::uint8_t> report, int timeoutMs, std::size_t& bytesWritten) {
    bytesWritten = 0;
    if (!Valid() || !options_.canWrite || report.empty()) return TransferStatus::Failed;
    const std::int64_t deadline = NowMs() + timeoutMs;
    for (;;) {
        switch (WaitFor(POLLOUT, timeoutMs, deadline)) {
            case WaitResult::Ready: break;
            case WaitResult::TimedOut: return TransferStatus::TimedOut;
            case WaitResult::Aborted: return TransferStatus::Aborted;
            case WaitResult::Gone: return TransferStatus::Gone;
            case WaitResult::Failed: return TransferStatus::Failed;
        }
        // A socket stand-in must not raise SIGPIPE when its peer is gone.
        const ssize_t n = isSocket_ ? ::send(fd_.Get(), report.data(), report.size(), MSG_NOSIGNAL)
                                    : ::write(fd_.Get(), report.data(), report.size());
        if (n < 0) {
            if (errno == EAGAIN || errno == EINTR) continue;
            return IsGoneError(errno) ? TransferStatus::Gone : TransferStatus::Failed;
        }
        if (static_cast<std::size_t>(n) != report.size()) return TransferStatus::Failed;  // a short report is no report
        bytesWritten = report.size();
        return TransferStatus::Ok;
    }
}

}  // namespace corvane::device
