#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <string>
#include <vector>

#include "device/device_images.h"
#include "device/state_transfer.h"
#include "link_fixture.h"

namespace corvane::device {
namespace {

using testing::LinkedDevice;
using virt::FaultKind;
using virt::MemoryArea;

// Records the order in which the hooks run.
struct HookLog {
    std::vector<std::string> calls;
    bool restoreFlag = false;
    StateTransferHooks Hooks() {
        StateTransferHooks h;
        h.showBankSizeRefused = [this] { calls.push_back("bank-size-refused"); };
        h.refreshPages = [this] { calls.push_back("refresh"); };
        h.takeRestoreFlag = [this] { return std::exchange(restoreFlag, false); };
        h.overwriteKeyboardProfiles = [this] { calls.push_back("overwrite"); };
        h.saveKeyboardState = [this] { calls.push_back("save"); };
        h.refreshCustomColours = [this] { calls.push_back("custom-colours"); };
        h.refreshPageAndProfile = [this] { calls.push_back("page-and-profile"); };
        h.hideFunctionPanel = [this] { calls.push_back("hide-function"); };
        h.sendMousePadReset = [this] { calls.push_back("0xA01"); };
        return h;
    }
};

bool SameBytes(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b, std::size_t n) {
    return std::equal(a.begin(), a.begin() + n, b.begin());
}

TEST(StateTransferTest, FullReadOfEveryKindMatchesDeviceMemory) {
    for (DeviceKind kind : kAllDeviceKinds) {
        SCOPED_TRACE(static_cast<int>(kind));
        LinkedDevice d(kind);
        // Slot 2 active, so the working record must come from a slot other than 0.
        const std::array<std::uint8_t, 1> active{2};
        ASSERT_TRUE(d.Device().SetMemory(MemoryArea::Params, 0, active));
        DeviceState state;
        HookLog log;
        ASSERT_EQ(ReadDeviceState(kind, d.link, state, log.Hooks()), ReadStateResult::Complete);
        const DeviceImages images = state.Snapshot();

        const auto info = d.Device().Memory(MemoryArea::Info);
        EXPECT_TRUE(SameBytes(images.info, info, kDeviceInfoSize));
        const auto params = d.Device().Memory(MemoryArea::Params);
        const std::size_t slotsRead = kind == DeviceKind::Keyboard ? 1 : 5;
        for (std::size_t i = 0; i < slotsRead; ++i) {
            EXPECT_TRUE(SameBytes(images.lightingSlots[i],
                                  std::span(params).subspan(i * 64), kParamTransferSize)) << i;
        }
        const std::size_t activeSize = ActiveLightingSize(kind);
        EXPECT_EQ(images.activeLighting[0], 2);
        EXPECT_TRUE(std::equal(images.activeLighting.begin() + 1,
                               images.activeLighting.begin() + activeSize,
                               images.lightingSlots[2].begin() + 1));
        if (HasKeyTables(kind)) {
            const std::size_t bankSize = d.link.BankSize();
            const auto factory = d.Device().Memory(MemoryArea::FactoryKeys);
            const auto keys = d.Device().Memory(MemoryArea::Keys);
            EXPECT_TRUE(SameBytes(images.defaultKeyTable, factory, bankSize));
            for (std::size_t i = 0; i < slotsRead; ++i) {
                EXPECT_TRUE(SameBytes(images.keyBanks[i], std::span(keys).subspan(i * 126), bankSize));
            }
        }
        EXPECT_FALSE(d.Device().InSettingMode());
        const std::vector<std::string> keyboardHooks{"refresh", "save", "custom-colours"};
        const std::vector<std::string> otherHooks{"refresh"};
        EXPECT_EQ(log.calls, kind == DeviceKind::Keyboard ? keyboardHooks : otherHooks);
    }
}

TEST(StateTransferTest, KeyboardWith126KeysMovesBanksIn7Chunks) {
    LinkedDevice d(DeviceKind::Keyboard);
    DeviceState state;
    ASSERT_EQ(ReadDeviceState(DeviceKind::Keyboard, d.link, state), ReadStateResult::Complete);
    EXPECT_EQ(d.link.BankSize(), 378);
    EXPECT_EQ(d.Device().RequestCount(Command::ReadDefaultKeyTable), 7u);
    EXPECT_EQ(d.Device().RequestCount(Command::ReadKeyBank), 7u);
    // The whole read: enter, info, 7 + 1 + 7, active slot, exit.
    EXPECT_EQ(d.Device().Requests().size(), 19u);
}

TEST(StateTransferTest, RestoreFlagSwitchesSaveToOverwrite) {
    LinkedDevice d(DeviceKind::Keyboard);
    DeviceState state;
    HookLog log;
    log.restoreFlag = true;
    ASSERT_EQ(ReadDeviceState(DeviceKind::Keyboard, d.link, state, log.Hooks()), ReadStateResult::Complete);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"refresh", "overwrite", "custom-colours"}));
    EXPECT_FALSE(log.restoreFlag);
}

