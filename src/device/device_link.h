#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <string_view>

#include "device/echo_policy.h"
#include "device/hid_backend.h"
#include "device/hid_channel.h"
#include "device/report_packet.h"
#include "platform/log.h"

namespace corvane::device {

// One peripheral as the rest of the program sees it: its identity, whether it is attached, the
// size of its key banks, whether the PC drives its lighting, its channel and the lock that
// serialises its transfers. Every device command is an operation here and returns a result code
// of device/report_packet.h; none throws.
class DeviceLink {
public:
    static constexpr std::uint16_t kMaxBankSize = 512;
    static constexpr int kWriteTimeoutMs = 1000;
    static constexpr int kReadTimeoutMs = 300;
    static constexpr int kMaxAttempts = 4;
    // After a request that went unanswered, on a device whose answers do not say which request
    // they answer: how long past the read limit its answer may still come. Late answers of real
    // devices came 25 to 50 ms past it.
    static constexpr int kLateAnswerSettleMs = 100;
    static constexpr int kExitSettingPauseMs = 10;
    static constexpr int kBankCount = 5;
    // Key banks are addressed bank * 126 + position on every device, whatever its bank size.
    static constexpr std::uint16_t kBankStride = 126;

    explicit DeviceLink(HidBackend& backend);
    ~DeviceLink();
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

    void SetIdentity(std::uint16_t vendorId, std::uint16_t productId, std::uint16_t usage,
                     std::uint16_t usagePage);
    std::uint16_t VendorId() const { return vendorId_.load(); }
    std::uint16_t ProductId() const { return productId_.load(); }
    std::uint16_t Usage() const { return usage_.load(); }
    std::uint16_t UsagePage() const { return usagePage_.load(); }

    // False (and unchanged) above 512.
    [[nodiscard]] bool SetBankSize(std::uint16_t n);
    std::uint16_t BankSize() const { return bankSize_.load(); }

    bool IsConnected() const { return connected.load(); }

    // For the end of the program: the transfer in flight ends now and every later operation
    // fails at once as "not connected"; the device is not opened again.
    void Abort();
    bool Aborted() const { return aborted_.load(); }

    // Set by the presence watcher once the device is opened and identified; cleared on removal.
    std::atomic<bool> connected{false};
    // Set while the synchronised lighting drives this device; any parameter write clears it.
    std::atomic<bool> syncLighting{false};

    HidChannel& Channel() { return channel_; }
    // Held for a whole request and its answer, so no other thread's request comes in between and
    // takes the answer; a presence watcher holds it for a whole pass. Re-entrant: the watcher
    // runs commands while it holds it.
    std::recursive_mutex& Lock() { return lock_; }

    // At most this many reports that are no answer are read away in one wait (or before one
    // request), so a node that floods with other reports cannot hold an exchange forever.
    static constexpr int kMaxForeignReports = 64;

    // One request, one answer, with up to four writes when no answer comes. Returns 1 when an
    // answer arrived (its status is not examined here), 0 when not connected or nothing
    // answered, -1 when a write failed. Reports that were already waiting before the request are
    // discarded; while waiting, only a whole 64-byte report with id 4 that the echo policy takes
    // for this request's answer is one (a read's length, and once learnt its command and offset),
    // anything else is skipped and the wait goes on until the read limit. When an attempt went
    // unanswered on a device whose answers cannot be matched to their request, the next request
    // first waits out kLateAnswerSettleMs past the read limit and drops what arrives meanwhile.
    // answerLength bytes (at most 64) of the answer are copied; the rest of the buffer is zero.
    [[nodiscard]] int Exchange(const std::uint8_t* request, std::size_t requestLength,
                               std::uint8_t* answer, std::size_t answerLength,
                               std::size_t& bytesRead);
    // One write and one wait for the answer as Exchange does, no retries; the reset command
    // only. 1 when an answer arrived, whatever its status; 0 otherwise.
    [[nodiscard]] int SimpleExchange(std::uint8_t* packet, std::size_t length);

    // The command set. Buffers are spans; a transfer's length is the span's size unless said.
    [[nodiscard]] int EnterSettingMode();
    [[nodiscard]] int ExitSettingMode();  // pauses 10 ms before sending
    [[nodiscard]] int ReadDeviceInfo(std::span<std::uint8_t> destination);  // 33 bytes
    [[nodiscard]] int ReadParamRecord(std::span<std::uint8_t> destination, std::uint16_t offset);
    [[nodiscard]] int WriteParamRecord(std::span<const std::uint8_t> source, std::uint16_t offset);
    [[nodiscard]] int ReadDefaultKeyTable(std::span<std::uint8_t> destination);  // bankSize bytes
    [[nodiscard]] int ReadKeyBank(std::span<std::uint8_t> destination, int bank);  // bankSize bytes
    // Writes byteCount bytes of source (bankSize when not given).
    [[nodiscard]] int WriteKeyBank(std::span<const std::uint8_t> source, int bank,
                                   std::optional<std::size_t> byteCount = std::nullopt);
    [[nodiscard]] int ResetDevice();
    [[nodiscard]] int SendPreviewColors(std::span<const std::uint8_t> source);
    [[nodiscard]] int WriteMacroData(std::span<const std::uint8_t> source);
    [[nodiscard]] int ReadScriptData(std::span<std::uint8_t> destination);
    [[nodiscard]] int WriteScriptData(std::span<const std::uint8_t> source);

