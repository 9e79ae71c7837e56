#include "device/device_link.h"

#include <algorithm>
#include <cstring>

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

bool DeviceLink::SetBankSize(std::uint16_t n) {
    if (n > kMaxBankSize) return false;
    bankSize_ = n;
    return true;
}

int DeviceLink::Exchange(const std::uint8_t* request, std::size_t requestLength,
                         std::uint8_t* answer, std::size_t answerLength, std::size_t& bytesRead) {
    bytesRead = 0;
    if (!connected) return kNotConnected;

    ReportBytes buffer{};
    std::copy_n(request, std::min(requestLength, kReportSize), buffer.begin());

    for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
        std::size_t written = 0;
        int writeResult = 0;
        {
            std::lock_guard guard(lock_);
            writeResult = channel_.WriteReport(kReportSize, buffer.data(), kWriteTimeoutMs, written);
        }
        if (writeResult <= 0) return kWriteFailed;
        ++reportsWritten_;

        std::size_t got = 0;
        int readResult = 0;
        {
            std::lock_guard guard(lock_);
            readResult = channel_.ReadReport(answerLength, answer, kReadTimeoutMs, got);
        }
        got = std::min(got, answerLength);
        // Never let stale bytes pose as part of this answer.
        std::memset(answer + got, 0, answerLength - got);
        if (readResult > 0 && got == answerLength) {
            ++reportsRead_;
            bytesRead = got;
            return kSuccess;
        }
        // No answer, or a truncated one: send the same request again.
    }
    return kNoAnswer;
}

int DeviceLink::SimpleExchange(std::uint8_t* packet, std::size_t length) {
    if (!connected) return kNotConnected;
    ReportBytes buffer{};
    std::copy_n(packet, std::min(length, kReportSize), buffer.begin());
    std::size_t count = 0;
    {
        std::lock_guard guard(lock_);
        if (channel_.WriteReport(kReportSize, buffer.data(), kWriteTimeoutMs, count) > 0) {
            ++reportsWritten_;
        }
    }
    int readResult = 0;
    {
        std::lock_guard guard(lock_);
        readResult = channel_.ReadReport(kReportSize, buffer.data(), kReadTimeoutMs, count);
    }
    if (readResult <= 0) return kNoAnswer;
    ++reportsRead_;
    return kSuccess;
}

int DeviceLink::Transact(const ReportPacket& request, ReportPacket& answer) {
    std::size_t bytesRead = 0;
    const int result = Exchange(request.data(), kReportSize, answer.data(), kReportSize, bytesRead);
    if (result != kSuccess) return result;
    return ResultFromStatus(answer.Status());
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
    if (destination.size() < kDeviceInfoLength) return kBadLength;
    ReportPacket answer;
    const int result =
        Transact(ReportPacket::Request(Command::ReadDeviceInfo, kDeviceInfoRequestLength, 0), answer);
    if (result != kSuccess) return result;
    std::copy_n(answer.Payload().begin(), kDeviceInfoLength, destination.begin());
    return kSuccess;
}

int DeviceLink::SinglePacketRead(Command command, std::span<std::uint8_t> destination,
                                 std::uint16_t offset) {
    if (destination.size() > kPayloadSize) return kBadLength;
    const auto length = static_cast<std::uint8_t>(destination.size());
    ReportPacket answer;
    const int result = Transact(ReportPacket::Request(command, length, offset), answer);
    if (result != kSuccess) return result;
    std::copy_n(answer.Payload().begin(), destination.size(), destination.begin());
    return kSuccess;
}

int DeviceLink::SinglePacketWrite(Command command, std::span<const std::uint8_t> source,
                                  std::uint16_t offset) {
    if (source.size() > kPayloadSize) return kBadLength;
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
    if (!ChunkedLengthFits(total, destination.size(), base)) return kBadLength;
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
    if (!ChunkedLengthFits(total, source.size(), base)) return kBadLength;
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
    if (!ValidBank(bank)) return kBadBank;
    return ChunkedRead(Command::ReadKeyBank, destination, BankSize(),
                       static_cast<std::uint16_t>(bank * kBankStride));
}

int DeviceLink::WriteKeyBank(std::span<const std::uint8_t> source, int bank,
                             std::optional<std::size_t> byteCount) {
    if (!ValidBank(bank)) return kBadBank;
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
            result = OpenMatchResult::Opened;
            break;
        }
        channel.CloseDevice();
    }
    channel.FreeDeviceList();
    return result;
}

}  // namespace corvane::device
