#pragma once

#include <atomic>
#include <functional>
#include <span>

#include "device/device_images.h"
#include "device/device_kind.h"
#include "device/device_link.h"

namespace corvane::device {

// The steps of the state transfers that belong to the pages and the profiles. Each is called at
// its fixed place in the sequence; an empty hook does nothing. Hooks run on the thread that runs
// the transfer, after the images they depend on have been committed.
struct StateTransferHooks {
    std::function<void()> showBankSizeRefused;        // keyboard: "message_text_11"
    std::function<void()> refreshPages;               // the device's pages
    std::function<bool()> takeRestoreFlag;            // keyboard: true (and cleared) after a restore
    std::function<void()> overwriteKeyboardProfiles;  // keyboard, after a restore
    std::function<void()> saveKeyboardState;          // keyboard, otherwise
    std::function<void()> refreshCustomColours;       // keyboard
    std::function<void()> refreshPageAndProfile;      // after an on-device slot switch
    std::function<void()> hideFunctionPanel;          // mouse: "ms_tab_function"
    std::function<void()> sendMousePadReset;          // message 0xA01 to the main window
};

enum class ReadStateResult {
    Complete,     // every command was answered; images committed, hooks run
    Incomplete,   // some command failed (absent, silent, error status, only answers that fail
                  // the link's checks): nothing committed, no hooks, the rest not asked for
    TooManyKeys,  // a keyboard with more keys than a bank holds: the read stopped
};

// Reads the complete state of the device into its images. Only a read in which every command
// succeeded is committed and followed by the page and profile hooks: a device that does not
// answer, or answers with noise, must neither look ready nor have that saved as settings. The
// read also teaches the link whether the device's answers repeat their request (EchoPolicy). A keyboard whose
// active slot is not 0 has that slot's record read too, since its working record comes from it.
[[nodiscard]] ReadStateResult ReadDeviceState(DeviceKind kind, DeviceLink& link, DeviceState& state,
                                              const StateTransferHooks& hooks = {});

// After the device announced a slot switch: stores the working record back into its slot and
// reloads the active slot's record.
void RereadActiveSlot(DeviceKind kind, DeviceLink& link, DeviceState& state,
                      const StateTransferHooks& hooks = {});

// The user picked on-device slot `slot` (mouse, mouse pad). kBadBank for a slot outside 0..4;
// the result of the first read when the current slot cannot be learned; kSuccess when the slot
// is already active; otherwise the result of the slot write.
[[nodiscard]] int SwitchSlot(DeviceKind kind, DeviceLink& link, DeviceState& state, int slot,
                             const StateTransferHooks& hooks = {});

// Sends the working lighting record when `pending` is set, as one 56-byte parameter write at
// offset 0, and clears the flag. Keyboard and mouse are asked for their active slot first: the
// record goes out with that slot in byte 0, so the write never switches them back. The flag is
// cleared before the record is taken, so a change made during the write is sent by the next
// flush, and any number of changes between two flushes go out as one record. The write's
// result; kSuccess when nothing was pending.
[[nodiscard]] int FlushLighting(DeviceKind kind, DeviceLink& link, const DeviceState& state,
                                std::atomic<bool>& pending);

struct LightingTarget {
    DeviceKind kind;
    DeviceLink& link;
    const DeviceState& state;
    std::atomic<bool>& pending;
};
// FlushLighting for each target, in the order given (keyboard, mouse, mouse pad). A record that
// did not reach its device is not sent again: the link logs the failure, the next change sends
// the whole record anyway.
void FlushLighting(std::span<const LightingTarget> targets);

// Restores the mouse pad's factory settings, gives it a second to come back, then asks the main
// window to read it again. `sleepMs` lets tests skip the wait.
inline constexpr int kMousePadResetSettleMs = 1000;
void ResetMousePad(DeviceLink& link, const StateTransferHooks& hooks,
                   const std::function<void(int)>& sleepMs = {});

}  // namespace corvane::device
