#include "device/state_transfer.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "platform/tick.h"

namespace corvane::device {

namespace {

void Call(const std::function<void()>& hook) {
    if (hook) hook();
}

constexpr std::uint16_t SlotOffset(std::size_t slot) {
    return static_cast<std::uint16_t>(slot * kLightingBlockSize);
}

constexpr bool ValidSlot(std::size_t slot) { return slot < kLightingSlotCount; }

// Copies the first `length` bytes of a slot record into the working record, then marks it with
// the slot number.
void MakeActive(DeviceImages& images, std::size_t slot, std::size_t length) {
    std::copy_n(images.lightingSlots[slot].begin(), length, images.activeLighting.begin());
    images.activeLighting[kActiveSlotOffset] = static_cast<std::uint8_t>(slot);
}

void StoreActive(DeviceImages& images, std::size_t length) {
    const std::size_t slot = images.activeLighting[kActiveSlotOffset];
    if (!ValidSlot(slot)) return;  // a corrupt slot byte must not address past the slots
    std::copy_n(images.activeLighting.begin(), length, images.lightingSlots[slot].begin());
}

// What a full read learnt; only the parts whose command succeeded are committed.
struct ReadOutcome {
    std::optional<DeviceInfoBlock> info;
    std::optional<KeyTableImage> defaultKeyTable;
    std::array<std::optional<KeyTableImage>, kKeyBankCount> banks;
    std::array<std::optional<std::array<std::uint8_t, kParamTransferSize>>, kLightingSlotCount>
        slots;
    std::optional<std::size_t> activeSlot;
};

void Commit(DeviceKind kind, DeviceState& state, const ReadOutcome& outcome) {
    state.Update([&](DeviceImages& images) {
        if (outcome.info) images.info = *outcome.info;
        if (outcome.defaultKeyTable) images.defaultKeyTable = *outcome.defaultKeyTable;
        for (std::size_t i = 0; i < kKeyBankCount; ++i) {
            if (outcome.banks[i]) images.keyBanks[i] = *outcome.banks[i];
        }
        for (std::size_t i = 0; i < kLightingSlotCount; ++i) {
            if (outcome.slots[i]) {
                std::copy(outcome.slots[i]->begin(), outcome.slots[i]->end(),
                          images.lightingSlots[i].begin());
            }
        }
        if (outcome.activeSlot) MakeActive(images, *outcome.activeSlot, ActiveLightingSize(kind));
    });
}

// Keyboard and mouse have a slot button; the pad changes slot only when the program asks.
constexpr bool SwitchesSlotsOnItsOwn(DeviceKind kind) { return kind != DeviceKind::MousePad; }

std::optional<std::uint8_t> ReadActiveSlotByte(DeviceLink& link) {
    std::array<std::uint8_t, 1> slot{};
    if (link.ReadParamRecord(slot, kActiveSlotOffset) != kSuccess) return std::nullopt;
    return slot[0];
}

// Runs the commands of a full read one after the other while they succeed. Once one has failed
// nothing of the read is kept, so the rest are not asked for: a device that answers nothing, or
// only noise, keeps its watcher for one command's attempts rather than a whole read's.
class ReadSteps {
public:
    template <class Step>
    bool Run(Step&& step) {
        if (complete_) complete_ = step() == kSuccess;
        return complete_;
    }
    bool Complete() const { return complete_; }

private:
    bool complete_ = true;
};

// A full read teaches the link whether the device's answers repeat their request (DeviceLink);
// only a read that went through counts. Ended at the latest when the read returns.
class EchoLesson {
public:
    explicit EchoLesson(DeviceLink& link) : link_(link) { link_.BeginEchoLesson(); }
    ~EchoLesson() { End(false); }
    EchoLesson(const EchoLesson&) = delete;
    EchoLesson& operator=(const EchoLesson&) = delete;

