#include "device/device_link.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "device/device_kind.h"
#include "platform/tick.h"

namespace corvane::device {

namespace {

constexpr std::uint8_t kDeviceInfoRequestLength = 33;
constexpr std::size_t kDeviceInfoLength = 33;

}  // namespace

DeviceLink::DeviceLink(HidBackend& backend) : channel_(backend) {}

DeviceLink::~DeviceLink() {
    SetIdentity(0, 0, 0, 0);
    // The channel closes its device and frees its path list on destruction.
}

void DeviceLink::SetIdentity(std::uint16_t vendorId, std::uint16_t productId, std::uint16_t usage,
                             std::uint16_t usagePage) {
    vendorId_ = vendorId;
    productId_ = productId;
    usage_ = usage;
    usagePage_ = usagePage;
    connected = false;
}

void DeviceLink::Abort() {
    aborted_ = true;
    // Ends a pending read or write at once. The channel stays open and unchanged: the thread in
    // the transfer holds the lock and still looks at it; it is closed when that thread has ended.
    // The lock is not taken here for the same reason.
    channel_.AbortTransfers();
}

bool DeviceLink::SetBankSize(std::uint16_t n) {
    if (n > kMaxBankSize) return false;
    bankSize_ = n;
    return true;
}

platform::LogCategory DeviceLink::LogCategory() const {
    const std::uint16_t product = ProductId();
    for (DeviceKind kind : kAllDeviceKinds) {
        if (ProductIdOf(kind) == product) return LogCategoryOf(kind);
    }
    return platform::LogCategory::Hid;
}

void DeviceLink::TraceReport(std::string_view what, const std::uint8_t* bytes, std::size_t count) const {
    if (!platform::LogEnabled(LogCategory(), platform::LogLevel::Trace)) return;
    platform::Log(LogCategory(), platform::LogLevel::Trace,
                  std::string(what) + " " + std::to_string(count) + " bytes: " + platform::HexBytes(bytes, count));
}

namespace {

// "a 3-byte report with id 3", for the reports an exchange passes over.
std::string DescribeReport(const std::uint8_t* bytes, std::size_t count) {
    std::string text = "a " + std::to_string(count) + "-byte report";
    if (count > 0) text += " with id " + std::to_string(bytes[kReportIdOffset]);
    return text;
}

}  // namespace

void DeviceLink::DiscardWaitingInput() {
    ReceiveBuffer stale{};
    for (int i = 0; i < kMaxForeignReports; ++i) {
        std::size_t got = 0;
        if (channel_.ReceiveReport(stale, 0, got) != TransferStatus::Ok) return;
        if (platform::LogEnabled(LogCategory(), platform::LogLevel::Debug)) {
            platform::Log(LogCategory(), platform::LogLevel::Debug,
                          "discarded " + DescribeReport(stale.data(), got) + " that was waiting before a request");
        }
        TraceReport("discarded", stale.data(), got);
    }
}

void DeviceLink::WaitOutLateAnswers() {
    if (settleUntil_ == 0) return;
    ReceiveBuffer late{};
    for (int i = 0; i < kMaxForeignReports; ++i) {
        const std::uint64_t now = platform::TickMs();
        if (now >= settleUntil_) break;
        std::size_t got = 0;
        // Quiet until the end, an abort or a removal: nothing more to wait for.
        if (channel_.ReceiveReport(late, static_cast<int>(settleUntil_ - now), got) != TransferStatus::Ok) break;
        if (platform::LogEnabled(LogCategory(), platform::LogLevel::Debug)) {
            platform::Log(LogCategory(), platform::LogLevel::Debug,
                          "dropped " + DescribeReport(late.data(), got) + " that came after a request went unanswered");
        }
        TraceReport("dropped", late.data(), got);
    }
    settleUntil_ = 0;
}

namespace {

std::string_view RefusalReason(EchoPolicy::Check check) {
    switch (check) {
        case EchoPolicy::Check::WrongLength: return "its length is not the one asked for";
        case EchoPolicy::Check::NoEcho: return "it does not repeat the request";
        case EchoPolicy::Check::Taken: break;
    }
    return "";
}

std::string DescribeRequest(const ReportPacket& packet) {
    return CommandName(packet.CommandByte()) + " at offset " + std::to_string(packet.Offset()) +
           " length " + std::to_string(packet.Length());
}

}  // namespace

bool DeviceLink::TakeAsAnswer(const ReportPacket& request, const ReportPacket& candidate) const {
    const EchoPolicy::Check check = echo_.Examine(request, candidate);
    if (check == EchoPolicy::Check::Taken) return true;
    if (platform::LogEnabled(LogCategory(), platform::LogLevel::Info)) {
        platform::Log(LogCategory(), platform::LogLevel::Info,
                      "skipped an answer (" + DescribeRequest(candidate) + ") while waiting for " +
                          DescribeRequest(request) + ": " + std::string(RefusalReason(check)));
    }
    return false;
}

bool DeviceLink::AwaitAnswer(const ReportPacket& request, ReportBytes& answer, std::uint64_t deadline) {
    ReceiveBuffer received{};
    for (int skipped = 0; skipped <= kMaxForeignReports; ++skipped) {
        const std::uint64_t now = platform::TickMs();
        const int waitMs = now < deadline ? static_cast<int>(deadline - now) : 0;
        std::size_t got = 0;
        // A time-out is the one "no answer"; a removal or an abort ends the wait as well, and the
        // next write finds out which it was.
        if (channel_.ReceiveReport(received, waitMs, got) != TransferStatus::Ok) return false;
        TraceReport("received", received.data(), got);
        if (IsAnswerReport(std::span<const std::uint8_t>(received.data(), got))) {
            ReportPacket candidate;
            std::copy_n(received.begin(), kReportSize, candidate.Bytes().begin());
            if (TakeAsAnswer(request, candidate)) {
                answer = candidate.Bytes();
                return true;
            }
            continue;
        }
        if (platform::LogEnabled(LogCategory(), platform::LogLevel::Debug)) {
            platform::Log(LogCategory(), platform::LogLevel::Debug,
                          "skipped " + DescribeReport(received.data(), got) + " while waiting for an answer");
        }
    }
    return false;
}

DeviceLink::Outcome DeviceLink::RunExchange(const ReportBytes& request, ReportBytes& answer, int attempts) {
    answer.fill(0);
    if (!connected || aborted_) return Outcome::NotConnected;
    // The whole exchange, retries included, is one unit: no other thread's request comes between
    // this request and its answer, to take the answer or to leave its own behind for this one.
    std::lock_guard guard(lock_);
    // Went away, or the program began to end, while this thread waited.
    if (!connected || aborted_) return Outcome::NotConnected;
    WaitOutLateAnswers();
    const ReportPacket requestPacket(request);
    // A device whose answers do not say which request they answer may still send the answer to
    // an attempt that timed out; the next request must not take it for its own.
    std::uint64_t lastWriteMs = 0;
    bool anAttemptTimedOut = false;
    auto noteLateAnswers = [&] {
        if (anAttemptTimedOut && echo_.AnswersNeedSettling()) {
            settleUntil_ = lastWriteMs + kReadTimeoutMs + kLateAnswerSettleMs;
        }
    };
    for (int attempt = 0; attempt < attempts && !aborted_; ++attempt) {
        // On a shared node every report reaches every open handle: what waits now was not sent
        // in answer to the request about to go out.
        DiscardWaitingInput();
        std::size_t written = 0;
        // The read limit counts from the request going out: a thread that is kept waiting after
        // its write must not see an answer as in time that the device sent too late.
        lastWriteMs = platform::TickMs();
        if (channel_.WriteReport(kReportSize, request.data(), kWriteTimeoutMs, written) <= 0) {
            // A transfer ended by the program's end is no failure of the device.
            return aborted_ ? Outcome::NotConnected : Outcome::WriteFailed;
        }
        ++reportsWritten_;
        TraceReport("sent", request.data(), kReportSize);
        if (AwaitAnswer(requestPacket, answer, lastWriteMs + kReadTimeoutMs)) {
            ++reportsRead_;
            echo_.Note(requestPacket, ReportPacket(answer));
            noteLateAnswers();
            return Outcome::Answered;
        }
        anAttemptTimedOut = true;
        if (attempt + 1 < attempts && platform::LogEnabled(LogCategory(), platform::LogLevel::Debug)) {
            platform::Log(LogCategory(), platform::LogLevel::Debug,
                          "no answer to " + CommandName(request[kCommandOffset]) + " within " +
                              std::to_string(kReadTimeoutMs) + " ms; sending it again");
        }
    }
    noteLateAnswers();
    answer.fill(0);
    return aborted_ ? Outcome::NotConnected : Outcome::NoAnswer;
}

void DeviceLink::BeginEchoLesson() {
    std::lock_guard guard(lock_);
    echo_.BeginLesson();
}

void DeviceLink::EndEchoLesson(bool complete) {
    std::lock_guard guard(lock_);
    const auto lesson = echo_.EndLesson(complete);
    if (!lesson) return;
    auto level = platform::LogLevel::Info;
    std::string_view text;
    switch (*lesson) {
        case EchoPolicy::Lesson::Echoes:
            text = "answers repeat their request's command and offset; answers that do not are skipped from now on";
            break;
        case EchoPolicy::Lesson::DoesNotEcho:
            text = "answers do not repeat their request's command and offset; late answers are waited out";
            break;
        case EchoPolicy::Lesson::Inconclusive:
            level = platform::LogLevel::Debug;
            text = "whether answers repeat their request is not known yet: the read was incomplete or its answers disagreed";
            break;
    }
    if (platform::LogEnabled(LogCategory(), level)) platform::Log(LogCategory(), level, std::string(text));
}

bool DeviceLink::EchoRequired() {
    std::lock_guard guard(lock_);
    return echo_.EchoRequired();
}

void DeviceLink::ForgetDevice() {
    std::lock_guard guard(lock_);
    echo_.Forget();
    settleUntil_ = 0;
}

void DeviceLink::LogOutcome(const ReportPacket& request, Outcome outcome, int result) const {
    if (result == kSuccess) return;
    // A device that is not there is not a failure of the device: the caller expected as much.
    const auto level = outcome == Outcome::NotConnected ? platform::LogLevel::Debug : platform::LogLevel::Warn;
    if (!platform::LogEnabled(LogCategory(), level)) return;
    std::string text = CommandName(request.CommandByte()) + " at offset " + std::to_string(request.Offset()) + ": ";
    text += outcome == Outcome::NotConnected ? std::string("not connected, nothing sent") : std::string(ResultName(result));
    text += " (result " + std::to_string(result) + ")";
    platform::Log(LogCategory(), level, text);
}

int DeviceLink::Refuse(Command command, int result) const {
    if (platform::LogEnabled(LogCategory(), platform::LogLevel::Warn)) {
        platform::Log(LogCategory(), platform::LogLevel::Warn,
                      CommandName(static_cast<std::uint8_t>(command)) + " refused before sending: " +
                          std::string(ResultName(result)) + " (result " + std::to_string(result) + ")");
    }
    return result;
}

int DeviceLink::Exchange(const std::uint8_t* request, std::size_t requestLength,
                         std::uint8_t* answer, std::size_t answerLength, std::size_t& bytesRead) {
    bytesRead = 0;
    ReportBytes buffer{};
    std::copy_n(request, std::min(requestLength, kReportSize), buffer.begin());
    ReportBytes received{};
    switch (RunExchange(buffer, received, kMaxAttempts)) {
        case Outcome::NotConnected: return kNotConnected;
        case Outcome::WriteFailed: return kWriteFailed;
        case Outcome::NoAnswer:
            std::fill_n(answer, answerLength, 0);
            return kNoAnswer;
        case Outcome::Answered: break;
    }
    bytesRead = std::min(answerLength, kReportSize);
    std::copy_n(received.begin(), bytesRead, answer);
    std::fill(answer + bytesRead, answer + answerLength, 0);
    return kSuccess;
}

int DeviceLink::SimpleExchange(std::uint8_t* packet, std::size_t length) {
    ReportPacket request;
    std::copy_n(packet, std::min(length, kReportSize), request.Bytes().begin());
    ReportBytes answer{};
    const Outcome outcome = RunExchange(request.Bytes(), answer, 1);
    // Only whether an answer came counts; a failed write leaves nothing to answer.
    const int result = outcome == Outcome::Answered ? kSuccess : kNoAnswer;
    LogOutcome(request, outcome, result);
    return result;
}

int DeviceLink::Transact(const ReportPacket& request, ReportPacket& answer) {
    const Outcome outcome = RunExchange(request.Bytes(), answer.Bytes(), kMaxAttempts);
    int result = kSuccess;
    switch (outcome) {
        case Outcome::Answered: result = ResultFromStatus(answer.Status()); break;
        case Outcome::NotConnected: result = kNotConnected; break;
        case Outcome::NoAnswer: result = kNoAnswer; break;
        case Outcome::WriteFailed: result = kWriteFailed; break;
    }
    LogOutcome(request, outcome, result);
    return result;
}

int DeviceLink::EnterSettingMode() {
    ReportPacket answer;
    return Transact(ReportPacket::Request(Command::EnterSettingMode, 0, 0), answer);
}

int DeviceLink::ExitSettingMode() {
    const ReportPacket request = ReportPacket::Request(Command::ExitSettingMode, 0, 0);
    // The device needs a moment to finish the last transfer before leaving setting mode.
    platform::SleepMs(kExitSettingPauseMs);
    ReportPacket answer;
    return Transact(request, answer);
}

int DeviceLink::ReadDeviceInfo(std::span<std::uint8_t> destination) {
    if (destination.size() < kDeviceInfoLength) return Refuse(Command::ReadDeviceInfo, kBadLength);
    ReportPacket answer;
    const int result =
        Transact(ReportPacket::Request(Command::ReadDeviceInfo, kDeviceInfoRequestLength, 0), answer);
    if (result != kSuccess) return result;
    std::copy_n(answer.Payload().begin(), kDeviceInfoLength, destination.begin());
    return kSuccess;
}

int DeviceLink::SinglePacketRead(Command command, std::span<std::uint8_t> destination,
                                 std::uint16_t offset) {
    if (destination.size() > kPayloadSize) return Refuse(command, kBadLength);
    const auto length = static_cast<std::uint8_t>(destination.size());
    ReportPacket answer;
    const int result = Transact(ReportPacket::Request(command, length, offset), answer);
    if (result != kSuccess) return result;
    std::copy_n(answer.Payload().begin(), destination.size(), destination.begin());
    return kSuccess;
}

int DeviceLink::SinglePacketWrite(Command command, std::span<const std::uint8_t> source,
                                  std::uint16_t offset) {
    if (source.size() > kPayloadSize) return Refuse(command, kBadLength);
    const auto length = static_cast<std::uint8_t>(source.size());
    ReportPacket answer;
    return Transact(ReportPacket::Request(command, length, offset, source), answer);
}

int DeviceLink::ReadParamRecord(std::span<std::uint8_t> destination, std::uint16_t offset) {
    return SinglePacketRead(Command::ReadParamRecord, destination, offset);
}

int DeviceLink::WriteParamRecord(std::span<const std::uint8_t> source, std::uint16_t offset) {
    // Any parameter write hands the device's lighting back from the synchronised effect.
    syncLighting = false;
    return SinglePacketWrite(Command::WriteParamRecord, source, offset);
}

namespace {

bool ChunkedLengthFits(std::size_t total, std::size_t bufferSize, std::uint16_t base) {
    return total <= kMaxTransferSize && total <= bufferSize && base + total <= kMaxTransferSize + 1;
}

// Calls perChunk(offset, position, chunk) for each 56-byte piece of [0, total), addressed at
// base + position. The first result other than success ends the transfer; pieces already done
// stay done.
template <class PerChunk>
int ForEachChunk(std::size_t total, std::uint16_t base, PerChunk&& perChunk) {
    for (std::size_t position = 0; position < total; position += kPayloadSize) {
        const std::size_t chunk = std::min(kPayloadSize, total - position);
        const int result = perChunk(static_cast<std::uint16_t>(base + position), position, chunk);
        if (result != kSuccess) return result;
    }
    return kSuccess;
}

}  // namespace

int DeviceLink::ChunkedRead(Command command, std::span<std::uint8_t> destination,
                            std::size_t total, std::uint16_t base) {
    if (!ChunkedLengthFits(total, destination.size(), base)) return Refuse(command, kBadLength);
    return ForEachChunk(total, base, [&](std::uint16_t offset, std::size_t position, std::size_t chunk) {
        ReportPacket answer;
        const int result =
            Transact(ReportPacket::Request(command, static_cast<std::uint8_t>(chunk), offset), answer);
        if (result == kSuccess) {
            std::copy_n(answer.Payload().begin(), chunk, destination.begin() + position);
        }
        return result;
    });
}

int DeviceLink::ChunkedWrite(Command command, std::span<const std::uint8_t> source,
                             std::size_t total, std::uint16_t base) {
    if (!ChunkedLengthFits(total, source.size(), base)) return Refuse(command, kBadLength);
    return ForEachChunk(total, base, [&](std::uint16_t offset, std::size_t position, std::size_t chunk) {
        ReportPacket answer;
        return Transact(ReportPacket::Request(command, static_cast<std::uint8_t>(chunk), offset,
                                              source.subspan(position, chunk)),
                        answer);
    });
}

namespace {
bool ValidBank(int bank) { return bank >= 0 && bank < DeviceLink::kBankCount; }
}  // namespace

int DeviceLink::ReadDefaultKeyTable(std::span<std::uint8_t> destination) {
    return ChunkedRead(Command::ReadDefaultKeyTable, destination, BankSize(), 0);
}

int DeviceLink::ReadKeyBank(std::span<std::uint8_t> destination, int bank) {
    if (!ValidBank(bank)) return Refuse(Command::ReadKeyBank, kBadBank);
    return ChunkedRead(Command::ReadKeyBank, destination, BankSize(),
                       static_cast<std::uint16_t>(bank * kBankStride));
}

int DeviceLink::WriteKeyBank(std::span<const std::uint8_t> source, int bank,
                             std::optional<std::size_t> byteCount) {
    if (!ValidBank(bank)) return Refuse(Command::WriteKeyBank, kBadBank);
    return ChunkedWrite(Command::WriteKeyBank, source, byteCount.value_or(BankSize()),
                        static_cast<std::uint16_t>(bank * kBankStride));
}

int DeviceLink::ResetDevice() {
    // The one request that travels without a checksum.
    ReportPacket request;
    request.SetReportId(kCommandReportId);
    request.SetCommand(Command::ResetDevice);
    return SimpleExchange(request.data(), kReportSize);
}

int DeviceLink::SendPreviewColors(std::span<const std::uint8_t> source) {
    return ChunkedWrite(Command::SendPreviewColors, source, source.size(), 0);
}

int DeviceLink::WriteMacroData(std::span<const std::uint8_t> source) {
    return ChunkedWrite(Command::WriteMacroData, source, source.size(), 0);
}

int DeviceLink::ReadScriptData(std::span<std::uint8_t> destination) {
    return ChunkedRead(Command::ReadScriptData, destination, destination.size(), 0);
}

int DeviceLink::WriteScriptData(std::span<const std::uint8_t> source) {
    return ChunkedWrite(Command::WriteScriptData, source, source.size(), 0);
}

OpenMatchResult OpenMatchingDevice(DeviceLink& link, DeniedInterface* denied) {
    if (link.Aborted()) return OpenMatchResult::NotFound;
    std::lock_guard guard(link.Lock());
    HidChannel& channel = link.Channel();
    if (!channel.EnumerateHidDevices()) return OpenMatchResult::EnumerationFailed;
    OpenMatchResult result = OpenMatchResult::NotFound;
    while (const std::string* path = channel.NextDevicePath()) {
        if (VendorIdFromPath(*path) != link.VendorId()) continue;
        if (!channel.OpenDevice(*path, true, true, true, false)) {
            if (channel.LastOpenFailure().AccessDenied() && ProductIdFromPath(*path) == link.ProductId() &&
                result == OpenMatchResult::NotFound) {
                result = OpenMatchResult::AccessDenied;
                if (denied) *denied = {*path, channel.LastOpenFailure().systemError};
            }
            continue;
        }
        const HidAttributes& attributes = channel.Attributes();
        const HidCaps& caps = channel.Caps();
        if (attributes.vendorId == link.VendorId() && attributes.productId == link.ProductId() &&
            caps.usagePage == link.UsagePage() && caps.usage == link.Usage()) {
            link.ForgetDevice();
            result = OpenMatchResult::Opened;
            break;
        }
        channel.CloseDevice();
    }
    channel.FreeDeviceList();
    return result;
}

}  // namespace corvane::device