TEST(StateTransferTest, TooManyKeysStopsTheReadBeforeLeavingSettingMode) {
    LinkedDevice d(DeviceKind::Keyboard);
    const std::array<std::uint8_t, 1> keys{171};
    ASSERT_TRUE(d.Device().SetMemory(MemoryArea::Info, 5, keys));
    DeviceState state;
    HookLog log;
    EXPECT_EQ(ReadDeviceState(DeviceKind::Keyboard, d.link, state, log.Hooks()), ReadStateResult::TooManyKeys);
    EXPECT_EQ(log.calls, std::vector<std::string>{"bank-size-refused"});
    EXPECT_EQ(d.link.BankSize(), 512);
    EXPECT_EQ(d.Device().Requests().size(), 2u);
    EXPECT_TRUE(d.Device().InSettingMode());
    EXPECT_EQ(state.Snapshot().info[5], 171);
}

TEST(StateTransferTest, FailedReadsLeaveImagesAsTheyWere) {
    LinkedDevice d(DeviceKind::MousePad);
    DeviceImages initial;
    initial.info.fill(0x5A);
    initial.activeLighting.fill(0x11);
    DeviceState state(initial);
    d.link.connected = false;
    EXPECT_EQ(ReadDeviceState(DeviceKind::MousePad, d.link, state), ReadStateResult::Incomplete);
    const DeviceImages after = state.Snapshot();
    EXPECT_EQ(after.info, initial.info);
    EXPECT_EQ(after.activeLighting, initial.activeLighting);
}

TEST(StateTransferTest, AReadWithAnUnansweredRequestTakesNothingAndRunsNoHook) {
    // One lost answer (all four attempts) in the middle of the read.
    for (const std::size_t at : {std::size_t{1}, std::size_t{5}, std::size_t{40}}) {
        LinkedDevice d(DeviceKind::Mouse);
        d.Device().InjectFault({FaultKind::NoAnswer, at, 4});
        DeviceImages initial;
        initial.keyBanks[0].fill(0x42);
        DeviceState state(initial);
        HookLog log;
        EXPECT_EQ(ReadDeviceState(DeviceKind::Mouse, d.link, state, log.Hooks()), ReadStateResult::Incomplete) << at;
        EXPECT_TRUE(log.calls.empty()) << at;
        EXPECT_EQ(state.Snapshot().keyBanks[0], initial.keyBanks[0]) << at;
        EXPECT_FALSE(d.Device().InSettingMode()) << at;
    }
}

// A keyboard on slot 2 at arrival: its lighting record and key bank are read, not only slot 0's.
TEST(StateTransferTest, KeyboardActiveSlotRecordAndKeyBankAreReadAtArrival) {
    LinkedDevice d(DeviceKind::Keyboard);
    DeviceState first;
    ASSERT_EQ(ReadDeviceState(DeviceKind::Keyboard, d.link, first), ReadStateResult::Complete);
    KeyTableImage bank2{};
    for (std::size_t i = 0; i < d.link.BankSize(); ++i) bank2[i] = static_cast<std::uint8_t>(0x20 + i % 7);
    ASSERT_EQ(d.link.WriteKeyBank(bank2, 2), kSuccess);
    std::array<std::uint8_t, 64> slot2{};
    slot2.fill(0x5C);
    ASSERT_TRUE(d.Device().SetMemory(MemoryArea::Params, 2 * 64, slot2));
    const std::array<std::uint8_t, 1> active{2};
    ASSERT_TRUE(d.Device().SetMemory(MemoryArea::Params, 0, active));
    DeviceState state;
    ASSERT_EQ(ReadDeviceState(DeviceKind::Keyboard, d.link, state), ReadStateResult::Complete);
    const DeviceImages images = state.Snapshot();
    EXPECT_EQ(images.activeLighting[0], 2);
    EXPECT_EQ(images.activeLighting[1], 0x5C);
    EXPECT_EQ(images.activeLighting[40], 0x5C);
    EXPECT_EQ(images.keyBanks[2], bank2);
}