    // A full read of the device's state teaches the link whether the device's answers repeat
    // their request's command and offset (EchoPolicy): the answers taken between these two calls
    // are noted, and count when `complete` (every command of the read succeeded).
    void BeginEchoLesson();
    void EndEchoLesson(bool complete);
    // Whether answers must repeat their request's command and offset to be taken.
    bool EchoRequired();
    // What was learnt about the device is dropped: another device may be behind the channel now.
    void ForgetDevice();

    // Reports written (each attempt counts) and answers taken since construction; for
    // diagnostics and benchmarks.
    std::uint64_t ReportsWritten() const { return reportsWritten_.load(); }
    std::uint64_t ReportsRead() const { return reportsRead_.load(); }

private:
    // How one request fared on the wire.
    enum class Outcome { Answered, NotConnected, NoAnswer, WriteFailed };
    // Larger than a report, so that an oversized report shows as such instead of truncated.
    using ReceiveBuffer = std::array<std::uint8_t, kReportSize + 1>;

    // The request/answer pair under the lock, with up to `attempts` writes.
    Outcome RunExchange(const ReportBytes& request, ReportBytes& answer, int attempts);
    void DiscardWaitingInput();
    // Drops what arrives until the settle time after an unanswered request has passed.
    void WaitOutLateAnswers();
    // Waits until the tick `deadline` for the answer to `request`.
    bool AwaitAnswer(const ReportPacket& request, ReportBytes& answer, std::uint64_t deadline);
    // Whether the answer to `request` is taken; a refusal is logged.
    bool TakeAsAnswer(const ReportPacket& request, const ReportPacket& candidate) const;
    platform::LogCategory LogCategory() const;
    void LogOutcome(const ReportPacket& request, Outcome outcome, int result) const;
    // Logs an argument refusal and returns its code.
    int Refuse(Command command, int result) const;
    void TraceReport(std::string_view what, const std::uint8_t* bytes, std::size_t count) const;

    // One request through RunExchange, mapped to a result code and logged when it failed; on
    // success the answer is left in `answer` for read commands.
    [[nodiscard]] int Transact(const ReportPacket& request, ReportPacket& answer);
    [[nodiscard]] int SinglePacketRead(Command command, std::span<std::uint8_t> destination,
                                       std::uint16_t offset);
    [[nodiscard]] int SinglePacketWrite(Command command, std::span<const std::uint8_t> source,
                                        std::uint16_t offset);
    [[nodiscard]] int ChunkedRead(Command command, std::span<std::uint8_t> destination,
                                  std::size_t total, std::uint16_t base);
    [[nodiscard]] int ChunkedWrite(Command command, std::span<const std::uint8_t> source,
                                   std::size_t total, std::uint16_t base);

    std::atomic<std::uint16_t> bankSize_{kMaxBankSize};
    std::atomic<std::uint16_t> vendorId_{0};
    std::atomic<std::uint16_t> productId_{0};
    std::atomic<std::uint16_t> usage_{0};
    std::atomic<std::uint16_t> usagePage_{0};
    HidChannel channel_;
    std::recursive_mutex lock_;
    // Under lock_: what the device's answers say about their request, and until when (tick) a
    // late answer may still come.
    EchoPolicy echo_;
    std::uint64_t settleUntil_ = 0;
    std::atomic<bool> aborted_{false};
    std::atomic<std::uint64_t> reportsWritten_{0};
    std::atomic<std::uint64_t> reportsRead_{0};
};

// How a search for a link's device ended. AccessDenied: nothing opened, and an interface with the
// link's vendor and product id was there but this user may not open it.
enum class OpenMatchResult { Opened, NotFound, AccessDenied, EnumerationFailed };

// The first interface of the link's product that refused to open, for AccessDenied.
struct DeniedInterface {
    std::string path;
    int systemError = 0;
};

// Enumerates, and for each path with the link's vendor id opens it (read, write, overlapped,
// shared) and compares vendor id, product id, usage page and usage with the link's identity.
// The first full match stays open on the link's channel; every other opened path is closed.
// The path list is freed afterwards. Does not touch `connected`: the caller decides.
[[nodiscard]] OpenMatchResult OpenMatchingDevice(DeviceLink& link, DeniedInterface* denied = nullptr);

}  // namespace corvane::device