    void End(bool complete) {
        if (ended_) return;
        ended_ = true;
        link_.EndEchoLesson(complete);
    }

private:
    DeviceLink& link_;
    bool ended_ = false;
};

}  // namespace

ReadStateResult ReadDeviceState(DeviceKind kind, DeviceLink& link, DeviceState& state,
                                const StateTransferHooks& hooks) {
    EchoLesson lesson(link);
    const DeviceImages before = state.Snapshot();
    ReadOutcome outcome;
    ReadSteps steps;

    (void)steps.Run([&] { return link.EnterSettingMode(); });

    DeviceInfoBlock info = before.info;
    if (steps.Run([&] { return link.ReadDeviceInfo(info); })) outcome.info = info;

    if (kind == DeviceKind::Keyboard && steps.Complete()) {
        const unsigned bankSize = 3u * info[kInfoKeyCount];
        if (!link.SetBankSize(static_cast<std::uint16_t>(bankSize))) {
            Commit(kind, state, outcome);
            Call(hooks.showBankSizeRefused);
            return ReadStateResult::TooManyKeys;
        }
    }

    if (HasKeyTables(kind)) {
        // Bytes past the bank size keep what the image held.
        KeyTableImage table = before.defaultKeyTable;
        if (steps.Run([&] { return link.ReadDefaultKeyTable(table); })) outcome.defaultKeyTable = table;
    }

    auto readSlot = [&](std::size_t i) {
        std::array<std::uint8_t, kParamTransferSize> record{};
        if (steps.Run([&] { return link.ReadParamRecord(record, SlotOffset(i)); })) outcome.slots[i] = record;
    };
    auto readBank = [&](std::size_t i) {
        if (!HasKeyTables(kind)) return;
        KeyTableImage bank = before.keyBanks[i];
        if (steps.Run([&] { return link.ReadKeyBank(bank, static_cast<int>(i)); })) outcome.banks[i] = bank;
    };
    const std::size_t slotsRead = kind == DeviceKind::Keyboard ? 1 : kLightingSlotCount;
    for (std::size_t i = 0; i < slotsRead; ++i) {
        readSlot(i);
        readBank(i);
    }

    std::array<std::uint8_t, 1> slotByte{};
    if (steps.Run([&] { return link.ReadParamRecord(slotByte, kActiveSlotOffset); }) && ValidSlot(slotByte[0])) {
        outcome.activeSlot = slotByte[0];
        // The working record is copied from the active slot: a slot the loop did not read would
        // hand over whatever the image held (zeros on a first start).
        if (!outcome.slots[*outcome.activeSlot]) readSlot(*outcome.activeSlot);
        // So is the key bank: the key editor and the upload work on the active slot's bank, and
        // one unread would be written back as zeros.
        if (HasKeyTables(kind) && !outcome.banks[*outcome.activeSlot]) readBank(*outcome.activeSlot);
    }

    // Whatever happened before, the device is taken out of setting mode.
    const bool left = link.ExitSettingMode() == kSuccess;
    const bool complete = steps.Complete() && left;
    lesson.End(complete);
    if (!complete) return ReadStateResult::Incomplete;
    Commit(kind, state, outcome);

    Call(hooks.refreshPages);
    if (kind == DeviceKind::Keyboard) {
        if (hooks.takeRestoreFlag && hooks.takeRestoreFlag()) {
            Call(hooks.overwriteKeyboardProfiles);
        } else {
            Call(hooks.saveKeyboardState);
        }
        Call(hooks.refreshCustomColours);
    }
    return ReadStateResult::Complete;
}

void RereadActiveSlot(DeviceKind kind, DeviceLink& link, DeviceState& state,
                      const StateTransferHooks& hooks) {
    const std::size_t length = ActiveLightingSize(kind);
    state.Update([&](DeviceImages& images) { StoreActive(images, length); });

    const auto reported = ReadActiveSlotByte(link);
    const std::size_t slot = state.Update([&](DeviceImages& images) -> std::size_t {
        std::uint8_t& active = images.activeLighting[kActiveSlotOffset];
        if (kind != DeviceKind::MousePad) {
            // Keyboard and mouse report the switch but their working record is slot 0's.
            active = 0;
        } else if (reported && ValidSlot(*reported)) {
            active = *reported;
        } else if (!ValidSlot(active)) {
            active = 0;
        }
        return active;
    });

    std::array<std::uint8_t, kParamTransferSize> record{};
    if (link.ReadParamRecord(record, SlotOffset(slot)) == kSuccess) {
        record[kActiveSlotOffset] = static_cast<std::uint8_t>(slot);
        state.Update([&](DeviceImages& images) {
            std::copy(record.begin(), record.end(), images.lightingSlots[slot].begin());
            std::copy_n(record.begin(), length, images.activeLighting.begin());
        });
    }
    Call(hooks.refreshPageAndProfile);
}

int SwitchSlot(DeviceKind kind, DeviceLink& link, DeviceState& state, int slot,
               const StateTransferHooks& hooks) {
    if (slot < 0 || slot >= static_cast<int>(kLightingSlotCount)) return kBadBank;
    const auto target = static_cast<std::size_t>(slot);
    const std::size_t length = ActiveLightingSize(kind);

    std::array<std::uint8_t, 1> current{};
    const int readResult = link.ReadParamRecord(current, kActiveSlotOffset);
    if (readResult != kSuccess) return readResult;
    if (current[0] == target) return kSuccess;

    state.Update([&](DeviceImages& images) {
        if (ValidSlot(current[0])) {
            std::copy_n(images.activeLighting.begin(), length,
                        images.lightingSlots[current[0]].begin());
        }
    });

    const std::array<std::uint8_t, 1> choice{static_cast<std::uint8_t>(target)};
    const int writeResult = link.WriteParamRecord(choice, kActiveSlotOffset);

    std::array<std::uint8_t, kParamTransferSize> record{};
    const bool haveRecord = link.ReadParamRecord(record, SlotOffset(target)) == kSuccess;
    state.Update([&](DeviceImages& images) {
        if (haveRecord) std::copy(record.begin(), record.end(), images.lightingSlots[target].begin());
        MakeActive(images, target, length);
    });

    if (kind == DeviceKind::Mouse) Call(hooks.hideFunctionPanel);
    Call(hooks.refreshPages);
    return writeResult;
}

int FlushLighting(DeviceKind kind, DeviceLink& link, const DeviceState& state,
                  std::atomic<bool>& pending) {
    if (!pending.exchange(false)) return kSuccess;
    std::array<std::uint8_t, kParamTransferSize> record{};
    state.Read([&](const DeviceImages& images) {
        std::copy_n(images.activeLighting.begin(), ActiveLightingSize(kind), record.begin());
    });
    // Byte 0 of the record is the slot the device plays. Keyboard and mouse change it on their
    // own button, and after that the working record still says 0 (or the button was pressed
    // while this record waited): the byte is taken from the device just before the write, so a
    // lighting change never moves the device back to another slot. A device that does not say
    // gets the record's own byte, as before.
    if (SwitchesSlotsOnItsOwn(kind)) {
        if (const auto slot = ReadActiveSlotByte(link)) record[kActiveSlotOffset] = *slot;
    }
    return link.WriteParamRecord(record, 0);
}

void FlushLighting(std::span<const LightingTarget> targets) {
    for (const LightingTarget& target : targets) {
        // Each target's failure is logged by its link; one device failing never holds up another.
        (void)FlushLighting(target.kind, target.link, target.state, target.pending);
    }
}

void ResetMousePad(DeviceLink& link, const StateTransferHooks& hooks,
                   const std::function<void(int)>& sleepMs) {
    // The pad is read again whether or not it answered: the read shows what it holds now.
    (void)link.ResetDevice();
    if (sleepMs) {
        sleepMs(kMousePadResetSettleMs);
    } else {
        platform::SleepMs(kMousePadResetSettleMs);
    }
    Call(hooks.sendMousePadReset);
}

}  // namespace corvane::device