TEST(StateTransferTest, CorruptActiveSlotByteNeverIndexesPastTheSlots) {
    LinkedDevice d(DeviceKind::Mouse);
    const std::array<std::uint8_t, 1> bogus{0xC8};
    ASSERT_TRUE(d.Device().SetMemory(MemoryArea::Params, 0, bogus));
    DeviceImages initial;
    initial.activeLighting[0] = 1;
    DeviceState state(initial);
    ASSERT_EQ(ReadDeviceState(DeviceKind::Mouse, d.link, state), ReadStateResult::Complete);
    EXPECT_EQ(state.Snapshot().activeLighting[0], 1);
    EXPECT_EQ(SwitchSlot(DeviceKind::Mouse, d.link, state, 3), kSuccess);
    EXPECT_EQ(state.Snapshot().activeLighting[0], 3);
}

TEST(StateTransferTest, SwitchSlotToTheActiveSlotOnlyReadsOneByte) {
    LinkedDevice d(DeviceKind::MousePad);
    DeviceState state;
    HookLog log;
    EXPECT_EQ(SwitchSlot(DeviceKind::MousePad, d.link, state, 0, log.Hooks()), kSuccess);
    const auto requests = d.Device().Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].CommandByte(), 5);
    EXPECT_EQ(requests[0].Length(), 1);
    EXPECT_TRUE(log.calls.empty());
    EXPECT_EQ(SwitchSlot(DeviceKind::MousePad, d.link, state, 5, log.Hooks()), kBadBank);
}

TEST(StateTransferTest, SwitchSlotStoresTheWorkingRecordAndLoadsTheNewSlot) {
    LinkedDevice d(DeviceKind::Mouse);
    DeviceState state;
    ASSERT_EQ(ReadDeviceState(DeviceKind::Mouse, d.link, state), ReadStateResult::Complete);
    d.link.syncLighting = true;
    state.Update([](DeviceImages& images) { images.activeLighting[2] = 0x77; });  // edited
    d.Device().ClearRequests();
    HookLog log;
    EXPECT_EQ(SwitchSlot(DeviceKind::Mouse, d.link, state, 4, log.Hooks()), kSuccess);

    const DeviceImages images = state.Snapshot();
    EXPECT_EQ(images.lightingSlots[0][2], 0x77);
    EXPECT_EQ(images.activeLighting[0], 4);
    const auto params = d.Device().Memory(MemoryArea::Params);
    EXPECT_EQ(params[0], 4);
    EXPECT_TRUE(std::equal(images.activeLighting.begin() + 1, images.activeLighting.begin() + 23,
                           params.begin() + 4 * 64 + 1));
    EXPECT_FALSE(d.link.syncLighting);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"hide-function", "refresh"}));
    EXPECT_EQ(d.Device().Requests().size(), 3u);
}

TEST(StateTransferTest, RereadActiveSlotFollowsTheDevice) {
    for (DeviceKind kind : kAllDeviceKinds) {
        SCOPED_TRACE(static_cast<int>(kind));
        LinkedDevice d(kind);
        DeviceState state;
        ASSERT_EQ(ReadDeviceState(kind, d.link, state), ReadStateResult::Complete);
        const std::array<std::uint8_t, 1> slot{3};
        ASSERT_TRUE(d.Device().SetMemory(MemoryArea::Params, 0, slot));
        HookLog log;
        RereadActiveSlot(kind, d.link, state, log.Hooks());
        const DeviceImages images = state.Snapshot();
        // The pad follows the device's slot; keyboard and mouse keep working on slot 0.
        const std::size_t expected = kind == DeviceKind::MousePad ? 3 : 0;
        EXPECT_EQ(images.activeLighting[0], expected);
        const auto params = d.Device().Memory(MemoryArea::Params);
        EXPECT_EQ(images.activeLighting[1], params[expected * 64 + 1]);
        EXPECT_EQ(log.calls, std::vector<std::string>{"page-and-profile"});
    }
}

