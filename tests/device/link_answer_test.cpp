// Which report a link takes for the answer to its request when the device is late or noisy, and
// what the link learns about the device's answers from reading its state.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <string>

#include "device/device_images.h"
#include "device/device_link.h"
#include "device/state_transfer.h"
#include "link_fixture.h"

namespace corvane::device {
namespace {

using testing::LinkedDevice;
using virt::FaultKind;
using virt::MemoryArea;

using Record = std::array<std::uint8_t, kPayloadSize>;
constexpr std::size_t kSlots = 5;
constexpr std::uint16_t kRecordStride = 64;

std::uint16_t SlotOffset(std::size_t slot) { return static_cast<std::uint16_t>(slot * kRecordStride); }

// Gives every parameter record its own contents, so an answer to the wrong request shows. The
// active slot byte stays 0.
std::array<Record, kSlots> DistinctRecords(virt::VirtualDevice& device) {
    std::array<Record, kSlots> records{};
    for (std::size_t slot = 0; slot < kSlots; ++slot) {
        for (std::size_t i = 1; i < kPayloadSize; ++i) {
            records[slot][i] = static_cast<std::uint8_t>(0x10 * (slot + 1) + i);
        }
        EXPECT_TRUE(device.SetMemory(MemoryArea::Params, slot * kRecordStride, records[slot]));
    }
    return records;
}

// A full read, as on arrival: teaches the link how the device answers.
void Arrive(LinkedDevice& d) {
    DeviceState state;
    ASSERT_EQ(ReadDeviceState(d.kind, d.link, state), ReadStateResult::Complete);
    d.Device().ClearRequests();
}

TEST(AnswerTest, AnAnswerAfterItsRequestGaveUpIsNeverTakenByTheNextRequest) {
    // The request's last attempt times out and its answer comes 40 ms later, ahead of the next
    // request's own. A device that repeats each request in its answer has the stray answer
    // skipped; for one that does not, the link waits it out before the next request.
    for (const bool echoes : {true, false}) {
        SCOPED_TRACE(echoes ? "repeats its requests" : "does not repeat its requests");
        LinkedDevice d(DeviceKind::MousePad);
        d.Device().SetEchoesRequests(echoes);
        d.Device().SetLatency(std::chrono::milliseconds(10));
        const auto records = DistinctRecords(d.Device());
        Arrive(d);
        ASSERT_EQ(d.link.EchoRequired(), echoes);

        d.Device().InjectFaultFromNow(FaultKind::NoAnswer, 1, DeviceLink::kMaxAttempts - 1);
        d.Device().InjectFaultFromNow(FaultKind::LateAnswer, DeviceLink::kMaxAttempts, 1);
        Record lost{};
        EXPECT_EQ(d.link.ReadParamRecord(lost, SlotOffset(0)), kNoAnswer);
        Record got{};
        ASSERT_EQ(d.link.ReadParamRecord(got, SlotOffset(3)), kSuccess);
        EXPECT_EQ(got, records[3]);
        // And the one after that has its own answer too.
        ASSERT_EQ(d.link.ReadParamRecord(got, SlotOffset(1)), kSuccess);
        EXPECT_EQ(got, records[1]);
    }
}

TEST(AnswerTest, WhetherAnswersRepeatTheirRequestIsLearntFromACompleteReadOnly) {
    struct Case {
        const char* name;
        bool echoes;
        std::optional<virt::Fault> fault;  // packet numbers count from the read's first request
        bool required;
    };
    const std::array<Case, 4> cases{{
        {"every answer repeats its request", true, std::nullopt, true},
        {"no answer does", false, std::nullopt, false},
        // Noise in place of the first answer: the answers disagree, nothing is learnt.
        {"one answer is noise", true, virt::Fault{FaultKind::GarbageAnswer, 1, 1}, false},
        {"the read is incomplete", true, virt::Fault{FaultKind::NoAnswer, 3, DeviceLink::kMaxAttempts}, false},
    }};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LinkedDevice d(DeviceKind::MousePad);
        d.Device().SetEchoesRequests(c.echoes);
        if (c.fault) d.Device().InjectFault(*c.fault);
        EXPECT_FALSE(d.link.EchoRequired());
        DeviceState state;
        (void)ReadDeviceState(DeviceKind::MousePad, d.link, state);
        EXPECT_EQ(d.link.EchoRequired(), c.required);
        // Nothing is learnt outside a read of the device's state.
        d.Device().ClearFaults();
        ASSERT_EQ(d.link.EnterSettingMode(), kSuccess);
        EXPECT_EQ(d.link.EchoRequired(), c.required);
    }

    // Opened again, the device behind the channel may be another one: learnt anew.
    LinkedDevice d(DeviceKind::Mouse);
    Arrive(d);
    ASSERT_TRUE(d.link.EchoRequired());
    ASSERT_EQ(OpenMatchingDevice(d.link), OpenMatchResult::Opened);
    EXPECT_FALSE(d.link.EchoRequired());
}

}  // namespace
}  // namespace corvane::device
