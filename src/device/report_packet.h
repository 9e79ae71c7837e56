#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace corvane::device {

// Every request to a device and every answer from it is one 64-byte report on the vendor
// collection. Requests and answers share the layout; an answer's id and checksum bytes are never
// trusted. Its length and, on a device that repeats them, its command and offset tell which
// request it answers (EchoPolicy); the rest is its status byte and payload.

inline constexpr std::size_t kReportSize = 64;
inline constexpr std::size_t kReportIdOffset = 0;
inline constexpr std::size_t kChecksumOffset = 1;   // 16 bits, little-endian
inline constexpr std::size_t kCommandOffset = 3;
inline constexpr std::size_t kLengthOffset = 4;
inline constexpr std::size_t kAddressOffset = 5;    // 16-bit byte offset into the addressed area
inline constexpr std::size_t kStatusOffset = 7;
inline constexpr std::size_t kPayloadOffset = 8;
inline constexpr std::size_t kPayloadSize = kReportSize - kPayloadOffset;  // 56
inline constexpr std::size_t kChecksumFirstByte = kCommandOffset;

inline constexpr std::uint8_t kCommandReportId = 0x04;
// Answer status bytes that mean failure; anything else is success.
inline constexpr std::uint8_t kStatusDeviceError = 0xFF;
inline constexpr std::uint8_t kStatusDeviceBusy = 0xFE;
inline constexpr std::uint8_t kStatusOk = 0x00;

// The largest transfer a 16-bit offset can address.
inline constexpr std::size_t kMaxTransferSize = 0xFFFF;

enum class Command : std::uint8_t {
    EnterSettingMode = 0x01,
    ExitSettingMode = 0x02,
    ReadDeviceInfo = 0x03,
    ReadParamRecord = 0x05,
    WriteParamRecord = 0x06,
    ReadDefaultKeyTable = 0x07,
    ReadKeyBank = 0x08,
    WriteKeyBank = 0x09,
    ResetDevice = 0x0D,
    SendPreviewColors = 0x12,
    WriteMacroData = 0x15,
    ReadScriptData = 0x16,
    WriteScriptData = 0x17,
};

// Result codes of every device operation.
inline constexpr int kSuccess = 1;
inline constexpr int kNoAnswer = 0;        // not connected, or no answer after every attempt
inline constexpr int kNotConnected = kNoAnswer;
inline constexpr int kWriteFailed = -1;
inline constexpr int kDeviceError = -102;  // answer status 0xFF
inline constexpr int kDeviceBusy = -103;   // answer status 0xFE
inline constexpr int kBadBank = -201;      // key bank index outside 0..4
// A single-packet length above 56, a transfer above 65535 bytes, or a buffer smaller than the
// transfer: refused before anything is sent.
inline constexpr int kBadLength = -202;

using ReportBytes = std::array<std::uint8_t, kReportSize>;

class ReportPacket {
public:
    ReportPacket() = default;
    explicit ReportPacket(const ReportBytes& bytes) : bytes_(bytes) {}

    // A sealed request: report id, command, length, offset, payload (at most 56 bytes, the rest
    // zero) and the checksum.
    static ReportPacket Request(Command command, std::uint8_t length, std::uint16_t offset,
                                std::span<const std::uint8_t> payload = {});

    // Low 16 bits of the sum of bytes 3..63.
    std::uint16_t ComputeChecksum() const;
    void Seal();  // stores ComputeChecksum() in bytes 1..2
    std::uint16_t StoredChecksum() const;

    std::uint8_t ReportId() const { return bytes_[kReportIdOffset]; }
    std::uint8_t CommandByte() const { return bytes_[kCommandOffset]; }
    std::uint8_t Length() const { return bytes_[kLengthOffset]; }
    std::uint16_t Offset() const;
    std::uint8_t Status() const { return bytes_[kStatusOffset]; }

    void SetReportId(std::uint8_t id) { bytes_[kReportIdOffset] = id; }
    void SetCommand(Command command) { bytes_[kCommandOffset] = static_cast<std::uint8_t>(command); }
    void SetLength(std::uint8_t length) { bytes_[kLengthOffset] = length; }
    void SetOffset(std::uint16_t offset);
    void SetStatus(std::uint8_t status) { bytes_[kStatusOffset] = status; }

    std::span<std::uint8_t, kPayloadSize> Payload() {
        return std::span<std::uint8_t, kPayloadSize>(bytes_.data() + kPayloadOffset, kPayloadSize);
    }
    std::span<const std::uint8_t, kPayloadSize> Payload() const {
        return std::span<const std::uint8_t, kPayloadSize>(bytes_.data() + kPayloadOffset,
                                                           kPayloadSize);
    }

    ReportBytes& Bytes() { return bytes_; }
    const ReportBytes& Bytes() const { return bytes_; }
    std::uint8_t* data() { return bytes_.data(); }
    const std::uint8_t* data() const { return bytes_.data(); }
    static constexpr std::size_t size() { return kReportSize; }

    friend bool operator==(const ReportPacket&, const ReportPacket&) = default;

private:
    ReportBytes bytes_{};
};

// Maps an answer's status byte to a result code: 0xFF and 0xFE are the two device errors.
int ResultFromStatus(std::uint8_t status);

// Whether a received report can be the answer to a request: a whole 64-byte report with id 4.
// Whatever else reaches the handle (consumer reports of the device's other collection when both
// share a node, truncated reports) is not.
constexpr bool IsAnswerReport(std::span<const std::uint8_t> report) {
    return report.size() == kReportSize && report[kReportIdOffset] == kCommandReportId;
}

// Whether the command reads from the device: its answer carries data, as many bytes as the
// request's length byte asked for. False for a number outside the set.
bool ReturnsData(std::uint8_t command);

// For logs: "ReadKeyBank" for 0x08, "command 0x42" for a number outside the set.
std::string CommandName(std::uint8_t command);
// For logs: "no answer", "device busy (status 0xFE)", ...
std::string_view ResultName(int result);

}  // namespace corvane::device