TEST(StateTransferTest, FlushSendsPendingRecordsOnceAndCoalescesChanges) {
    LinkedDevice kb(DeviceKind::Keyboard);
    DeviceState state;
    std::atomic<bool> pending{false};

    EXPECT_EQ(FlushLighting(DeviceKind::Keyboard, kb.link, state, pending), kSuccess);
    EXPECT_TRUE(kb.Device().Requests().empty());

    state.Update([](DeviceImages& images) { images.activeLighting[2] = 9; });
    pending = true;
    state.Update([](DeviceImages& images) { images.activeLighting[6] = 200; });
    pending = true;
    kb.link.syncLighting = true;
    EXPECT_EQ(FlushLighting(DeviceKind::Keyboard, kb.link, state, pending), kSuccess);
    EXPECT_EQ(FlushLighting(DeviceKind::Keyboard, kb.link, state, pending), kSuccess);

    // The keyboard's slot byte, then the record.
    const auto requests = kb.Device().Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].CommandByte(), 5);
    EXPECT_EQ(requests[0].Length(), 1);
    EXPECT_EQ(requests[1].CommandByte(), 6);
    EXPECT_EQ(requests[1].Length(), 56);
    EXPECT_EQ(requests[1].Offset(), 0);
    EXPECT_EQ(requests[1].Payload()[2], 9);
    EXPECT_EQ(requests[1].Payload()[6], 200);
    EXPECT_FALSE(pending);
    EXPECT_FALSE(kb.link.syncLighting);
    const auto params = kb.Device().Memory(MemoryArea::Params);
    EXPECT_EQ(params[6], 200);
}

// Keyboard and mouse also switch slots on their own button. A lighting record sent after the
// press, whether it was already waiting or follows a change made once the switch was read,
// leaves the device on the slot it switched to.
TEST(StateTransferTest, ALightingFlushKeepsTheSlotTheButtonSwitchedTo) {
    for (DeviceKind kind : {DeviceKind::Keyboard, DeviceKind::Mouse}) {
        for (const bool reread : {false, true}) {
            SCOPED_TRACE(std::to_string(static_cast<int>(kind)) + (reread ? " after the re-read" : " waiting"));
            LinkedDevice d(kind);
            DeviceState state;
            ASSERT_EQ(ReadDeviceState(kind, d.link, state), ReadStateResult::Complete);
            ASSERT_TRUE(d.Device().PressSlotButton(2));
            if (reread) RereadActiveSlot(kind, d.link, state);
            state.Update([](DeviceImages& images) { images.activeLighting[2] = 0x3C; });
            std::atomic<bool> pending{true};
            EXPECT_EQ(FlushLighting(kind, d.link, state, pending), kSuccess);
            EXPECT_EQ(d.Device().ActiveSlot(), 2);
            EXPECT_EQ(d.Device().Memory(MemoryArea::Params)[2], 0x3C);  // the change still went out
        }
    }
}

TEST(StateTransferTest, FlushPadsTheRecordOfEachKindWithZeros) {
    LinkedDevice ms(DeviceKind::Mouse);
    LinkedDevice mp(DeviceKind::MousePad);
    DeviceState msState, mpState, kbState;
    DeviceImages filled;
    filled.activeLighting.fill(0xEE);
    msState.Update([&](DeviceImages& images) { images = filled; });
    mpState.Update([&](DeviceImages& images) { images = filled; });
    std::atomic<bool> kbPending{false}, msPending{true}, mpPending{true};
    LinkedDevice kb(DeviceKind::Keyboard);
    const std::array<LightingTarget, 3> targets{{
        {DeviceKind::Keyboard, kb.link, kbState, kbPending},
        {DeviceKind::Mouse, ms.link, msState, msPending},
        {DeviceKind::MousePad, mp.link, mpState, mpPending},
    }};
    FlushLighting(targets);
    EXPECT_TRUE(kb.Device().Requests().empty());
    const ReportPacket msRequest = ms.Device().Requests().at(1);  // after the slot byte's read
    const ReportPacket mpRequest = mp.Device().Requests().at(0);
    const auto msPayload = msRequest.Payload();
    const auto mpPayload = mpRequest.Payload();
    EXPECT_EQ(msPayload[22], 0xEE);
    EXPECT_EQ(msPayload[23], 0);
    EXPECT_EQ(mpPayload[20], 0xEE);
    EXPECT_EQ(mpPayload[21], 0);
}

TEST(StateTransferTest, ResetMousePadWaitsThenAsksForARead) {
    LinkedDevice d(DeviceKind::MousePad);
    HookLog log;
    int waited = 0;
    ResetMousePad(d.link, log.Hooks(), [&](int ms) {
        waited = ms;
        log.calls.push_back("wait");
    });
    EXPECT_EQ(waited, 1000);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"wait", "0xA01"}));
    EXPECT_EQ(d.Device().RequestCount(Command::ResetDevice), 1u);
}

}  // namespace
}  // namespace corvane::device
