#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <numeric>
#include <vector>

#include "device/device_link.h"
#include "device/report_packet.h"
#include "link_fixture.h"

namespace corvane::device {
namespace {

using testing::LinkedDevice;
using virt::Fault;
using virt::FaultKind;
using virt::MemoryArea;

std::vector<std::uint8_t> Pattern(std::size_t size, std::uint8_t seed) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
    return bytes;
}

TEST(DeviceLinkTest, OpensTheVendorCollectionOfItsProduct) {
    for (DeviceKind kind : kAllDeviceKinds) {
        LinkedDevice d(kind);
        ASSERT_EQ(d.opened, OpenMatchResult::Opened);
        EXPECT_EQ(d.link.Channel().DevicePath(), d.Device().Path(virt::Collection::Vendor));
        EXPECT_EQ(d.link.Channel().Caps().inputReportByteLength, kReportSize);
    }
}

TEST(DeviceLinkTest, NoMatchWhenTheProductIsAbsentOrTheIdentityDiffers) {
    LinkedDevice d(DeviceKind::Mouse);
    d.link.SetIdentity(kVendorId, 0x9999, kVendorUsage, kVendorUsagePage);
    EXPECT_EQ(OpenMatchingDevice(d.link), OpenMatchResult::NotFound);
    EXPECT_FALSE(d.link.Channel().IsOpen());
    d.link.SetIdentity(kVendorId, kMouseProductId, kVendorUsage, kVendorUsagePage);
    d.Device().Unplug();
    EXPECT_EQ(OpenMatchingDevice(d.link), OpenMatchResult::NotFound);
}

TEST(DeviceLinkTest, ReadKeyBankUsesBankStrideAndFiftySixByteChunks) {
    LinkedDevice d(DeviceKind::Keyboard);
    ASSERT_TRUE(d.link.SetBankSize(378));
    const auto memory = Pattern(virt::kKeyMemorySize, 3);
    ASSERT_TRUE(d.Device().SetMemory(MemoryArea::Keys, 0, memory));

    std::array<std::uint8_t, 512> bank{};
    ASSERT_EQ(d.link.ReadKeyBank(bank, 1), kSuccess);

    const auto requests = d.Device().Requests();
    ASSERT_EQ(requests.size(), 7u);
    const std::array<std::uint16_t, 7> offsets{126, 182, 238, 294, 350, 406, 462};
    const std::array<std::uint8_t, 7> lengths{56, 56, 56, 56, 56, 56, 42};
    for (std::size_t i = 0; i < requests.size(); ++i) {
        EXPECT_EQ(requests[i].CommandByte(), 8);
        EXPECT_EQ(requests[i].Offset(), offsets[i]);
        EXPECT_EQ(requests[i].Length(), lengths[i]);
    }
    EXPECT_TRUE(std::equal(bank.begin(), bank.begin() + 378, memory.begin() + 126));
    EXPECT_TRUE(std::all_of(bank.begin() + 378, bank.end(), [](auto b) { return b == 0; }));
}

TEST(DeviceLinkTest, ArgumentErrorsAreRefusedWithoutIo) {
    LinkedDevice d(DeviceKind::Mouse);
    std::array<std::uint8_t, 512> bank{};
    std::vector<std::uint8_t> big(65536, 0);
    std::array<std::uint8_t, 57> record{};
    std::array<std::uint8_t, 100> small{};
    EXPECT_EQ(d.link.ReadKeyBank(bank, 5), kBadBank);
    EXPECT_EQ(d.link.ReadKeyBank(bank, -1), kBadBank);
    EXPECT_EQ(d.link.WriteKeyBank(bank, 5), kBadBank);
    EXPECT_EQ(d.link.ReadParamRecord(record, 0), kBadLength);
    EXPECT_EQ(d.link.WriteParamRecord(record, 0), kBadLength);
    EXPECT_EQ(d.link.WriteMacroData(big), kBadLength);
    EXPECT_EQ(d.link.ReadKeyBank(small, 0), kBadLength);  // smaller than the bank size
    EXPECT_EQ(d.link.WriteKeyBank(small, 0, 101), kBadLength);
    EXPECT_EQ(d.Device().WriteAttempts(), 0u);

    // A bad bank wins over a missing device.
    d.link.connected = false;
    EXPECT_EQ(d.link.WriteKeyBank(bank, 7), kBadBank);
}

TEST(DeviceLinkTest, NothingIsSentWhileNotConnected) {
    LinkedDevice d(DeviceKind::Mouse);
    d.link.connected = false;
    d.link.syncLighting = true;
    std::array<std::uint8_t, 512> bank{};
    std::array<std::uint8_t, 33> info{};
    std::array<std::uint8_t, 56> record{};
    EXPECT_EQ(d.link.EnterSettingMode(), kNotConnected);
    EXPECT_EQ(d.link.ReadDeviceInfo(info), kNotConnected);
    EXPECT_EQ(d.link.ReadKeyBank(bank, 0), kNotConnected);
    EXPECT_EQ(d.link.WriteParamRecord(record, 0), kNotConnected);
    EXPECT_FALSE(d.link.syncLighting);  // cleared even so
    EXPECT_EQ(d.link.ResetDevice(), kNotConnected);
    EXPECT_EQ(d.link.ExitSettingMode(), kNotConnected);
    EXPECT_EQ(d.Device().WriteAttempts(), 0u);
    // A transfer of nothing succeeds without I/O.
    EXPECT_EQ(d.link.WriteMacroData({}), kSuccess);
}

TEST(DeviceLinkTest, FailedWriteGivesMinusOneAfterOneAttempt) {
    LinkedDevice d(DeviceKind::Keyboard);
    d.Device().InjectFault({FaultKind::WriteFails, 1, virt::kEveryPacket});
    EXPECT_EQ(d.link.EnterSettingMode(), kWriteFailed);
    EXPECT_EQ(d.Device().WriteAttempts(), 1u);
}

TEST(DeviceLinkTest, SilentDeviceGetsFourIdenticalWritesThenNoAnswer) {
    LinkedDevice d(DeviceKind::Keyboard);
    d.Device().InjectFault({FaultKind::NoAnswer, 1, virt::kEveryPacket});
    std::array<std::uint8_t, 33> info{};
    EXPECT_EQ(d.link.ReadDeviceInfo(info), kNoAnswer);
    const auto requests = d.Device().Requests();
    ASSERT_EQ(requests.size(), 4u);
    for (const auto& r : requests) EXPECT_EQ(r, requests[0]);

    // One lost answer costs one retry and nothing else.
    d.Device().ClearFaults();
    d.Device().ClearRequests();
    d.Device().ResetPacketCount();
    d.Device().InjectFault({FaultKind::NoAnswer, 1, 1});
    EXPECT_EQ(d.link.ReadDeviceInfo(info), kSuccess);
    EXPECT_EQ(d.Device().Requests().size(), 2u);
    EXPECT_EQ(info[5], 126);
}

TEST(DeviceLinkTest, BusyInThirdChunkStopsMacroWriteAndKeepsEarlierChunks) {
    LinkedDevice d(DeviceKind::Keyboard);
    const auto image = Pattern(200, 11);
    d.Device().InjectFault({FaultKind::StatusBusy, 3, 1});
    EXPECT_EQ(d.link.WriteMacroData(image), kDeviceBusy);
    EXPECT_EQ(d.Device().Requests().size(), 3u);
    const auto macros = d.Device().Memory(MemoryArea::Macros);
    EXPECT_TRUE(std::equal(image.begin(), image.begin() + 112, macros.begin()));
    // The busy answer's chunk was executed by the device; the fourth never went out.
    EXPECT_TRUE(std::all_of(macros.begin() + 168, macros.begin() + 200, [](auto b) { return b == 0; }));

    d.Device().ResetPacketCount();
    d.Device().ClearFaults();
    d.Device().InjectFault({FaultKind::StatusError, 1, 1});
    EXPECT_EQ(d.link.EnterSettingMode(), kDeviceError);
}

TEST(DeviceLinkTest, ResetSucceedsOnErrorStatusAndTravelsWithoutChecksum) {
    LinkedDevice d(DeviceKind::MousePad);
    const std::array<std::uint8_t, 1> slot{3};
    ASSERT_EQ(d.link.WriteParamRecord(slot, 0), kSuccess);
    d.Device().ClearRequests();
    d.Device().ResetPacketCount();
    d.Device().InjectFault({FaultKind::StatusError, 1, 1});
    EXPECT_EQ(d.link.ResetDevice(), kSuccess);
    const auto requests = d.Device().Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].CommandByte(), 13);
    EXPECT_EQ(requests[0].StoredChecksum(), 0);
    EXPECT_EQ(d.Device().Memory(MemoryArea::Params)[0], 0);  // factory settings are back
}

