#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "device/report_packet.h"

namespace corvane::device {
namespace {

TEST(ReportPacketTest, ChecksumIsLowSixteenBitsOfBytesThreeOnLittleEndian) {
    const ReportPacket enter = ReportPacket::Request(Command::EnterSettingMode, 0, 0);
    EXPECT_EQ(enter.Bytes()[0], 0x04);
    EXPECT_EQ(enter.Bytes()[1], 0x01);
    EXPECT_EQ(enter.Bytes()[2], 0x00);

    const std::vector<std::uint8_t> ones(56, 0xFF);
    const ReportPacket bank = ReportPacket::Request(Command::WriteKeyBank, 56, 0, ones);
    EXPECT_EQ(bank.Bytes()[1], 0x09);
    EXPECT_EQ(bank.Bytes()[2], 0x38);
    EXPECT_EQ(bank.ComputeChecksum(), 14345);
}

TEST(ReportPacketTest, RequestLaysOutFieldsAndZeroesUnusedPayload) {
    const std::array<std::uint8_t, 3> payload{7, 8, 9};
    const ReportPacket p = ReportPacket::Request(Command::WriteParamRecord, 3, 0x1234, payload);
    EXPECT_EQ(p.CommandByte(), 6);
    EXPECT_EQ(p.Length(), 3);
    EXPECT_EQ(p.Bytes()[5], 0x34);
    EXPECT_EQ(p.Bytes()[6], 0x12);
    EXPECT_EQ(p.Status(), 0);
    EXPECT_EQ(p.Payload()[0], 7);
    EXPECT_EQ(p.Payload()[2], 9);
    for (std::size_t i = 3; i < kPayloadSize; ++i) EXPECT_EQ(p.Payload()[i], 0) << i;
    EXPECT_EQ(p.StoredChecksum(), p.ComputeChecksum());

    // A payload longer than one packet is cut, never written past the report.
    const std::vector<std::uint8_t> tooLong(80, 1);
    const ReportPacket cut = ReportPacket::Request(Command::WriteMacroData, 56, 0, tooLong);
    EXPECT_EQ(cut.Payload()[55], 1);
}

TEST(ReportPacketTest, StatusMapsToResultCodes) {
    EXPECT_EQ(ResultFromStatus(0xFF), kDeviceError);
    EXPECT_EQ(ResultFromStatus(0xFE), kDeviceBusy);
    EXPECT_EQ(ResultFromStatus(0x00), kSuccess);
    EXPECT_EQ(ResultFromStatus(0x7F), kSuccess);
}

}  // namespace
}  // namespace corvane::device
