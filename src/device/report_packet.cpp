#include "device/report_packet.h"

#include <algorithm>

#include "platform/bytes.h"

namespace corvane::device {

ReportPacket ReportPacket::Request(Command command, std::uint8_t length, std::uint16_t offset,
                                   std::span<const std::uint8_t> payload) {
    ReportPacket packet;
    packet.SetReportId(kCommandReportId);
    packet.SetCommand(command);
    packet.SetLength(length);
    packet.SetOffset(offset);
    const std::size_t count = std::min(payload.size(), kPayloadSize);
    std::copy_n(payload.begin(), count, packet.Payload().begin());
    packet.Seal();
    return packet;
}

std::uint16_t ReportPacket::ComputeChecksum() const {
    unsigned sum = 0;
    for (std::size_t i = kChecksumFirstByte; i < kReportSize; ++i) sum += bytes_[i];
    return static_cast<std::uint16_t>(sum & 0xFFFF);
}

void ReportPacket::Seal() { platform::StoreLe16(bytes_, kChecksumOffset, ComputeChecksum()); }

std::uint16_t ReportPacket::StoredChecksum() const {
    return platform::LoadLe16(bytes_, kChecksumOffset);
}

std::uint16_t ReportPacket::Offset() const { return platform::LoadLe16(bytes_, kAddressOffset); }

void ReportPacket::SetOffset(std::uint16_t offset) {
    platform::StoreLe16(bytes_, kAddressOffset, offset);
}

int ResultFromStatus(std::uint8_t status) {
    if (status == kStatusDeviceError) return kDeviceError;
    if (status == kStatusDeviceBusy) return kDeviceBusy;
    return kSuccess;
}

}  // namespace corvane::device