TEST(DeviceLinkTest, BrokenAnswersGiveResultCodesNotCrashes) {
    struct Case {
        FaultKind fault;
        int expected;
    };
    const std::array<Case, 4> cases{{
        {FaultKind::ShortAnswer, kNoAnswer},       // truncated every time: never a whole answer
        {FaultKind::WrongReportId, kNoAnswer},     // another report of the node, not an answer
        {FaultKind::GarbageAnswer, kNoAnswer},     // noise: not the length the read asked for
        {FaultKind::RemoveDuringTransfer, kWriteFailed},
    }};
    for (const Case& c : cases) {
        LinkedDevice d(DeviceKind::Mouse);
        d.Device().InjectFault({c.fault, 2, virt::kEveryPacket});
        std::array<std::uint8_t, 512> bank{};
        bank.fill(0xCC);
        EXPECT_EQ(d.link.ReadKeyBank(bank, 0), c.expected) << static_cast<int>(c.fault);
        if (c.expected == kNoAnswer) {
            EXPECT_EQ(d.Device().Requests().size(), 1u + DeviceLink::kMaxAttempts);
            // The first chunk arrived whole; nothing stale or out of bounds after it.
            EXPECT_EQ(bank[0], 0x10);
            EXPECT_EQ(bank[56], 0xCC);
        }
    }
}

