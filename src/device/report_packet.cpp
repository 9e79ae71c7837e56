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

namespace {

struct CommandRow {
    Command command;
    std::string_view name;
    bool returnsData;
};
constexpr CommandRow kCommands[] = {
    {Command::EnterSettingMode, "EnterSettingMode", false},
    {Command::ExitSettingMode, "ExitSettingMode", false},
    {Command::ReadDeviceInfo, "ReadDeviceInfo", true},
    {Command::ReadParamRecord, "ReadParamRecord", true},
    {Command::WriteParamRecord, "WriteParamRecord", false},
    {Command::ReadDefaultKeyTable, "ReadDefaultKeyTable", true},
    {Command::ReadKeyBank, "ReadKeyBank", true},
    {Command::WriteKeyBank, "WriteKeyBank", false},
    {Command::ResetDevice, "ResetDevice", false},
    {Command::SendPreviewColors, "SendPreviewColors", false},
    {Command::WriteMacroData, "WriteMacroData", false},
    {Command::ReadScriptData, "ReadScriptData", true},
    {Command::WriteScriptData, "WriteScriptData", false},
};

const CommandRow* FindCommand(std::uint8_t command) {
    for (const CommandRow& row : kCommands) {
        if (static_cast<std::uint8_t>(row.command) == command) return &row;
    }
    return nullptr;
}

struct ResultNameRow {
    int result;
    std::string_view name;
};
constexpr ResultNameRow kResultNames[] = {
    {kSuccess, "success"},
    {kNoAnswer, "no answer"},
    {kWriteFailed, "write failed"},
    {kDeviceError, "device error (status 0xFF)"},
    {kDeviceBusy, "device busy (status 0xFE)"},
    {kBadBank, "bank outside 0..4"},
    {kBadLength, "length does not fit"},
};

}  // namespace

bool ReturnsData(std::uint8_t command) {
    const CommandRow* row = FindCommand(command);
    return row && row->returnsData;
}

std::string CommandName(std::uint8_t command) {
    if (const CommandRow* row = FindCommand(command)) return std::string(row->name);
    constexpr char kDigits[] = "0123456789abcdef";
    return std::string("command 0x") + kDigits[command >> 4] + kDigits[command & 0x0F];
}

std::string_view ResultName(int result) {
    for (const ResultNameRow& row : kResultNames) {
        if (row.result == result) return row.name;
    }
    return "unknown result";
}

int ResultFromStatus(std::uint8_t status) {
    if (status == kStatusDeviceError) return kDeviceError;
    if (status == kStatusDeviceBusy) return kDeviceBusy;
    return kSuccess;
}

}  // namespace corvane::device
