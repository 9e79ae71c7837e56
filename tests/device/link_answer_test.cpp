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

using testing::DistinctRecords;
using testing::SlotOffset;
using Record = testing::ParamRecord;



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

// What a keyboard's full read takes into the images: information, factory table, slot 0's record
// and key bank, the working record.
void ExpectImagesHoldTheKeyboard(LinkedDevice& d, const DeviceImages& images) {
    const auto info = d.Device().Memory(MemoryArea::Info);
    EXPECT_TRUE(std::equal(images.info.begin(), images.info.end(), info.begin()));
    const std::size_t bankSize = d.link.BankSize();
    const auto factory = d.Device().Memory(MemoryArea::FactoryKeys);
    EXPECT_TRUE(std::equal(factory.begin(), factory.begin() + bankSize, images.defaultKeyTable.begin()));
    const auto keys = d.Device().Memory(MemoryArea::Keys);
    EXPECT_TRUE(std::equal(keys.begin(), keys.begin() + bankSize, images.keyBanks[0].begin()));
    const auto params = d.Device().Memory(MemoryArea::Params);
    EXPECT_TRUE(std::equal(params.begin(), params.begin() + kParamTransferSize, images.lightingSlots[0].begin()));
    EXPECT_TRUE(std::equal(params.begin(), params.begin() + ActiveLightingSize(DeviceKind::Keyboard),
                           images.activeLighting.begin()));
}

TEST(AnswerTest, AKeyboardReadKeepsOnlyWhatTheKeyboardHolds) {
    // A keyboard seen for the first time: the link does not know yet whether its answers repeat
    // their request. Request 10 is the read of slot 0's record. A read whose answers cannot be
    // trusted is not taken at all; one that got every answer right in the end is.
    struct Case {
        const char* name;
        virt::Fault fault;
        ReadStateResult result;
    };
    const std::array<Case, 3> cases{{
        {"noise for every answer", {FaultKind::GarbageAnswer, 1, virt::kEveryPacket}, ReadStateResult::Incomplete},
        {"noise for one answer", {FaultKind::GarbageAnswer, 10, 1}, ReadStateResult::Complete},
        // Its second attempt's answer comes behind the late first one.
        {"one late answer", {FaultKind::LateAnswer, 10, 1}, ReadStateResult::Complete},
    }};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LinkedDevice d(DeviceKind::Keyboard);
        // Long enough that the answer behind a late one comes well after the late one.
        d.Device().SetLatency(std::chrono::milliseconds(10));
        std::array<std::uint8_t, 41> working{};
        for (std::size_t i = 1; i < working.size(); ++i) working[i] = static_cast<std::uint8_t>(i * 3);
        ASSERT_TRUE(d.Device().SetMemory(MemoryArea::Params, 0, working));
        d.Device().InjectFault(c.fault);
        DeviceImages initial;
        initial.keyBanks[0].fill(0x42);
        DeviceState state(initial);
        std::vector<std::string> hooks;
        StateTransferHooks h;
        h.refreshPages = [&] { hooks.push_back("refresh"); };
        h.saveKeyboardState = [&] { hooks.push_back("save"); };
        EXPECT_EQ(ReadDeviceState(DeviceKind::Keyboard, d.link, state, h), c.result);
        const DeviceImages images = state.Snapshot();
        if (c.result == ReadStateResult::Incomplete) {
            EXPECT_TRUE(hooks.empty());
            EXPECT_EQ(images.keyBanks[0], initial.keyBanks[0]);
            EXPECT_EQ(images.lightingSlots[0], initial.lightingSlots[0]);
        } else {
            EXPECT_EQ(hooks, (std::vector<std::string>{"refresh", "save"}));
            ExpectImagesHoldTheKeyboard(d, images);
        }
        EXPECT_FALSE(d.Device().InSettingMode());
    }
}

}  // namespace
}  // namespace corvane::device
