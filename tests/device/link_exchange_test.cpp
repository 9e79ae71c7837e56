// Which report an exchange takes for its answer, with several handles and threads on one device.

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "device/device_link.h"
#include "device/report_packet.h"
#include "link_fixture.h"
#include "platform/log.h"

namespace corvane::device {
namespace {

using testing::LinkedDevice;
using virt::FaultKind;
using virt::MemoryArea;

using testing::DistinctRecords;
using testing::SlotOffset;
using Record = testing::ParamRecord;
constexpr std::size_t kSlots = testing::kParamSlots;



// A second program (or handle) on the same device.
struct SecondLink {
    explicit SecondLink(LinkedDevice& d) : link(d.bus) {
        link.SetIdentity(kVendorId, ProductIdOf(d.kind), kVendorUsage, kVendorUsagePage);
        EXPECT_EQ(OpenMatchingDevice(link), OpenMatchResult::Opened);
        link.connected = true;
    }
    DeviceLink link;
};

TEST(ExchangeTest, ReportsThatAreNoAnswerNeverShiftTheAnswers) {
    // Consumer reports on a shared node reach the link's handle: two per key event (press and
    // release). Once they were taken for "no answer", every later exchange got the answer of the
    // one before it. They arrive before a request (already waiting) or during the wait for its
    // answer (the latency model delays them behind the write); both must be passed over.
    struct Case {
        const char* name;
        std::chrono::microseconds latency;
    };
    const std::array<Case, 2> cases{{{"waiting", std::chrono::microseconds(0)},
                                     {"arriving", std::chrono::microseconds(20000)}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LinkedDevice d(DeviceKind::Keyboard);
        d.bus.SetSharedNode(true);
        const auto records = DistinctRecords(d.Device());
        d.Device().SetLatency(c.latency);
        for (std::size_t slot = 0; slot < kSlots; ++slot) {
            d.Device().RaiseConsumerEvent(0x401);
            Record got{};
            ASSERT_EQ(d.link.ReadParamRecord(got, SlotOffset(slot)), kSuccess);
            EXPECT_EQ(got, records[slot]) << "slot " << slot;
        }
        EXPECT_EQ(d.Device().Requests().size(), kSlots);  // no request was sent twice
    }
}

TEST(ExchangeTest, AnswersToAnotherHandleAreDiscarded) {
    // Every report of the device reaches every open handle, answers included.
    LinkedDevice d(DeviceKind::Mouse);
    const auto records = DistinctRecords(d.Device());
    SecondLink other(d);
    for (std::size_t slot = 0; slot + 1 < kSlots; ++slot) {
        Record mine{};
        Record theirs{};
        ASSERT_EQ(other.link.ReadParamRecord(theirs, SlotOffset(slot)), kSuccess);
        ASSERT_EQ(d.link.ReadParamRecord(mine, SlotOffset(slot + 1)), kSuccess);
        EXPECT_EQ(theirs, records[slot]);
        EXPECT_EQ(mine, records[slot + 1]);
    }
}

TEST(ExchangeTest, LateAnswerCountsAsNoneAndIsNeverTakenLater) {
    LinkedDevice d(DeviceKind::MousePad);
    const auto records = DistinctRecords(d.Device());
    d.Device().InjectFault({FaultKind::LateAnswer, 1, 1});
    const auto start = std::chrono::steady_clock::now();
    Record first{};
    ASSERT_EQ(d.link.ReadParamRecord(first, SlotOffset(0)), kSuccess);
    // A real time-out, then the request again, whose answer came in time.
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(DeviceLink::kReadTimeoutMs));
    EXPECT_EQ(d.Device().Requests().size(), 2u);
    EXPECT_EQ(first, records[0]);

    // The late answer has arrived by now; the next request must not take it.
    d.Device().SettleInputs();
    Record second{};
    ASSERT_EQ(d.link.ReadParamRecord(second, SlotOffset(3)), kSuccess);
    EXPECT_EQ(second, records[3]);
    EXPECT_EQ(d.Device().Requests().size(), 3u);
}

TEST(ExchangeTest, ThreadsSharingALinkEachGetTheirOwnAnswer) {
    // The UI thread, a lighting thread and a watcher share a link: the lock covers each request
    // and its answer, so no thread reads an answer meant for another.
    LinkedDevice d(DeviceKind::Mouse);
    const auto records = DistinctRecords(d.Device());
    d.Device().SetLatency(std::chrono::microseconds(200));
    std::atomic<int> mismatches{0};
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < 3; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 40; ++i) {
                Record got{};
                if (d.link.ReadParamRecord(got, SlotOffset(t)) != kSuccess) ++failures;
                else if (got != records[t]) ++mismatches;
            }
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(d.Device().Requests().size(), 120u);
}

TEST(ExchangeTest, FailuresAreLoggedWithDeviceCommandAndCode) {
    struct Case {
        FaultKind fault;
        const char* expected;
    };
    const std::array<Case, 3> cases{{
        {FaultKind::NoAnswer, "ReadDeviceInfo at offset 0: no answer (result 0)"},
        {FaultKind::WriteFails, "ReadDeviceInfo at offset 0: write failed (result -1)"},
        {FaultKind::StatusBusy, "ReadDeviceInfo at offset 0: device busy (status 0xFE) (result -103)"},
    }};
    std::array<std::uint8_t, 33> info{};
    for (const Case& c : cases) {
        LinkedDevice d(DeviceKind::Keyboard);
        platform::LogCapture log(platform::LogLevel::Warn);
        d.Device().InjectFault({c.fault, 1, virt::kEveryPacket});
        EXPECT_NE(d.link.ReadDeviceInfo(info), kSuccess);
        const auto records = log.Records();
        ASSERT_EQ(records.size(), 1u) << c.expected;
        EXPECT_EQ(records[0].category, platform::LogCategory::Keyboard);
        EXPECT_EQ(records[0].level, platform::LogLevel::Warn);
        EXPECT_EQ(records[0].text, c.expected);
    }

    LinkedDevice d(DeviceKind::Mouse);
    platform::LogCapture log(platform::LogLevel::Trace);
    std::array<std::uint8_t, 512> bank{};
    EXPECT_EQ(d.link.ReadKeyBank(bank, 5), kBadBank);
    EXPECT_EQ(log.CountContaining("ReadKeyBank refused before sending: bank outside 0..4 (result -201)"), 1u);
    // Raw reports at the most detailed level: the request as it went out.
    ASSERT_EQ(d.link.EnterSettingMode(), kSuccess);
    EXPECT_EQ(log.CountContaining("sent 64 bytes: 04 01 00 01 00"), 1u);
    EXPECT_EQ(log.CountContaining("received 64 bytes: 04"), 1u);
    // An absent device is no failure worth a warning.
    log.Clear();
    d.link.connected = false;
    EXPECT_EQ(d.link.EnterSettingMode(), kNotConnected);
    ASSERT_EQ(log.Records().size(), 1u);
    EXPECT_EQ(log.Records()[0].level, platform::LogLevel::Debug);
    EXPECT_EQ(log.Records()[0].category, platform::LogCategory::Mouse);

    // Nor is a transfer the program's end cut short.
    log.Clear();
    d.link.connected = true;
    d.Device().SetLatency(std::chrono::milliseconds(300));
    std::thread ender([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        d.link.Abort();
    });
    EXPECT_EQ(d.link.EnterSettingMode(), kNotConnected);
    ender.join();
    for (const auto& record : log.Records()) EXPECT_NE(record.level, platform::LogLevel::Warn) << record.text;
}

}  // namespace
}  // namespace corvane::device