TEST(DeviceLinkTest, SetBankSizeLimits) {
    LinkedDevice d(DeviceKind::Keyboard);
    EXPECT_EQ(d.link.BankSize(), 512);
    EXPECT_TRUE(d.link.SetBankSize(378));
    EXPECT_FALSE(d.link.SetBankSize(513));
    EXPECT_EQ(d.link.BankSize(), 378);
    EXPECT_TRUE(d.link.SetBankSize(512));
    EXPECT_EQ(d.link.BankSize(), 512);
}

TEST(DeviceLinkTest, WriteCommandsReachTheirAreas) {
    LinkedDevice d(DeviceKind::Mouse);
    const auto bank = Pattern(126, 1);
    const auto script = Pattern(300, 2);
    const auto preview = Pattern(60, 3);
    ASSERT_EQ(d.link.WriteKeyBank(bank, 2, bank.size()), kSuccess);
    ASSERT_EQ(d.link.WriteScriptData(script), kSuccess);
    ASSERT_EQ(d.link.SendPreviewColors(preview), kSuccess);
    const auto keys = d.Device().Memory(MemoryArea::Keys);
    EXPECT_TRUE(std::equal(bank.begin(), bank.end(), keys.begin() + 2 * 126));
    std::vector<std::uint8_t> back(300);
    ASSERT_EQ(d.link.ReadScriptData(back), kSuccess);
    EXPECT_EQ(back, script);
    const auto shown = d.Device().Memory(MemoryArea::Preview);
    EXPECT_TRUE(std::equal(preview.begin(), preview.end(), shown.begin()));
    // Past the end of script memory the device answers with an error.
    std::vector<std::uint8_t> tooMuch(3100);
    EXPECT_EQ(d.link.ReadScriptData(tooMuch), kDeviceError);
}

}  // namespace
}  // namespace corvane::device
